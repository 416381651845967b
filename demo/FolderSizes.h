// FAR's F3 on a folder (FileList::CountDirSize): the folder's size counted and shown in the size
// column, plain at first and after "~" once the panel has been read again.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "FarHost.h"

// One size FAR shows in place of <Folder> (its ShowFolderSize: 1, then 2 after a reread).
struct FolderSize {
  unsigned long long bytes = 0;
  bool reread = false;  // carried over a reread that kept the selection: "~" before it
};

// What one side of the screen shows of counted sizes: FAR keeps them in its item list, so a
// new list (another folder, another panel on that side) forgets them.
class PanelSizes {
 public:
  // The list the side shows now: `list` names it (the folder, or the plugin panel and its
  // folder). A changed list forgets every size.
  void Showing(const std::string& list);
  void Set(const std::string& name, unsigned long long bytes);
  const FolderSize* Find(const std::string& name) const;
  // FAR read the list again. Kept (UPDATE_KEEP_SELECTION): FAR's MoveSelection carries each
  // size over to the item of the same name, marked; otherwise every size is gone.
  void Reread(const std::vector<HostItem>& items, bool kept);

  // Once a step, for what the side shows. FAR's own panel: the demo reads its folder often;
  // FAR reads it again (keeping the selection) only when its change notification fires.
  void Track(const FarHost::FilePanel& f);
  // A plugin's panel: a GetFindData since the last look was an update, which kept the selection
  // unless the plugin asked for it with a NULL Param (`kept`).
  void Track(const FarHost::Panel& p, bool kept);

 private:
  std::string list_;
  std::map<std::string, FolderSize> sizes_;
  std::vector<HostItem> seenItems_;
  int seenReads_ = 0;
};

// F3 on the folder under the cursor of FAR's own panel, or of a plugin's panel, as FAR's
// CountDirSize does with nothing selected.
void CountDirSize(PanelSizes& sizes, const FarHost::FilePanel& f);
void CountDirSize(PanelSizes& sizes, const FarHost::Panel& p);

// FAR's GetDirInfo: the bytes of every file below `folder` (as FindFirstFile takes it, relative
// to the current folder), through every sub-folder. A name FindFirstFile cannot search counts 0.
unsigned long long CountFolder(const std::string& folder);

// True when FAR's change notification would fire on a folder read again: any item came, went or
// changed its size, time or attributes.
bool FolderChanged(const std::vector<HostItem>& before, const std::vector<HostItem>& after);
