// The FAR 3 stand-in the FAR 3 tests include: Far3Host plays FAR 3.0.6730 as a whole around one
// FAR 3 plugin DLL. Its parts: Far3Host.cpp (loading, start-up, the menus and the opening of
// panels, plclass.cpp and plugins.cpp), Far3Services.cpp (the service table, plugapi.cpp:
// Message, GetMsg, AdvControl), Far3PanelControl.cpp (PanelControl, panel.cpp), Far3FileList (the
// file and plugin panels, filelist.cpp), Far3Dialog, Far3SettingsStore, Far3Language, Far3Records.
// One Far3Host at a time per process: the services find it through a static pointer.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "Far3Dialog.h"
#include "Far3Language.h"
#include "Far3FileList.h"
#include "Far3Records.h"
#include "Far3SettingsStore.h"
#include "far3.h"

namespace far3host {

// The exports FAR 3 looks up by name (plclass.cpp m_ExportsNames); NULL when the DLL lacks one.
struct Far3Exports {
  decltype(&GetGlobalInfoW) GetGlobalInfo = nullptr;
  decltype(&SetStartupInfoW) SetStartupInfo = nullptr;
  decltype(&GetPluginInfoW) GetPluginInfo = nullptr;
  decltype(&OpenW) Open = nullptr;
  decltype(&AnalyseW) Analyse = nullptr;
  decltype(&CloseAnalyseW) CloseAnalyse = nullptr;
  decltype(&ClosePanelW) ClosePanel = nullptr;
  decltype(&GetOpenPanelInfoW) GetOpenPanelInfo = nullptr;
  decltype(&GetFindDataW) GetFindData = nullptr;
  decltype(&FreeFindDataW) FreeFindData = nullptr;
  decltype(&SetDirectoryW) SetDirectory = nullptr;
  decltype(&ProcessPanelInputW) ProcessPanelInput = nullptr;
  decltype(&ProcessPanelEventW) ProcessPanelEvent = nullptr;
  decltype(&ConfigureW) Configure = nullptr;
  decltype(&ExitFARW) ExitFAR = nullptr;
  decltype(&ProcessSynchroEventW) ProcessSynchroEvent = nullptr;
};

// One Message call: the box as FAR 3 builds it, and the scripted answer.
struct MessageCall {
  GUID id{};
  FARMESSAGEFLAGS flags = 0;
  std::wstring helpTopic;
  std::wstring title;
  std::vector<std::wstring> lines, buttons;
  intptr_t answer = -1;
};

// One PanelControl call.
struct ControlCall {
  HANDLE handle = nullptr;
  int command = 0;
  intptr_t param1 = 0;
  bool param2Null = true;
  std::wstring text;  // FCTL_CLOSEPANEL, FCTL_SETCMDLINE, FCTL_INSERTCMDLINE
  bool hasRedraw = false;
  std::size_t redrawCurrent = 0, redrawTop = 0;
  intptr_t result = 0;
};

class Far3Host : public farhost::CallLog {
 public:
  struct Options {
    std::wstring dllPath;                 // Windows path of the FAR 3 quenby.dll
    std::wstring language = L"English";   // FAR's interface language
  };

  explicit Far3Host(Options options);
  ~Far3Host();
  Far3Host(const Far3Host&) = delete;
  Far3Host& operator=(const Far3Host&) = delete;

  // --- the plugin module (Far3Host.cpp) ---
  // LoadLibraryW, the exports, GetGlobalInfoW and FAR's checks of it. False with lastError.
  bool Load();
  // SetStartupInfoW with a PluginStartupInfo and FarStandardFunctions on the stack, both
  // overwritten afterwards (FAR's are locals of Plugin::Load).
  bool StartUp();
  bool LoadAndStart() { return Load() && StartUp(); }
  bool IsLoaded() const { return module_ != nullptr; }
  HMODULE Module() const { return module_; }
  // FAR at exit: ClosePanelW on every open panel, ExitFARW, FreeLibrary; then the dialogs and
  // settings handles left behind are reported.
  void Shutdown();
  void Unload();  // FreeLibrary only
  bool GetPluginInfo();

  // --- opening (plugins.cpp, diskmenu.cpp, filelist.cpp ProcessEnter) ---
  // The plugins menu (F11): OpenW(OPEN_PLUGINSMENU, the item's GUID). nullptr: no panel.
  Far3PluginPanel* OpenFromPluginsMenu(std::size_t item = 0);
  // The disks menu (Alt+F1 left / Alt+F2 right): the item's GUID; nullptr: no panel, or the
  // plugin offers no disks-menu item (then a recorded failure).
  Far3PluginPanel* OpenFromDisksMenu(bool left = true, std::size_t item = 0);
  // Enter on a file of the file panel: AnalyseW on its first 128 KB, then OpenW(OPEN_ANALYSE).
  // nullptr when the plugin did not take the file (FAR then handles it itself).
  Far3PluginPanel* EnterOnFile(const std::wstring& path);
  intptr_t Configure(std::size_t item = 0);  // ConfigureW with the configuration item's GUID
  void ExitFAR();

  // --- synchro events (ACTL_SYNCHRO), delivered on this thread as FAR's main loop does ---
  std::size_t DeliverSynchroEvents();
  std::size_t PendingSynchroEvents();
  // FAR's main loop for `ms` with no key pressed (Far3MainLoop.cpp): the synchro events are
  // delivered as they arrive, as FAR's wait for input dispatches them (keyboard.cpp). Returns
  // the events delivered.
  std::size_t RunMainLoop(DWORD ms);
  // The same until `done` holds (tested first, then after every delivery); false when the time
  // ran out first.
  bool RunMainLoopUntil(const std::function<bool()>& done, DWORD ms);

  // --- state the tests read and set ---
  Options options;
  std::wstring fullDllPath;
  std::string lastError;
  Far3Exports exports;
  GlobalInfoCopy globalInfo;
  PluginInfoCopy pluginInfo;
  Far3SettingsStore settings{*this};
  Far3Dialogs dialogs{*this};
  std::vector<MessageCall> messages;
  std::deque<intptr_t> messageAnswers;              // next answers; default the first button
  std::function<void(MessageCall&)> onMessage;      // runs while the box is up
  std::vector<ControlCall> controls;
  std::wstring commandLine;
  Far3FilePanel filePanel;
  std::vector<std::unique_ptr<Far3PluginPanel>> panels;  // every panel opened, closed ones too
  Far3PluginPanel* activePanel = nullptr;                // the plugin panel shown; nullptr = filePanel
  int callDepth = 0;
  int analyseHandlesOpen = 0;  // AnalyseW handles handed to OpenW, which must release them

  Far3PluginPanel* FindPanel(HANDLE handle) const;
  Far3PluginPanel* LastOpenPanel() const;
  const GUID& PluginGuid() const { return globalInfo.guid; }
  const Far3LangFile* Messages();  // GetMsg's file, loaded on first use

 private:
  friend struct Far3ServiceTable;
  friend class Far3PluginPanel;
  HMODULE module_ = nullptr;
  std::unique_ptr<Far3LangFile> lang_;
  bool langTried_ = false;
  std::mutex synchroMutex_;
  std::deque<std::pair<GUID, void*>> synchro_;  // message_manager's queue: the event id, Param
  std::condition_variable synchroArrived_;     // main_loop_process_messages: FAR's loop wakes

  void BeginCall() { ++callDepth; }
  void EndCall() { --callDepth; }
  bool NeedLoaded(const char* what);
  Far3PluginPanel* Adopt(HANDLE h, const std::wstring& hostFile, bool sendFocus, const char* what);

  // Services (Far3Services.cpp, Far3PanelControl.cpp).
  intptr_t DoMessage(const GUID* pluginId, const GUID* id, FARMESSAGEFLAGS flags,
                     const wchar_t* help, const wchar_t* const* items, std::size_t count,
                     intptr_t buttons);
  const wchar_t* DoGetMsg(const GUID* pluginId, intptr_t id);
  intptr_t DoAdvControl(const GUID* pluginId, int command, intptr_t param1, void* param2);
  intptr_t DoPanelControl(HANDLE panel, int command, intptr_t param1, void* param2);
  intptr_t PanelCommand(Far3PluginPanel* panel, ControlCall& call, intptr_t param1, void* param2);
  intptr_t GetPanelInfo(Far3PluginPanel* panel, void* param2);
  intptr_t GetPanelItem(Far3PluginPanel* panel, int command, intptr_t index, void* param2);
  intptr_t GetPanelDirectory(Far3PluginPanel* panel, intptr_t size, void* param2);
  bool IsPluginGuid(const GUID* id, const char* what);
  void Unexpected(const char* service);
};

// "Z:\...\quenby.dll" folder + file helpers for the tests.
std::wstring FolderOf(const std::wstring& path);

}  // namespace far3host
