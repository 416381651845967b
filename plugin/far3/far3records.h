// FAR 3's plugin records: versions, the plugin's identity and menus, panel items, the panel a
// plugin opens, the records of the exports, FAR's panels and the FCTL_ commands (far3.h).
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
