// The demo's FAR: two panels, the plugin panel once opened, FAR's keys, menus and idle refresh.
#pragma once

#include <optional>
#include <string>

#include "Boxes.h"
#include "FarHost.h"
#include "FolderSizes.h"
#include "PluginMenus.h"
#include "Screen.h"
#include "World.h"

class Demo : public ModalHost {
 public:
  Demo(FarHost& host, Terminal& term, const World& world, std::string pluginFolder,
       std::string language);
  void Start();  // both panels on the world's folder, cursor on ".."
  int Run();     // until F10 or the end of the script

  // FAR's services the plugin calls while a key is handled.
  int PluginMessage(const MessageCall& m) { return ShowMessage(*this, m); }
  int PluginDialog(std::vector<FarDialogItem>& items);
  void ChangeDirError(const std::string& text, const std::string& reason);

  // ModalHost
  Screen Background() override;
  Key Read(const Screen& shown) override;
  void Show(const Screen& shown) override;
  void Help(const std::string& topic) override;

 private:
  FarHost& host_;
  Terminal& term_;
  const World& world_;
  std::string pluginFolder_, language_;
  // FAR's passive side: its file panel and the plugin panel over it, if any. The host's file
  // panel and plugin panel are the active side's; Tab swaps the two sides.
  FarHost::FilePanel other_;
  FarHost::Panel* otherPlugin_ = nullptr;
  bool leftActive_ = true;
  std::string caption_ = "start";
  // Modifiers of the key being handled: FAR does not redraw the key bar under a window, so it
  // keeps the labels of the modifiers held when the window opened.
  unsigned held_ = 0;
  bool quit_ = false;
  PluginHotKeys hotKeys_;
  std::string lastFolder_;           // FAR's history of "Make folder"
  std::optional<Screen> shown_;      // the screen shown last
  std::optional<Screen> underHelp_;  // what the help window covers (a box, a dialog...)
  DWORD lastUpdate_ = GetTickCount(), lastIdle_ = 0;
  PanelSizes sizes_[2];       // folder sizes F3 counted, on the left and on the right side
  size_t controlsSeen_ = 0;   // FCTL_ calls already looked at for the panels' updates

  FarHost::Panel* Active() {
    FarHost::Panel* p = host_.activePanel;
    return p && !p->closed ? p : nullptr;
  }
  FarHost::Panel* Passive() {
    return otherPlugin_ && !otherPlugin_->closed ? otherPlugin_ : nullptr;
  }
  void SwapSides();
  template <class F>
  void OnPassiveSide(F call) {  // a call to the passive plugin panel, the host seeing its side
    SwapSides();
    call();
    SwapSides();
  }
  bool Quit();
  void DrawPanels(Screen& s);
  std::wstring KeyLabel(int fkey);
  void PluginsMenu();
  void ConfigMenu();
  void MenuBar();
  void DisksMenu(bool right);
  void WorldEvent(const Key& k);
  bool CommonKey(const Key& k, bool& keepGoing);
  bool PanelKey(FarHost::Panel& p, const Key& k);
  bool FileKey(const Key& k);
  void PluginMakeFolder(FarHost::Panel& p);
  void FileOperation(const Key& k, const std::string& name, const std::string& path,
                     const std::string& folder);
  void AfterKey(size_t logMark);
  void RedrawPlugins();
  void Idle();
  PanelSizes& Sizes(bool active) { return sizes_[active == leftActive_ ? 0 : 1]; }
  void TrackSizes();
  void FollowFocus();
};
