// FAR 3's services to a plugin: messages, dialogs, settings, advanced control, the service
// table, and the exports' prototypes (far3.h).
#pragma once

#include "far3records.h"

// ---- Messages and dialogs --------------------------------------------------------------------

typedef unsigned long long FARMESSAGEFLAGS;
constexpr FARMESSAGEFLAGS FMSG_WARNING = 0x0000000000000001ULL;
constexpr FARMESSAGEFLAGS FMSG_ERRORTYPE = 0x0000000000000002ULL;
constexpr FARMESSAGEFLAGS FMSG_KEEPBACKGROUND = 0x0000000000000004ULL;
constexpr FARMESSAGEFLAGS FMSG_LEFTALIGN = 0x0000000000000008ULL;
constexpr FARMESSAGEFLAGS FMSG_ALLINONE = 0x0000000000000010ULL;
constexpr FARMESSAGEFLAGS FMSG_MB_OK = 0x0000000000010000ULL;
constexpr FARMESSAGEFLAGS FMSG_MB_OKCANCEL = 0x0000000000020000ULL;
constexpr FARMESSAGEFLAGS FMSG_MB_ABORTRETRYIGNORE = 0x0000000000030000ULL;
constexpr FARMESSAGEFLAGS FMSG_MB_YESNO = 0x0000000000040000ULL;
constexpr FARMESSAGEFLAGS FMSG_MB_YESNOCANCEL = 0x0000000000050000ULL;
constexpr FARMESSAGEFLAGS FMSG_MB_RETRYCANCEL = 0x0000000000060000ULL;
constexpr FARMESSAGEFLAGS FMSG_NONE = 0;

enum FARDIALOGITEMTYPES {
  DI_TEXT = 0,
  DI_VTEXT = 1,
  DI_SINGLEBOX = 2,
  DI_DOUBLEBOX = 3,
  DI_EDIT = 4,
  DI_PSWEDIT = 5,
  DI_FIXEDIT = 6,
  DI_BUTTON = 7,
  DI_CHECKBOX = 8,
  DI_RADIOBUTTON = 9,
  DI_COMBOBOX = 10,
  DI_LISTBOX = 11,
  DI_USERCONTROL = 255,
};

typedef unsigned long long FARDIALOGITEMFLAGS;
constexpr FARDIALOGITEMFLAGS DIF_BOXCOLOR = 0x0000000000000200ULL;
constexpr FARDIALOGITEMFLAGS DIF_GROUP = 0x0000000000000400ULL;
constexpr FARDIALOGITEMFLAGS DIF_LEFTTEXT = 0x0000000000000800ULL;
constexpr FARDIALOGITEMFLAGS DIF_MOVESELECT = 0x0000000000001000ULL;
constexpr FARDIALOGITEMFLAGS DIF_SHOWAMPERSAND = 0x0000000000002000ULL;
constexpr FARDIALOGITEMFLAGS DIF_CENTERGROUP = 0x0000000000004000ULL;
constexpr FARDIALOGITEMFLAGS DIF_NOBRACKETS = 0x0000000000008000ULL;
constexpr FARDIALOGITEMFLAGS DIF_SEPARATOR = 0x0000000000010000ULL;
constexpr FARDIALOGITEMFLAGS DIF_SEPARATOR2 = 0x0000000000020000ULL;
constexpr FARDIALOGITEMFLAGS DIF_HISTORY = 0x0000000000040000ULL;
constexpr FARDIALOGITEMFLAGS DIF_CENTERTEXT = 0x0000000000040000ULL;
constexpr FARDIALOGITEMFLAGS DIF_MASKEDIT = 0x0000000000400000ULL;
constexpr FARDIALOGITEMFLAGS DIF_EDITPATH = 0x0000000001000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_HIDDEN = 0x0000000010000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_READONLY = 0x0000000020000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_NOFOCUS = 0x0000000040000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_DISABLE = 0x0000000080000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_DEFAULTBUTTON = 0x0000000100000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_FOCUS = 0x0000000200000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_RIGHTTEXT = 0x0000000400000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_WORDWRAP = 0x0000000800000000ULL;
constexpr FARDIALOGITEMFLAGS DIF_NONE = 0;

enum FARMESSAGE {
  DM_FIRST = 0,
  DM_CLOSE = 1,
  DM_GETTEXT = 7,
  DM_SETTEXTPTR = 22,
  DM_GETCHECK = 25,
  DM_SETCHECK = 26,
  DM_GETCONSTTEXTPTR = 63,
  DN_FIRST = 4096,
  DN_BTNCLICK = 4097,
  DN_INITDIALOG = 4108,
  DN_CLOSE = 4117,
};

enum FARCHECKEDSTATE {
  BSTATE_UNCHECKED = 0,
  BSTATE_CHECKED = 1,
  BSTATE_3STATE = 2,
  BSTATE_TOGGLE = 3,
};

struct FarList;
struct FAR_CHAR_INFO;

struct FarDialogItem {
  FARDIALOGITEMTYPES Type;
  intptr_t X1, Y1, X2, Y2;
  union {
    intptr_t Selected;
    FarList* ListItems;
    FAR_CHAR_INFO* VBuf;
    intptr_t Reserved0;
  };
  const wchar_t* History;
  const wchar_t* Mask;
  FARDIALOGITEMFLAGS Flags;
  const wchar_t* Data;
  size_t MaxLength;  // without the terminating 0; 0: no limit
  intptr_t UserData;
  intptr_t Reserved[2];
};

struct FarDialogItemData {
  size_t StructSize;
  size_t PtrLength;
  wchar_t* PtrData;
};

typedef unsigned long long FARDIALOGFLAGS;
constexpr FARDIALOGFLAGS FDLG_WARNING = 0x0000000000000001ULL;
constexpr FARDIALOGFLAGS FDLG_SMALLDIALOG = 0x0000000000000002ULL;
constexpr FARDIALOGFLAGS FDLG_NODRAWSHADOW = 0x0000000000000004ULL;
constexpr FARDIALOGFLAGS FDLG_NODRAWPANEL = 0x0000000000000008ULL;
constexpr FARDIALOGFLAGS FDLG_KEEPCONSOLETITLE = 0x0000000000000010ULL;
constexpr FARDIALOGFLAGS FDLG_NONMODAL = 0x0000000000000020ULL;
constexpr FARDIALOGFLAGS FDLG_STAY_ON_TOP = 0x0000000000000040ULL;
constexpr FARDIALOGFLAGS FDLG_NONE = 0;

// ---- Settings --------------------------------------------------------------------------------

enum FAR_SETTINGS_CONTROL_COMMANDS {
  SCTL_CREATE = 0,
  SCTL_FREE = 1,
  SCTL_SET = 2,
  SCTL_GET = 3,
  SCTL_ENUM = 4,
  SCTL_DELETE = 5,
  SCTL_CREATESUBKEY = 6,
  SCTL_OPENSUBKEY = 7,
};

enum FARSETTINGSTYPES {
  FST_UNKNOWN = 0,
  FST_SUBKEY = 1,
  FST_QWORD = 2,
  FST_STRING = 3,
  FST_DATA = 4,
};

enum FARSETTINGS_SUBFOLDERS {
  FSSF_ROOT = 0,
};

enum FAR_PLUGIN_SETTINGS_LOCATION {
  PSL_ROAMING = 0,
  PSL_LOCAL = 1,
};

struct FarSettingsCreate {
  size_t StructSize;
  GUID Guid;
  HANDLE Handle;
};

struct FarSettingsItem {
  size_t StructSize;
  size_t Root;
  const wchar_t* Name;
  FARSETTINGSTYPES Type;
  union {
    unsigned long long Number;
    const wchar_t* String;
    struct {
      size_t Size;
      const void* Data;
    } Data;
  };
};

struct FarSettingsValue {
  size_t StructSize;
  size_t Root;
  const wchar_t* Value;
};

// ---- Advanced control ------------------------------------------------------------------------

enum ADVANCED_CONTROL_COMMANDS {
  ACTL_GETFARMANAGERVERSION = 0,
  ACTL_WAITKEY = 2,
  ACTL_GETCOLOR = 3,
  ACTL_GETARRAYCOLOR = 4,
  ACTL_GETWINDOWINFO = 6,
  ACTL_GETWINDOWCOUNT = 7,
  ACTL_SETCURRENTWINDOW = 8,
  ACTL_COMMIT = 9,
  ACTL_GETFARHWND = 10,
  ACTL_SETARRAYCOLOR = 16,
  ACTL_REDRAWALL = 19,
  ACTL_SYNCHRO = 20,
  ACTL_SETPROGRESSSTATE = 21,
  ACTL_SETPROGRESSVALUE = 22,
  ACTL_QUIT = 23,
  ACTL_GETFARRECT = 24,
  ACTL_GETCURSORPOS = 25,
  ACTL_SETCURSORPOS = 26,
  ACTL_PROGRESSNOTIFY = 27,
  ACTL_GETWINDOWTYPE = 28,
};

// ---- The service table -----------------------------------------------------------------------

typedef intptr_t(WINAPI* FARWINDOWPROC)(HANDLE hDlg, intptr_t Msg, intptr_t Param1, void* Param2);
typedef intptr_t(WINAPI* FARAPIMESSAGE)(const GUID* PluginId, const GUID* Id, FARMESSAGEFLAGS Flags,
                                        const wchar_t* HelpTopic, const wchar_t* const* Items,
                                        size_t ItemsNumber, intptr_t ButtonsNumber);
typedef const wchar_t*(WINAPI* FARAPIGETMSG)(const GUID* PluginId, intptr_t MsgId);
typedef intptr_t(WINAPI* FARAPIPANELCONTROL)(HANDLE hPanel, FILE_CONTROL_COMMANDS Command,
                                             intptr_t Param1, void* Param2);
typedef intptr_t(WINAPI* FARAPIADVCONTROL)(const GUID* PluginId, ADVANCED_CONTROL_COMMANDS Command,
                                           intptr_t Param1, void* Param2);
typedef HANDLE(WINAPI* FARAPIDIALOGINIT)(const GUID* PluginId, const GUID* Id, intptr_t X1,
                                         intptr_t Y1, intptr_t X2, intptr_t Y2,
                                         const wchar_t* HelpTopic, const FarDialogItem* Item,
                                         size_t ItemsNumber, intptr_t Reserved,
                                         FARDIALOGFLAGS Flags, FARWINDOWPROC DlgProc,
                                         void* Param);
typedef intptr_t(WINAPI* FARAPIDIALOGRUN)(HANDLE hDlg);
typedef void(WINAPI* FARAPIDIALOGFREE)(HANDLE hDlg);
typedef intptr_t(WINAPI* FARAPISENDDLGMESSAGE)(HANDLE hDlg, intptr_t Msg, intptr_t Param1,
                                               void* Param2);
typedef intptr_t(WINAPI* FARAPIDEFDLGPROC)(HANDLE hDlg, intptr_t Msg, intptr_t Param1,
                                           void* Param2);
typedef intptr_t(WINAPI* FARAPISETTINGSCONTROL)(HANDLE hHandle,
                                                FAR_SETTINGS_CONTROL_COMMANDS Command,
                                                intptr_t Param1, void* Param2);

// FAR's standard functions: only the layout matters to Quenby, which calls none of them.
struct FarStandardFunctions {
  size_t StructSize;
  void *atoi, *atoi64, *itoa, *itoa64, *sprintf, *sscanf, *qsort, *bsearch, *snprintf, *LIsLower;
  void *LIsUpper, *LIsAlpha, *LIsAlphanum, *LUpper, *LLower, *LUpperBuf, *LLowerBuf, *LStrupr;
  void *LStrlwr, *LStricmp, *LStrnicmp, *Unquote, *LTrim, *RTrim, *Trim, *TruncStr, *TruncPathStr;
  void *QuoteSpaceOnly, *PointToName, *GetPathRoot, *AddEndSlash, *CopyToClipboard;
  void *PasteFromClipboard, *FarInputRecordToName, *FarNameToInputRecord, *XLat, *GetFileOwner;
  void *GetNumberOfLinks, *FarRecursiveSearch, *MkTemp, *ProcessName, *MkLink, *ConvertPath;
  void *GetReparsePointInfo, *GetCurrentDirectory, *FormatFileSize, *FarClock, *CompareStrings;
  void *DetectCodePage;
};

// The services FAR hands SetStartupInfoW. Those Quenby does not call are typed void*.
struct PluginStartupInfo {
  size_t StructSize;
  const wchar_t* ModuleName;
  void* Menu;
  FARAPIMESSAGE Message;
  FARAPIGETMSG GetMsg;
  FARAPIPANELCONTROL PanelControl;
  void* SaveScreen;
  void* RestoreScreen;
  void* GetDirList;
  void* GetPluginDirList;
  void* FreeDirList;
  void* FreePluginDirList;
  void* Viewer;
  void* Editor;
  void* Text;
  void* EditorControl;
  FarStandardFunctions* FSF;
  void* ShowHelp;
  FARAPIADVCONTROL AdvControl;
  void* InputBox;
  void* ColorDialog;
  FARAPIDIALOGINIT DialogInit;
  FARAPIDIALOGRUN DialogRun;
  FARAPIDIALOGFREE DialogFree;
  FARAPISENDDLGMESSAGE SendDlgMessage;
  FARAPIDEFDLGPROC DefDlgProc;
  void* ViewerControl;
  void* PluginsControl;
  void* FileFilterControl;
  void* RegExpControl;
  void* MacroControl;
  FARAPISETTINGSCONTROL SettingsControl;
  const void* Private;
  void* Instance;
  void* FreeScreen;
};

// ---- The exports -----------------------------------------------------------------------------

extern "C" {
HANDLE WINAPI AnalyseW(const AnalyseInfo* Info);
void WINAPI CloseAnalyseW(const CloseAnalyseInfo* Info);
void WINAPI ClosePanelW(const ClosePanelInfo* Info);
intptr_t WINAPI ConfigureW(const ConfigureInfo* Info);
void WINAPI ExitFARW(const ExitInfo* Info);
void WINAPI FreeFindDataW(const FreeFindDataInfo* Info);
intptr_t WINAPI GetFindDataW(GetFindDataInfo* Info);
void WINAPI GetGlobalInfoW(GlobalInfo* Info);
void WINAPI GetOpenPanelInfoW(OpenPanelInfo* Info);
void WINAPI GetPluginInfoW(PluginInfo* Info);
HANDLE WINAPI OpenW(const OpenInfo* Info);
intptr_t WINAPI ProcessPanelEventW(const ProcessPanelEventInfo* Info);
intptr_t WINAPI ProcessPanelInputW(const ProcessPanelInputInfo* Info);
intptr_t WINAPI ProcessSynchroEventW(const ProcessSynchroEventInfo* Info);
intptr_t WINAPI SetDirectoryW(const SetDirectoryInfo* Info);
void WINAPI SetStartupInfoW(const PluginStartupInfo* Info);
}
