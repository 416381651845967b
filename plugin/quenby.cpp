// The thirteen functions FAR calls. Each turns the panel handle back into the panel and hands
// the work on; the barriers keep every failure away from FAR.
#include <cstring>
#include <string>
#include <vector>
#include "Barrier.h"
#include "Config.h"
#include "FARIntf.h"
#include "FARLang.h"
#include "far163.h"
#include "nbumail.h"

namespace {

const char* DiskMenuString;
const char* PluginMenuString;
const char* ConfigMenuString;
char OpenFileName[256];  // the name OpenFilePlugin accepted: 255 characters and a zero

const int OpenFromFile = OPEN_FINDLIST;  // FAR sends 2 only to plugins exporting SetFindList

TNbumail* Panel(HANDLE hPlugin) { return static_cast<TNbumail*>(hPlugin); }

// An OEM text as upper-case Unicode; false when a byte is no character of the OEM code page.
bool OemUpperCase(const std::string& Text, std::vector<wchar_t>& Wide) {
  Wide.clear();
  if (Text.empty()) return true;
  const int Size = static_cast<int>(Text.size());
  int Length = MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, Text.data(), Size, nullptr, 0);
  if (Length <= 0) return false;
  Wide.resize(static_cast<size_t>(Length));
  MultiByteToWideChar(CP_OEMCP, MB_ERR_INVALID_CHARS, Text.data(), Size, Wide.data(), Length);
  CharUpperBuffW(Wide.data(), static_cast<DWORD>(Length));
  return true;
}

// FAR hands names and the dialog's texts in the OEM code page: compared as the characters they
// are there, so that OEM "вфс" matches "ВФС", and no ANSI folding of the bytes turns OEM "Θ"
// into "╔". Bytes the code page cannot read must be the same bytes.
bool SameTextIgnoringCase(const std::string& A, const std::string& B) {
  // A vector, not std::wstring: the library's own wide string is built with C++ exceptions.
  std::vector<wchar_t> WideA, WideB;
  if (!OemUpperCase(A, WideA) || !OemUpperCase(B, WideB)) return A == B;
  return WideA == WideB;
}

// The extension of a name: from the last dot after the last '\' and ':', dot included.
std::string Extension(const std::string& Name) {
  size_t Dot = LastCharOf(Name, ".");
  size_t Separator = LastCharOf(Name, "\\:");
  if (Dot == std::string::npos || (Separator != std::string::npos && Dot < Separator)) return "";
  return Name.substr(Dot);
}

HANDLE CreatePanel(const std::string& FileName) {
  HANDLE Result = INVALID_HANDLE_VALUE;
  Guard([&] { Result = new TNbumail(FileName); }, true);
  return Result;
}

// Opening: a missing list file shows a warning and the configuration dialog instead.
HANDLE OpenPanel(int OpenFrom) {
  std::string Configured = BlockText(Settings.FileSystemFile, sizeof(Settings.FileSystemFile));
  if (!FileExists(Configured)) {
    FarMessage(FMSG_WARNING, "VFSNotExist", {MError, MVFSNotExist1, MVFSNotExist2, MOk}, 1);
    ShowConfigDialog();
    return INVALID_HANDLE_VALUE;
  }
  return CreatePanel(OpenFrom == OpenFromFile ? std::string(OpenFileName) : Configured);
}

}  // namespace

extern "C" {

void WINAPI SetStartupInfo(const PluginStartupInfo* Info) {
  Guard([&] {
    memcpy(&StartupInfo, Info, sizeof(StartupInfo));
    PluginKey = std::string(StartupInfo.RootKey ? StartupInfo.RootKey : "") + "\\Quenby";
    ModuleFileName.assign(StartupInfo.ModuleName,
                          strnlen(StartupInfo.ModuleName, sizeof(StartupInfo.ModuleName)));
    LoadSettings();
  }, false);
}

void WINAPI GetPluginInfo(PluginInfo* Info) {
  Guard([&] {
    Info->StructSize = sizeof(PluginInfo);
    Info->Flags = 0;
    if (Settings.AddToDisksMenu == 1) {
      DiskMenuString = FarGetMsg(MPluginName);
      Info->DiskMenuStrings = &DiskMenuString;
      Info->DiskMenuNumbers = &Settings.DisksMenuDigit;
      Info->DiskMenuStringsNumber = 1;
    }
    PluginMenuString = FarGetMsg(MPluginName);
    Info->PluginMenuStrings = &PluginMenuString;
    Info->PluginMenuStringsNumber = 1;
    ConfigMenuString = FarGetMsg(MPluginName);
    Info->PluginConfigStrings = &ConfigMenuString;
    Info->PluginConfigStringsNumber = 1;
    Info->CommandPrefix = nullptr;
  }, false);
}

HANDLE WINAPI OpenPlugin(int OpenFrom, int /*Item*/) {
  HANDLE Result = INVALID_HANDLE_VALUE;
  Guard([&] { Result = OpenPanel(OpenFrom); }, false);
  return Result;
}

HANDLE WINAPI OpenFilePlugin(char* Name, const unsigned char* /*Data*/, int /*DataSize*/) {
  HANDLE Result = INVALID_HANDLE_VALUE;
  Guard([&] {
    std::string Given = Name ? Name : "";
    std::string Wanted =
        "." + BlockText(Settings.FileSystemExt, sizeof(Settings.FileSystemExt));
    if (!SameTextIgnoringCase(Extension(Given), Wanted)) return;
    size_t Length = Given.size() < sizeof(OpenFileName) - 1 ? Given.size() : sizeof(OpenFileName) - 1;
    memcpy(OpenFileName, Given.data(), Length);
    OpenFileName[Length] = 0;
    if (!Guard([&] { Result = OpenPanel(OpenFromFile); }, true)) Result = INVALID_HANDLE_VALUE;
  }, false);
  return Result;
}

void WINAPI ClosePlugin(HANDLE hPlugin) {
  Guard([&] { delete Panel(hPlugin); }, true);
}

void WINAPI GetOpenPluginInfo(HANDLE hPlugin, OpenPluginInfo* Info) {
  Guard([&] { Panel(hPlugin)->GetOpenPluginInfo(Info); }, true);
}

int WINAPI GetFindData(HANDLE hPlugin, PluginPanelItem** pPanelItem, int* pItemsNumber,
                       int /*OpMode*/) {
  GuardAndReport([&](TCaughtException& Failure) {
                   Panel(hPlugin)->GetFindData(pPanelItem, pItemsNumber, Failure);
                 },
                 [&](const TCaughtException& Caught) { Panel(hPlugin)->ReportReadFailure(Caught); });
  return TRUE;
}

void WINAPI FreeFindData(HANDLE hPlugin, PluginPanelItem* /*PanelItem*/, int /*ItemsNumber*/) {
  Guard([&] { Panel(hPlugin)->FreeFindData(); }, true);
}

int WINAPI SetDirectory(HANDLE hPlugin, const char* Dir, int /*OpMode*/) {
  Guard([&] { Panel(hPlugin)->SetDirectory(Dir); }, true);
  return TRUE;
}

int WINAPI ProcessKey(HANDLE hPlugin, int Key, unsigned int ControlState) {
  int Result = 0;
  Guard([&] { Result = Panel(hPlugin)->ProcessKey(Key, ControlState); }, false);
  return Result;
}

int WINAPI ProcessEvent(HANDLE hPlugin, int Event, void* Param) {
  int Result = 0;
  Guard([&] { Result = Panel(hPlugin)->ProcessEvent(Event, Param); }, false);
  return Result;
}

int WINAPI Configure(int /*ItemNumber*/) {
  Guard([] { ShowConfigDialog(); }, false);
  return 0;
}

void WINAPI ExitFAR() {}

}  // extern "C"
