// FAR Manager 1.63 plugin interface: the records, constants and service prototypes that
// Quenby and its stand-in host use. Laid out byte for byte as FAR 1.63 reads them (x86-32).
#pragma once

#include <windows.h>
#include <cstddef>

#ifndef _WIN64
static_assert(sizeof(void*) == 4, "FAR 1.63 plugins are 32-bit");
#endif

#pragma pack(push, 1)

// FAR's view of WIN32_FIND_DATAA: 318 bytes with no tail padding. mingw's own record is 320
// bytes and would shift every later member of PluginPanelItem by two.
struct FAR_FIND_DATA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  char cFileName[MAX_PATH];
  char cAlternateFileName[14];
};

struct PluginPanelItem {
  FAR_FIND_DATA FindData;
  DWORD PackSizeHigh;
  DWORD PackSize;
  DWORD Flags;
  DWORD NumberOfLinks;
  char* Description;
  char* Owner;
  char** CustomColumnData;
  int CustomColumnNumber;
  DWORD UserData;
  DWORD Reserved[3];
};

struct FarDialogItem {
  int Type;
  int X1, Y1, X2, Y2;
  int Focus;
  int Selected;
  unsigned int Flags;
  int DefaultButton;
  char Data[512];
};

struct FarMenuItem {
  char Text[128];
  int Selected;
  int Checked;
  int Separator;
};

struct InfoPanelLine {
  char Text[80];
  char Data[80];
  int Separator;
};

struct PanelMode {
  char* ColumnTypes;
  char* ColumnWidths;
  char** ColumnTitles;
  int FullScreen;
  int DetailedStatus;
  int AlignExtensions;
  int CaseConversion;
  char* StatusColumnTypes;
  char* StatusColumnWidths;
  DWORD Reserved[2];
};

struct KeyBarTitles {
  char* Titles[12];
  char* CtrlTitles[12];
  char* AltTitles[12];
  char* ShiftTitles[12];
};

struct OpenPluginInfo {
  int StructSize;
  DWORD Flags;
  const char* HostFile;
  const char* CurDir;
  const char* Format;
  const char* PanelTitle;
  const InfoPanelLine* InfoLines;
  int InfoLinesNumber;
  const char* const* DescrFiles;
  int DescrFilesNumber;
  const PanelMode* PanelModesArray;
  int PanelModesNumber;
  int StartPanelMode;
  int StartSortMode;
  int StartSortOrder;
  const KeyBarTitles* KeyBar;
  const char* ShortcutData;
};

struct PanelInfo {
  int PanelType;
  int Plugin;
  RECT PanelRect;
  PluginPanelItem* PanelItems;
  int ItemsNumber;
  PluginPanelItem* SelectedItems;
  int SelectedItemsNumber;
  int CurrentItem;
  int TopPanelItem;
  int Visible;
  int Focus;
  int ViewMode;
  char ColumnTypes[80];
  char ColumnWidths[80];
  char CurDir[MAX_PATH];
  int ShortNames;
  int SortMode;
  DWORD Reserved[2];
};

struct PanelRedrawInfo {
  int CurrentItem;
  int TopPanelItem;
};

struct PluginInfo {
  int StructSize;
  DWORD Flags;
  const char* const* DiskMenuStrings;
  int* DiskMenuNumbers;
  int DiskMenuStringsNumber;
  const char* const* PluginMenuStrings;
  int PluginMenuStringsNumber;
  const char* const* PluginConfigStrings;
  int PluginConfigStringsNumber;
  const char* CommandPrefix;
};

// Service functions FAR hands to the plugin (all WINAPI).
typedef int(WINAPI* FARAPIMENU)(int PluginNumber, int X, int Y, int MaxHeight, unsigned int Flags,
                                char* Title, char* Bottom, char* HelpTopic, int* BreakKeys,
                                int* BreakCode, FarMenuItem* Items, int ItemsNumber);
typedef int(WINAPI* FARAPIDIALOG)(int PluginNumber, int X1, int Y1, int X2, int Y2,
                                  char* HelpTopic, FarDialogItem* Items, int ItemsNumber);
typedef int(WINAPI* FARAPIMESSAGE)(int PluginNumber, unsigned int Flags, char* HelpTopic,
                                   char** Items, int ItemsNumber, int ButtonsNumber);
typedef char*(WINAPI* FARAPIGETMSG)(int PluginNumber, int MsgId);
typedef int(WINAPI* FARAPICONTROL)(HANDLE hPlugin, int Command, void* Param);
typedef void*(WINAPI* FARAPIGENERIC)();

struct PluginStartupInfo {
  int StructSize;
  char ModuleName[MAX_PATH];
  int ModuleNumber;
  char* RootKey;
  FARAPIMENU Menu;
  FARAPIDIALOG Dialog;
  FARAPIMESSAGE Message;
  FARAPIGETMSG GetMsg;
  FARAPICONTROL Control;
  FARAPIGENERIC SaveScreen;
  FARAPIGENERIC RestoreScreen;
  FARAPIGENERIC GetDirList;
  FARAPIGENERIC GetPluginDirList;
  FARAPIGENERIC FreeDirList;
  FARAPIGENERIC Viewer;
  FARAPIGENERIC Editor;
  FARAPIGENERIC CmpName;
  FARAPIGENERIC CharTable;
  FARAPIGENERIC Text;
  FARAPIGENERIC EditorControl;
};

#pragma pack(pop)

// Message box flags.
enum { FMSG_WARNING = 0x1, FMSG_ERRORTYPE = 0x2, FMSG_KEEPBACKGROUND = 0x4, FMSG_DOWN = 0x8,
       FMSG_LEFTALIGN = 0x10 };

// Dialog item types and flags.
enum { DI_TEXT, DI_VTEXT, DI_SINGLEBOX, DI_DOUBLEBOX, DI_EDIT, DI_PSWEDIT, DI_FIXEDIT, DI_BUTTON,
       DI_CHECKBOX, DI_RADIOBUTTON };
enum : unsigned int {
  DIF_COLORMASK = 0xFF, DIF_SETCOLOR = 0x100, DIF_BOXCOLOR = 0x200, DIF_GROUP = 0x400,
  DIF_LEFTTEXT = 0x800, DIF_MOVESELECT = 0x1000, DIF_SHOWAMPERSAND = 0x2000,
  DIF_CENTERGROUP = 0x4000, DIF_NOBRACKETS = 0x8000, DIF_SEPARATOR = 0x10000,
  DIF_EDITOR = 0x20000, DIF_HISTORY = 0x40000
};

// Control commands.
enum {
  FCTL_CLOSEPLUGIN, FCTL_GETPANELINFO, FCTL_GETANOTHERPANELINFO, FCTL_UPDATEPANEL,
  FCTL_UPDATEANOTHERPANEL, FCTL_REDRAWPANEL, FCTL_REDRAWANOTHERPANEL, FCTL_SETANOTHERPANELDIR,
  FCTL_GETCMDLINE, FCTL_SETCMDLINE, FCTL_SETSELECTION, FCTL_SETANOTHERSELECTION,
  FCTL_SETVIEWMODE, FCTL_SETANOTHERVIEWMODE, FCTL_INSERTCMDLINE, FCTL_SETUSERSCREEN,
  FCTL_SETPANELDIR, FCTL_SETCMDLINEPOS, FCTL_GETCMDLINEPOS
};

enum { PTYPE_FILEPANEL, PTYPE_TREEPANEL, PTYPE_QVIEWPANEL, PTYPE_INFOPANEL };

// ProcessEvent events.
enum { FE_CHANGEVIEWMODE, FE_REDRAW, FE_IDLE, FE_CLOSE, FE_BREAK, FE_COMMAND };

enum : DWORD {
  OPIF_USEFILTER = 0x1, OPIF_USESORTGROUPS = 0x2, OPIF_USEHIGHLIGHTING = 0x4, OPIF_ADDDOTS = 0x8,
  OPIF_RAWSELECTION = 0x10, OPIF_REALNAMES = 0x20, OPIF_SHOWNAMESONLY = 0x40,
  OPIF_SHOWRIGHTALIGNNAMES = 0x80, OPIF_SHOWPRESERVECASE = 0x100, OPIF_FINDFOLDERS = 0x200,
  OPIF_COMPAREFATTIME = 0x400, OPIF_EXTERNALGET = 0x800, OPIF_EXTERNALPUT = 0x1000,
  OPIF_EXTERNALDELETE = 0x2000, OPIF_EXTERNALMKDIR = 0x4000, OPIF_USEATTRHIGHLIGHTING = 0x8000
};

enum { OPM_SILENT = 0x1, OPM_FIND = 0x2, OPM_VIEW = 0x4, OPM_EDIT = 0x8, OPM_TOPLEVEL = 0x10,
       OPM_DESCR = 0x20 };

enum : DWORD { PPIF_PROCESSDESCR = 0x80000000, PPIF_SELECTED = 0x40000000,
               PPIF_USERDATA = 0x20000000 };

enum { PKF_CONTROL = 0x1, PKF_ALT = 0x2, PKF_SHIFT = 0x4 };

enum { SM_DEFAULT, SM_UNSORTED, SM_NAME, SM_EXT, SM_MTIME, SM_CTIME, SM_ATIME, SM_SIZE, SM_DESCR,
       SM_OWNER, SM_COMPRESSEDSIZE, SM_NUMLINKS };

enum { OPEN_DISKMENU, OPEN_PLUGINSMENU, OPEN_FINDLIST, OPEN_SHORTCUT, OPEN_COMMANDLINE,
       OPEN_EDITOR, OPEN_VIEWER };

enum { PF_PRELOAD = 0x1, PF_DISABLEPANELS = 0x2, PF_EDITOR = 0x4, PF_VIEWER = 0x8 };

#define FAR_OFFSET_CHECK(T, M, O) static_assert(offsetof(T, M) == (O), #T "." #M " offset")

#ifndef _WIN64
static_assert(sizeof(FAR_FIND_DATA) == 318, "find data");
FAR_OFFSET_CHECK(FAR_FIND_DATA, ftCreationTime, 4);
FAR_OFFSET_CHECK(FAR_FIND_DATA, ftLastAccessTime, 12);
FAR_OFFSET_CHECK(FAR_FIND_DATA, ftLastWriteTime, 20);
FAR_OFFSET_CHECK(FAR_FIND_DATA, nFileSizeHigh, 28);
FAR_OFFSET_CHECK(FAR_FIND_DATA, nFileSizeLow, 32);
FAR_OFFSET_CHECK(FAR_FIND_DATA, dwReserved0, 36);
FAR_OFFSET_CHECK(FAR_FIND_DATA, dwReserved1, 40);
FAR_OFFSET_CHECK(FAR_FIND_DATA, cFileName, 44);
FAR_OFFSET_CHECK(FAR_FIND_DATA, cAlternateFileName, 304);

static_assert(sizeof(PluginPanelItem) == 366, "PluginPanelItem");
FAR_OFFSET_CHECK(PluginPanelItem, PackSizeHigh, 318);
FAR_OFFSET_CHECK(PluginPanelItem, PackSize, 322);
FAR_OFFSET_CHECK(PluginPanelItem, Flags, 326);
FAR_OFFSET_CHECK(PluginPanelItem, NumberOfLinks, 330);
FAR_OFFSET_CHECK(PluginPanelItem, Description, 334);
FAR_OFFSET_CHECK(PluginPanelItem, Owner, 338);
FAR_OFFSET_CHECK(PluginPanelItem, CustomColumnData, 342);
FAR_OFFSET_CHECK(PluginPanelItem, CustomColumnNumber, 346);
FAR_OFFSET_CHECK(PluginPanelItem, UserData, 350);
FAR_OFFSET_CHECK(PluginPanelItem, Reserved, 354);

static_assert(sizeof(PluginStartupInfo) == 336, "PluginStartupInfo");
FAR_OFFSET_CHECK(PluginStartupInfo, ModuleName, 4);
FAR_OFFSET_CHECK(PluginStartupInfo, ModuleNumber, 264);
FAR_OFFSET_CHECK(PluginStartupInfo, RootKey, 268);
FAR_OFFSET_CHECK(PluginStartupInfo, Menu, 272);
FAR_OFFSET_CHECK(PluginStartupInfo, Dialog, 276);
FAR_OFFSET_CHECK(PluginStartupInfo, Message, 280);
FAR_OFFSET_CHECK(PluginStartupInfo, GetMsg, 284);
FAR_OFFSET_CHECK(PluginStartupInfo, Control, 288);
FAR_OFFSET_CHECK(PluginStartupInfo, SaveScreen, 292);
FAR_OFFSET_CHECK(PluginStartupInfo, Viewer, 312);
FAR_OFFSET_CHECK(PluginStartupInfo, EditorControl, 332);

static_assert(sizeof(PluginInfo) == 40, "PluginInfo");
FAR_OFFSET_CHECK(PluginInfo, Flags, 4);
FAR_OFFSET_CHECK(PluginInfo, DiskMenuStrings, 8);
FAR_OFFSET_CHECK(PluginInfo, DiskMenuNumbers, 12);
FAR_OFFSET_CHECK(PluginInfo, DiskMenuStringsNumber, 16);
FAR_OFFSET_CHECK(PluginInfo, PluginMenuStrings, 20);
FAR_OFFSET_CHECK(PluginInfo, PluginMenuStringsNumber, 24);
FAR_OFFSET_CHECK(PluginInfo, PluginConfigStrings, 28);
FAR_OFFSET_CHECK(PluginInfo, PluginConfigStringsNumber, 32);
FAR_OFFSET_CHECK(PluginInfo, CommandPrefix, 36);

static_assert(sizeof(OpenPluginInfo) == 68, "OpenPluginInfo");
FAR_OFFSET_CHECK(OpenPluginInfo, Flags, 4);
FAR_OFFSET_CHECK(OpenPluginInfo, HostFile, 8);
FAR_OFFSET_CHECK(OpenPluginInfo, CurDir, 12);
FAR_OFFSET_CHECK(OpenPluginInfo, Format, 16);
FAR_OFFSET_CHECK(OpenPluginInfo, PanelTitle, 20);
FAR_OFFSET_CHECK(OpenPluginInfo, InfoLines, 24);
FAR_OFFSET_CHECK(OpenPluginInfo, InfoLinesNumber, 28);
FAR_OFFSET_CHECK(OpenPluginInfo, DescrFiles, 32);
FAR_OFFSET_CHECK(OpenPluginInfo, DescrFilesNumber, 36);
FAR_OFFSET_CHECK(OpenPluginInfo, PanelModesArray, 40);
FAR_OFFSET_CHECK(OpenPluginInfo, PanelModesNumber, 44);
FAR_OFFSET_CHECK(OpenPluginInfo, StartPanelMode, 48);
FAR_OFFSET_CHECK(OpenPluginInfo, StartSortMode, 52);
FAR_OFFSET_CHECK(OpenPluginInfo, StartSortOrder, 56);
FAR_OFFSET_CHECK(OpenPluginInfo, KeyBar, 60);
FAR_OFFSET_CHECK(OpenPluginInfo, ShortcutData, 64);

static_assert(sizeof(PanelInfo) == 496, "PanelInfo");
FAR_OFFSET_CHECK(PanelInfo, Plugin, 4);
FAR_OFFSET_CHECK(PanelInfo, PanelRect, 8);
FAR_OFFSET_CHECK(PanelInfo, PanelItems, 24);
FAR_OFFSET_CHECK(PanelInfo, ItemsNumber, 28);
FAR_OFFSET_CHECK(PanelInfo, SelectedItems, 32);
FAR_OFFSET_CHECK(PanelInfo, SelectedItemsNumber, 36);
FAR_OFFSET_CHECK(PanelInfo, CurrentItem, 40);
FAR_OFFSET_CHECK(PanelInfo, TopPanelItem, 44);
FAR_OFFSET_CHECK(PanelInfo, Visible, 48);
FAR_OFFSET_CHECK(PanelInfo, Focus, 52);
FAR_OFFSET_CHECK(PanelInfo, ViewMode, 56);
FAR_OFFSET_CHECK(PanelInfo, ColumnTypes, 60);
FAR_OFFSET_CHECK(PanelInfo, ColumnWidths, 140);
FAR_OFFSET_CHECK(PanelInfo, CurDir, 220);
FAR_OFFSET_CHECK(PanelInfo, ShortNames, 480);
FAR_OFFSET_CHECK(PanelInfo, SortMode, 484);
FAR_OFFSET_CHECK(PanelInfo, Reserved, 488);

static_assert(sizeof(PanelRedrawInfo) == 8, "PanelRedrawInfo");
FAR_OFFSET_CHECK(PanelRedrawInfo, TopPanelItem, 4);

static_assert(sizeof(PanelMode) == 44, "PanelMode");
FAR_OFFSET_CHECK(PanelMode, ColumnWidths, 4);
FAR_OFFSET_CHECK(PanelMode, ColumnTitles, 8);
FAR_OFFSET_CHECK(PanelMode, FullScreen, 12);
FAR_OFFSET_CHECK(PanelMode, DetailedStatus, 16);
FAR_OFFSET_CHECK(PanelMode, AlignExtensions, 20);
FAR_OFFSET_CHECK(PanelMode, CaseConversion, 24);
FAR_OFFSET_CHECK(PanelMode, StatusColumnTypes, 28);
FAR_OFFSET_CHECK(PanelMode, StatusColumnWidths, 32);
FAR_OFFSET_CHECK(PanelMode, Reserved, 36);

static_assert(sizeof(KeyBarTitles) == 192, "KeyBarTitles");
FAR_OFFSET_CHECK(KeyBarTitles, CtrlTitles, 48);
FAR_OFFSET_CHECK(KeyBarTitles, AltTitles, 96);
FAR_OFFSET_CHECK(KeyBarTitles, ShiftTitles, 144);

static_assert(sizeof(FarDialogItem) == 548, "FarDialogItem");
FAR_OFFSET_CHECK(FarDialogItem, X1, 4);
FAR_OFFSET_CHECK(FarDialogItem, Y2, 16);
FAR_OFFSET_CHECK(FarDialogItem, Focus, 20);
FAR_OFFSET_CHECK(FarDialogItem, Selected, 24);
FAR_OFFSET_CHECK(FarDialogItem, Flags, 28);
FAR_OFFSET_CHECK(FarDialogItem, DefaultButton, 32);
FAR_OFFSET_CHECK(FarDialogItem, Data, 36);

static_assert(sizeof(FarMenuItem) == 140, "FarMenuItem");
static_assert(sizeof(InfoPanelLine) == 164, "InfoPanelLine");
#endif

#undef FAR_OFFSET_CHECK

// The thirteen entry points Quenby exports.
extern "C" {
typedef void(WINAPI* PFN_SetStartupInfo)(const PluginStartupInfo* Info);
typedef void(WINAPI* PFN_GetPluginInfo)(PluginInfo* Info);
typedef HANDLE(WINAPI* PFN_OpenPlugin)(int OpenFrom, int Item);
typedef HANDLE(WINAPI* PFN_OpenFilePlugin)(char* Name, const unsigned char* Data, int DataSize);
typedef void(WINAPI* PFN_ClosePlugin)(HANDLE hPlugin);
typedef void(WINAPI* PFN_GetOpenPluginInfo)(HANDLE hPlugin, OpenPluginInfo* Info);
typedef int(WINAPI* PFN_GetFindData)(HANDLE hPlugin, PluginPanelItem** pPanelItem,
                                     int* pItemsNumber, int OpMode);
typedef void(WINAPI* PFN_FreeFindData)(HANDLE hPlugin, PluginPanelItem* PanelItem,
                                       int ItemsNumber);
typedef int(WINAPI* PFN_SetDirectory)(HANDLE hPlugin, const char* Dir, int OpMode);
typedef int(WINAPI* PFN_ProcessKey)(HANDLE hPlugin, int Key, unsigned int ControlState);
typedef int(WINAPI* PFN_ProcessEvent)(HANDLE hPlugin, int Event, void* Param);
typedef int(WINAPI* PFN_Configure)(int ItemNumber);
typedef void(WINAPI* PFN_ExitFAR)();
}
