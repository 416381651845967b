// A plugin's panel as FAR drives it: the calls FAR makes on one handle, its update, FAR's own keys.
#pragma once

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "FilePanel.h"
#include "RecordChecks.h"
#include "far163.h"

class FarHost;

namespace farhost {

// FAR's model of one plugin panel (one handle the plugin returned). Every method that calls
// the plugin checks what comes back, then carries out a deferred FCTL_CLOSEPLUGIN.
class PluginPanel {
 public:
  FarHost& host;
  HANDLE handle;
  bool closed = false;
  std::string closedTo;  // the FCTL_CLOSEPLUGIN text that closed it ("" otherwise)

  bool hasInfo = false;
  OpenInfo info;  // last GetOpenPluginInfo
  std::vector<HostItem> items;  // FAR's list: sorted, with FAR's ".." when it adds one
  int currentItem = 0;
  int topPanelItem = 0;
  int pageSize = 18;  // items on screen (rows x columns), for FAR's cursor clamping
  int sortMode = SM_NAME;  // FAR's default; StartSortMode replaces it when the panel opens
  bool sortReverse = false;
  bool sortApplied = false;  // StartSortMode already taken from the first OpenPluginInfo
  int findDataCalls = 0;
  PluginPanelItem* lastFindData = nullptr;  // the plugin's last array (already freed)
  int lastFindDataCount = 0;
  std::optional<std::string> pendingClose;
  // The folder FAR keeps for this side while the panel is shown: for a plugin of real names
  // with items, FAR copies the CurDir it draws over the panel's own folder at every redraw,
  // and rereads it after an empty close.
  std::optional<std::string> shownDir;

  PluginPanel(FarHost& h, HANDLE handle) : host(h), handle(handle) {}
  PluginPanel(const PluginPanel&) = delete;
  PluginPanel& operator=(const PluginPanel&) = delete;

  // --- single plugin calls, checked ---
  bool GetOpenPluginInfo();  // false when the panel is closed
  // GetOpenPluginInfo + GetFindData(opMode) + copy + FreeFindData, as FAR's update. False when
  // GetFindData failed (FAR then closes the panel: ClosePlugin without FE_CLOSE) or the panel
  // is closed. The cursor stays on the same name if it is still there, else is clamped.
  // keepSelection: the previous selection is carried over by name (FAR's update with a
  // non-NULL FCTL_UPDATEPANEL Param); items with PPIF_SELECTED are selected either way.
  bool Reread(int opMode = 0, bool keepSelection = false);
  int SetDirectory(const std::string& dir, int opMode = 0);
  int ProcessKey(int key, unsigned controlState = 0);
  int ProcessEvent(int event, void* param = nullptr);
  // FE_COMMAND / FE_CHANGEVIEWMODE style events: `text` is passed in a buffer the host owns.
  int ProcessEventText(int event, const std::string& text);
  void ClosePlugin();  // ClosePlugin alone; marks the panel closed

  // --- FAR's own actions ---
  // FE_CLOSE, then ClosePlugin unless the plugin refused. True when the panel was closed.
  bool Close();
  // FAR's ChangeDir: GetOpenPluginInfo; ".." with an empty CurDir closes the panel (FE_CLOSE,
  // ClosePlugin); otherwise SetDirectory(dir), update, and the cursor goes to the folder just
  // left (for "..") or to the top. Returns SetDirectory's result (0 when the panel closed).
  int ChangeDir(const std::string& dir);
  // A key as FAR handles it on a plugin panel: ProcessKey; if the plugin returns FALSE, FAR's
  // own action (cursor keys, Enter, Ctrl-PgUp = "..", Ctrl-PgDn = enter folder, Ctrl-R =
  // reread). Returns ProcessKey's result.
  int Key(int key, unsigned controlState = 0);
  int Enter() { return Key(VK_RETURN, 0); }
  // FAR's action for Enter on the current item without asking the plugin: a folder (attribute
  // FILE_ATTRIBUTE_DIRECTORY, which FAR's ".." has) goes through ChangeDir(name); a file is
  // only logged ("Enter:file(name)"). False when nothing changed directory.
  bool EnterDefault();

  // --- the model ---
  const HostItem* Current() const;
  int Find(const std::string& name) const;  // index of an item, case-insensitive, or -1
  bool SetCurrent(const std::string& name);  // false when there is no such item
  void SetCurrent(int index, int top = -1);  // clamped as FAR clamps (top -1: keep)
  void CorrectPosition();
  std::vector<std::string> Names() const;
  bool IsActive() const;

 private:
  friend class ::FarHost;
  bool inGetInfo_ = false;
  bool inReread_ = false;
  bool ReadOnce(int opMode, bool keepSelection);
  // FAR's list after an update: its "..", the sort, and the cursor back on the old name.
  void NoteShown();  // FAR's redraw: shownDir as flshow.cpp takes it
  void TakeItems(std::vector<HostItem> fresh, const std::set<std::string>& oldSelected);
  void Arrange(const std::string& oldName, int oldIndex);
  void FarKey(int key, unsigned controlState);  // FAR's action on a key the plugin left
  bool Begin(const char* what);  // false (recorded) on a closed panel or an unloaded plugin
};

}  // namespace farhost
