// FAR Manager 3 plugin interface: the records, constants and services Quenby's FAR 3 DLLs and
// their stand-in host use, laid out byte for byte as FAR 3 (build 6730) reads them, x64 and x86.
#pragma once

#include <windows.h>
#include <cstddef>
#include <cstdint>

// ---- Versions and the plugin's identity ------------------------------------------------------
// Every record below has had this layout since FAR 3.0 build 3596, which gave the export records
// their Instance member; later builds only added services at the ends of PluginStartupInfo and
// FarStandardFunctions, which Quenby does not call.

enum VERSION_STAGE {
  VS_RELEASE = 0,
  VS_ALPHA = 1,
  VS_BETA = 2,
  VS_RC = 3,
  VS_SPECIAL = 4,
  VS_PRIVATE = 5,
};

struct VersionInfo {
  DWORD Major;
  DWORD Minor;
  DWORD Revision;
  DWORD Build;
  VERSION_STAGE Stage;
};

// FAR's own test of MinFarVersion against its version (plugin.hpp's CheckVersion): the build
// weighs more than the revision.
inline bool FarVersionAtLeast(const VersionInfo& Current, const VersionInfo& Required) {
  if (Current.Major != Required.Major) return Current.Major > Required.Major;
  if (Current.Minor != Required.Minor) return Current.Minor > Required.Minor;
  if (Current.Build != Required.Build) return Current.Build > Required.Build;
  return Current.Revision >= Required.Revision;
}

struct GlobalInfo {
  size_t StructSize;
  VersionInfo MinFarVersion;
  VersionInfo Version;
  GUID Guid;
  const wchar_t* Title;
  const wchar_t* Description;
  const wchar_t* Author;
  void* Instance;
};

// ---- Keys and the key bar ---------------------------------------------------------------------

struct FarKey {
  WORD VirtualKeyCode;
  DWORD ControlKeyState;
};

struct KeyBarLabel {
  FarKey Key;
  const wchar_t* Text;
  const wchar_t* LongText;
};

struct KeyBarTitles {
  size_t CountLabels;
  KeyBarLabel* Labels;
};

// ---- PluginInfo ------------------------------------------------------------------------------

typedef unsigned long long PLUGIN_FLAGS;
constexpr PLUGIN_FLAGS PF_PRELOAD = 0x0000000000000001ULL;
constexpr PLUGIN_FLAGS PF_DISABLEPANELS = 0x0000000000000002ULL;
constexpr PLUGIN_FLAGS PF_EDITOR = 0x0000000000000004ULL;
constexpr PLUGIN_FLAGS PF_VIEWER = 0x0000000000000008ULL;
constexpr PLUGIN_FLAGS PF_FULLCMDLINE = 0x0000000000000010ULL;
constexpr PLUGIN_FLAGS PF_DIALOG = 0x0000000000000020ULL;
constexpr PLUGIN_FLAGS PF_NONE = 0;

struct PluginMenuItem {
  const GUID* Guids;
  const wchar_t* const* Strings;
  size_t Count;
};

struct PluginInfo {
  size_t StructSize;
  PLUGIN_FLAGS Flags;
  PluginMenuItem DiskMenu;
  PluginMenuItem PluginMenu;
  PluginMenuItem PluginConfig;
  const wchar_t* CommandPrefix;
  void* Instance;
};

// ---- Panel items -----------------------------------------------------------------------------

typedef unsigned long long PLUGINPANELITEMFLAGS;
constexpr PLUGINPANELITEMFLAGS PPIF_SELECTED = 0x0000000040000000ULL;
constexpr PLUGINPANELITEMFLAGS PPIF_PROCESSDESCR = 0x0000000080000000ULL;
constexpr PLUGINPANELITEMFLAGS PPIF_NONE = 0;

struct FarPanelItemFreeInfo {
  size_t StructSize;
  HANDLE hPlugin;
};
typedef void(WINAPI* FARPANELITEMFREECALLBACK)(void* UserData, const FarPanelItemFreeInfo* Info);

struct UserDataItem {
  void* Data;
  FARPANELITEMFREECALLBACK FreeData;
};

struct PluginPanelItem {
  FILETIME CreationTime;
  FILETIME LastAccessTime;
  FILETIME LastWriteTime;
  FILETIME ChangeTime;
  unsigned long long FileSize;
  unsigned long long AllocationSize;
  const wchar_t* FileName;
  const wchar_t* AlternateFileName;
  const wchar_t* Description;
  const wchar_t* Owner;
  const wchar_t* const* CustomColumnData;
  size_t CustomColumnNumber;
  PLUGINPANELITEMFLAGS Flags;
  UserDataItem UserData;
  uintptr_t FileAttributes;
  uintptr_t NumberOfLinks;
  uintptr_t CRC32;
  intptr_t Reserved[2];
};

struct FarGetPluginPanelItem {
  size_t StructSize;
  size_t Size;
  PluginPanelItem* Item;
};

// ---- The panel a plugin opens ----------------------------------------------------------------

enum OPENPANELINFO_SORTMODES {
  SM_DEFAULT = 0,
  SM_UNSORTED = 1,
  SM_NAME = 2,
  SM_EXT = 3,
  SM_MTIME = 4,
  SM_CTIME = 5,
  SM_ATIME = 6,
  SM_SIZE = 7,
  SM_DESCR = 8,
  SM_OWNER = 9,
  SM_COMPRESSEDSIZE = 10,
  SM_NUMLINKS = 11,
  SM_NUMSTREAMS = 12,
  SM_STREAMSSIZE = 13,
  SM_NAMEONLY = 14,
  SM_CHTIME = 15,
  SM_USER = 100000,
};

typedef unsigned long long PANELMODE_FLAGS;
constexpr PANELMODE_FLAGS PMFLAGS_FULLSCREEN = 0x0000000000000001ULL;
constexpr PANELMODE_FLAGS PMFLAGS_DETAILEDSTATUS = 0x0000000000000002ULL;
constexpr PANELMODE_FLAGS PMFLAGS_ALIGNEXTENSIONS = 0x0000000000000004ULL;
constexpr PANELMODE_FLAGS PMFLAGS_CASECONVERSION = 0x0000000000000008ULL;
constexpr PANELMODE_FLAGS PMFLAGS_NONE = 0;

struct PanelMode {
  const wchar_t* ColumnTypes;
  const wchar_t* ColumnWidths;
  const wchar_t* const* ColumnTitles;
  const wchar_t* StatusColumnTypes;
  const wchar_t* StatusColumnWidths;
  PANELMODE_FLAGS Flags;
};

typedef unsigned long long OPENPANELINFO_FLAGS;
constexpr OPENPANELINFO_FLAGS OPIF_DISABLEFILTER = 0x0000000000000001ULL;
constexpr OPENPANELINFO_FLAGS OPIF_DISABLESORTGROUPS = 0x0000000000000002ULL;
constexpr OPENPANELINFO_FLAGS OPIF_DISABLEHIGHLIGHTING = 0x0000000000000004ULL;
constexpr OPENPANELINFO_FLAGS OPIF_ADDDOTS = 0x0000000000000008ULL;
constexpr OPENPANELINFO_FLAGS OPIF_RAWSELECTION = 0x0000000000000010ULL;
constexpr OPENPANELINFO_FLAGS OPIF_REALNAMES = 0x0000000000000020ULL;
constexpr OPENPANELINFO_FLAGS OPIF_SHOWNAMESONLY = 0x0000000000000040ULL;
constexpr OPENPANELINFO_FLAGS OPIF_SHOWRIGHTALIGNNAMES = 0x0000000000000080ULL;
constexpr OPENPANELINFO_FLAGS OPIF_SHOWPRESERVECASE = 0x0000000000000100ULL;
constexpr OPENPANELINFO_FLAGS OPIF_COMPAREFATTIME = 0x0000000000000400ULL;
constexpr OPENPANELINFO_FLAGS OPIF_EXTERNALGET = 0x0000000000000800ULL;
constexpr OPENPANELINFO_FLAGS OPIF_EXTERNALPUT = 0x0000000000001000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_EXTERNALDELETE = 0x0000000000002000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_EXTERNALMKDIR = 0x0000000000004000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_USEATTRHIGHLIGHTING = 0x0000000000008000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_USECRC32 = 0x0000000000010000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_USEFREESIZE = 0x0000000000020000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_SHORTCUT = 0x0000000000040000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_RECURSIVEPANEL = 0x0000000000080000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_DELETEFILEONCLOSE = 0x0000000000100000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_DELETEDIRONCLOSE = 0x0000000000200000ULL;
constexpr OPENPANELINFO_FLAGS OPIF_NONE = 0;

struct InfoPanelLine;  // not used: the panel shows no info lines

struct OpenPanelInfo {
  size_t StructSize;
  HANDLE hPanel;
  OPENPANELINFO_FLAGS Flags;
  const wchar_t* HostFile;
  const wchar_t* CurDir;
  const wchar_t* Format;
  const wchar_t* PanelTitle;
  const InfoPanelLine* InfoLines;
  size_t InfoLinesNumber;
  const wchar_t* const* DescrFiles;
  size_t DescrFilesNumber;
  const PanelMode* PanelModesArray;
  size_t PanelModesNumber;
  intptr_t StartPanelMode;
  OPENPANELINFO_SORTMODES StartSortMode;
  intptr_t StartSortOrder;
  const KeyBarTitles* KeyBar;
  const wchar_t* ShortcutData;
  unsigned long long FreeSize;
  UserDataItem UserData;
  void* Instance;
};

// ---- The records of the exports --------------------------------------------------------------

typedef unsigned long long OPERATION_MODES;
constexpr OPERATION_MODES OPM_SILENT = 0x0000000000000001ULL;
constexpr OPERATION_MODES OPM_FIND = 0x0000000000000002ULL;
constexpr OPERATION_MODES OPM_VIEW = 0x0000000000000004ULL;
constexpr OPERATION_MODES OPM_EDIT = 0x0000000000000008ULL;
constexpr OPERATION_MODES OPM_TOPLEVEL = 0x0000000000000010ULL;
constexpr OPERATION_MODES OPM_DESCR = 0x0000000000000020ULL;
constexpr OPERATION_MODES OPM_QUICKVIEW = 0x0000000000000040ULL;
constexpr OPERATION_MODES OPM_PGDN = 0x0000000000000080ULL;
constexpr OPERATION_MODES OPM_COMMANDS = 0x0000000000000100ULL;
constexpr OPERATION_MODES OPM_NONE = 0;

enum OPENFROM {
  OPEN_LEFTDISKMENU = 0,
  OPEN_PLUGINSMENU = 1,
  OPEN_FINDLIST = 2,
  OPEN_SHORTCUT = 3,
  OPEN_COMMANDLINE = 4,
  OPEN_EDITOR = 5,
  OPEN_VIEWER = 6,
  OPEN_FILEPANEL = 7,
  OPEN_DIALOG = 8,
  OPEN_ANALYSE = 9,
  OPEN_RIGHTDISKMENU = 10,
  OPEN_FROMMACRO = 11,
  OPEN_LUAMACRO = 100,
};

struct OpenInfo {
  size_t StructSize;
  OPENFROM OpenFrom;
  const GUID* Guid;
  intptr_t Data;
  void* Instance;
};

struct AnalyseInfo {
  size_t StructSize;
  const wchar_t* FileName;
  void* Buffer;
  size_t BufferSize;
  OPERATION_MODES OpMode;
  void* Instance;
};

// OpenInfo::Data for OPEN_ANALYSE points at this record.
struct OpenAnalyseInfo {
  size_t StructSize;
  AnalyseInfo* Info;
  HANDLE Handle;
};

struct CloseAnalyseInfo {
  size_t StructSize;
  HANDLE Handle;
  void* Instance;
};

struct GetFindDataInfo {
  size_t StructSize;
  HANDLE hPanel;
  PluginPanelItem* PanelItem;
  size_t ItemsNumber;
  OPERATION_MODES OpMode;
  void* Instance;
};

struct FreeFindDataInfo {
  size_t StructSize;
  HANDLE hPanel;
  PluginPanelItem* PanelItem;
  size_t ItemsNumber;
  void* Instance;
};

struct SetDirectoryInfo {
  size_t StructSize;
  HANDLE hPanel;
  const wchar_t* Dir;
  intptr_t Reserved;
  OPERATION_MODES OpMode;
  UserDataItem UserData;
  void* Instance;
};

struct ProcessPanelInputInfo {
  size_t StructSize;
  HANDLE hPanel;
  INPUT_RECORD Rec;
  void* Instance;
};

enum FAR_EVENTS {
  FE_CHANGEVIEWMODE = 0,
  FE_REDRAW = 1,
  FE_IDLE = 2,
  FE_CLOSE = 3,
  FE_BREAK = 4,
  FE_COMMAND = 5,
  FE_GOTFOCUS = 6,
  FE_KILLFOCUS = 7,
  FE_CHANGESORTPARAMS = 8,
  FE_STARTSORT = 9,
  FE_ENDSORT = 10,
};

struct ProcessPanelEventInfo {
  size_t StructSize;
  intptr_t Event;
  void* Param;
  HANDLE hPanel;
  void* Instance;
};

enum SYNCHRO_EVENTS {
  SE_COMMONSYNCHRO = 0,
  SE_FOLDERCHANGED = 1,
};

// What FAR hands ProcessSynchroEventW after a plugin's ACTL_SYNCHRO: Param is that call's Param2.
struct ProcessSynchroEventInfo {
  size_t StructSize;
  intptr_t Event;
  void* Param;
  void* Instance;
};

struct ClosePanelInfo {
  size_t StructSize;
  HANDLE hPanel;
  void* Instance;
};

struct ConfigureInfo {
  size_t StructSize;
  const GUID* Guid;
  void* Instance;
};

struct ExitInfo {
  size_t StructSize;
  void* Instance;
};

// ---- Panels: FCTL_ commands and PanelInfo ----------------------------------------------------

typedef unsigned long long PANELINFOFLAGS;
constexpr PANELINFOFLAGS PFLAGS_SHOWHIDDEN = 0x0000000000000001ULL;
constexpr PANELINFOFLAGS PFLAGS_HIGHLIGHT = 0x0000000000000002ULL;
constexpr PANELINFOFLAGS PFLAGS_REVERSESORTORDER = 0x0000000000000004ULL;
constexpr PANELINFOFLAGS PFLAGS_USESORTGROUPS = 0x0000000000000008ULL;
constexpr PANELINFOFLAGS PFLAGS_SELECTEDFIRST = 0x0000000000000010ULL;
constexpr PANELINFOFLAGS PFLAGS_REALNAMES = 0x0000000000000020ULL;
constexpr PANELINFOFLAGS PFLAGS_PANELLEFT = 0x0000000000000080ULL;
constexpr PANELINFOFLAGS PFLAGS_DIRECTORIESFIRST = 0x0000000000000100ULL;
constexpr PANELINFOFLAGS PFLAGS_USECRC32 = 0x0000000000000200ULL;
constexpr PANELINFOFLAGS PFLAGS_PLUGIN = 0x0000000000000800ULL;
constexpr PANELINFOFLAGS PFLAGS_VISIBLE = 0x0000000000001000ULL;
constexpr PANELINFOFLAGS PFLAGS_FOCUS = 0x0000000000002000ULL;
constexpr PANELINFOFLAGS PFLAGS_ALTERNATIVENAMES = 0x0000000000004000ULL;
constexpr PANELINFOFLAGS PFLAGS_SHORTCUT = 0x0000000000008000ULL;
constexpr PANELINFOFLAGS PFLAGS_NONE = 0;

enum PANELINFOTYPE {
  PTYPE_FILEPANEL = 0,
  PTYPE_TREEPANEL = 1,
  PTYPE_QVIEWPANEL = 2,
  PTYPE_INFOPANEL = 3,
};

struct PanelInfo {
  size_t StructSize;
  HANDLE PluginHandle;
  GUID OwnerGuid;
  PANELINFOFLAGS Flags;
  size_t ItemsNumber;
  size_t SelectedItemsNumber;
  RECT PanelRect;
  size_t CurrentItem;
  size_t TopPanelItem;
  intptr_t ViewMode;
  PANELINFOTYPE PanelType;
  OPENPANELINFO_SORTMODES SortMode;
};

struct PanelRedrawInfo {
  size_t StructSize;
  size_t CurrentItem;
  size_t TopPanelItem;
};

struct FarPanelDirectory {
  size_t StructSize;
  const wchar_t* Name;
  const wchar_t* Param;
  GUID PluginId;
  const wchar_t* File;
};

#define PANEL_NONE ((HANDLE)(-1))
#define PANEL_ACTIVE ((HANDLE)(-1))
#define PANEL_PASSIVE ((HANDLE)(-2))
#define PANEL_STOP ((HANDLE)(-1))

enum FILE_CONTROL_COMMANDS {
  FCTL_CLOSEPANEL = 0,
  FCTL_GETPANELINFO = 1,
  FCTL_UPDATEPANEL = 2,
  FCTL_REDRAWPANEL = 3,
  FCTL_GETCMDLINE = 4,
  FCTL_SETCMDLINE = 5,
  FCTL_SETSELECTION = 6,
  FCTL_SETVIEWMODE = 7,
  FCTL_INSERTCMDLINE = 8,
  FCTL_SETUSERSCREEN = 9,
  FCTL_SETPANELDIRECTORY = 10,
  FCTL_SETCMDLINEPOS = 11,
  FCTL_GETCMDLINEPOS = 12,
  FCTL_SETSORTMODE = 13,
  FCTL_SETSORTORDER = 14,
  FCTL_SETCMDLINESELECTION = 15,
  FCTL_GETCMDLINESELECTION = 16,
  FCTL_CHECKPANELSEXIST = 17,
  FCTL_GETUSERSCREEN = 19,
  FCTL_ISACTIVEPANEL = 20,
  FCTL_GETPANELITEM = 21,
  FCTL_GETSELECTEDPANELITEM = 22,
  FCTL_GETCURRENTPANELITEM = 23,
  FCTL_GETPANELDIRECTORY = 24,
  FCTL_GETCOLUMNTYPES = 25,
  FCTL_GETCOLUMNWIDTHS = 26,
  FCTL_BEGINSELECTION = 27,
  FCTL_ENDSELECTION = 28,
  FCTL_CLEARSELECTION = 29,
  FCTL_SETDIRECTORIESFIRST = 30,
  FCTL_GETPANELFORMAT = 31,
  FCTL_GETPANELHOSTFILE = 32,
  FCTL_GETPANELPREFIX = 34,
  FCTL_SETACTIVEPANEL = 35,
};

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

// ---- Layout checks ---------------------------------------------------------------------------
// Size and offset of every member of every record above, as FAR 3's own header lays them out:
// the first number for x64, the second for x86.

#ifdef _WIN64
#define FAR3_SIZE(T, S64, S32) static_assert(sizeof(T) == (S64), #T " size")
#define FAR3_AT(T, M, O64, O32) static_assert(offsetof(T, M) == (O64), #T "." #M " offset")
#else
#define FAR3_SIZE(T, S64, S32) static_assert(sizeof(T) == (S32), #T " size")
#define FAR3_AT(T, M, O64, O32) static_assert(offsetof(T, M) == (O32), #T "." #M " offset")
#endif

FAR3_SIZE(VersionInfo, 20, 20); FAR3_AT(VersionInfo, Major, 0, 0);
FAR3_AT(VersionInfo, Minor, 4, 4); FAR3_AT(VersionInfo, Revision, 8, 8);
FAR3_AT(VersionInfo, Build, 12, 12); FAR3_AT(VersionInfo, Stage, 16, 16);
FAR3_SIZE(GlobalInfo, 96, 76); FAR3_AT(GlobalInfo, StructSize, 0, 0);
FAR3_AT(GlobalInfo, MinFarVersion, 8, 4); FAR3_AT(GlobalInfo, Version, 28, 24);
FAR3_AT(GlobalInfo, Guid, 48, 44); FAR3_AT(GlobalInfo, Title, 64, 60);
FAR3_AT(GlobalInfo, Description, 72, 64); FAR3_AT(GlobalInfo, Author, 80, 68);
FAR3_AT(GlobalInfo, Instance, 88, 72);
FAR3_SIZE(FarKey, 8, 8); FAR3_AT(FarKey, VirtualKeyCode, 0, 0);
FAR3_AT(FarKey, ControlKeyState, 4, 4);
FAR3_SIZE(KeyBarLabel, 24, 16); FAR3_AT(KeyBarLabel, Key, 0, 0); FAR3_AT(KeyBarLabel, Text, 8, 8);
FAR3_AT(KeyBarLabel, LongText, 16, 12);
FAR3_SIZE(KeyBarTitles, 16, 8); FAR3_AT(KeyBarTitles, CountLabels, 0, 0);
FAR3_AT(KeyBarTitles, Labels, 8, 4);
FAR3_SIZE(PluginMenuItem, 24, 12); FAR3_AT(PluginMenuItem, Guids, 0, 0);
FAR3_AT(PluginMenuItem, Strings, 8, 4); FAR3_AT(PluginMenuItem, Count, 16, 8);
FAR3_SIZE(PluginInfo, 104, 64); FAR3_AT(PluginInfo, StructSize, 0, 0);
FAR3_AT(PluginInfo, Flags, 8, 8); FAR3_AT(PluginInfo, DiskMenu, 16, 16);
FAR3_AT(PluginInfo, PluginMenu, 40, 28); FAR3_AT(PluginInfo, PluginConfig, 64, 40);
FAR3_AT(PluginInfo, CommandPrefix, 88, 52); FAR3_AT(PluginInfo, Instance, 96, 56);
FAR3_SIZE(FarPanelItemFreeInfo, 16, 8); FAR3_AT(FarPanelItemFreeInfo, StructSize, 0, 0);
FAR3_AT(FarPanelItemFreeInfo, hPlugin, 8, 4);
FAR3_SIZE(UserDataItem, 16, 8); FAR3_AT(UserDataItem, Data, 0, 0);
FAR3_AT(UserDataItem, FreeData, 8, 4);
FAR3_SIZE(PluginPanelItem, 160, 112); FAR3_AT(PluginPanelItem, CreationTime, 0, 0);
FAR3_AT(PluginPanelItem, LastAccessTime, 8, 8); FAR3_AT(PluginPanelItem, LastWriteTime, 16, 16);
FAR3_AT(PluginPanelItem, ChangeTime, 24, 24); FAR3_AT(PluginPanelItem, FileSize, 32, 32);
FAR3_AT(PluginPanelItem, AllocationSize, 40, 40); FAR3_AT(PluginPanelItem, FileName, 48, 48);
FAR3_AT(PluginPanelItem, AlternateFileName, 56, 52); FAR3_AT(PluginPanelItem, Description, 64, 56);
FAR3_AT(PluginPanelItem, Owner, 72, 60); FAR3_AT(PluginPanelItem, CustomColumnData, 80, 64);
FAR3_AT(PluginPanelItem, CustomColumnNumber, 88, 68); FAR3_AT(PluginPanelItem, Flags, 96, 72);
FAR3_AT(PluginPanelItem, UserData, 104, 80); FAR3_AT(PluginPanelItem, FileAttributes, 120, 88);
FAR3_AT(PluginPanelItem, NumberOfLinks, 128, 92); FAR3_AT(PluginPanelItem, CRC32, 136, 96);
FAR3_AT(PluginPanelItem, Reserved, 144, 100);
FAR3_SIZE(FarGetPluginPanelItem, 24, 12); FAR3_AT(FarGetPluginPanelItem, StructSize, 0, 0);
FAR3_AT(FarGetPluginPanelItem, Size, 8, 4); FAR3_AT(FarGetPluginPanelItem, Item, 16, 8);
FAR3_SIZE(PanelMode, 48, 32); FAR3_AT(PanelMode, ColumnTypes, 0, 0);
FAR3_AT(PanelMode, ColumnWidths, 8, 4); FAR3_AT(PanelMode, ColumnTitles, 16, 8);
FAR3_AT(PanelMode, StatusColumnTypes, 24, 12); FAR3_AT(PanelMode, StatusColumnWidths, 32, 16);
FAR3_AT(PanelMode, Flags, 40, 24);
FAR3_SIZE(OpenPanelInfo, 176, 104); FAR3_AT(OpenPanelInfo, StructSize, 0, 0);
FAR3_AT(OpenPanelInfo, hPanel, 8, 4); FAR3_AT(OpenPanelInfo, Flags, 16, 8);
FAR3_AT(OpenPanelInfo, HostFile, 24, 16); FAR3_AT(OpenPanelInfo, CurDir, 32, 20);
FAR3_AT(OpenPanelInfo, Format, 40, 24); FAR3_AT(OpenPanelInfo, PanelTitle, 48, 28);
FAR3_AT(OpenPanelInfo, InfoLines, 56, 32); FAR3_AT(OpenPanelInfo, InfoLinesNumber, 64, 36);
FAR3_AT(OpenPanelInfo, DescrFiles, 72, 40); FAR3_AT(OpenPanelInfo, DescrFilesNumber, 80, 44);
FAR3_AT(OpenPanelInfo, PanelModesArray, 88, 48); FAR3_AT(OpenPanelInfo, PanelModesNumber, 96, 52);
FAR3_AT(OpenPanelInfo, StartPanelMode, 104, 56); FAR3_AT(OpenPanelInfo, StartSortMode, 112, 60);
FAR3_AT(OpenPanelInfo, StartSortOrder, 120, 64); FAR3_AT(OpenPanelInfo, KeyBar, 128, 68);
FAR3_AT(OpenPanelInfo, ShortcutData, 136, 72); FAR3_AT(OpenPanelInfo, FreeSize, 144, 80);
FAR3_AT(OpenPanelInfo, UserData, 152, 88); FAR3_AT(OpenPanelInfo, Instance, 168, 96);
FAR3_SIZE(OpenInfo, 40, 20); FAR3_AT(OpenInfo, StructSize, 0, 0); FAR3_AT(OpenInfo, OpenFrom, 8, 4);
FAR3_AT(OpenInfo, Guid, 16, 8); FAR3_AT(OpenInfo, Data, 24, 12);
FAR3_AT(OpenInfo, Instance, 32, 16);
FAR3_SIZE(AnalyseInfo, 48, 32); FAR3_AT(AnalyseInfo, StructSize, 0, 0);
FAR3_AT(AnalyseInfo, FileName, 8, 4); FAR3_AT(AnalyseInfo, Buffer, 16, 8);
FAR3_AT(AnalyseInfo, BufferSize, 24, 12); FAR3_AT(AnalyseInfo, OpMode, 32, 16);
FAR3_AT(AnalyseInfo, Instance, 40, 24);
FAR3_SIZE(OpenAnalyseInfo, 24, 12); FAR3_AT(OpenAnalyseInfo, StructSize, 0, 0);
FAR3_AT(OpenAnalyseInfo, Info, 8, 4); FAR3_AT(OpenAnalyseInfo, Handle, 16, 8);
FAR3_SIZE(CloseAnalyseInfo, 24, 12); FAR3_AT(CloseAnalyseInfo, StructSize, 0, 0);
FAR3_AT(CloseAnalyseInfo, Handle, 8, 4); FAR3_AT(CloseAnalyseInfo, Instance, 16, 8);
FAR3_SIZE(GetFindDataInfo, 48, 32); FAR3_AT(GetFindDataInfo, StructSize, 0, 0);
FAR3_AT(GetFindDataInfo, hPanel, 8, 4); FAR3_AT(GetFindDataInfo, PanelItem, 16, 8);
FAR3_AT(GetFindDataInfo, ItemsNumber, 24, 12); FAR3_AT(GetFindDataInfo, OpMode, 32, 16);
FAR3_AT(GetFindDataInfo, Instance, 40, 24);
FAR3_SIZE(FreeFindDataInfo, 40, 20); FAR3_AT(FreeFindDataInfo, StructSize, 0, 0);
FAR3_AT(FreeFindDataInfo, hPanel, 8, 4); FAR3_AT(FreeFindDataInfo, PanelItem, 16, 8);
FAR3_AT(FreeFindDataInfo, ItemsNumber, 24, 12); FAR3_AT(FreeFindDataInfo, Instance, 32, 16);
FAR3_SIZE(SetDirectoryInfo, 64, 40); FAR3_AT(SetDirectoryInfo, StructSize, 0, 0);
FAR3_AT(SetDirectoryInfo, hPanel, 8, 4); FAR3_AT(SetDirectoryInfo, Dir, 16, 8);
FAR3_AT(SetDirectoryInfo, Reserved, 24, 12); FAR3_AT(SetDirectoryInfo, OpMode, 32, 16);
FAR3_AT(SetDirectoryInfo, UserData, 40, 24); FAR3_AT(SetDirectoryInfo, Instance, 56, 32);
FAR3_SIZE(ProcessPanelInputInfo, 48, 32); FAR3_AT(ProcessPanelInputInfo, StructSize, 0, 0);
FAR3_AT(ProcessPanelInputInfo, hPanel, 8, 4); FAR3_AT(ProcessPanelInputInfo, Rec, 16, 8);
FAR3_AT(ProcessPanelInputInfo, Instance, 40, 28);
FAR3_SIZE(ProcessPanelEventInfo, 40, 20); FAR3_AT(ProcessPanelEventInfo, StructSize, 0, 0);
FAR3_AT(ProcessPanelEventInfo, Event, 8, 4); FAR3_AT(ProcessPanelEventInfo, Param, 16, 8);
FAR3_AT(ProcessPanelEventInfo, hPanel, 24, 12); FAR3_AT(ProcessPanelEventInfo, Instance, 32, 16);
FAR3_SIZE(ProcessSynchroEventInfo, 32, 16); FAR3_AT(ProcessSynchroEventInfo, StructSize, 0, 0);
FAR3_AT(ProcessSynchroEventInfo, Event, 8, 4); FAR3_AT(ProcessSynchroEventInfo, Param, 16, 8);
FAR3_AT(ProcessSynchroEventInfo, Instance, 24, 12);
FAR3_SIZE(ClosePanelInfo, 24, 12); FAR3_AT(ClosePanelInfo, StructSize, 0, 0);
FAR3_AT(ClosePanelInfo, hPanel, 8, 4); FAR3_AT(ClosePanelInfo, Instance, 16, 8);
FAR3_SIZE(ConfigureInfo, 24, 12); FAR3_AT(ConfigureInfo, StructSize, 0, 0);
FAR3_AT(ConfigureInfo, Guid, 8, 4); FAR3_AT(ConfigureInfo, Instance, 16, 8);
FAR3_SIZE(ExitInfo, 16, 8); FAR3_AT(ExitInfo, StructSize, 0, 0); FAR3_AT(ExitInfo, Instance, 8, 4);
FAR3_SIZE(PanelInfo, 104, 80); FAR3_AT(PanelInfo, StructSize, 0, 0);
FAR3_AT(PanelInfo, PluginHandle, 8, 4); FAR3_AT(PanelInfo, OwnerGuid, 16, 8);
FAR3_AT(PanelInfo, Flags, 32, 24); FAR3_AT(PanelInfo, ItemsNumber, 40, 32);
FAR3_AT(PanelInfo, SelectedItemsNumber, 48, 36); FAR3_AT(PanelInfo, PanelRect, 56, 40);
FAR3_AT(PanelInfo, CurrentItem, 72, 56); FAR3_AT(PanelInfo, TopPanelItem, 80, 60);
FAR3_AT(PanelInfo, ViewMode, 88, 64); FAR3_AT(PanelInfo, PanelType, 96, 68);
FAR3_AT(PanelInfo, SortMode, 100, 72);
FAR3_SIZE(PanelRedrawInfo, 24, 12); FAR3_AT(PanelRedrawInfo, StructSize, 0, 0);
FAR3_AT(PanelRedrawInfo, CurrentItem, 8, 4); FAR3_AT(PanelRedrawInfo, TopPanelItem, 16, 8);
FAR3_SIZE(FarPanelDirectory, 48, 32); FAR3_AT(FarPanelDirectory, StructSize, 0, 0);
FAR3_AT(FarPanelDirectory, Name, 8, 4); FAR3_AT(FarPanelDirectory, Param, 16, 8);
FAR3_AT(FarPanelDirectory, PluginId, 24, 12); FAR3_AT(FarPanelDirectory, File, 40, 28);
FAR3_SIZE(FarDialogItem, 112, 64); FAR3_AT(FarDialogItem, Type, 0, 0);
FAR3_AT(FarDialogItem, X1, 8, 4); FAR3_AT(FarDialogItem, Y1, 16, 8);
FAR3_AT(FarDialogItem, X2, 24, 12); FAR3_AT(FarDialogItem, Y2, 32, 16);
FAR3_AT(FarDialogItem, Selected, 40, 20); FAR3_AT(FarDialogItem, History, 48, 24);
FAR3_AT(FarDialogItem, Mask, 56, 28); FAR3_AT(FarDialogItem, Flags, 64, 32);
FAR3_AT(FarDialogItem, Data, 72, 40); FAR3_AT(FarDialogItem, MaxLength, 80, 44);
FAR3_AT(FarDialogItem, UserData, 88, 48); FAR3_AT(FarDialogItem, Reserved, 96, 52);
FAR3_SIZE(FarDialogItemData, 24, 12); FAR3_AT(FarDialogItemData, StructSize, 0, 0);
FAR3_AT(FarDialogItemData, PtrLength, 8, 4); FAR3_AT(FarDialogItemData, PtrData, 16, 8);
FAR3_SIZE(FarSettingsCreate, 32, 24); FAR3_AT(FarSettingsCreate, StructSize, 0, 0);
FAR3_AT(FarSettingsCreate, Guid, 8, 4); FAR3_AT(FarSettingsCreate, Handle, 24, 20);
FAR3_SIZE(FarSettingsItem, 48, 24); FAR3_AT(FarSettingsItem, StructSize, 0, 0);
FAR3_AT(FarSettingsItem, Root, 8, 4); FAR3_AT(FarSettingsItem, Name, 16, 8);
FAR3_AT(FarSettingsItem, Type, 24, 12); FAR3_AT(FarSettingsItem, Number, 32, 16);
FAR3_SIZE(FarSettingsValue, 24, 12); FAR3_AT(FarSettingsValue, StructSize, 0, 0);
FAR3_AT(FarSettingsValue, Root, 8, 4); FAR3_AT(FarSettingsValue, Value, 16, 8);
FAR3_SIZE(FarStandardFunctions, 400, 200); FAR3_AT(FarStandardFunctions, StructSize, 0, 0);
FAR3_AT(FarStandardFunctions, atoi, 8, 4); FAR3_AT(FarStandardFunctions, atoi64, 16, 8);
FAR3_AT(FarStandardFunctions, itoa, 24, 12); FAR3_AT(FarStandardFunctions, itoa64, 32, 16);
FAR3_AT(FarStandardFunctions, sprintf, 40, 20); FAR3_AT(FarStandardFunctions, sscanf, 48, 24);
FAR3_AT(FarStandardFunctions, qsort, 56, 28); FAR3_AT(FarStandardFunctions, bsearch, 64, 32);
FAR3_AT(FarStandardFunctions, snprintf, 72, 36); FAR3_AT(FarStandardFunctions, LIsLower, 80, 40);
FAR3_AT(FarStandardFunctions, LIsUpper, 88, 44); FAR3_AT(FarStandardFunctions, LIsAlpha, 96, 48);
FAR3_AT(FarStandardFunctions, LIsAlphanum, 104, 52); FAR3_AT(FarStandardFunctions, LUpper, 112, 56);
FAR3_AT(FarStandardFunctions, LLower, 120, 60); FAR3_AT(FarStandardFunctions, LUpperBuf, 128, 64);
FAR3_AT(FarStandardFunctions, LLowerBuf, 136, 68); FAR3_AT(FarStandardFunctions, LStrupr, 144, 72);
FAR3_AT(FarStandardFunctions, LStrlwr, 152, 76); FAR3_AT(FarStandardFunctions, LStricmp, 160, 80);
FAR3_AT(FarStandardFunctions, LStrnicmp, 168, 84); FAR3_AT(FarStandardFunctions, Unquote, 176, 88);
FAR3_AT(FarStandardFunctions, LTrim, 184, 92); FAR3_AT(FarStandardFunctions, RTrim, 192, 96);
FAR3_AT(FarStandardFunctions, Trim, 200, 100); FAR3_AT(FarStandardFunctions, TruncStr, 208, 104);
FAR3_AT(FarStandardFunctions, TruncPathStr, 216, 108);
FAR3_AT(FarStandardFunctions, QuoteSpaceOnly, 224, 112);
FAR3_AT(FarStandardFunctions, PointToName, 232, 116);
FAR3_AT(FarStandardFunctions, GetPathRoot, 240, 120);
FAR3_AT(FarStandardFunctions, AddEndSlash, 248, 124);
FAR3_AT(FarStandardFunctions, CopyToClipboard, 256, 128);
FAR3_AT(FarStandardFunctions, PasteFromClipboard, 264, 132);
FAR3_AT(FarStandardFunctions, FarInputRecordToName, 272, 136);
FAR3_AT(FarStandardFunctions, FarNameToInputRecord, 280, 140);
FAR3_AT(FarStandardFunctions, XLat, 288, 144);
FAR3_AT(FarStandardFunctions, GetFileOwner, 296, 148);
FAR3_AT(FarStandardFunctions, GetNumberOfLinks, 304, 152);
FAR3_AT(FarStandardFunctions, FarRecursiveSearch, 312, 156);
FAR3_AT(FarStandardFunctions, MkTemp, 320, 160);
FAR3_AT(FarStandardFunctions, ProcessName, 328, 164);
FAR3_AT(FarStandardFunctions, MkLink, 336, 168);
FAR3_AT(FarStandardFunctions, ConvertPath, 344, 172);
FAR3_AT(FarStandardFunctions, GetReparsePointInfo, 352, 176);
FAR3_AT(FarStandardFunctions, GetCurrentDirectory, 360, 180);
FAR3_AT(FarStandardFunctions, FormatFileSize, 368, 184);
FAR3_AT(FarStandardFunctions, FarClock, 376, 188);
FAR3_AT(FarStandardFunctions, CompareStrings, 384, 192);
FAR3_AT(FarStandardFunctions, DetectCodePage, 392, 196);
FAR3_SIZE(PluginStartupInfo, 280, 140); FAR3_AT(PluginStartupInfo, StructSize, 0, 0);
FAR3_AT(PluginStartupInfo, ModuleName, 8, 4); FAR3_AT(PluginStartupInfo, Menu, 16, 8);
FAR3_AT(PluginStartupInfo, Message, 24, 12); FAR3_AT(PluginStartupInfo, GetMsg, 32, 16);
FAR3_AT(PluginStartupInfo, PanelControl, 40, 20); FAR3_AT(PluginStartupInfo, SaveScreen, 48, 24);
FAR3_AT(PluginStartupInfo, RestoreScreen, 56, 28); FAR3_AT(PluginStartupInfo, GetDirList, 64, 32);
FAR3_AT(PluginStartupInfo, GetPluginDirList, 72, 36);
FAR3_AT(PluginStartupInfo, FreeDirList, 80, 40);
FAR3_AT(PluginStartupInfo, FreePluginDirList, 88, 44); FAR3_AT(PluginStartupInfo, Viewer, 96, 48);
FAR3_AT(PluginStartupInfo, Editor, 104, 52); FAR3_AT(PluginStartupInfo, Text, 112, 56);
FAR3_AT(PluginStartupInfo, EditorControl, 120, 60); FAR3_AT(PluginStartupInfo, FSF, 128, 64);
FAR3_AT(PluginStartupInfo, ShowHelp, 136, 68); FAR3_AT(PluginStartupInfo, AdvControl, 144, 72);
FAR3_AT(PluginStartupInfo, InputBox, 152, 76); FAR3_AT(PluginStartupInfo, ColorDialog, 160, 80);
FAR3_AT(PluginStartupInfo, DialogInit, 168, 84); FAR3_AT(PluginStartupInfo, DialogRun, 176, 88);
FAR3_AT(PluginStartupInfo, DialogFree, 184, 92);
FAR3_AT(PluginStartupInfo, SendDlgMessage, 192, 96);
FAR3_AT(PluginStartupInfo, DefDlgProc, 200, 100);
FAR3_AT(PluginStartupInfo, ViewerControl, 208, 104);
FAR3_AT(PluginStartupInfo, PluginsControl, 216, 108);
FAR3_AT(PluginStartupInfo, FileFilterControl, 224, 112);
FAR3_AT(PluginStartupInfo, RegExpControl, 232, 116);
FAR3_AT(PluginStartupInfo, MacroControl, 240, 120);
FAR3_AT(PluginStartupInfo, SettingsControl, 248, 124);
FAR3_AT(PluginStartupInfo, Private, 256, 128); FAR3_AT(PluginStartupInfo, Instance, 264, 132);
FAR3_AT(PluginStartupInfo, FreeScreen, 272, 136);

#undef FAR3_SIZE
#undef FAR3_AT
