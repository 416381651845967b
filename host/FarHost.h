// The FAR 1.63 stand-in: loads quenby.dll, hands it FAR's service table and drives its exports
// the way FAR does, recording every service call and checking every record the plugin hands
// back. Used by the tests, the demo and the benchmarks. One FarHost at a time per process: the
// service functions the plugin calls are plain WINAPI functions that find the host through a
// static pointer.
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "LangFile.h"
#include "far163.h"

// FAR's own copy of one panel item (what it keeps from a PluginPanelItem after GetFindData).
struct HostItem {
  std::string name;       // cFileName
  std::string shortName;  // cAlternateFileName
  std::string description;
  bool hasDescription = false;  // Description was not NULL
  std::string owner;
  bool hasOwner = false;
  DWORD attributes = 0;
  FILETIME creationTime{}, lastAccessTime{}, lastWriteTime{};
  unsigned long long fileSize = 0;  // nFileSizeHigh:nFileSizeLow
  unsigned long long packSize = 0;  // PackSizeHigh:PackSize
  DWORD flags = 0;                  // PluginPanelItem.Flags as the plugin gave them
  DWORD numberOfLinks = 0;
  DWORD userData = 0;                         // the plain value (or the plugin's pointer)
  std::vector<unsigned char> userDataBlock;   // FAR's copy of the block when PPIF_USERDATA
  std::vector<std::string> customColumns;     // CustomColumnData
  bool selected = false;
  bool addedDots = false;  // the ".." FAR adds itself for OPIF_ADDDOTS
  int position = -1;       // index in the plugin's GetFindData array (-1 for FAR's "..")

  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A plain item for a test's file panel model.
  static HostItem Make(const std::string& name, DWORD attributes = 0,
                       const std::string& description = std::string());
};

// FAR's copy of an OpenPluginInfo, taken right after GetOpenPluginInfo returned. FAR turns NULL
// texts into "".
struct OpenInfo {
  OpenPluginInfo raw{};  // the record itself; its pointers are the plugin's and may go stale
  DWORD flags = 0;
  std::string hostFile, curDir, format, panelTitle, shortcutData;
  struct InfoLine {
    std::string text, data;
    bool separator = false;
  };
  std::vector<InfoLine> infoLines;
  std::vector<std::string> descrFiles;
  struct Mode {
    bool hasColumns = false;  // ColumnTypes and ColumnWidths both non-NULL (FAR uses the mode)
    std::string columnTypes, columnWidths, statusColumnTypes, statusColumnWidths;
    bool hasStatusColumns = false;
    std::vector<std::optional<std::string>> columnTitles;  // empty when ColumnTitles is NULL
    int fullScreen = 0, detailedStatus = 0, alignExtensions = 0, caseConversion = 0;
  };
  std::vector<Mode> panelModes;
  int startPanelMode = 0, startSortMode = 0, startSortOrder = 0;
  bool hasKeyBar = false;
  // 48 labels: F1..F12, then Ctrl, Alt and Shift rows. nullopt = NULL (FAR keeps its label).
  std::array<std::optional<std::string>, 48> keyBar;

  enum KeyRow { Plain = 0, Ctrl = 1, Alt = 2, Shift = 3 };
  // Label of F<fkey> (1..12) in a row; nullopt when there is no key bar or the entry is NULL.
  std::optional<std::string> KeyLabel(KeyRow row, int fkey) const;
};

// FAR's copy of a PluginInfo after GetPluginInfo.
struct PluginInfoCopy {
  int structSize = 0;
  DWORD flags = 0;
  std::vector<std::string> diskMenuStrings;
  std::vector<int> diskMenuNumbers;  // empty when DiskMenuNumbers is NULL
  std::vector<std::string> pluginMenuStrings;
  std::vector<std::string> pluginConfigStrings;
  bool hasCommandPrefix = false;
  std::string commandPrefix;
};

struct MessageCall {
  int pluginNumber = 0;
  unsigned flags = 0;
  bool helpTopicNull = true;
  std::string helpTopic;
  int itemsNumber = 0;
  int buttonsNumber = 0;
  std::vector<std::string> items;  // every item text (a NULL item is recorded as "")
  int answer = 0;                  // what the host returned

  std::string Title() const { return items.empty() ? std::string() : items[0]; }
  std::vector<std::string> Lines() const;    // body lines between the title and the buttons
  std::vector<std::string> Buttons() const;  // the last buttonsNumber items
};

struct DialogCall {
  int pluginNumber = 0;
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool helpTopicNull = true;
  std::string helpTopic;
  int itemsNumber = 0;
  std::vector<FarDialogItem> items;   // copies as the plugin passed them in
  std::vector<FarDialogItem> result;  // as the scripted user left them
  int answer = -1;                    // closing item index returned

  std::string Data(int index) const;        // items[index].Data as a string
  std::string ResultData(int index) const;  // result[index].Data as a string
};

struct ControlCall {
  HANDLE handle = nullptr;
  int command = 0;
  bool paramNull = true;
  bool filePanel = false;  // the call addressed the file panel model, not a plugin panel
  std::string text;        // FCTL_CLOSEPLUGIN / FCTL_INSERTCMDLINE text (NULL recorded as "")
  bool hasRedraw = false;  // FCTL_REDRAWPANEL with a PanelRedrawInfo
  PanelRedrawInfo redraw{};
  int result = FALSE;
};

class FarHost {
 public:
  struct Options {
    std::string dllPath;        // Windows path of quenby.dll
    std::string rootKey;        // RootKey text, e.g. TestRootKey("Name")
    int moduleNumber = 0;
    std::string language = "English";  // FAR's interface language: "English" or "Russian"
    std::string languageFolder;  // folder of the .lng files; "" = the DLL's folder
  };

  // Addresses of the thirteen exports, all non-null after a successful Load().
  struct Exports {
    PFN_SetStartupInfo SetStartupInfo = nullptr;
    PFN_GetPluginInfo GetPluginInfo = nullptr;
    PFN_OpenPlugin OpenPlugin = nullptr;
    PFN_OpenFilePlugin OpenFilePlugin = nullptr;
    PFN_ClosePlugin ClosePlugin = nullptr;
    PFN_GetOpenPluginInfo GetOpenPluginInfo = nullptr;
    PFN_GetFindData GetFindData = nullptr;
    PFN_FreeFindData FreeFindData = nullptr;
    PFN_SetDirectory SetDirectory = nullptr;
    PFN_ProcessKey ProcessKey = nullptr;
    PFN_ProcessEvent ProcessEvent = nullptr;
    PFN_Configure Configure = nullptr;
    PFN_ExitFAR ExitFAR = nullptr;
  };

  // The normal file panel of the active side, as the test sets it up. FCTL_GETPANELINFO with
  // INVALID_HANDLE_VALUE describes it while no plugin panel is active.
  struct FilePanel {
    // The folder shown. FAR reports it as GetCurrentDirectory gives it: a drive root ends with
    // a backslash, a sub-folder does not (PanelDirectory), whatever form the test wrote here.
    std::string curDir;
    std::vector<HostItem> items;
    int currentItem = 0;
    int topPanelItem = 0;
    std::optional<std::string> pendingClose;  // an FCTL_CLOSEPLUGIN addressed to it
    void Add(const std::string& name, DWORD attributes = 0) {
      items.push_back(HostItem::Make(name, attributes));
    }
  };

  // FAR's model of one plugin panel (one handle the plugin returned). Every method that calls
  // the plugin checks what comes back, then carries out a deferred FCTL_CLOSEPLUGIN.
  class Panel {
   public:
    FarHost& host;
    HANDLE handle;
    bool closed = false;
    std::string closedTo;  // the FCTL_CLOSEPLUGIN text that closed it ("" otherwise)

    bool hasInfo = false;
    OpenInfo info;  // last GetOpenPluginInfo
    std::vector<HostItem> items;  // FAR's list: sorted, with FAR's ".." when it adds one
    int currentItem = 0;
    int topPanelItem = 0;
    int pageSize = 18;  // items on screen (rows x columns), for FAR's cursor clamping
    int sortMode = SM_NAME;  // FAR's default; StartSortMode replaces it when the panel opens
    bool sortReverse = false;
    bool sortApplied = false;  // StartSortMode already taken from the first OpenPluginInfo
    int findDataCalls = 0;
    PluginPanelItem* lastFindData = nullptr;  // the plugin's last array (already freed)
    int lastFindDataCount = 0;
    std::optional<std::string> pendingClose;

    Panel(FarHost& h, HANDLE handle) : host(h), handle(handle) {}
    Panel(const Panel&) = delete;
    Panel& operator=(const Panel&) = delete;

    // --- single plugin calls, checked ---
    bool GetOpenPluginInfo();  // false when the panel is closed
    // GetOpenPluginInfo + GetFindData(opMode) + copy + FreeFindData, as FAR's update. False when
    // GetFindData failed (FAR then closes the panel: ClosePlugin without FE_CLOSE) or the panel
    // is closed. The cursor stays on the same name if it is still there, else is clamped.
    // keepSelection: the previous selection is carried over by name (FAR's update with a
    // non-NULL FCTL_UPDATEPANEL Param); items with PPIF_SELECTED are selected either way.
    bool Reread(int opMode = 0, bool keepSelection = false);
    int SetDirectory(const std::string& dir, int opMode = 0);
    int ProcessKey(int key, unsigned controlState = 0);
    int ProcessEvent(int event, void* param = nullptr);
    // FE_COMMAND / FE_CHANGEVIEWMODE style events: `text` is passed in a buffer the host owns.
    int ProcessEventText(int event, const std::string& text);
    void ClosePlugin();  // ClosePlugin alone; marks the panel closed

    // --- FAR's own actions ---
    // FE_CLOSE, then ClosePlugin unless the plugin refused. True when the panel was closed.
    bool Close();
    // FAR's ChangeDir: GetOpenPluginInfo; ".." with an empty CurDir closes the panel (FE_CLOSE,
    // ClosePlugin); otherwise SetDirectory(dir), update, and the cursor goes to the folder just
    // left (for "..") or to the top. Returns SetDirectory's result (0 when the panel closed).
    int ChangeDir(const std::string& dir);
    // A key as FAR handles it on a plugin panel: ProcessKey; if the plugin returns FALSE, FAR's
    // own action (cursor keys, Enter, Ctrl-PgUp = "..", Ctrl-PgDn = enter folder, Ctrl-R =
    // reread). Returns ProcessKey's result.
    int Key(int key, unsigned controlState = 0);
    int Enter() { return Key(VK_RETURN, 0); }
    // FAR's action for Enter on the current item without asking the plugin: a folder (attribute
    // FILE_ATTRIBUTE_DIRECTORY, which FAR's ".." has) goes through ChangeDir(name); a file is
    // only logged ("Enter:file(name)"). False when nothing changed directory.
    bool EnterDefault();

    // --- the model ---
    const HostItem* Current() const;
    int Find(const std::string& name) const;  // index of an item, case-insensitive, or -1
    bool SetCurrent(const std::string& name);  // false when there is no such item
    void SetCurrent(int index, int top = -1);  // clamped as FAR clamps (top -1: keep)
    void CorrectPosition();
    std::vector<std::string> Names() const;
    bool IsActive() const { return host.activePanel == this; }

   private:
    friend class FarHost;
    bool inGetInfo_ = false;
    bool inReread_ = false;
    bool ReadOnce(int opMode, bool keepSelection);
    void Arrange(const std::string& oldName, int oldIndex);
  };

  explicit FarHost(Options options);
  ~FarHost();
  FarHost(const FarHost&) = delete;
  FarHost& operator=(const FarHost&) = delete;

  // "Software\QuenbyTest\<pid>_<name>\Plugins".
  static std::string TestRootKey(const std::string& name);
  // folder + "\quenby.dll" (tests pass QUENBY_PLUGIN_DIR).
  static std::string DllInFolder(const std::string& folder);

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

  // --- plugin calls that are not about one panel ---
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

  // --- registry under HKCU\<rootKey> ---
  struct RegValue {
    DWORD type = REG_NONE;
    std::vector<BYTE> data;
  };
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

  // --- language ---
  // Changes FAR's interface language: the loaded messages are dropped (old GetMsg pointers
  // become invalid, as in FAR) and reloaded on the next GetMsg.
  void SetLanguage(const std::string& language);
  const LangFile* Messages();  // loads on first use; nullptr when no .lng file was found

  // --- memory checks used on everything the plugin hands over ---
  static bool IsReadable(const void* p, std::size_t size);
  static bool IsWritable(void* p, std::size_t size);
  // The NUL-terminated text at p, read only within committed readable memory. False when p is
  // NULL, unreadable, or has no NUL within maxLength characters.
  static bool ReadCString(const char* p, std::string& out, std::size_t maxLength = 1 << 20);

  // --- recording ---
  void Fail(const std::string& what);  // records a failure and calls onFailure
  void Log(const std::string& event) { log.push_back(event); }
  // Entries equal to `event` or starting with `event` + "(".
  int Count(const std::string& event) const;
  std::vector<std::string> LogSince(std::size_t mark) const;

  // --- state tests read and set ---
  Options options;
  std::string fullDllPath;  // ModuleName given to the plugin
  std::string lastError;    // why Load/StartUp failed
  Exports exports;
  PluginInfoCopy pluginInfo;

  std::vector<std::string> failures;                    // must stay empty in a passing test
  std::function<void(const std::string&)> onFailure;    // e.g. ADD_FAILURE in tests
  std::vector<std::string> log;  // ordered plugin calls and service calls (see the summary)

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
  static std::string PanelDirectory(const std::string& dir);

  // Looks up an open panel by handle (nullptr when none).
  Panel* FindPanel(HANDLE handle) const;
  // The most recently opened panel that is still open.
  Panel* LastOpenPanel() const;

 private:
  friend struct FarServices;
  HMODULE module_ = nullptr;
  std::vector<std::unique_ptr<char[]>> rootKeyBuffers_;  // every RootKey handed out stays valid
  std::unique_ptr<LangFile> lang_;
  bool langTried_ = false;
  char emptyText_[1] = {0};
  bool runningDeferred_ = false;
  // FAR's copy of a panel's items handed out by FCTL_GETPANELINFO (valid until the next one).
  std::vector<PluginPanelItem> infoItems_;
  std::vector<PluginPanelItem> infoSelected_;
  std::vector<std::unique_ptr<char[]>> infoStrings_;
  std::vector<std::unique_ptr<char*[]>> infoColumns_;

  void BeginCall() { ++callDepth; }
  void EndCall();  // at depth 0 carries out deferred FCTL_CLOSEPLUGIN commands
  void RunDeferred();
  void ChangeFilePanelDir(const std::string& text);
  Panel* Adopt(HANDLE h, const char* what);
  void OnPanelClosed(Panel& panel);
  bool NeedLoaded(const char* what);
  char* Keep(const std::string& s);  // a copy that lives until the next PanelInfo
  void FillPluginItem(const HostItem& item, PluginPanelItem& out);
  void FillPanelInfo(PanelInfo& pi, const std::vector<HostItem>& items, int current, int top,
                     const std::string& curDir, bool plugin, int sortMode);
  std::string RegPath(const std::string& subKey) const;

  // Service implementations (called through the WINAPI thunks, which catch everything).
  int DoMessage(int pluginNumber, unsigned flags, const char* help, const char* const* items,
                int itemsNumber, int buttonsNumber);
  int DoDialog(int pluginNumber, int x1, int y1, int x2, int y2, const char* help,
               FarDialogItem* items, int itemsNumber);
  const char* DoGetMsg(int pluginNumber, int msgId);
  int DoControl(HANDLE handle, int command, void* param);
  void Unexpected(const char* service);
};
