// The demo's FAR: panels, keys, menus and the idle refresh around the plugin.
#include "Demo.h"

#include <algorithm>
#include <cstdio>

#include "DiskFolder.h"
#include "FileOps.h"
#include "HelpViewer.h"
#include "Layout.h"
#include "MenuBar.h"
#include "PanelDraw.h"
#include "PluginMenus.h"
#include "Viewer.h"

namespace {

// FAR's own panel in its default (medium) view: two stripes of names.
PanelView FileView(FarHost::FilePanel& f, const Rect& r, bool active) {
  PanelView v;
  v.title = FromOem(FarHost::PanelDirectory(f.curDir));
  v.pathTitle = true;
  v.columns = ParseColumns("N,N", "0,0", r.x2 - r.x1 - 1);
  v.status = ParseColumns("N,S,D,T", "0,6,0,0", r.x2 - r.x1 - 1);
  v.items = &f.items;
  v.current = f.currentItem;
  v.top = &f.topPanelItem;
  v.active = active;
  v.caseFold = true;
  return v;
}

PanelView PluginView(FarHost::Panel& p, const Rect& r, bool active) {
  const OpenInfo& info = p.info;
  int mode =
      info.startPanelMode >= '0' && info.startPanelMode <= '9' ? info.startPanelMode - '0' : 2;
  OpenInfo::Mode m;
  if (mode < static_cast<int>(info.panelModes.size()) && info.panelModes[mode].hasColumns)
    m = info.panelModes[mode];
  else
    m.columnTypes = "N,N", m.columnWidths = "0,0";
  if (!m.hasStatusColumns) m.statusColumnTypes = "N,S,D,T", m.statusColumnWidths = "0,6,0,0";
  PanelView v;
  v.title = FromOem(info.panelTitle);
  v.sortLetter = SortLetter(p.sortMode);
  v.columns = ParseColumns(m.columnTypes, m.columnWidths, r.x2 - r.x1 - 1);
  v.status = ParseColumns(m.statusColumnTypes, m.statusColumnWidths, r.x2 - r.x1 - 1);
  v.items = &p.items;
  v.current = p.currentItem;
  v.top = &p.topPanelItem;
  v.active = active;
  v.caseFold = !(info.flags & OPIF_SHOWPRESERVECASE);
  return v;
}

}  // namespace

Demo::Demo(FarHost& host, Terminal& term, const World& world, std::string pluginFolder,
           std::string language)
    : host_(host),
      term_(term),
      world_(world),
      pluginFolder_(std::move(pluginFolder)),
      language_(std::move(language)) {}

void Demo::Start() {
  host_.filePanel.curDir = world_.root;
  other_.curDir = world_.root;
  LoadFolder(host_.filePanel);
  LoadFolder(other_);
}

// ---------------------------------------------------------------------------------------------
// Drawing

std::wstring Demo::KeyLabel(int fkey) {
  FarHost::Panel* p = Active();
  bool single = held_ == 0 || held_ == PKF_SHIFT || held_ == PKF_CONTROL || held_ == PKF_ALT;
  if (p && single) {
    OpenInfo::KeyRow row = held_ == PKF_SHIFT     ? OpenInfo::Shift
                           : held_ == PKF_CONTROL ? OpenInfo::Ctrl
                           : held_ == PKF_ALT     ? OpenInfo::Alt
                                                  : OpenInfo::Plain;
    if (std::optional<std::string> label = p->info.KeyLabel(row, fkey)) return FromOem(*label);
  }
  return FarKeyLabel(held_, fkey);
}

void Demo::DrawPanels(Screen& s) {
  s.Clear(Color::CommandLine);
  Rect active = PanelRect(s, !leftActive_), passive = PanelRect(s, leftActive_);
  std::string prompt;
  if (FarHost::Panel* p = Active()) {
    PanelView v = PluginView(*p, active, true);
    v.sizes = &Sizes(true);
    p->pageSize = PanelPage(active, v.columns);
    DrawPanel(s, active, v);
    prompt = p->info.curDir;  // FAR's prompt is the plugin's CurDir
  } else {
    PanelView v = FileView(host_.filePanel, active, true);
    v.sizes = &Sizes(true);
    DrawPanel(s, active, v);
    prompt = FarHost::PanelDirectory(host_.filePanel.curDir);
  }
  if (FarHost::Panel* p = Passive()) {
    PanelView v = PluginView(*p, passive, false);
    v.sizes = &Sizes(false);
    p->pageSize = PanelPage(passive, v.columns);
    DrawPanel(s, passive, v);
  } else {
    PanelView v = FileView(other_, passive, false);
    v.sizes = &Sizes(false);
    DrawPanel(s, passive, v);
  }
  DrawCommandLine(s, prompt, host_.commandLine);
  DrawKeyBar(s, [this](int n) { return KeyLabel(n); });
  DrawClock(s);
}

Screen Demo::Background() {
  if (underHelp_) return *underHelp_;
  Screen s(term_.Width(), term_.Height());
  DrawPanels(s);
  return s;
}

void Demo::Show(const Screen& shown) {
  shown_ = shown;
  term_.Show(shown, caption_);
}

Key Demo::Read(const Screen& shown) {
  Show(shown);
  Key k = term_.Next(INFINITE);
  if (k.kind != Key::Idle || !term_.interactive) caption_ = k.name;
  if (k.kind == Key::End) quit_ = true;
  return k;
}

void Demo::Help(const std::string& topic) {
  underHelp_ = shown_;  // the help window opens over whatever is on the screen
  ShowHelp(*this, pluginFolder_, language_, topic);
  underHelp_.reset();
}

int Demo::PluginDialog(std::vector<FarDialogItem>& items) {
  if (host_.dialogs.empty()) return -1;
  const DialogCall& call = host_.dialogs.back();  // the host records the call before the answer
  return ShowDialog(*this, items, call.x1, call.y1, call.x2, call.y2, call.helpTopic);
}

void Demo::ChangeDirError(const std::string& text, const std::string& reason) {
  MessageCall box;
  box.flags = FMSG_WARNING;
  box.items = {"Error", reason, text, "Ok"};
  box.buttonsNumber = 1;
  ShowMessage(*this, box);
}

// ---------------------------------------------------------------------------------------------
// FAR's menus

void Demo::PluginsMenu() {
  int i = PluginCommandsMenu(*this, host_, hotKeys_);
  if (i < 0) return;
  if (FarHost::Panel* p = Active())
    if (!p->Close()) return;
  host_.OpenPlugin(OPEN_PLUGINSMENU, i);
}

void Demo::ConfigMenu() { PluginsConfigMenu(*this, host_, hotKeys_); }

// FAR's question before it quits (manager.cpp); FE_CLOSE to the plugin panels, which may keep FAR.
bool Demo::Quit() {
  MessageCall box;
  box.items = {"Quit", "Do you want to quit FAR?", "Yes", "No"};
  box.buttonsNumber = 2;
  if (ShowMessage(*this, box) != 0) return false;
  bool kept = false;
  if (FarHost::Panel* p = Active()) kept = p->ProcessEvent(FE_CLOSE, nullptr) != 0;
  if (Passive() && !kept)
    OnPassiveSide([&] { kept = Active()->ProcessEvent(FE_CLOSE, nullptr) != 0; });
  return !kept;
}

// FAR's menu bar, and the few of its commands the demo carries out, as their keys do.
void Demo::MenuBar() {
  auto mode = [](FarHost::Panel* p) {
    char m = p ? p->info.startPanelMode : 0;
    return m >= '0' && m <= '9' ? m - '0' : 2;  // FAR's own panels start in the medium mode
  };
  int active = mode(Active()), passive = mode(Passive());
  BarChoice c = ShowMenuBar(*this, !leftActive_, leftActive_ ? active : passive,
                            leftActive_ ? passive : active);
  auto press = [this](WORD vk) {
    Key k;
    k.kind = Key::Press, k.vk = vk;
    if (FarHost::Panel* p = Active()) return void(PanelKey(*p, k));
    FileKey(k);
  };
  if ((c.menu == LeftMenu || c.menu == RightMenu) && c.item == ChangeDrive) {
    DisksMenu(c.menu == RightMenu);
  } else if (c.menu == FilesMenu) {
    WORD keys[] = {VK_F3, 0, VK_F5, VK_F6, VK_F7, VK_F8};
    if (c.item >= 0 && c.item < 6 && keys[c.item]) press(keys[c.item]);
  } else if (c.menu == CommandsMenu && c.item == PluginCommands) {
    PluginsMenu();
  } else if (c.menu == OptionsMenu && c.item == PluginsConfiguration) {
    ConfigMenu();
  }
}

void Demo::SwapSides() {
  std::swap(host_.filePanel, other_);
  std::swap(host_.activePanel, otherPlugin_);
  leftActive_ = !leftActive_;
}

// FAR's disks menu of one panel (Alt+F1 the left, Alt+F2 the right), placed over that panel.
void Demo::DisksMenu(bool right) {
  host_.GetPluginInfo();
  MenuSpec m;
  m.title = L"Drive";
  std::vector<std::string> roots;
  m.items = DriveLines(roots);
  const PluginInfoCopy& pi = host_.pluginInfo;
  if (!pi.diskMenuStrings.empty()) m.items.push_back(L"-");
  for (size_t i = 0; i < pi.diskMenuStrings.size(); ++i) {
    int digit = i < pi.diskMenuNumbers.size() ? pi.diskMenuNumbers[i] : 0;
    std::wstring hot = digit > 0 && digit < 10 ? L"&" + std::to_wstring(digit) + L": " : L"   ";
    m.items.push_back(hot + FromOem(pi.diskMenuStrings[i]));
  }
  Rect panel = PanelRect(Screen(term_.Width(), term_.Height()), right);
  int count = static_cast<int>(roots.size() + pi.diskMenuStrings.size());
  m.x = panel.x1 + 5;
  m.y = std::max(1, (term_.Height() - (count + 5)) / 2);
  m.shortBox = m.y < 3;  // FAR's ChangeDiskMenu: a menu that high loses its margin
  int i = ShowMenu(*this, m);
  if (i < 0) return;
  const bool passive = right == leftActive_;  // FAR changes that panel and leaves the focus
  if (passive) SwapSides();
  FarHost::Panel* p = Active();
  if (!p || p->Close()) {
    if (i < static_cast<int>(roots.size())) {
      host_.filePanel.curDir = roots[i];
      host_.filePanel.currentItem = host_.filePanel.topPanelItem = 0;
      LoadFolder(host_.filePanel);
    } else if (i > static_cast<int>(roots.size())) {
      host_.OpenPlugin(OPEN_DISKMENU, i - static_cast<int>(roots.size()) - 1);
    }
  }
  if (passive) SwapSides();
}

// ---------------------------------------------------------------------------------------------
// Keys

void Demo::WorldEvent(const Key& k) {
  std::string path = k.arg;
  size_t size = 50;
  size_t colon = path.rfind(':');
  if (k.kind == Key::Create && colon != std::string::npos && colon > 1) {
    size = std::strtoul(path.c_str() + colon + 1, nullptr, 10);
    path.erase(colon);
  }
  if (k.kind == Key::Create)
    WriteWorldFile(world_, path, size);
  else
    RemoveWorldFile(world_, path);
}

// Keys FAR takes before any panel sees them. False when the key is not one of them.
bool Demo::CommonKey(const Key& k, bool& keepGoing) {
  keepGoing = true;
  if (k.Is(VK_F10)) return keepGoing = !Quit(), true;
  if (k.Is(VK_TAB)) return SwapSides(), FollowFocus(), true;  // the other panel is the active one
  if (k.Is(VK_F11)) return PluginsMenu(), true;
  if (k.Is(VK_F9)) return MenuBar(), true;
  if (k.Is(VK_F1, PKF_ALT)) return DisksMenu(false), true;
  if (k.Is(VK_F2, PKF_ALT)) return DisksMenu(true), true;
  if (k.Is(VK_F9, PKF_ALT | PKF_SHIFT)) {
    if (Active())
      host_.Configure(0);  // on a plugin panel: that plugin's configuration at once
    else
      ConfigMenu();
    return true;
  }
  if (k.Is(VK_F1) && Active()) return Help("Contents"), true;  // the plugin's own help
  std::string& cmd = host_.commandLine;
  if (!cmd.empty() && !k.control && (k.vk == VK_ESCAPE || k.vk == VK_RETURN || k.vk == VK_BACK)) {
    if (k.vk == VK_BACK)
      cmd.pop_back();
    else
      cmd.clear();  // Enter would run the command: the demo runs nothing
    return true;
  }
  // Typed characters go to FAR's command line (a blank only once something is there).
  if (k.ch && !(k.control & (PKF_CONTROL | PKF_ALT)) && (k.ch != ' ' || !cmd.empty()))
    return cmd += k.ch, true;
  return false;
}

void Demo::FileOperation(const Key& k, const std::string& name, const std::string& path,
                         const std::string& folder) {
  FileOp op = k.vk == VK_F5            ? FileOp::Copy
              : k.vk == VK_F8          ? FileOp::Delete
              : k.control == PKF_SHIFT ? FileOp::Rename
                                       : FileOp::Move;
  FileOpSource source{name, path, folder};
  if (!RunFileOp(*this, op, source, FarHost::PanelDirectory(other_.curDir))) return;
  if (FarHost::Panel* p = Active()) p->Reread();
  if (Passive()) OnPassiveSide([this] { Active()->Reread(); });
  LoadFolder(host_.filePanel);
  LoadFolder(other_);
}

bool Demo::PanelKey(FarHost::Panel& p, const Key& k) {
  bool keepGoing;
  if (CommonKey(k, keepGoing)) return keepGoing;
  const HostItem* cur = p.Current();
  std::string name = cur ? cur->name : std::string();
  bool realFile = cur && name != ".." && (p.info.flags & OPIF_REALNAMES);
  if (p.Key(k.vk, k.control) || p.closed) return true;
  // The plugin left the key to FAR: FAR's own action on the real file.
  if (k.Is(VK_F3) && cur && cur->IsDirectory())  // FAR counts the folder's size
    CountDirSize(Sizes(true), p);
  else if (realFile && k.Is(VK_F3))
    ShowViewer(*this, term_.Width(), term_.Height(), name);
  else if (realFile && (k.Is(VK_F5) || k.Is(VK_F6) || k.Is(VK_F6, PKF_SHIFT) || k.Is(VK_F8)))
    FileOperation(k, name, name, FarHost::PanelDirectory(p.info.curDir));
  else if (k.Is(VK_F7) && (p.info.flags & OPIF_REALNAMES))
    PluginMakeFolder(p);
  return true;
}

// F7 on a plugin's panel of real names without MakeDirectory: FAR's ShellMakeDir, in the current
// folder (SetCurPath leaves it on a plugin's panel); the panel is updated keeping the selection,
// and the cursor goes to the folder if an item has that very name.
void Demo::PluginMakeFolder(FarHost::Panel& p) {
  char here[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, here);
  std::string made = MakeFolder(*this, here, lastFolder_);
  if (made.empty() || !p.Reread(0, true)) return;
  int i = p.Find(made);
  if (i >= 0) p.SetCurrent(i);
}

bool Demo::FileKey(const Key& k) {
  bool keepGoing;
  if (CommonKey(k, keepGoing)) return keepGoing;
  FarHost::FilePanel& f = host_.filePanel;
  int n = static_cast<int>(f.items.size()), rows = term_.Height() - 7;
  if (n == 0) return true;
  const HostItem cur = f.items[f.currentItem];
  std::string full = JoinPath(f.curDir, cur.name);
  if (k.Is(VK_RETURN, PKF_CONTROL) && cur.name != "..") {
    host_.commandLine +=
        (cur.name.find(' ') != std::string::npos ? "\"" + cur.name + "\"" : cur.name) + " ";
    return true;
  }
  if (k.control == 0) switch (k.vk) {
      case VK_UP:
        --f.currentItem;
        break;
      case VK_DOWN:
        ++f.currentItem;
        break;
      case VK_HOME:
        f.currentItem = 0;
        break;
      case VK_END:
        f.currentItem = n - 1;
        break;
      case VK_PRIOR:
        f.currentItem -= rows - 1;
        break;
      case VK_NEXT:
        f.currentItem += rows - 1;
        break;
      case VK_F3:
        if (!cur.IsDirectory())
          ShowViewer(*this, term_.Width(), term_.Height(), full);
        else
          CountDirSize(Sizes(true), f);  // FAR counts the folder's size
        break;
      case VK_RETURN:
        if (cur.name == "..") {
          std::string left = NameOf(FarHost::PanelDirectory(f.curDir));
          f.curDir = ParentOf(f.curDir), f.currentItem = f.topPanelItem = 0;
          LoadFolder(f, left);
        } else if (cur.IsDirectory()) {
          f.curDir = full, f.currentItem = f.topPanelItem = 0;
          LoadFolder(f);
        } else {
          host_.OpenFilePlugin(full);  // no plugin takes it: FAR would run it, the demo does not
        }
        break;
      default:
        break;
    }
  if (k.Is(VK_F7)) {  // the cursor goes to the folder made
    std::string made = MakeFolder(*this, f.curDir, lastFolder_);
    if (!made.empty()) LoadFolder(f, made);
    if (!made.empty()) LoadFolder(other_);
  }
  if (cur.name != ".." && (k.Is(VK_F5) || k.Is(VK_F6) || k.Is(VK_F6, PKF_SHIFT) || k.Is(VK_F8)))
    FileOperation(k, cur.name, full, FarHost::PanelDirectory(f.curDir));
  f.currentItem = std::max(0, std::min(f.currentItem, static_cast<int>(f.items.size()) - 1));
  return true;
}

// After FAR changed the file panel's folder on a close, it shows the folder from the top.
void Demo::AfterKey(size_t logMark) {
  for (const std::string& e : host_.LogSince(logMark))
    if (e.compare(0, 20, "FilePanel:ChangeDir(") == 0)
      host_.filePanel.currentItem = host_.filePanel.topPanelItem = 0;
}

// FAR's redraw of both panels: FE_REDRAW to a plugin panel, then its title, modes and key bar.
void Demo::RedrawPlugins() {
  auto redraw = [this] {
    if (FarHost::Panel* p = Active()) p->ProcessEvent(FE_REDRAW, nullptr);
    if (FarHost::Panel* p = Active()) p->GetOpenPluginInfo();
  };
  redraw();
  if (Passive()) OnPassiveSide(redraw);
}

// FAR's idle event reaches the plugin panels on both sides.
void Demo::Idle() {
  auto idle = [this] {
    size_t mark = host_.log.size();
    if (FarHost::Panel* p = Active()) p->ProcessEvent(FE_IDLE, nullptr);
    AfterKey(mark);
  };
  idle();
  if (Passive()) OnPassiveSide(idle);
}

// FAR keeps the sizes F3 counted over the updates that keep the selection.
void Demo::TrackSizes() {
  auto track = [this](bool active) {
    FarHost::Panel* p = active ? Active() : Passive();
    FarHost::FilePanel& f = active ? host_.filePanel : other_;
    if (!p) return Sizes(active).Track(f);
    bool kept = true;  // FCTL_UPDATEPANEL with a NULL Param drops the selection
    for (size_t i = controlsSeen_; i < host_.controls.size(); ++i)
      if (host_.controls[i].command == FCTL_UPDATEPANEL && host_.controls[i].paramNull &&
          host_.controls[i].handle == p->handle)
        kept = false;
    Sizes(active).Track(*p, kept);
  };
  track(true);
  track(false);
  controlsSeen_ = host_.controls.size();
}

// FAR's current folder follows the panel that has the focus (Panel::SetFocus, SetCurPath): its
// own panel's folder, or the folder a plugin's panel of real names shows.
void Demo::FollowFocus() {
  FarHost::Panel* p = Active();
  std::string folder = p && p->shownDir ? *p->shownDir : host_.filePanel.curDir;
  SetCurrentDirectoryA(folder.c_str());
}

int Demo::Run() {
  for (;;) {
    RedrawPlugins();
    if (!Active()) LoadFolder(host_.filePanel);
    LoadFolder(other_);
    TrackSizes();
    if (!Active()) FollowFocus();
    Screen s = Background();
    DWORD timeout = INFINITE;
    if (term_.interactive) {  // FE_IDLE: 2 s after the last update, then every 1.3 s
      DWORD now = GetTickCount();
      DWORD due = lastIdle_ > lastUpdate_ ? lastIdle_ + 1300 : lastUpdate_ + 2000;
      timeout = Active() || Passive() ? (due > now ? due - now : 0) : 1000;
    }
    Show(s);
    Key k = term_.Next(timeout);
    if (k.kind != Key::Idle || !term_.interactive) caption_ = k.name;
    if (k.kind == Key::End || quit_) return 0;
    if (k.kind == Key::Idle) {
      Idle();
      lastIdle_ = GetTickCount();
      continue;
    }
    lastUpdate_ = GetTickCount();
    if (k.kind == Key::Create || k.kind == Key::Remove) {
      WorldEvent(k);
      continue;
    }
    size_t mark = host_.log.size();
    held_ = k.control;  // a window the key opens keeps the key bar of these modifiers beneath
    FarHost::Panel* p = Active();
    bool going = p ? PanelKey(*p, k) : FileKey(k);
    held_ = 0;
    AfterKey(mark);
    if (!going || quit_) return 0;
  }
}
