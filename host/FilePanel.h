// FAR's file list as every panel keeps it: its items, their order, the cursor and the folder shown.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "far163.h"

// FAR's own copy of one panel item (what it keeps from a PluginPanelItem after GetFindData).
struct HostItem {
  std::string name;       // cFileName
  std::string shortName;  // cAlternateFileName
  std::string description;
  bool hasDescription = false;  // Description was not NULL
  std::string owner;
  bool hasOwner = false;
  DWORD attributes = 0;
  FILETIME creationTime{}, lastAccessTime{}, lastWriteTime{};
  unsigned long long fileSize = 0;  // nFileSizeHigh:nFileSizeLow
  unsigned long long packSize = 0;  // PackSizeHigh:PackSize
  DWORD flags = 0;                  // PluginPanelItem.Flags as the plugin gave them
  DWORD numberOfLinks = 0;
  DWORD userData = 0;                         // the plain value (or the plugin's pointer)
  std::vector<unsigned char> userDataBlock;   // FAR's copy of the block when PPIF_USERDATA
  std::vector<std::string> customColumns;     // CustomColumnData
  bool selected = false;
  bool addedDots = false;  // the ".." FAR adds itself for OPIF_ADDDOTS
  int position = -1;       // index in the plugin's GetFindData array (-1 for FAR's "..")

  bool IsDirectory() const { return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
  // A plain item for a test's file panel model.
  static HostItem Make(const std::string& name, DWORD attributes = 0,
                       const std::string& description = std::string());
};

namespace farhost {

// The normal file panel of the active side, as the test sets it up. FCTL_GETPANELINFO with
// INVALID_HANDLE_VALUE describes it while no plugin panel is active.
struct FilePanel {
  // The folder shown. FAR reports it as GetCurrentDirectory gives it: a drive root ends with
  // a backslash, a sub-folder does not (PanelDirectory), whatever form the test wrote here.
  std::string curDir;
  std::vector<HostItem> items;
  int currentItem = 0;
  int topPanelItem = 0;
  std::optional<std::string> pendingClose;  // an FCTL_CLOSEPLUGIN addressed to it
  void Add(const std::string& name, DWORD attributes = 0) {
    items.push_back(HostItem::Make(name, attributes));
  }
  // FAR's change of folder to a close text, in the process as FAR makes it: "" changes
  // nothing, "X:" is that drive's current folder, "\" the root of curDir, other texts go to
  // SetCurrentDirectory from curDir ("..", relative texts, a final backslash). False, with the
  // line of FAR's error box in `reason`, where FAR shows that box; the panel then stays where
  // it was. curDir becomes the current folder as GetCurrentDirectory gives it.
  bool ChangeDir(const std::string& text, std::string& reason);
  // FAR's SetCurPath before it rereads the panel: curDir becomes the current folder. Where it
  // is no folder FAR climbs silently to the nearest folder above it that exists, or, with none,
  // goes to its own folder and opens the disks menu; false then, with what FAR did in `reason`.
  bool Reread(std::string& reason);
};

// FAR's order: ".." first; in sorted modes folders before files, then the mode's key, ties by
// name and then by the plugin's order. Unsorted keeps the plugin's order.
void SortItems(std::vector<HostItem>& items, int mode, bool reverse);
// FAR's CorrectPosition: cursor inside the list, top so that the cursor is on a page of `page`.
void ClampCursor(int count, int page, int& current, int& top);
// FAR's case-insensitive name comparison (ASCII letters fold).
int CompareNoCase(const std::string& a, const std::string& b);
// Index of the item named `name` (case-insensitive), or -1.
int FindName(const std::vector<HostItem>& items, const std::string& name);
// A folder as FAR reports it in PanelInfo.CurDir: no final backslash except on "X:\".
std::string PanelDirectory(const std::string& dir);

}  // namespace farhost
