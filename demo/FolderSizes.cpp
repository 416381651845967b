// The sizes FAR counts for folders with F3, as far/filelist.cpp (CountDirSize), far/mix.cpp
// (GetDirInfo) and far/flupdate.cpp (MoveSelection) keep them.
#include "FolderSizes.h"

#include <windows.h>

#include <cstring>

#include "DiskFolder.h"

void PanelSizes::Showing(const std::string& list) {
  if (list == list_) return;
  list_ = list;
  sizes_.clear();
}

void PanelSizes::Set(const std::string& name, unsigned long long bytes) {
  sizes_[name] = FolderSize{bytes, false};
}

const FolderSize* PanelSizes::Find(const std::string& name) const {
  auto it = sizes_.find(name);
  return it == sizes_.end() ? nullptr : &it->second;
}

void PanelSizes::Reread(const std::vector<HostItem>& items, bool kept) {
  std::map<std::string, FolderSize> carried;
  for (const HostItem& item : items) {
    auto it = kept ? sizes_.find(item.name) : sizes_.end();  // FAR matches names exactly
    if (it != sizes_.end()) carried[item.name] = FolderSize{it->second.bytes, true};
  }
  sizes_ = std::move(carried);
}

void PanelSizes::Track(const FarHost::FilePanel& f) {
  Showing("FAR:" + f.curDir);
  if (FolderChanged(seenItems_, f.items)) Reread(f.items, true);  // UPDATE_KEEP_SELECTION
  seenItems_ = f.items;
}

void PanelSizes::Track(const FarHost::Panel& p, bool kept) {
  char handle[32];
  snprintf(handle, sizeof handle, "%p:", static_cast<void*>(p.handle));
  Showing(handle + p.info.curDir);
  if (p.findDataCalls != seenReads_) Reread(p.items, kept);
  seenReads_ = p.findDataCalls;
}

void CountDirSize(PanelSizes& sizes, const FarHost::FilePanel& f) {
  if (f.currentItem < 0 || f.currentItem >= static_cast<int>(f.items.size())) return;
  const HostItem& cur = f.items[f.currentItem];
  if (!cur.IsDirectory()) return;
  // SetCurPath made the panel's folder the current one; ".." counts that folder itself.
  sizes.Set(cur.name, CountFolder(cur.name == ".." ? f.curDir : JoinPath(f.curDir, cur.name)));
}

void CountDirSize(PanelSizes& sizes, const FarHost::Panel& p) {
  const HostItem* cur = p.Current();
  if (!cur || !cur->IsDirectory()) return;
  const bool dots = cur->name == "..";
  if (p.currentItem == 0 && dots) {
    // ".." first on a plugin's panel: the sum of what the panel lists. FAR asks the plugin for
    // the contents of each folder (GetPluginDirInfo), which the demo does not: they count 0.
    unsigned long long sum = 0;
    for (size_t i = 1; i < p.items.size(); ++i)
      if (!p.items[i].IsDirectory()) sum += p.items[i].fileSize;
    sizes.Set("..", sum);
  }
  // Real names are counted on the disk, from the current folder that the plugin or FAR left
  // (SetCurPath changes nothing on a plugin's panel); ".." is that folder. For other names
  // FAR's list of the plugin's folder would do, and ".." has none.
  if (p.info.flags & OPIF_REALNAMES) sizes.Set(cur->name, CountFolder(dots ? "." : cur->name));
}

// ScanTree from `folder` with the mask "*.*": files first met are counted, folders entered.
unsigned long long CountFolder(const std::string& folder) {
  std::string path = folder;
  if (path.empty() || path.back() != '\\') path += '\\';
  unsigned long long bytes = 0;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((path + "*.*").c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  do {
    if (!std::strcmp(d.cFileName, ".") || !std::strcmp(d.cFileName, "..")) continue;
    if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
      bytes += CountFolder(path + d.cFileName);
    else
      bytes += (static_cast<unsigned long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return bytes;
}

bool FolderChanged(const std::vector<HostItem>& before, const std::vector<HostItem>& after) {
  if (before.size() != after.size()) return true;
  for (size_t i = 0; i < before.size(); ++i) {
    const HostItem &a = before[i], &b = after[i];
    if (a.name != b.name || a.fileSize != b.fileSize || a.attributes != b.attributes ||
        CompareFileTime(&a.lastWriteTime, &b.lastWriteTime) != 0)
      return true;
  }
  return false;
}
