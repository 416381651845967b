// A plugin's panel: FAR's calls on its handle, its update and FAR's own keys and folder changes.
#include "PluginPanel.h"

#include <algorithm>
#include <cstring>

#include "FarHost.h"

namespace farhost {

bool PluginPanel::Begin(const char* what) {
  if (closed) {
    host.Fail(std::string(what) + " on a closed panel");
    return false;
  }
  return host.NeedLoaded(what);
}

bool PluginPanel::GetOpenPluginInfo() {
  if (!Begin("GetOpenPluginInfo")) return false;
  OpenPluginInfo raw;
  std::memset(&raw, 0, sizeof raw);  // FAR zeroes its record before each call
  host.Log("GetOpenPluginInfo");
  host.BeginCall();
  bool nested = inGetInfo_;
  inGetInfo_ = true;
  host.exports.GetOpenPluginInfo(handle, &raw);
  inGetInfo_ = nested;
  OpenInfo copy;
  CopyOpenInfo(host, raw, copy);
  info = std::move(copy);
  hasInfo = true;
  host.EndCall();
  return !closed;
}

bool PluginPanel::Reread(int opMode, bool keepSelection) {
  if (closed) {
    host.Fail("Reread of a closed panel");
    return false;
  }
  if (!host.NeedLoaded("GetFindData")) return false;
  if (inReread_) {
    host.Fail("a panel update started while the same panel was being read");
    return false;
  }
  // The whole update is one step for FAR: deferred commands wait until it is over.
  host.BeginCall();
  inReread_ = true;
  bool ok = ReadOnce(opMode, keepSelection);
  inReread_ = false;
  host.EndCall();
  NoteShown();
  return ok && !closed;
}

void PluginPanel::NoteShown() {
  if (closed || pendingClose || !hasInfo) return;
  if (!(info.flags & OPIF_REALNAMES) || items.empty()) return;
  // With an empty CurDir FAR takes the current item's folder instead. The host then leaves the
  // folder as it was: its tests' file panels may show no folder at all, which FAR's never do,
  // and the list a plugin opened over one of them names no folder to take.
  if (info.curDir.empty())
    shownDir.reset();
  else
    shownDir = info.curDir;
}

bool PluginPanel::ReadOnce(int opMode, bool keepSelection) {
  const HostItem* cur = Current();
  std::string oldName = cur ? cur->name : std::string();
  int oldIndex = currentItem;
  std::set<std::string> oldSelected;
  if (keepSelection)
    for (const HostItem& i : items)
      if (i.selected) oldSelected.insert(i.name);

  if (!GetOpenPluginInfo()) return false;

  PluginPanelItem* data = nullptr;
  int count = 0;
  host.Log("GetFindData");
  ++findDataCalls;
  host.BeginCall();
  int ok = host.exports.GetFindData(handle, &data, &count, opMode);
  host.EndCall();
  if (!ok) {
    host.Log("GetFindData:FALSE");
    ClosePlugin();
    return false;
  }
  lastFindData = data;
  lastFindDataCount = count;
  std::vector<HostItem> fresh = CopyFindData(host, data, count);
  host.Log("FreeFindData");
  host.BeginCall();
  host.exports.FreeFindData(handle, data, count);
  host.EndCall();

  TakeItems(std::move(fresh), oldSelected);
  Arrange(oldName, oldIndex);
  return true;
}

void PluginPanel::TakeItems(std::vector<HostItem> fresh,
                            const std::set<std::string>& oldSelected) {
  bool dotsPresent = std::any_of(fresh.begin(), fresh.end(),
                                 [](const HostItem& i) { return i.name == ".."; });
  if ((info.flags & OPIF_ADDDOTS) && !dotsPresent) {
    HostItem dots = HostItem::Make("..", FILE_ATTRIBUTE_DIRECTORY);
    dots.addedDots = true;
    fresh.insert(fresh.begin(), std::move(dots));
  }
  for (HostItem& i : fresh)
    if (oldSelected.count(i.name)) i.selected = true;
  if (!sortApplied) {
    if (info.startSortMode) {
      sortMode = info.startSortMode;
      sortReverse = info.startSortOrder != 0;
    }
    sortApplied = true;
  }
  SortItems(fresh, sortMode, sortReverse);
  items = std::move(fresh);
}

void PluginPanel::Arrange(const std::string& oldName, int oldIndex) {
  int index = -1;
  if (!oldName.empty()) {
    for (std::size_t i = 0; i < items.size() && index < 0; ++i)
      if (items[i].name == oldName) index = static_cast<int>(i);
    if (index < 0) index = Find(oldName);
  }
  currentItem = index >= 0 ? index : oldIndex;
  CorrectPosition();
}

void PluginPanel::CorrectPosition() {
  ClampCursor(static_cast<int>(items.size()), pageSize, currentItem, topPanelItem);
}

int PluginPanel::SetDirectory(const std::string& dir, int opMode) {
  if (!Begin("SetDirectory")) return FALSE;
  std::vector<char> buffer(std::max<std::size_t>(dir.size() + 1, MAX_PATH), 0);
  std::memcpy(buffer.data(), dir.c_str(), dir.size() + 1);
  host.Log("SetDirectory(" + dir + ")");
  host.BeginCall();
  int r = host.exports.SetDirectory(handle, buffer.data(), opMode);
  host.EndCall();
  return r;
}

int PluginPanel::ProcessKey(int key, unsigned controlState) {
  if (!Begin("ProcessKey")) return FALSE;
  host.Log("ProcessKey(" + std::to_string(key) + "," + std::to_string(controlState) + ")");
  host.BeginCall();
  int r = host.exports.ProcessKey(handle, key, controlState);
  host.EndCall();
  return r;
}

int PluginPanel::ProcessEvent(int event, void* param) {
  if (!Begin("ProcessEvent")) return FALSE;
  host.Log("ProcessEvent(" + std::to_string(event) + ")");
  host.BeginCall();
  int r = host.exports.ProcessEvent(handle, event, param);
  host.EndCall();
  return r;
}

int PluginPanel::ProcessEventText(int event, const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back(0);
  return ProcessEvent(event, buffer.data());
}

void PluginPanel::ClosePlugin() {
  if (!Begin("ClosePlugin")) return;
  host.Log("ClosePlugin");
  host.BeginCall();
  host.exports.ClosePlugin(handle);
  closed = true;
  pendingClose.reset();
  host.OnPanelClosed(*this);
  host.EndCall();
}

bool PluginPanel::Close() {
  if (closed) return true;
  int refused = ProcessEvent(FE_CLOSE, nullptr);
  if (closed) return true;
  if (refused) {
    host.Log("CloseRefused");
    return false;
  }
  ClosePlugin();
  return true;
}

int PluginPanel::ChangeDir(const std::string& dir) {
  if (closed) {
    host.Fail("ChangeDir on a closed panel");
    return FALSE;
  }
  if (!GetOpenPluginInfo()) return FALSE;
  if (dir == ".." && info.curDir.empty()) {
    Close();
    return FALSE;
  }
  std::string folderLeft;
  if (dir == "..") {
    std::size_t slash = info.curDir.find_last_of('\\');
    folderLeft = slash == std::string::npos ? info.curDir : info.curDir.substr(slash + 1);
  }
  int ok = SetDirectory(dir, 0);
  if (closed) return FALSE;
  Reread();
  if (closed) return FALSE;
  if (ok) {
    int index = folderLeft.empty() ? -1 : Find(folderLeft);
    SetCurrent(index >= 0 ? index : 0, 0);
  }
  return ok;
}

bool PluginPanel::EnterDefault() {
  const HostItem* item = Current();
  if (!item) return false;
  if (item->IsDirectory()) {
    std::string name = item->name;
    ChangeDir(name);
    return true;
  }
  host.Log("Enter:file(" + item->name + ")");
  return false;
}

int PluginPanel::Key(int key, unsigned controlState) {
  int handled = ProcessKey(key, controlState);
  if (!handled && !closed) FarKey(key, controlState);
  NoteShown();
  return handled;
}

// What FAR does itself with a key the plugin left alone.
void PluginPanel::FarKey(int key, unsigned controlState) {
  const int count = static_cast<int>(items.size());
  if (controlState == 0) {
    switch (key) {
      case VK_UP: SetCurrent(currentItem - 1); break;
      case VK_DOWN: SetCurrent(currentItem + 1); break;
      case VK_HOME: SetCurrent(0); break;
      case VK_END: SetCurrent(count - 1); break;
      case VK_PRIOR: SetCurrent(currentItem - std::max(pageSize - 1, 1)); break;
      case VK_NEXT: SetCurrent(currentItem + std::max(pageSize - 1, 1)); break;
      case VK_RETURN: EnterDefault(); break;
      default: break;
    }
  } else if (controlState == PKF_CONTROL) {
    switch (key) {
      case VK_PRIOR: ChangeDir(".."); break;
      case VK_NEXT: {
        const HostItem* item = Current();
        if (item && item->IsDirectory() && item->name != "..") EnterDefault();
        break;
      }
      case 'R': Reread(0, true); break;
      default: break;
    }
  }
}

const HostItem* PluginPanel::Current() const {
  if (currentItem < 0 || currentItem >= static_cast<int>(items.size())) return nullptr;
  return &items[static_cast<std::size_t>(currentItem)];
}

int PluginPanel::Find(const std::string& name) const { return FindName(items, name); }

bool PluginPanel::SetCurrent(const std::string& name) {
  int index = Find(name);
  if (index < 0) return false;
  SetCurrent(index);
  return true;
}

void PluginPanel::SetCurrent(int index, int top) {
  currentItem = index;
  if (top >= 0) topPanelItem = top;
  CorrectPosition();
}

std::vector<std::string> PluginPanel::Names() const {
  std::vector<std::string> names;
  for (const HostItem& i : items) names.push_back(i.name);
  return names;
}

bool PluginPanel::IsActive() const { return host.activePanel == this; }

}  // namespace farhost
