// FAR's Control service: the FCTL commands Quenby sends and the PanelInfo FAR hands out.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "FilePanel.h"
#include "far163.h"

// One Control call as the plugin made it, and what FAR returned.
struct ControlCall {
  HANDLE handle = nullptr;
  int command = 0;
  bool paramNull = true;
  bool filePanel = false;  // the call addressed the file panel model, not a plugin panel
  std::string text;        // FCTL_CLOSEPLUGIN / FCTL_INSERTCMDLINE text (NULL recorded as "")
  bool hasRedraw = false;  // FCTL_REDRAWPANEL with a PanelRedrawInfo
  PanelRedrawInfo redraw{};
  int result = FALSE;
};

namespace farhost {

// "CLOSEPLUGIN" for FCTL_CLOSEPLUGIN and so on; the number for a command FAR 1.63 lacks.
std::string ControlName(int command);

// FAR's copy of a panel's items handed out by FCTL_GETPANELINFO: valid until the next one.
class PanelInfoBuffer {
 public:
  // Fills `pi` as FAR does for the active panel. With nothing selected the current item stands
  // in for the selection, unless it is "..".
  void Fill(PanelInfo& pi, const std::vector<HostItem>& items, int current, int top,
            const std::string& curDir, bool plugin, int sortMode);

 private:
  std::vector<PluginPanelItem> items_;
  std::vector<PluginPanelItem> selected_;
  std::deque<std::string> strings_;         // a deque: earlier texts never move
  std::deque<std::vector<char*>> columns_;  // CustomColumnData arrays

  char* Keep(const std::string& s);  // a copy that lives until the next Fill
  void FillItem(const HostItem& item, PluginPanelItem& out);
};

}  // namespace farhost
