// The fifteen functions FAR 3 calls. Each turns the panel handle back into the panel and hands
// the work on, inside a barrier that keeps every failure away from FAR.
#include <cstring>
#include <string>
#include <vector>
#include "../FARLang.h"
#include "../Version.h"
#include "Far3Barrier.h"
#include "Far3Config.h"
#include "Far3Intf.h"
#include "Far3Panel.h"
#include "Far3Search.h"
#include "Far3Settings.h"
#include "Far3Synchro.h"
#include "far3.h"

namespace {

// The oldest FAR 3 whose API this plugin follows: build 3596 gave the export records the
// layout of far3.h.
const VersionInfo MinFarVersion = {3, 0, 0, 3596, VS_RELEASE};

const wchar_t* MenuString;  // the plugin's name in FAR's menus, read anew at every request

// A file AnalyseW accepted, handed to OpenW(OPEN_ANALYSE) or to CloseAnalyseW.
struct TAnalysedFile {
  std::wstring Name;
};

TFar3Panel* Panel(HANDLE hPanel) { return static_cast<TFar3Panel*>(hPanel); }

// Runs Work(Panel, Failure) on the panel of hPanel inside a barrier (Report gets what it
// caught), keeping the panel alive until the call returns: FAR 3 may close it meanwhile.
// Returns false when the panel is gone (closed during the call, or none was there).
template <class W, class R> bool OnPanel(HANDLE hPanel, W&& Work, R&& Report) {
  TFar3Panel* P = Panel(hPanel);
  if (!Guard([&] { P->Enter(); }, true)) return false;  // no panel there: nothing was entered
  GuardAndReport([&](TFailure& Failure) { Work(P, Failure); }, Report);
  bool Gone = false;
  Guard([&] { Gone = P->Leave(); }, true);
  if (Gone) Guard([&] { delete P; }, true);
  return !Gone;
}

template <class W> bool OnPanel(HANDLE hPanel, W&& Work, bool Box) {
  return OnPanel(hPanel, [&](TFar3Panel* P, TFailure&) { Work(P); },
                 [Box](const TFailure& Caught) {
                   if (Box) ShowExceptionBox(Caught);
                 });
}

// The extension of a name: from the last dot after the last '\' and ':', dot included.
std::wstring Extension(const std::wstring& Name) {
  size_t Dot = Name.rfind(L'.');
  size_t Separator = Name.find_last_of(L"\\:");
  if (Dot == std::wstring::npos || (Separator != std::wstring::npos && Dot < Separator)) return L"";
  return Name.substr(Dot);
}

bool SameTextIgnoringCase(std::wstring A, std::wstring B) {
  if (A.size() != B.size()) return false;
  if (!A.empty()) CharUpperBuffW(&A[0], static_cast<DWORD>(A.size()));
  if (!B.empty()) CharUpperBuffW(&B[0], static_cast<DWORD>(B.size()));
  return A == B;
}

HANDLE CreatePanel(const std::wstring& FileName) {
  HANDLE Result = nullptr;
  Guard([&] { Result = new TFar3Panel(FileName); }, true);
  return Result;
}

// Opening: a missing list file shows a warning and the configuration dialog instead.
HANDLE OpenPanel(const std::wstring* FileName) {
  if (!FileExists(Settings.FileSystemFile)) {
    FarMessage(FMSG_WARNING, L"VFSNotExist", {MError, MVFSNotExist1, MVFSNotExist2, MOk}, 1);
    ShowConfigDialog();
    return nullptr;
  }
  return CreatePanel(FileName ? *FileName : Settings.FileSystemFile);
}

}  // namespace

extern "C" {

void WINAPI GetGlobalInfoW(GlobalInfo* Info) {
  Guard([&] {
    Info->StructSize = sizeof(GlobalInfo);
    Info->MinFarVersion = MinFarVersion;
    Info->Version = {QUENBY_VERSION_MAJOR, QUENBY_VERSION_MINOR, QUENBY_VERSION_REVISION,
                     QUENBY_VERSION_BUILD, VS_RELEASE};
    Info->Guid = PluginGuid;
    Info->Title = L"Quenby";
    Info->Description = L"Folders and file masks from a list file, shown as a panel";
    Info->Author = L"The Quenby project";
  }, false);
}

void WINAPI SetStartupInfoW(const PluginStartupInfo* Info) {
  Guard([&] {
    memset(&StartupInfo, 0, sizeof(StartupInfo));
    memcpy(&StartupInfo, Info, Info->StructSize < sizeof(StartupInfo) ? Info->StructSize : sizeof(StartupInfo));
    ModuleFileName = StartupInfo.ModuleName ? StartupInfo.ModuleName : L"";
    LoadSettings();
  }, false);
}

void WINAPI GetPluginInfoW(PluginInfo* Info) {
  Guard([&] {
    Info->StructSize = sizeof(PluginInfo);
    Info->Flags = PF_NONE;
    MenuString = FarGetMsg(MPluginName);
    if (Settings.AddToDisksMenu == 1) {
      Info->DiskMenu = {&DiskMenuGuid, &MenuString, 1};
    }
    Info->PluginMenu = {&PluginMenuGuid, &MenuString, 1};
    Info->PluginConfig = {&ConfigMenuGuid, &MenuString, 1};
    Info->CommandPrefix = nullptr;
  }, false);
}

HANDLE WINAPI AnalyseW(const AnalyseInfo* Info) {
  HANDLE Result = nullptr;
  Guard([&] {
    std::wstring Given = Info->FileName ? Info->FileName : L"";
    if (!SameTextIgnoringCase(Extension(Given), L"." + Settings.FileSystemExt)) return;
    Result = new TAnalysedFile{Given};
  }, false);
  return Result;
}

void WINAPI CloseAnalyseW(const CloseAnalyseInfo* Info) {
  Guard([&] { delete static_cast<TAnalysedFile*>(Info->Handle); }, false);
}

HANDLE WINAPI OpenW(const OpenInfo* Info) {
  HANDLE Result = nullptr;
  Guard([&] {
    if (Info->OpenFrom != OPEN_ANALYSE) {
      Result = OpenPanel(nullptr);
      return;
    }
    auto* Analyse = reinterpret_cast<const OpenAnalyseInfo*>(Info->Data);
    TAnalysedFile* File = static_cast<TAnalysedFile*>(Analyse->Handle);
    const std::wstring Name = File->Name;  // the handle is ours to free now
    delete File;
    Result = OpenPanel(&Name);
  }, true);
  return Result;
}

void WINAPI ClosePanelW(const ClosePanelInfo* Info) {
  TFar3Panel* P = Panel(Info->hPanel);
  bool Now = false;
  if (Guard([&] { Now = P->MarkClosed(); }, true) && Now) Guard([&] { delete P; }, true);
}

void WINAPI GetOpenPanelInfoW(OpenPanelInfo* Info) {
  OnPanel(Info->hPanel, [&](TFar3Panel* P) { P->GetOpenPanelInfo(Info); }, true);
}

intptr_t WINAPI GetFindDataW(GetFindDataInfo* Info) {
  // A panel closed meanwhile (AutoExitPlugin) hands FAR no items: they went with it.
  const bool Kept = OnPanel(Info->hPanel, [&](TFar3Panel* P, TFailure& Failure) { P->GetFindData(Info, Failure); },
          [&](const TFailure& Caught) {
            Info->PanelItem = nullptr;
            Info->ItemsNumber = 0;
            Panel(Info->hPanel)->ReportReadFailure(Caught);
          });
  if (!Kept) {
    Info->PanelItem = nullptr;
    Info->ItemsNumber = 0;
  }
  return TRUE;
}

void WINAPI FreeFindDataW(const FreeFindDataInfo* Info) {
  OnPanel(Info->hPanel, [&](TFar3Panel* P) { P->FreeFindData(); }, true);
}

intptr_t WINAPI SetDirectoryW(const SetDirectoryInfo* Info) {
  OnPanel(Info->hPanel, [&](TFar3Panel* P) { P->SetDirectory(Info->Dir); }, true);
  return TRUE;
}

intptr_t WINAPI ProcessPanelInputW(const ProcessPanelInputInfo* Info) {
  intptr_t Result = 0;
  OnPanel(Info->hPanel, [&](TFar3Panel* P) { Result = P->ProcessInput(Info->Rec); }, false);
  return Result;
}

intptr_t WINAPI ProcessPanelEventW(const ProcessPanelEventInfo* Info) {
  intptr_t Result = 0;
  OnPanel(Info->hPanel, [&](TFar3Panel* P) { Result = P->ProcessEvent(Info->Event); }, false);
  return Result;
}

intptr_t WINAPI ConfigureW(const ConfigureInfo* /*Info*/) {
  Guard([] { ShowConfigDialog(); }, false);
  return 0;
}

// On FAR's main thread, for an event a panel's watcher asked for: the panel rereads, unless it
// has been closed since (its number is no open panel's any more).
intptr_t WINAPI ProcessSynchroEventW(const ProcessSynchroEventInfo* Info) {
  TFar3Panel* P = nullptr;
  Guard([&] {
    if (Info->Event == SE_COMMONSYNCHRO) P = OpenPanelOf(Info->Param);
  }, false);
  if (P) OnPanel(P, [](TFar3Panel* Open) { Open->ProcessSynchroEvent(); }, false);
  return 0;
}

void WINAPI ExitFARW(const ExitInfo* /*Info*/) {}

}  // extern "C"
