// FAR's Control service: FCTL commands, the PanelInfo copy, and the deferred FCTL_CLOSEPLUGIN.
#include "Control.h"

#include <cstdint>
#include <cstring>

#include "FarHost.h"

namespace farhost {

namespace {

const char* const kControlNames[] = {
    "CLOSEPLUGIN",   "GETPANELINFO",     "GETANOTHERPANELINFO", "UPDATEPANEL",
    "UPDATEANOTHERPANEL", "REDRAWPANEL", "REDRAWANOTHERPANEL",  "SETANOTHERPANELDIR",
    "GETCMDLINE",    "SETCMDLINE",       "SETSELECTION",        "SETANOTHERSELECTION",
    "SETVIEWMODE",   "SETANOTHERVIEWMODE", "INSERTCMDLINE",     "SETUSERSCREEN",
    "SETPANELDIR",   "SETCMDLINEPOS",    "GETCMDLINEPOS"};

}  // namespace

std::string ControlName(int command) {
  if (command >= 0 && command < static_cast<int>(sizeof kControlNames / sizeof kControlNames[0]))
    return kControlNames[command];
  return std::to_string(command);
}

char* PanelInfoBuffer::Keep(const std::string& s) {
  strings_.push_back(s);
  return strings_.back().data();
}

void PanelInfoBuffer::FillItem(const HostItem& item, PluginPanelItem& out) {
  std::memset(&out, 0, sizeof out);
  out.FindData.dwFileAttributes = item.attributes;
  out.FindData.ftCreationTime = item.creationTime;
  out.FindData.ftLastAccessTime = item.lastAccessTime;
  out.FindData.ftLastWriteTime = item.lastWriteTime;
  out.FindData.nFileSizeHigh = static_cast<DWORD>(item.fileSize >> 32);
  out.FindData.nFileSizeLow = static_cast<DWORD>(item.fileSize);
  CopyBounded(out.FindData.cFileName, sizeof out.FindData.cFileName, item.name);
  CopyBounded(out.FindData.cAlternateFileName, sizeof out.FindData.cAlternateFileName,
              item.shortName);
  out.PackSizeHigh = static_cast<DWORD>(item.packSize >> 32);
  out.PackSize = static_cast<DWORD>(item.packSize);
  out.Flags = (item.flags & ~static_cast<DWORD>(PPIF_SELECTED)) |
              (item.selected ? static_cast<DWORD>(PPIF_SELECTED) : 0u);
  out.NumberOfLinks = item.numberOfLinks;
  out.Description = item.hasDescription ? Keep(item.description) : nullptr;
  out.Owner = item.hasOwner ? Keep(item.owner) : nullptr;
  if (!item.customColumns.empty()) {
    std::vector<char*> columns;
    for (const std::string& c : item.customColumns) columns.push_back(Keep(c));
    columns_.push_back(std::move(columns));
    out.CustomColumnData = columns_.back().data();
    out.CustomColumnNumber = static_cast<int>(item.customColumns.size());
  }
  if ((item.flags & PPIF_USERDATA) && !item.userDataBlock.empty()) {
    std::string bytes(item.userDataBlock.begin(), item.userDataBlock.end());
    out.UserData = static_cast<DWORD>(reinterpret_cast<uintptr_t>(Keep(bytes)));
  } else {
    out.UserData = item.userData;
  }
}

void PanelInfoBuffer::Fill(PanelInfo& pi, const std::vector<HostItem>& items, int current,
                           int top, const std::string& curDir, bool plugin, int sortMode) {
  items_.clear();
  selected_.clear();
  strings_.clear();
  columns_.clear();
  items_.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) FillItem(items[i], items_[i]);
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].selected) selected_.push_back(items_[i]);
  if (selected_.empty() && current >= 0 && current < static_cast<int>(items.size()) &&
      items[static_cast<std::size_t>(current)].name != "..")
    selected_.push_back(items_[static_cast<std::size_t>(current)]);

  std::memset(&pi, 0, sizeof pi);
  pi.PanelType = PTYPE_FILEPANEL;
  pi.Plugin = plugin ? 1 : 0;
  pi.PanelRect.left = 0;
  pi.PanelRect.top = 1;
  pi.PanelRect.right = 39;
  pi.PanelRect.bottom = 22;
  pi.PanelItems = items_.empty() ? nullptr : items_.data();
  pi.ItemsNumber = static_cast<int>(items_.size());
  pi.SelectedItems = selected_.empty() ? nullptr : selected_.data();
  pi.SelectedItemsNumber = static_cast<int>(selected_.size());
  pi.CurrentItem = current;
  pi.TopPanelItem = top;
  pi.Visible = 1;
  pi.Focus = 1;
  pi.ViewMode = 2;
  CopyBounded(pi.ColumnTypes, sizeof pi.ColumnTypes, "N,N,N");
  CopyBounded(pi.ColumnWidths, sizeof pi.ColumnWidths, "0,0,0");
  CopyBounded(pi.CurDir, sizeof pi.CurDir, curDir);
  pi.ShortNames = 0;
  pi.SortMode = sortMode;
}

}  // namespace farhost

// ---------------------------------------------------------------------------------------------
// The service

int FarHost::DoControl(HANDLE handle, int command, void* param) {
  ControlCall call;
  call.handle = handle;
  call.command = command;
  call.paramNull = (param == nullptr);

  Panel* panel = nullptr;
  bool handleOk = true;
  if (handle == INVALID_HANDLE_VALUE) {
    panel = (activePanel && !activePanel->closed) ? activePanel : nullptr;
  } else {
    panel = FindPanel(handle);
    handleOk = panel != nullptr;
  }
  call.filePanel = handleOk && panel == nullptr;

  std::string name = "Control:" + farhost::ControlName(command);
  if (command == FCTL_REDRAWPANEL && param) {
    if (IsReadable(param, sizeof(PanelRedrawInfo))) {
      call.hasRedraw = true;
      std::memcpy(&call.redraw, param, sizeof call.redraw);
      name += "(" + std::to_string(call.redraw.CurrentItem) + "," +
              std::to_string(call.redraw.TopPanelItem) + ")";
    }
  }
  if ((command == FCTL_CLOSEPLUGIN || command == FCTL_INSERTCMDLINE) && param)
    call.text = farhost::PluginText(*this, static_cast<const char*>(param), name + " text");
  Log(name);
  std::size_t index = controls.size();
  controls.push_back(call);

  if (!handleOk) {
    Fail(name + ": the handle is not an open plugin panel of this plugin");
    return FALSE;
  }
  int result = RunControl(panel, call, name, param);
  controls[index].result = result;
  return result;
}

int FarHost::RunControl(Panel* panel, const ControlCall& call, const std::string& name,
                        void* param) {
  switch (call.command) {
    case FCTL_CLOSEPLUGIN:
      // Carried out when the plugin call in progress returns (EndCall).
      if (panel)
        panel->pendingClose = call.text;
      else
        filePanel.pendingClose = call.text;
      return TRUE;

    case FCTL_GETPANELINFO:
      return GetPanelInfo(panel, name, param);

    case FCTL_UPDATEPANEL:
      if (panel) {
        if (panel->inReread_) {
          Fail(name + ": the panel is already being read (called from GetFindData?)");
          return FALSE;
        }
        panel->Reread(0, param != nullptr);
      }
      return TRUE;

    case FCTL_REDRAWPANEL:
      if (param && !call.hasRedraw) {
        Fail(name + ": Param is not a readable PanelRedrawInfo");
        return FALSE;
      }
      Redraw(panel, call);
      return TRUE;

    case FCTL_INSERTCMDLINE:
      if (!param) {
        Fail(name + ": NULL text");
        return FALSE;
      }
      commandLine += call.text;
      return TRUE;

    default:
      Fail(name + ": a command the host does not implement (Quenby is not expected to use it)");
      return FALSE;
  }
}

int FarHost::GetPanelInfo(Panel* panel, const std::string& name, void* param) {
  if (!param || !IsWritable(param, sizeof(PanelInfo))) {
    Fail(name + ": Param is not a writable PanelInfo");
    return FALSE;
  }
  PanelInfo* pi = static_cast<PanelInfo*>(param);
  if (panel) {
    // FAR asks the plugin for its CurDir first, unless that question is what is running.
    if (!panel->inGetInfo_) panel->GetOpenPluginInfo();
    const std::string& dir = panel->info.curDir;
    if (dir.size() >= sizeof pi->CurDir)
      Fail(name + ": OpenPluginInfo.CurDir is " + std::to_string(dir.size()) +
           " characters; FAR copies it into 260 bytes");
    panelInfo_.Fill(*pi, panel->items, panel->currentItem, panel->topPanelItem, dir, true,
                    panel->sortMode);
  } else {
    if (filePanel.curDir.size() >= sizeof pi->CurDir)
      Fail(name + ": the test's file panel CurDir does not fit 260 bytes");
    panelInfo_.Fill(*pi, filePanel.items, filePanel.currentItem, filePanel.topPanelItem,
                    PanelDirectory(filePanel.curDir), false, SM_NAME);
  }
  return TRUE;
}

void FarHost::Redraw(Panel* panel, const ControlCall& call) {
  if (call.hasRedraw) {
    if (panel) {
      panel->currentItem = call.redraw.CurrentItem;
      panel->topPanelItem = call.redraw.TopPanelItem;
      panel->CorrectPosition();
    } else {
      filePanel.currentItem = call.redraw.CurrentItem;
      filePanel.topPanelItem = call.redraw.TopPanelItem;
      farhost::ClampCursor(static_cast<int>(filePanel.items.size()), 18, filePanel.currentItem,
                           filePanel.topPanelItem);
    }
  } else if (panel) {
    panel->CorrectPosition();
  }
}

// ---------------------------------------------------------------------------------------------
// The deferred FCTL_CLOSEPLUGIN

void FarHost::RunDeferred() {
  if (runningDeferred_) return;
  runningDeferred_ = true;
  for (int round = 0; round < 16; ++round) {
    bool any = false;
    for (std::size_t i = 0; i < panels.size(); ++i) {
      Panel& p = *panels[i];
      if (p.closed || !p.pendingClose) continue;
      any = true;
      std::string dir = *p.pendingClose;
      p.pendingClose.reset();
      if (p.ProcessEvent(FE_CLOSE, nullptr)) {
        Log("CloseRefused");
        continue;
      }
      if (p.closed) continue;
      p.ClosePlugin();
      p.closedTo = dir;
      if (p.shownDir) filePanel.curDir = *p.shownDir;
      ChangeFilePanelDir(dir);
    }
    if (filePanel.pendingClose) {
      any = true;
      std::string dir = *filePanel.pendingClose;
      filePanel.pendingClose.reset();
      ChangeFilePanelDir(dir);
    }
    if (!any) break;
  }
  runningDeferred_ = false;
}

void FarHost::ChangeFilePanelDir(const std::string& text) {
  std::string reason;
  if (text.empty()) {
    // FAR's SetCurDir tries no change: the panel is reread in the folder it keeps, which for a
    // plugin of real names is the CurDir it showed last. Where that is no folder FAR climbs to
    // the nearest one that is, without a box: the plugin did not land where it meant to.
    const std::string kept = filePanel.curDir;
    if (kept.empty() || filePanel.Reread(reason)) return;  // "": a test's panel of no folder
    Log("FilePanel:RereadFailed(" + kept + ")");
    if (!onChangeDirError)
      Fail("FCTL_CLOSEPLUGIN: after an empty close text FAR rereads \"" + kept + "\", the "
           "folder the plugin's panel showed last, which is not an existing folder: FAR " + reason);
    return;
  }
  if (!filePanel.ChangeDir(text, reason)) {
    // FAR shows its error box naming the text and stays where it was.
    Log("FilePanel:ChangeDirFailed(" + text + ")");
    if (onChangeDirError)
      onChangeDirError(text, reason);
    else
      Fail("FCTL_CLOSEPLUGIN: after ClosePlugin FAR changes to \"" + text + "\", which is not an "
           "existing folder: FAR shows the error box \"" + reason + "\"");
    return;
  }
  Log("FilePanel:ChangeDir(" + text + ")");
}
