// The FAR 3 folder-list panel: the list file and its root list, the folder view, navigation, and
// how the panel presents itself and answers keys and events.
#include "Far3Panel.h"

#include <cstring>
#include <optional>
#include <unordered_map>
#include "../EmptinessRules.h"
#include "../FARLang.h"
#include "Far3Config.h"
#include "Far3Search.h"
#include "Far3Settings.h"
#include "Far3Synchro.h"

namespace {

// The folder a panel shows, as FCTL_GETPANELDIRECTORY reports it.
std::wstring PanelFolder(HANDLE Panel) {
  intptr_t Size = StartupInfo.PanelControl(Panel, FCTL_GETPANELDIRECTORY, 0, nullptr);
  if (Size < static_cast<intptr_t>(sizeof(FarPanelDirectory))) return std::wstring();
  std::vector<unsigned long long> Buffer((static_cast<size_t>(Size) + 7) / 8);
  auto* Directory = reinterpret_cast<FarPanelDirectory*>(Buffer.data());
  Directory->StructSize = sizeof(FarPanelDirectory);
  if (!StartupInfo.PanelControl(Panel, FCTL_GETPANELDIRECTORY, Size, Directory) || !Directory->Name)
    return std::wstring();
  return Directory->Name;
}

PanelInfo ActivePanelInfo(HANDLE Panel) {
  PanelInfo Info{};
  Info.StructSize = sizeof(Info);
  StartupInfo.PanelControl(Panel, FCTL_GETPANELINFO, 0, &Info);
  return Info;
}

void CopyFindData(PluginPanelItem& Item, const WIN32_FIND_DATAW& Data) {
  Item.FileAttributes = Data.dwFileAttributes;
  Item.CreationTime = Data.ftCreationTime;
  Item.LastAccessTime = Data.ftLastAccessTime;
  Item.LastWriteTime = Data.ftLastWriteTime;
  Item.ChangeTime = Data.ftLastWriteTime;
  Item.FileSize = static_cast<unsigned long long>(Data.nFileSizeHigh) << 32 | Data.nFileSizeLow;
}

// What a root item shows of its parent folder, kept for a reread in less room than the search's
// record.
class TFolderData {
 public:
  explicit TFolderData(const WIN32_FIND_DATAW& Data)
      : FAttributes(Data.dwFileAttributes), FCreation(Data.ftCreationTime),
        FAccess(Data.ftLastAccessTime), FWrite(Data.ftLastWriteTime),
        FSizeLow(Data.nFileSizeLow), FSizeHigh(Data.nFileSizeHigh) {}
  WIN32_FIND_DATAW FindData() const {
    WIN32_FIND_DATAW Data;
    memset(&Data, 0, sizeof(Data));
    Data.dwFileAttributes = FAttributes;
    Data.ftCreationTime = FCreation;
    Data.ftLastAccessTime = FAccess;
    Data.ftLastWriteTime = FWrite;
    Data.nFileSizeLow = FSizeLow;
    Data.nFileSizeHigh = FSizeHigh;
    return Data;
  }

 private:
  DWORD FAttributes;
  FILETIME FCreation, FAccess, FWrite;
  DWORD FSizeLow, FSizeHigh;
};

}  // namespace

TFar3Panel::TFar3Panel(const std::wstring& FileName)
    : FFileName(FileName), FNumber(RegisterPanel(this)), FWatcher(AskForSynchro, SynchroParam(FNumber)) {
  memset(FPanelModes, 0, sizeof(FPanelModes));
  memset(&FSavedRedraw, 0, sizeof(FSavedRedraw));
  FSavedRedraw.StructSize = sizeof(FSavedRedraw);
  // The folder FAR showed: the root list reports it as its folder, and closing hands it back.
  // Over another plugin's panel the folder is that plugin's own text, no folder FAR could return
  // to: the process's current folder, where that plugin last went, stands in for it, as it does
  // for an empty one.
  const PanelInfo Info = ActivePanelInfo(PANEL_ACTIVE);
  if (!(Info.Flags & PFLAGS_PLUGIN)) FStartDir = PanelFolder(PANEL_ACTIVE);
  if (FStartDir.empty()) FStartDir = CurrentFolder();
}

TFar3Panel::~TFar3Panel() {
  UnregisterPanel(FNumber);
  FWatcher.Stop();
}

bool TFar3Panel::MarkClosed() {
  // From now on the panel's events are dropped, and no change asks for one.
  FClosed = true;
  UnregisterPanel(FNumber);
  FWatcher.Stop();
  return FCalls == 0;
}

void TFar3Panel::WatchFolders() {
  if (FLevel != 0) FDependsOn.assign(1, DirectoryPart(FFolder));
  if (!FClosed) FWatcher.Watch(FDependsOn);
}

void TFar3Panel::ProcessSynchroEvent() {
  // A call of FAR on the panel runs (the event came while FAR waited for a key inside it, in a
  // message box): the reread waits for the next event.
  if (FCalls > 1) return FWatcher.Again();
  FWatcher.Taken();  // before the reread: a change from now on asks again
  FIdleUpdate = true;
  StartupInfo.PanelControl(this, FCTL_UPDATEPANEL, 1, nullptr);
  FIdleUpdate = false;
  if (!FClosed) StartupInfo.PanelControl(this, FCTL_REDRAWPANEL, 0, nullptr);
}

PluginPanelItem& TFar3Panel::NewItem() {
  FPanelItems.emplace_back();
  PluginPanelItem& Item = FPanelItems.back();
  memset(&Item, 0, sizeof(Item));
  Item.Flags = PPIF_PROCESSDESCR;
  return Item;
}

void TFar3Panel::Close() {
  StartupInfo.PanelControl(this, FCTL_CLOSEPANEL, 0, const_cast<wchar_t*>(FStartDir.c_str()));
}

void TFar3Panel::GetFindData(GetFindDataInfo* Info, TFailure& Failure) {
  Info->PanelItem = nullptr;
  Info->ItemsNumber = 0;
  Build(Failure);
  WatchFolders();
  if (Failure.ClassName) return;  // FAR gets the empty list set above
  FShownFailure[0] = 0;           // read through: the next failure is news again
  Info->PanelItem = FPanelItems.empty() ? nullptr : FPanelItems.data();
  Info->ItemsNumber = FPanelItems.size();
}

void TFar3Panel::Build(TFailure& Failure) {
  // An open folder that has become empty climbs back to the list. A view of the mask alone
  // walks the very search that the test makes, so that walk answers the test too.
  bool Empty = false;
  if (FLevel >= 1 && Settings.AutoExit == 1) {
    if (Settings.ShowAllFiles == 1)
      Empty = IsEmptyFolder(FFolder);
    else if (BuildFolderView(&Empty); !Empty)
      return;
  }
  if (Empty) FLevel = 0;
  if (FLevel == 0)
    BuildRootList(Failure);
  else
    BuildFolderView(nullptr);
}

void TFar3Panel::ReportReadFailure(const TFailure& Caught) {
  TExceptionText Text;
  ComposeExceptionText(Caught, Text);
  if (FIdleUpdate && wcscmp(Text, FShownFailure) == 0) return;
  memcpy(FShownFailure, Text, sizeof(Text));
  ShowExceptionText(Text);
}

// A root item: a folder named by the entry's path or mask, with its parent's times when Data is
// given; a hidden one when it is empty and ShowAllFolders lists it all the same. The ".." item
// is never hidden: in FAR 3 it is the panel's parent item, and FAR hides hidden items.
void TFar3Panel::AppendRootItem(TListEntry Entry, bool Empty, const WIN32_FIND_DATAW* Data) {
  PluginPanelItem& Item = NewItem();
  FEntries.push_back(std::move(Entry));
  const TListEntry& Row = FEntries.back();
  if (Data) CopyFindData(Item, *Data);
  Item.FileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  if (Settings.ShowAllFolders == 1 && Empty) Item.FileAttributes |= FILE_ATTRIBUTE_HIDDEN;
  Item.FileName = Row.Folder.c_str();
  Item.Description = Row.Description.c_str();
}

void TFar3Panel::BuildRootList(TFailure& Failure) {
  FPanelItems.clear();
  FEntries.clear();
  FDependsOn.assign(1, DirectoryPart(FFileName));
  std::string Bytes;
  if (!ReadListFileBytes(FFileName, Bytes, Failure)) return;
  // A long list names the same masks and folders many times: one reread searches each once.
  std::unordered_map<std::wstring, bool> Emptiness;
  std::unordered_map<std::wstring, TFolderData> Parents;
  ForEachListLine(DecodeListText(Bytes), [&](const std::wstring& Line) {
    TListEntry Entry = SplitListLine(Line);
    FDependsOn.push_back(DirectoryPart(Entry.Folder));  // listed or not: it may fill
    auto Known = Emptiness.find(Entry.Folder);
    if (Known == Emptiness.end())
      Known = Emptiness.emplace(Entry.Folder, IsEmptyFolder(Entry.Folder)).first;
    const bool Empty = Known->second;
    if (Empty && Settings.ShowAllFolders != 1) return;
    std::wstring ItsParent = WithoutLastName(Entry.Folder);
    auto Parent = Parents.find(ItsParent);
    if (Parent == Parents.end())
      Parent = Parents.emplace(ItsParent, TFolderData(LookupFindData(ItsParent))).first;
    const WIN32_FIND_DATAW ParentData = Parent->second.FindData();
    AppendRootItem(std::move(Entry), Empty, &ParentData);
  });
  if (FPanelItems.empty()) {
    if (Settings.AutoExitPlugin == 1)
      Close();
    else
      AppendRootItem(TListEntry{L"", FarGetMsg(MEmptyDescription)}, false, nullptr);
  }
  AppendRootItem(TListEntry{L"..", FarGetMsg(MUpDirDescription)}, false, nullptr);
}

void TFar3Panel::BuildFolderView(bool* Empty) {
  const std::wstring Directory = DirectoryPart(FFolder);
  const std::wstring Pattern = Settings.ShowAllFiles == 1 ? Directory + L"*.*" : FFolder;
  WIN32_FIND_DATAW Data;
  TFindHandle Find(Pattern, Data);
  if (Empty) *Empty = true;  // a mask that matches nothing is empty
  FPanelItems.clear();
  FNames.clear();
  std::optional<TContentTest> Content;  // IsEmptyFolder's test of the mask, up to its first hit
  if (Empty) Content.emplace(FFolder);
  if (Find.Valid()) {
    do {
      if (Content && Content->Counts(Data)) Content.reset();
      if (IsDotsName(Data.cFileName)) continue;
      FNames.push_back(Directory + Data.cFileName);  // FAR acts on these names: whole, any length
      PluginPanelItem& Item = NewItem();
      CopyFindData(Item, Data);
      Item.FileName = FNames.back().c_str();
    } while (Find.Next(Data));
  }
  if (Empty) *Empty = Content.has_value();
  // The panel's own "..", as at the root list: FAR reads the flags before the items, so both
  // levels must bring their ".." the same way, or a climb inside GetFindDataW shows two.
  PluginPanelItem& Up = NewItem();
  Up.FileAttributes = FILE_ATTRIBUTE_DIRECTORY;
  Up.FileName = L"..";
}

void TFar3Panel::FreeFindData() {
  FEntries.clear();
  FNames.clear();
}

void TFar3Panel::SetDirectory(const wchar_t* Dir) {
  const std::wstring Name = Dir ? Dir : L"";
  if (FLevel >= 1 && Name != L"..") {
    FLevel = 0;
    return;
  }
  if (Name == L"..") {
    if (FLevel == 0) return Close();
    FLevel = 0;
    FFolder = WithoutLastName(FFolder);
    FRestoreCursor = true;
  } else {
    const PanelInfo Info = ActivePanelInfo(this);
    FSavedRedraw.CurrentItem = Info.CurrentItem;
    FSavedRedraw.TopPanelItem = Info.TopPanelItem;
    FFolder = Name;
    FLevel = 1;
  }
  // The current folder cannot hold a long path: such a folder is entered when it exists.
  const std::wstring Folder = DirectoryPart(FFolder);
  if (!SetCurrentDirectoryW(Folder.c_str()) && !IsFolder(Folder)) FLevel = 0;
}

// ---------------------------------------------------------------------------------------------
// Presentation, keys and events

namespace {

const wchar_t ColumnRootTypes[] = L"Z,NR", ColumnRootWidths[] = L"0,24";
const wchar_t StatusRootTypes[] = L"NR,D,T", StatusRootWidths[] = L"0,0,0";
const wchar_t ColumnFolderTypes[] = L"NO,S,D", ColumnFolderWidths[] = L"0,8,10";

// FAR 3 highlights, filters and groups by default; the panel, as in FAR 1.x, does none of the
// last two. Both levels bring their own ".." (the root list's with its description): FAR takes
// it for the panel's parent item, and adds none.
const OPENPANELINFO_FLAGS PanelFlags = OPIF_DISABLEFILTER | OPIF_DISABLESORTGROUPS |
                                       OPIF_RAWSELECTION | OPIF_REALNAMES | OPIF_SHOWNAMESONLY |
                                       OPIF_SHOWPRESERVECASE;

const DWORD ModifierMask = LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED | LEFT_ALT_PRESSED |
                           RIGHT_ALT_PRESSED | SHIFT_PRESSED;

// The root list's key bar: F4 to F8 blanked alone and with Ctrl, Alt or Shift, F8 labelled About.
struct TRootKeyBar {
  KeyBarLabel Labels[20];
  KeyBarTitles Titles;
  TRootKeyBar() {
    const DWORD States[] = {0, LEFT_CTRL_PRESSED, LEFT_ALT_PRESSED, SHIFT_PRESSED};
    size_t I = 0;
    for (DWORD State : States)
      for (WORD Key = VK_F4; Key <= VK_F8; ++Key, ++I) Labels[I] = {{Key, State}, L"", L""};
    Titles = {I, Labels};
  }
  KeyBarTitles* Get() {
    Labels[4].Text = Labels[4].LongText = FarGetMsg(MAbout);  // plain F8, read anew every time
    return &Titles;
  }
} RootKeyBar;

}  // namespace

void TFar3Panel::GetOpenPanelInfo(OpenPanelInfo* Info) {
  Info->Flags = PanelFlags;
  Info->HostFile = nullptr;
  FCurDir = DirectoryPart(FFolder);
  Info->CurDir = FLevel != 0 ? FCurDir.c_str() : FStartDir.c_str();
  Info->Format = FFileName.c_str();
  Info->PanelTitle = FFileName.c_str();
  Info->InfoLines = nullptr;
  Info->InfoLinesNumber = 0;
  Info->DescrFiles = nullptr;
  Info->DescrFilesNumber = 0;
  PanelMode& Mode = FPanelModes[6];
  const bool Root = FLevel == 0;
  Mode.ColumnTypes = Root ? ColumnRootTypes : ColumnFolderTypes;
  Mode.ColumnWidths = Root ? ColumnRootWidths : ColumnFolderWidths;
  Mode.StatusColumnTypes = Root ? StatusRootTypes : ColumnFolderTypes;
  Mode.StatusColumnWidths = Root ? StatusRootWidths : ColumnFolderWidths;
  Mode.Flags = PMFLAGS_DETAILEDSTATUS;
  Info->KeyBar = Root ? RootKeyBar.Get() : nullptr;
  Info->StartSortMode = SM_UNSORTED;
  Info->PanelModesArray = FPanelModes;
  Info->PanelModesNumber = sizeof(FPanelModes) / sizeof(FPanelModes[0]);
  Info->StartPanelMode = L'6';
}

void TFar3Panel::InsertCurrentName() {
  intptr_t Size = StartupInfo.PanelControl(this, FCTL_GETCURRENTPANELITEM, 0, nullptr);
  if (Size < static_cast<intptr_t>(sizeof(PluginPanelItem))) return;  // no item under the cursor
  std::vector<unsigned long long> Buffer((static_cast<size_t>(Size) + 7) / 8);
  FarGetPluginPanelItem Get{sizeof(Get), static_cast<size_t>(Size),
                            reinterpret_cast<PluginPanelItem*>(Buffer.data())};
  if (!StartupInfo.PanelControl(this, FCTL_GETCURRENTPANELITEM, 0, &Get) || !Get.Item->FileName)
    return;
  std::wstring Name = NameAfterPath(Get.Item->FileName) + L" ";
  StartupInfo.PanelControl(this, FCTL_INSERTCMDLINE, 0, const_cast<wchar_t*>(Name.c_str()));
}

intptr_t TFar3Panel::ProcessInput(const INPUT_RECORD& Record) {
  if (Record.EventType != KEY_EVENT || !Record.Event.KeyEvent.bKeyDown) return 0;
  const WORD Key = Record.Event.KeyEvent.wVirtualKeyCode;
  const DWORD State = Record.Event.KeyEvent.dwControlKeyState & ModifierMask;
  intptr_t Result = 0;
  if (FLevel == 0 && Key == VK_F8 && State == 0) ShowAbout();
  if (Key >= VK_F4 && Key <= VK_F8 && FLevel == 0) Result = 1;
  if (Key == VK_RETURN && State && !(State & ~(LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED))) {
    InsertCurrentName();
    Result = 1;
  }
  return Result;
}

intptr_t TFar3Panel::ProcessEvent(intptr_t Event) {
  // FAR 3 sorts inside every update and tells the panel so: the cursor is put back once the
  // list stands, not in the middle of the update.
  const bool InsideUpdate = Event == FE_STARTSORT || Event == FE_ENDSORT || Event == FE_CHANGESORTPARAMS;
  if (FRestoreCursor && !InsideUpdate) {
    FRestoreCursor = false;
    StartupInfo.PanelControl(this, FCTL_REDRAWPANEL, 0, &FSavedRedraw);
  }
  if (Event == FE_IDLE) {  // FAR 3 sent it up to build 5837
    FIdleUpdate = true;    // FAR rereads the panel inside this call
    StartupInfo.PanelControl(this, FCTL_UPDATEPANEL, 1, nullptr);
    FIdleUpdate = false;
    StartupInfo.PanelControl(this, FCTL_REDRAWPANEL, 0, nullptr);
  }
  return 0;
}
