// The FAR 1.63 stand-in the tests, the demo and the benchmarks include: FarHost and its parts.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "CallLog.h"
#include "Control.h"
#include "FilePanel.h"
#include "LangFile.h"
#include "PluginModule.h"
#include "PluginPanel.h"
#include "RecordChecks.h"
#include "Services.h"
#include "TestRegistry.h"
#include "far163.h"

// FarHost plays FAR as a whole: it loads quenby.dll, serves it FAR's services and drives its
// exports as FAR does, recording every call and checking every record the plugin hands back.
// Its parts live in units named after the FAR parts they stand in for: PluginModule (loading,
// exports, start-up record, calls), Services (GetMsg, Message, Dialog), Control (FCTL commands,
// the deferred close), FilePanel (FAR's file list, the normal file panel), PluginPanel (a
// plugin's panel), RecordChecks (reads of the plugin's memory), TestRegistry and CallLog (what
// the tests read). One FarHost at a time per process: the service functions the plugin calls
// are plain WINAPI functions that find the host through a static pointer.
class FarHost : public farhost::CallLog {
 public:
  using Exports = farhost::PluginExports;
  using FilePanel = farhost::FilePanel;
  using Panel = farhost::PluginPanel;
  using RegValue = farhost::RegistryValue;

  struct Options {
    std::string dllPath;        // Windows path of quenby.dll
    std::string rootKey;        // RootKey text, e.g. TestRootKey("Name")
    int moduleNumber = 0;
    std::string language = "English";  // FAR's interface language: "English" or "Russian"
    std::string languageFolder;  // folder of the .lng files; "" = the DLL's folder
  };

  explicit FarHost(Options options);
  ~FarHost();
  FarHost(const FarHost&) = delete;
  FarHost& operator=(const FarHost&) = delete;

  // "Software\QuenbyTest\<pid>_<name>\Plugins".
  static std::string TestRootKey(const std::string& name);
  // folder + "\quenby.dll" (tests pass QUENBY_PLUGIN_DIR).
  static std::string DllInFolder(const std::string& folder);

  // --- the plugin module (PluginModule.cpp) ---
  // SetFileApisToOEM, LoadLibraryEx and the thirteen exports by undecorated name. False with
  // `lastError` set when the DLL does not load or lacks an export (the DLL is then freed).
  bool Load();
  bool IsLoaded() const { return module_ != nullptr; }
  HMODULE Module() const { return module_; }
  void Unload();  // FreeLibrary (no plugin call); the destructor does this
  // Builds the 336-byte PluginStartupInfo on the stack and calls SetStartupInfo; the stack copy
  // is overwritten afterwards, as a later FAR call would, so a plugin that kept the pointer
  // instead of copying the record reads garbage.
  bool StartUp();
  // Load + StartUp.
  bool LoadAndStart() { return Load() && StartUp(); }
  // Fills the record FAR passes to SetStartupInfo (tests may call the services through it).
  void FillStartupInfo(PluginStartupInfo& info);
  // FAR at exit: ClosePlugin on every open panel, ExitFAR, FreeLibrary.
  void Shutdown();
  bool GetPluginInfo();  // fills pluginInfo; false when not loaded
  // OpenPlugin(from, item); a valid handle becomes a Panel that is made active and read
  // (Reread), as FAR shows it. nullptr for INVALID_HANDLE_VALUE. From 2 (OPEN_FINDLIST) is a
  // recorded failure.
  Panel* OpenPlugin(int openFrom, intptr_t item = 0);
  // OpenPlugin(OPEN_COMMANDLINE, text after the prefix in a 512-byte buffer).
  Panel* OpenCommandLine(const std::string& text);
  // OpenFilePlugin(full name, first bytes of the file (at most dataLimit), their count).
  Panel* OpenFilePlugin(const std::string& name, int dataLimit = 0x20000);
  int Configure(int itemNumber);  // when it returns TRUE every open panel is reread
  void ExitFAR();

  // --- registry under HKCU\<rootKey> (TestRegistry.cpp) ---
  // Removes HKCU\<rootKey> and everything below, then its parent keys as long as they are
  // empty (never "Software" itself). True when the key is gone afterwards.
  bool DeleteRootKey();
  // Raw value `name` under HKCU\<rootKey>\<subKey>; nullopt when the key or value is missing.
  std::optional<RegValue> ReadValue(const std::string& name,
                                    const std::string& subKey = "Quenby") const;
  // Writes a value of any type and any length (the key is created).
  bool WriteValue(const std::string& name, DWORD type, const void* data, std::size_t size,
                  const std::string& subKey = "Quenby");
  bool WriteDword(const std::string& name, DWORD value, const std::string& subKey = "Quenby");
  bool WriteString(const std::string& name, const std::string& value,  // REG_SZ with its NUL
                   const std::string& subKey = "Quenby");
  std::optional<DWORD> ReadDword(const std::string& name,
                                 const std::string& subKey = "Quenby") const;
  // REG_SZ / REG_EXPAND_SZ text without its terminating NUL(s).
  std::optional<std::string> ReadString(const std::string& name,
                                        const std::string& subKey = "Quenby") const;
  bool KeyExists(const std::string& subKey = "Quenby") const;
  std::vector<std::string> ValueNames(const std::string& subKey = "Quenby") const;

  // --- language (Services.cpp) ---
  // Changes FAR's interface language: the loaded messages are dropped (old GetMsg pointers
  // become invalid, as in FAR) and reloaded on the next GetMsg.
  void SetLanguage(const std::string& language);
  const LangFile* Messages();  // loads on first use; nullptr when no .lng file was found

  // --- memory checks used on everything the plugin hands over (RecordChecks.cpp) ---
  static bool IsReadable(const void* p, std::size_t size) { return farhost::IsReadable(p, size); }
  static bool IsWritable(void* p, std::size_t size) { return farhost::IsWritable(p, size); }
  // The NUL-terminated text at p, read only within committed readable memory. False when p is
  // NULL, unreadable, or has no NUL within maxLength characters.
  static bool ReadCString(const char* p, std::string& out, std::size_t maxLength = 1 << 20) {
    return farhost::ReadCString(p, out, maxLength);
  }

  // --- state tests read and set ---
  // Recording (CallLog): Fail, Log, Count, LogSince, failures, onFailure, log.
  Options options;
  std::string fullDllPath;  // ModuleName given to the plugin
  std::string lastError;    // why Load/StartUp failed
  Exports exports;
  PluginInfoCopy pluginInfo;

  std::vector<MessageCall> messages;
  std::deque<int> messageAnswers;                  // next answers; default 0 (-1 with no buttons)
  std::function<void(MessageCall&)> onMessage;     // runs while the box is up; may set answer

  std::vector<DialogCall> dialogs;
  using DialogScript = std::function<int(std::vector<FarDialogItem>& items)>;
  std::deque<DialogScript> dialogScript;  // one per coming Dialog call, used first
  DialogScript dialogAnswer;              // then this one; unset = Escape (-1)

  std::vector<ControlCall> controls;
  std::string commandLine;  // FCTL_INSERTCMDLINE text appended here

  FilePanel filePanel;
  std::vector<std::unique_ptr<Panel>> panels;  // every panel ever opened, closed ones too
  Panel* activePanel = nullptr;  // the active side's plugin panel; nullptr = filePanel
  int getMsgCalls = 0;
  int callDepth = 0;  // plugin calls in progress

  // After ClosePlugin FAR (1.70 on) changes the file panel to the close text. A text that is
  // not an existing folder makes FAR show an error box and stay where it was: a failed check,
  // unless this is set (the demo draws the box). `reason` is FAR's line for it.
  std::function<void(const std::string& text, const std::string& reason)> onChangeDirError;
  // A folder as FAR reports it in PanelInfo.CurDir: no final backslash except on "X:\".
  static std::string PanelDirectory(const std::string& dir) {
    return farhost::PanelDirectory(dir);
  }

  // Looks up an open panel by handle (nullptr when none).
  Panel* FindPanel(HANDLE handle) const;
  // The most recently opened panel that is still open.
  Panel* LastOpenPanel() const;

 private:
  friend struct farhost::FarServices;
  friend class farhost::PluginPanel;
  HMODULE module_ = nullptr;
  std::deque<std::string> rootKeyBuffers_;  // every RootKey handed out stays valid
  std::unique_ptr<LangFile> lang_;
  bool langTried_ = false;
  char emptyText_[1] = {0};
  bool runningDeferred_ = false;
  farhost::PanelInfoBuffer panelInfo_;  // the items FCTL_GETPANELINFO handed out last

  // Plugin calls (PluginModule.cpp): at depth 0 EndCall carries out deferred FCTL_CLOSEPLUGIN.
  void BeginCall() { ++callDepth; }
  void EndCall();
  bool NeedLoaded(const char* what);
  Panel* Adopt(HANDLE h, const char* what);
  void OnPanelClosed(Panel& panel);

  // Control (Control.cpp).
  int RunControl(Panel* panel, const ControlCall& call, const std::string& name, void* param);
  int GetPanelInfo(Panel* panel, const std::string& name, void* param);
  void Redraw(Panel* panel, const ControlCall& call);
  void RunDeferred();
  void ChangeFilePanelDir(const std::string& text);

  std::string RegPath(const std::string& subKey) const;

  // Service implementations (called through the WINAPI functions, which catch everything).
  int DoMessage(int pluginNumber, unsigned flags, const char* help, const char* const* items,
                int itemsNumber, int buttonsNumber);
  int DoDialog(int pluginNumber, int x1, int y1, int x2, int y2, const char* help,
               FarDialogItem* items, int itemsNumber);
  const char* DoGetMsg(int pluginNumber, int msgId);
  int DoControl(HANDLE handle, int command, void* param);
  void Unexpected(const char* service);
};
