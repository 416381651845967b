// FAR 3's plugin panel (filelist.cpp UpdatePlugin, SortFileList, ShowFileList, ChangeDir,
// PopPlugin, PopPrevData, ProcessKey; panel.cpp SetCurDir): FAR's calls on one handle and what
// it makes of the answers.
#include "Far3FileList.h"

#include <algorithm>
#include <set>

#include "Far3Host.h"

namespace far3host {

namespace {

bool IsRelativeRoot(const std::wstring& dir) { return dir == L"\\" || dir == L"/"; }

bool IsAbsolutePath(const std::wstring& dir) {
  return (dir.size() >= 3 && dir[1] == L':' && (dir[2] == L'\\' || dir[2] == L'/')) ||
         dir.compare(0, 2, L"\\\\") == 0;
}

// IsParentDirectory(PluginPanelItem): "..", with no other short name.
bool IsParentItem(const Far3Item& i) {
  std::wstring name = i.name;
  while (name.size() > 1 && (name.back() == L'\\' || name.back() == L'/')) name.pop_back();
  return name == L".." && (i.alternateName.empty() || i.alternateName == i.name);
}

long long Time64(const FILETIME& t) {
  return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                                t.dwLowDateTime);
}

int CompareNames(const std::wstring& a, const std::wstring& b) {
  const int r = CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(),
                               static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()));
  return r == CSTR_LESS_THAN ? -1 : r == CSTR_GREATER_THAN ? 1 : 0;
}

std::wstring Extension(const Far3Item& i) {
  if (i.IsDirectory()) return std::wstring();  // SortFolderExt is off by default
  const std::size_t dot = i.name.find_last_of(L'.');
  return dot == std::wstring::npos ? std::wstring() : i.name.substr(dot);
}

// One sort layer's comparison (list_less::compare).
int CompareLayer(int mode, const Far3Item& a, const Far3Item& b) {
  const auto cmp = [](auto x, auto y) { return x < y ? -1 : y < x ? 1 : 0; };
  switch (mode) {
    case SM_UNSORTED: return cmp(a.position, b.position);
    case SM_NAME: return CompareNames(a.name, b.name);
    case SM_EXT: return CompareNames(Extension(a), Extension(b));
    case SM_MTIME: return cmp(Time64(a.lastWriteTime), Time64(b.lastWriteTime));
    case SM_CTIME: return cmp(Time64(a.creationTime), Time64(b.creationTime));
    case SM_ATIME: return cmp(Time64(a.lastAccessTime), Time64(b.lastAccessTime));
    case SM_SIZE: return cmp(a.fileSize, b.fileSize);
    case SM_DESCR: return CompareNames(a.description, b.description);
    default: return CompareNames(a.name, b.name);
  }
}

// FAR's default layers of each sort mode (filelist.cpp SortModes): the mode, then its
// tie-breakers with their own order (true: descending), then the plugin's order.
std::vector<std::pair<int, bool>> Layers(int mode) {
  switch (mode) {
    case SM_UNSORTED: return {{SM_UNSORTED, false}};
    case SM_EXT: return {{SM_EXT, false}, {SM_NAME, false}, {SM_UNSORTED, false}};
    default: return {{mode, false}, {SM_NAME, false}, {SM_UNSORTED, false}};
  }
}

}  // namespace

Far3PluginPanel::Far3PluginPanel(Far3Host& h, HANDLE hd, const std::wstring& file)
    : host(h), handle(hd), hostFile(file) {}

bool Far3PluginPanel::Begin(const char* what) {
  if (closed) {
    host.Fail(std::string(what) + " on a closed panel");
    return false;
  }
  return host.NeedLoaded(what);
}

const Far3Item* Far3PluginPanel::Current() const {
  if (currentItem < 0 || currentItem >= static_cast<int>(items.size())) return nullptr;
  return &items[static_cast<std::size_t>(currentItem)];
}

int Far3PluginPanel::Find(const std::wstring& name) const { return FindItem(items, name); }

bool Far3PluginPanel::SetCurrent(const std::wstring& name) {
  const int at = Find(name);
  if (at < 0) return false;
  SetCurrent(at);
  return true;
}

void Far3PluginPanel::SetCurrent(int index) {
  currentItem = index;
  CorrectPosition();
}

void Far3PluginPanel::CorrectPosition() {
  ClampPosition(static_cast<int>(items.size()), height, currentItem, topItem);
}

std::vector<std::wstring> Far3PluginPanel::Names() const {
  std::vector<std::wstring> names;
  for (const Far3Item& i : items) names.push_back(i.name);
  return names;
}

int Far3PluginPanel::CountNamed(const std::wstring& name) const {
  return static_cast<int>(std::count_if(items.begin(), items.end(),
                                        [&](const Far3Item& i) { return i.name == name; }));
}

// ---------------------------------------------------------------------------------------------
// Single calls

bool Far3PluginPanel::GetOpenPanelInfo() {
  if (!Begin("GetOpenPanelInfoW") || !host.exports.GetOpenPanelInfo) return false;
  OpenPanelInfo raw{};
  raw.StructSize = sizeof raw;
  raw.hPanel = handle;
  raw.Instance = host.Module();
  host.Log("GetOpenPanelInfoW");
  host.BeginCall();
  host.exports.GetOpenPanelInfo(&raw);
  host.EndCall();
  CopyOpenPanelInfo(host, raw, info);
  hasInfo = true;
  // PluginManager::GetOpenPanelInfo: the active panel's real CurDir becomes the process's.
  if ((info.flags & OPIF_REALNAMES) && host.activePanel == this && IsAbsolutePath(info.curDir))
    SetCurrentDirectoryW(info.curDir.c_str());
  return !closed;
}

intptr_t Far3PluginPanel::SetDirectory(const std::wstring& dir, OPERATION_MODES opMode,
                                 const UserDataItem* userData) {
  if (!Begin("SetDirectoryW") || !host.exports.SetDirectory) return FALSE;
  SetDirectoryInfo info{};
  info.StructSize = sizeof info;
  info.hPanel = handle;
  info.Dir = dir.c_str();
  info.OpMode = opMode;
  if (userData) info.UserData = *userData;
  info.Instance = host.Module();
  host.Log("SetDirectoryW(" + Narrow(dir) + ")");
  host.BeginCall();
  const intptr_t r = host.exports.SetDirectory(&info);
  host.EndCall();
  return r;
}

intptr_t Far3PluginPanel::ProcessInput(const INPUT_RECORD& rec) {
  if (!Begin("ProcessPanelInputW") || !host.exports.ProcessPanelInput) return FALSE;
  ProcessPanelInputInfo info{};
  info.StructSize = sizeof info;
  info.hPanel = handle;
  info.Rec = rec;
  info.Instance = host.Module();
  host.Log("ProcessPanelInputW(" + std::to_string(rec.Event.KeyEvent.wVirtualKeyCode) + "," +
           std::to_string(rec.Event.KeyEvent.dwControlKeyState) + ")");
  host.BeginCall();
  const intptr_t r = host.exports.ProcessPanelInput(&info);
  host.EndCall();
  return r;
}

intptr_t Far3PluginPanel::ProcessEvent(intptr_t event, void* param) {
  if (!Begin("ProcessPanelEventW") || !host.exports.ProcessPanelEvent) return FALSE;
  ProcessPanelEventInfo info{sizeof info, event, param, handle, host.Module()};
  host.Log("ProcessPanelEventW(" + std::to_string(event) + ")");
  host.BeginCall();
  const intptr_t r = host.exports.ProcessPanelEvent(&info);
  host.EndCall();
  return r;
}

// ---------------------------------------------------------------------------------------------
// Update, sort and redraw

void Far3PluginPanel::Update(bool keepSelection) {
  if (closed) {
    host.Fail("Update of a closed panel");
    return;
  }
  if (!GetOpenPanelInfo() || !host.exports.GetFindData) return;
  GetFindDataInfo request{};
  request.StructSize = sizeof request;
  request.hPanel = handle;
  request.Instance = host.Module();
  host.Log("GetFindDataW");
  ++findDataCalls;
  ++insideGetFindData_;
  host.BeginCall();
  const intptr_t result = host.exports.GetFindData(&request);
  host.EndCall();
  --insideGetFindData_;
  Far3FilePanel& side = host.filePanel;
  if (closed) {  // closed from inside GetFindDataW: FAR drops the list, no FreeFindDataW
    host.Log("GetFindDataW:closed");
    side.Read();
    side.currentItem = 0;
    side.CorrectPosition();
    return;
  }
  if (!result) {
    host.Log("GetFindDataW:FALSE");
    PopPlugin();
    side.Read();
    return;
  }
  std::optional<std::wstring> curName, nextName;
  if (const Far3Item* cur = Current()) {
    curName = cur->name;
    if (cur->selected)
      for (std::size_t i = static_cast<std::size_t>(currentItem) + 1; i < items.size(); ++i)
        if (!items[i].selected) {
          nextName = items[i].name;
          break;
        }
  } else if (info.flags & OPIF_ADDDOTS) {
    curName = L"..";
  }
  std::set<std::wstring> oldSelected;
  if (keepSelection)
    for (const Far3Item& i : items)
      if (i.selected) oldSelected.insert(i.name);

  std::vector<Far3Item> fresh;
  bool tryToFindParent = true;
  if (info.flags & OPIF_ADDDOTS) {  // FAR's own ".." first, whatever the plugin lists
    Far3Item dots = Far3Item::Make(L"..", FILE_ATTRIBUTE_DIRECTORY);
    dots.alternateName = L"..";
    dots.parentPoint = true;
    fresh.push_back(dots);
    tryToFindParent = false;
  }
  bool parentFound = false;
  for (Far3Item& i : CopyFindData(host, request.PanelItem, request.ItemsNumber)) {
    i.position = fresh.size();
    if (tryToFindParent && !parentFound && IsParentItem(i)) {
      i.attributes = FILE_ATTRIBUTE_DIRECTORY;
      i.name = i.alternateName = L"..";
      i.parentPoint = parentFound = true;
    }
    if (oldSelected.count(i.name)) i.selected = true;
    fresh.push_back(std::move(i));
  }
  items = std::move(fresh);
  if (currentItem >= static_cast<int>(items.size()))
    currentItem = items.empty() ? 0 : static_cast<int>(items.size()) - 1;
  CorrectPosition();
  FreeFindDataInfo freeInfo{sizeof freeInfo, handle, request.PanelItem, request.ItemsNumber,
                            host.Module()};
  if (host.exports.FreeFindData) {
    host.Log("FreeFindDataW");
    host.BeginCall();
    host.exports.FreeFindData(&freeInfo);
    host.EndCall();
  }
  if (closed) return;
  Sort();
  if (closed) return;
  if (curName && (currentItem >= static_cast<int>(items.size()) ||
                  !EqualNoCase(items[static_cast<std::size_t>(currentItem)].name, *curName))) {
    int at = Find(*curName);
    if (at < 0 && nextName) at = Find(*nextName);
    if (at >= 0) SetCurrent(at);
  }
}

void Far3PluginPanel::Sort() {
  if (items.empty() || insideGetFindData_) return;
  ProcessEvent(FE_STARTSORT);
  if (closed) return;
  const auto layers = Layers(sortMode);
  std::stable_sort(items.begin(), items.end(), [&](const Far3Item& a, const Far3Item& b) {
    if (a.parentPoint && b.parentPoint) return a.position < b.position;
    if (a.parentPoint != b.parentPoint) return a.parentPoint;
    if (directoriesFirst && a.IsDirectory() != b.IsDirectory()) return a.IsDirectory();
    for (const auto& [mode, descending] : layers) {
      const bool rev = mode == sortMode ? reverse : descending;
      const int c = rev ? CompareLayer(mode, b, a) : CompareLayer(mode, a, b);
      if (c) return c < 0;
    }
    return false;
  });
  ProcessEvent(FE_ENDSORT);
}

void Far3PluginPanel::Show() {
  if (closed) return;
  if (ProcessEvent(FE_REDRAW) || closed) return;
  if (!GetOpenPanelInfo()) return;
  CorrectPosition();
  ++shows;
  Far3FilePanel& side = host.filePanel;
  if ((info.flags & OPIF_REALNAMES) && !items.empty()) {
    if (!info.curDir.empty()) {
      side.curDir = info.curDir;
    } else if (const Far3Item* cur = Current(); cur && !cur->parentPoint) {
      std::wstring dir = cur->name;
      const std::size_t slash = dir.find_last_of(L"\\/");
      if (slash != std::wstring::npos && slash) dir.resize(dir[slash - 1] != L':' ? slash : slash + 1);
      side.curDir = dir;
    } else {
      side.curDir = side.originalCurDir;
    }
  }
}

// ---------------------------------------------------------------------------------------------
// Closing and changing folders

void Far3PluginPanel::PopPlugin() {
  items.clear();
  if (host.exports.ClosePanel) {
    ClosePanelInfo info{sizeof info, handle, host.Module()};
    host.Log("ClosePanelW");
    host.BeginCall();
    host.exports.ClosePanel(&info);
    host.EndCall();
  }
  closed = true;
  if (host.activePanel == this) host.activePanel = nullptr;
}

void Far3PluginPanel::PopPrevData(const std::wstring& defaultName, bool wasClosed, bool usePrev,
                            bool position, bool setDirectorySuccess) {
  // The list the side shows now: the file panel once this panel has closed.
  Far3FilePanel& side = host.filePanel;
  std::wstring name = defaultName;
  int& upper = closed ? side.upperFolderTopFile : upperFolderTopFile;
  if (wasClosed && prevData_) {  // PrevDataList: the file panel as it was at the open
    prevData_ = false;
    upper = prevTopFile_;
    if (usePrev) name = hostFile;
  }
  std::vector<Far3Item>& list = closed ? side.items : items;
  int& cur = closed ? side.currentItem : currentItem;
  int& top = closed ? side.topItem : topItem;
  if (position) {
    const int at = FindItem(list, PointToName(name));
    if (at >= 0)
      cur = at;
    else if (const int whole = FindItem(list, name); whole >= 0)
      cur = whole;
    top = upper;
    upper = 0;
    ClampPosition(static_cast<int>(list.size()), height, cur, top);
  } else if (setDirectorySuccess) {
    cur = top = 0;
  }
}

bool Far3PluginPanel::CloseTo(const std::wstring& folder) {
  if (closed) return true;
  GetOpenPanelInfo();
  const std::wstring infoHostFile = info.hostFile;
  if (ProcessEvent(FE_CLOSE)) {
    host.Log("CloseRefused");
    return false;
  }
  if (closed) return true;
  PopPlugin();
  closedTo = folder;
  Far3FilePanel& side = host.filePanel;
  if (folder.empty()) {
    side.SetCurPath();
    side.Read();
    PopPrevData(infoHostFile, true, true, true, true);
    side.Read(side.Current() ? side.Current()->name : std::wstring());  // Update(KEEP_SELECTION)
    host.Log("FilePanel:Reread(" + Narrow(side.curDir) + ")");
    return true;
  }
  std::string error;
  if (!side.ChangeDir(folder, folder == L"..", error)) {
    host.Fail("FCTL_CLOSEPANEL(" + Narrow(folder) + "): FAR " + error +
              " and asks whether to go to the nearest existing folder");
    return true;
  }
  host.Log("FilePanel:ChangeDir(" + Narrow(side.curDir) + ")");
  return true;
}

bool Far3PluginPanel::ChangeDir(const std::wstring& dir, bool isParent, const UserDataItem* userData) {
  if (!Begin("ChangeDir") || !GetOpenPanelInfo()) return false;
  const std::wstring infoCurDir = info.curDir, infoHostFile = info.hostFile;
  if (!isParent && !IsRelativeRoot(dir)) upperFolderTopFile = topItem;
  for (Far3Item& i : items) i.selected = false;
  bool success = true, goToPanelFile = false, pluginClosed = false;
  std::wstring findDir;
  if (isParent && (infoCurDir.empty() || IsRelativeRoot(infoCurDir))) {
    if (ProcessEvent(FE_CLOSE)) return true;
    if (closed) return true;
    pluginClosed = true;
    findDir = infoHostFile;
    if (findDir.empty() && (info.flags & OPIF_REALNAMES) && Current()) {
      findDir = Current()->name;
      goToPanelFile = true;
    }
    PopPlugin();
  } else {
    findDir = infoCurDir;
    success = SetDirectory(dir, 0, userData) != FALSE;
  }
  if (closed) {  // the side is a file panel again: SetCurPath, then Update
    host.filePanel.SetCurPath();
    host.filePanel.Read();
  } else {
    Update(!success);
  }
  PopPrevData(findDir, pluginClosed, !goToPanelFile, isParent, success);
  if (!closed) Show();  // Parent()->Refresh()
  return success;
}

// ---------------------------------------------------------------------------------------------
// Keys

intptr_t Far3PluginPanel::Key(WORD vk, DWORD mods) {
  if (closed) {
    host.Fail("Key on a closed panel");
    return FALSE;
  }
  // TranslateKeyToVK: the record FAR builds for a key of its own.
  INPUT_RECORD rec{};
  rec.EventType = KEY_EVENT;
  KEY_EVENT_RECORD& k = rec.Event.KeyEvent;
  k.bKeyDown = TRUE;
  k.wRepeatCount = 1;
  k.wVirtualKeyCode = vk;
  k.wVirtualScanCode = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
  if (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_TAB || vk == VK_BACK || vk == VK_SPACE ||
      (vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z'))
    k.uChar.UnicodeChar = vk == VK_RETURN ? 13 : vk == VK_ESCAPE ? 27 : vk == VK_TAB ? 9
                        : vk == VK_BACK ? 8 : static_cast<wchar_t>(vk);
  k.dwControlKeyState = mods;
  switch (vk) {
    case VK_PRIOR: case VK_NEXT: case VK_END: case VK_HOME: case VK_LEFT: case VK_UP:
    case VK_RIGHT: case VK_DOWN: case VK_INSERT: case VK_DELETE:
      k.dwControlKeyState |= ENHANCED_KEY;
      break;
    default:
      break;
  }
  // FileList::ProcessKey: Enter is kept from the plugin while the command line holds text.
  const bool plainEnter = vk == VK_RETURN && (mods & ~static_cast<DWORD>(kShift)) == 0;
  intptr_t r = FALSE;
  if (host.commandLine.empty() || !plainEnter) r = ProcessInput(rec);
  if (r || closed) return r;
  const bool ctrl = (mods & (kCtrl | kRCtrl)) && !(mods & (kAlt | kRAlt | kShift));
  if (mods == kNone) {
    const int count = static_cast<int>(items.size());
    switch (vk) {
      case VK_UP: SetCurrent(currentItem - 1); break;
      case VK_DOWN: SetCurrent(currentItem + 1); break;
      case VK_HOME: SetCurrent(0); break;
      case VK_END: SetCurrent(count - 1); break;
      case VK_RETURN: {  // ProcessEnter
        const Far3Item* cur = Current();
        if (!cur) break;
        if (cur->IsDirectory()) {
          const Far3Item item = *cur;
          ChangeDir(item.name, item.parentPoint, &item.userData);
        } else {
          host.Log("Enter:file(" + Narrow(cur->name) + ")");
        }
        break;
      }
      default: host.Log("FarKey(" + std::to_string(vk) + ")"); break;
    }
  } else if (ctrl && vk == VK_PRIOR) {
    ChangeDir(L"..", true);
  } else if (ctrl && vk == 'R') {
    Update(true);
    if (!closed) Show();
  } else {
    host.Log("FarKey(" + std::to_string(vk) + "," + std::to_string(mods) + ")");
  }
  return r;
}

}  // namespace far3host
