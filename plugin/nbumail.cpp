// The folder-list panel: the list file and its root list, the folder view, navigation, and how
// the panel presents itself and answers keys and events. Also the settings record.
#include "nbumail.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <optional>
#include "Barrier.h"
#include "Config.h"
#include "FARIntf.h"
#include "FARLang.h"
#include "ListRules.h"
#include "SettingsList.h"

TSettings Settings;

// ---------------------------------------------------------------------------------------------
// Settings: one table binds each field to its registry value name and default.

namespace {

struct TSettingField {
  const char* Name;
  size_t Offset;
  DWORD Size;
  int Default;
  bool IsText;
};

#define INT_SETTING(F, D) {#F, offsetof(TSettings, F), sizeof(int), D, false},
#define TEXT_SETTING(F, N) {#F, offsetof(TSettings, F), sizeof(TSettings::F), 0, true},
const TSettingField SettingFields[] = {QUENBY_SETTINGS(INT_SETTING, TEXT_SETTING)};
#undef INT_SETTING
#undef TEXT_SETTING
#define TEXT_BLOCK_SIZE(F, N) static_assert(sizeof(TSettings::F) == (N), #F " block size");
#define NO_CHECK(F, D)
QUENBY_SETTINGS(NO_CHECK, TEXT_BLOCK_SIZE)
#undef TEXT_BLOCK_SIZE
#undef NO_CHECK

char* FieldAddress(const TSettingField& F) {
  return reinterpret_cast<char*>(&Settings) + F.Offset;
}

}  // namespace

void LoadSettings() {
  for (const TSettingField& F : SettingFields) {
    if (F.IsText)
      ReadRegValue(F.Name, FieldAddress(F), F.Size);  // a block that can't be read keeps its text
    else
      *reinterpret_cast<int*>(FieldAddress(F)) = ReadRegInteger(F.Name, F.Default);
  }
}

void SaveSettings() {
  for (const TSettingField& F : SettingFields) WriteRegValue(F.Name, FieldAddress(F), F.Size);
}

std::string BlockText(const char* Block, size_t Size) {
  const void* Zero = memchr(Block, 0, Size);
  return std::string(Block, Zero ? static_cast<const char*>(Zero) - Block : Size);
}

void SetBlockText(char* Block, size_t Size, const std::string& Text) {
  size_t Length = Text.size() < Size ? Text.size() : Size;
  memcpy(Block, Text.data(), Length);
  if (Length < Size) Block[Length] = 0;
}

// ---------------------------------------------------------------------------------------------
// Items

namespace {

template <size_t N> void CopyName(char (&Field)[N], const char* Text) {
  size_t Length = strnlen(Text, N - 1);
  memcpy(Field, Text, Length);
  Field[Length] = 0;
}

void CopyFindData(PluginPanelItem& Item, const WIN32_FIND_DATAA& Data) {
  FAR_FIND_DATA& F = Item.FindData;
  F.dwFileAttributes = Data.dwFileAttributes;
  F.ftCreationTime = Data.ftCreationTime;
  F.ftLastAccessTime = Data.ftLastAccessTime;
  F.ftLastWriteTime = Data.ftLastWriteTime;
  F.nFileSizeHigh = Data.nFileSizeHigh;
  F.nFileSizeLow = Data.nFileSizeLow;
  CopyName(F.cFileName, Data.cFileName);
  CopyName(F.cAlternateFileName, Data.cAlternateFileName);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The list file

TFileSystemFile SplitListLine(const std::string& Line) {
  return SplitAtLastComma<TFileSystemFile>(Line, LastCharOf(Line, ","));
}

namespace {

struct THandleCloser {
  void operator()(HANDLE H) const { CloseHandle(H); }
};

// The list file's input/output failure with the system's error code, shown where it happened.
// Returns false, for the reader to return.
__attribute__((noinline)) bool InOutError(TCaughtException& Failure, const char* What,
                                          const std::string& FileName) {
  DWORD Code = GetLastError();
  Failure.ClassName = "EInOutError";
  TFixedText(Failure.Message, sizeof(Failure.Message))
      .Add(What).Add(" ").Add(FileName.c_str()).Add(" (I/O error ").AddDecimal(Code).Add(")");
  Failure.Address = __builtin_return_address(0);
  return false;
}

}  // namespace

bool ReadListFileLines(const std::string& FileName, void (*OnLine)(void*, const std::string&),
                       void* Context, TCaughtException& Failure) {
  HANDLE Raw = CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (Raw == INVALID_HANDLE_VALUE)
    return InOutError(Failure, "Cannot open the list file", FileName);
  std::unique_ptr<void, THandleCloser> File(Raw);
  // Memory running out while the file is open runs no destructor: this closes it then.
  TUnwindCleanup CloseOnFailure([](void* H) { CloseHandle(H); }, Raw);

  TListLineCutter<std::string> Cutter;
  auto Deliver = [&](const std::string& Line) { OnLine(Context, Line); };
  std::vector<char> Buffer(64 * 1024);
  for (;;) {
    DWORD Got = 0;
    if (!ReadFile(Raw, Buffer.data(), static_cast<DWORD>(Buffer.size()), &Got, nullptr))
      return InOutError(Failure, "Cannot read the list file", FileName);
    if (Got == 0 || !Cutter.Feed(Buffer.data(), Got, Deliver)) break;
  }
  Cutter.Finish(Deliver);
  return true;
}

// ---------------------------------------------------------------------------------------------
// The panel

TNbumail::TNbumail(const std::string& FileName)
    : FFileName(FileName), FItemsNumber(0), FRestoreCursor(0), FLevel(0) {
  memset(FPanelModes, 0, sizeof(FPanelModes));
  memset(&FPanelInfo, 0, sizeof(FPanelInfo));
  memset(&FSavedRedraw, 0, sizeof(FSavedRedraw));
  // The folder FAR showed: the root list reports it as its directory, and closing hands it
  // back, so that FAR returns to a folder that exists. FAR gives a sub-folder without its final
  // backslash, so gluing the item name to it would name nothing.
  StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &FPanelInfo);
  FStartDir.assign(FPanelInfo.CurDir, strnlen(FPanelInfo.CurDir, sizeof(FPanelInfo.CurDir)));
  // FAR copies the CurDir it is handed into 260 bytes: a longer text would overrun them.
  if (FStartDir.size() >= MAX_PATH) FStartDir.resize(MAX_PATH - 1);
  // Over another plugin's panel CurDir is that plugin's own text ("C:", "d1\"), no folder FAR
  // could return to: the process's current folder, where that plugin last went, stands in for
  // it, as it does for an empty CurDir. Not an empty close text: FAR would reread the CurDir
  // this panel showed last, after a climb and AutoExitPlugin a folder view's, relative or not.
  if (FPanelInfo.Plugin || FStartDir.empty()) {
    const std::string Here = CurrentFolder();
    if (Here.empty()) return;  // none that fits FAR's field: the close hands FAR nothing
    FStartDir = Here;
  }
  FCloseDir = FStartDir;
}

TNbumail::~TNbumail() = default;

PluginPanelItem& TNbumail::NewItem() {
  FPanelItems.emplace_back();
  PluginPanelItem& Item = FPanelItems.back();
  memset(&Item, 0, sizeof(Item));
  return Item;
}

void TNbumail::FillPanelItem(PluginPanelItem& Item, const std::string& Name,
                             const char* Description) {
  FillPanelItem(Item, Name, Description, Settings.ShowAllFolders == 1 && IsEmptyFolder(Name));
}

void TNbumail::FillPanelItem(PluginPanelItem& Item, const std::string& Name,
                             const char* Description, bool Empty) {
  if (FLevel == 0) Item.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  if (Settings.ShowAllFolders == 1 && Empty)
    Item.FindData.dwFileAttributes = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN;
  CopyName(Item.FindData.cFileName, Name.c_str());
  Item.Description = const_cast<char*>(Description);
  Item.Flags = PPIF_PROCESSDESCR;
  Item.Owner = nullptr;
  Item.CustomColumnData = nullptr;
  Item.CustomColumnNumber = 0;
}

void TNbumail::Close() {
  StartupInfo.Control(this, FCTL_CLOSEPLUGIN, const_cast<char*>(FCloseDir.c_str()));
}

bool TNbumail::GetFindData(PluginPanelItem** Items, int* Count, TCaughtException& Failure) {
  *Items = nullptr;
  *Count = 0;
  bool Built = Build(Items, Count, Failure);
  if (!Failure.ClassName) FShownFailure[0] = 0;  // read through: the next failure is news again
  return Built;
}

bool TNbumail::Build(PluginPanelItem** Items, int* Count, TCaughtException& Failure) {
  // An open folder that has become empty climbs back to the list. A view of the mask alone
  // walks the very search that the test makes, so that walk answers the test too.
  bool Empty = false;
  if (FLevel >= 1 && Settings.AutoExit == 1) {
    if (Settings.ShowAllFiles == 1)
      Empty = IsEmptyFolder(FFolder);
    else if (bool Built = BuildFolderView(Items, Count, &Empty); !Empty)
      return Built;
  }
  if (Empty && --FLevel < 0) FLevel = 0;
  return FLevel == 0 ? BuildRootList(Items, Count, Failure)
                     : BuildFolderView(Items, Count, nullptr);
}

// Fixed buffers only: the failure may be memory running out.
void TNbumail::ReportReadFailure(const TCaughtException& Caught) {
  TExceptionText Text;
  ComposeExceptionText(Caught, Text);
  if (FIdleUpdate && strcmp(Text, FShownFailure) == 0) return;
  memcpy(FShownFailure, Text, sizeof(Text));
  ShowExceptionText(Text);
}

void TNbumail::AppendExtraItem(const std::string& Folder, const std::string& Description) {
  PluginPanelItem& Item = NewItem();
  FEntries.push_back(TFileSystemFile{Folder, Description});
  const TFileSystemFile& Row = FEntries.back();
  FillPanelItem(Item, Row.Folder, Row.Description.c_str());
}

bool TNbumail::BuildRootList(PluginPanelItem** Items, int* Count, TCaughtException& Failure) {
  FPanelItems.clear();
  FEntries.clear();
  std::optional<std::string> Parent;  // lines in a row often share it: looked up once for them
  WIN32_FIND_DATAA ParentData{};
  bool Read = ReadListFile(FFileName, [&](const std::string& Line) {
    TFileSystemFile Entry = SplitListLine(Line);
    // A name that does not fit FAR's name field would name another path: leave it out.
    if (Entry.Folder.size() >= MAX_PATH) return;
    const bool Empty = IsEmptyFolder(Entry.Folder);
    if (!Empty || Settings.ShowAllFolders == 1) {
      PluginPanelItem& Item = NewItem();
      FEntries.push_back(std::move(Entry));
      const TFileSystemFile& Row = FEntries.back();
      std::string ItsParent = WithoutLastName(Row.Folder);
      if (ItsParent != Parent) ParentData = LookupFindData(*(Parent = std::move(ItsParent)));
      CopyFindData(Item, ParentData);
      FillPanelItem(Item, Row.Folder, Row.Description.c_str(), Empty);
    }
  }, Failure);
  if (!Read) return false;  // FAR gets the empty list the outputs were set to
  if (FPanelItems.empty()) {
    if (Settings.AutoExitPlugin == 1)
      Close();
    else
      AppendExtraItem("", FarGetMsg(MEmptyDescription));
  }
  AppendExtraItem("..", FarGetMsg(MUpDirDescription));
  FItemsNumber = static_cast<int>(FPanelItems.size());
  *Count = FItemsNumber;
  *Items = FPanelItems.data();
  return true;
}

bool TNbumail::BuildFolderView(PluginPanelItem** Items, int* Count, bool* Empty) {
  const std::string Directory = DirectoryPart(FFolder);
  const std::string Pattern = Settings.ShowAllFiles == 1 ? Directory + "*.*" : FFolder;
  WIN32_FIND_DATAA Data;
  TFindHandle Find(Pattern, Data);
  if (Empty) *Empty = true;  // a mask that matches nothing is empty
  if (!Find.Valid()) return false;
  FPanelItems.clear();
  std::string FullName;  // one buffer for every name: no allocation per item
  std::optional<TContentTest> Content;  // IsEmptyFolder's test of the mask, up to its first hit
  if (Empty) Content.emplace(FFolder);
  do {
    if (Content && Content->Counts(Data)) Content.reset();
    if (IsDots(Data.cFileName)) continue;
    FullName.assign(Directory).append(Data.cFileName);
    // FAR acts on these names directly: a cut name could be another file, so it is left out.
    if (FullName.size() >= MAX_PATH) continue;
    PluginPanelItem& Item = NewItem();
    FillPanelItem(Item, "", nullptr, false);  // the entry's own attributes replace any set here
    CopyFindData(Item, Data);
    CopyName(Item.FindData.cFileName, FullName.c_str());
  } while (Find.Next(Data));
  if (Empty) *Empty = Content.has_value();
  if (Content) return false;  // nothing counted: the caller climbs to the list instead
  FItemsNumber = static_cast<int>(FPanelItems.size());
  *Count = FItemsNumber;
  *Items = FItemsNumber ? FPanelItems.data() : nullptr;
  return true;
}

bool TNbumail::FreeFindData() {
  FEntries.clear();
  return true;
}

bool TNbumail::SetDirectory(const char* Dir) {
  const std::string Name = Dir ? Dir : "";
  if (FLevel >= 1 && Name != "..") {
    FLevel = 0;
    return true;
  }
  if (Name == "..") {
    if (FLevel == 0) {
      Close();
      return true;
    }
    --FLevel;
    FFolder = WithoutLastName(FFolder);
    FRestoreCursor = 1;
  } else {
    StartupInfo.Control(INVALID_HANDLE_VALUE, FCTL_GETPANELINFO, &FPanelInfo);
    FSavedRedraw.CurrentItem = FPanelInfo.CurrentItem;
    FSavedRedraw.TopPanelItem = FPanelInfo.TopPanelItem;
    FFolder = Name;
    ++FLevel;
  }
  if (SetCurrentDirectoryA(DirectoryPart(FFolder).c_str())) return true;
  FLevel = 0;
  return false;
}

// ---------------------------------------------------------------------------------------------
// Presentation, keys and events

namespace {

char EmptyLabel[] = "";
char ColumnRootTypes[] = "Z,NR", ColumnRootWidths[] = "0,24";
char StatusRootTypes[] = "NR,D,T", StatusRootWidths[] = "0,0,0";
char ColumnFolderTypes[] = "NO,S,D", ColumnFolderWidths[] = "0,8,10";

// The root list's key bar: F4 to F8 blanked in every shift state, F8 labelled About.
KeyBarTitles MakeRootKeyBar() {
  KeyBarTitles Bar;
  memset(&Bar, 0, sizeof(Bar));
  for (int F = 3; F <= 7; ++F) {
    Bar.Titles[F] = EmptyLabel;
    Bar.CtrlTitles[F] = EmptyLabel;
    Bar.AltTitles[F] = EmptyLabel;
    Bar.ShiftTitles[F] = EmptyLabel;
  }
  Bar.Titles[7] = nullptr;  // filled with the About label when the root list is shown
  return Bar;
}

KeyBarTitles RootKeyBar = MakeRootKeyBar();

const DWORD PanelFlags = OPIF_USEHIGHLIGHTING | OPIF_ADDDOTS | OPIF_RAWSELECTION | OPIF_REALNAMES |
                         OPIF_SHOWNAMESONLY | OPIF_SHOWPRESERVECASE | OPIF_FINDFOLDERS;

}  // namespace

void TNbumail::GetOpenPluginInfo(OpenPluginInfo* Info) {
  Info->StructSize = sizeof(OpenPluginInfo);
  Info->Flags = PanelFlags;
  Info->HostFile = nullptr;
  // Assigned in place, so that the string's room is reused and a reread allocates nothing.
  size_t Separator = LastCharOf(FFolder, "\\:");
  FCurDir.assign(FFolder, 0, Separator == std::string::npos ? 0 : Separator + 1);
  Info->CurDir = FLevel != 0 ? FCurDir.c_str() : FStartDir.c_str();
  Info->Format = FFileName.c_str();
  Info->PanelTitle = FFileName.c_str();
  Info->InfoLines = nullptr;
  Info->InfoLinesNumber = 0;
  Info->DescrFiles = nullptr;
  Info->DescrFilesNumber = 0;
  PanelMode& Mode = FPanelModes[6];
  if (FLevel == 0) {
    Mode.ColumnTypes = ColumnRootTypes;
    Mode.ColumnWidths = ColumnRootWidths;
    Mode.StatusColumnTypes = StatusRootTypes;
    Mode.StatusColumnWidths = StatusRootWidths;
    Mode.DetailedStatus = -1;
    RootKeyBar.Titles[7] = const_cast<char*>(FarGetMsg(MAbout));
    Info->KeyBar = &RootKeyBar;
  } else {
    Mode.ColumnTypes = ColumnFolderTypes;
    Mode.ColumnWidths = ColumnFolderWidths;
    Mode.StatusColumnTypes = ColumnFolderTypes;
    Mode.StatusColumnWidths = ColumnFolderWidths;
    Mode.DetailedStatus = -1;
    Info->KeyBar = nullptr;
  }
  Mode.FullScreen = 0;
  Info->StartSortMode = SM_UNSORTED;
  Info->PanelModesArray = FPanelModes;
  Info->PanelModesNumber = 11;
  Info->StartPanelMode = '6';
}

void TNbumail::InsertCurrentName() {
  StartupInfo.Control(this, FCTL_GETPANELINFO, &FPanelInfo);
  if (!FPanelInfo.PanelItems || FPanelInfo.CurrentItem < 0 ||
      FPanelInfo.CurrentItem >= FPanelInfo.ItemsNumber)
    return;  // no item under the cursor: nothing to insert
  const char* Field = FPanelInfo.PanelItems[FPanelInfo.CurrentItem].FindData.cFileName;
  std::string Name(Field, strnlen(Field, MAX_PATH));
  size_t Pos = LastCharOf(Name, "\\:");
  if (Pos != std::string::npos) Name.erase(0, Pos + 1);
  Name += ' ';
  StartupInfo.Control(this, FCTL_INSERTCMDLINE, const_cast<char*>(Name.c_str()));
}

int TNbumail::ProcessKey(int Key, unsigned int ControlState) {
  int Result = 0;
  if (FLevel == 0 && Key == VK_F8 && ControlState == 0) ShowAbout();
  if (Key >= VK_F4 && Key <= VK_F8 && FLevel == 0) Result = 1;
  if (ControlState == PKF_CONTROL && Key == VK_RETURN) {
    InsertCurrentName();
    Result = 1;
  }
  return Result;
}

int TNbumail::ProcessEvent(int Event, void*) {
  if (FRestoreCursor) {
    FRestoreCursor = 0;
    StartupInfo.Control(this, FCTL_REDRAWPANEL, &FSavedRedraw);
  }
  if (Event == FE_IDLE) {
    TNbumail* Self = this;
    FIdleUpdate = true;  // FAR rereads the panel inside this call
    StartupInfo.Control(this, FCTL_UPDATEPANEL, &Self);
    FIdleUpdate = false;
    StartupInfo.Control(this, FCTL_REDRAWPANEL, nullptr);
  }
  return 0;
}
