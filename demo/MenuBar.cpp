// FAR's menu bar as far/hmenu.cpp draws it, with the items far/options.cpp gives its menus.
#include "MenuBar.h"

#include <cctype>
#include <cstring>
#include <string>
#include <vector>

namespace {

const WORD BarText = 0x30, BarHot = 0x3E, BarSelected = 0x0F, BarSelectedHot = 0x0E;

const char* const Titles[] = {"&Left", "&Files", "&Commands", "&Options", "&Right"};

// A panel's menu (Left or Right): the view modes, the other panel types, the rest.
std::vector<std::wstring> PanelMenu(bool right) {
  return {L"&Brief              LCtrl-1",
          L"&Medium             LCtrl-2",
          L"&Full               LCtrl-3",
          L"&Wide               LCtrl-4",
          L"Detai&led           LCtrl-5",
          L"&Descriptions       LCtrl-6",
          L"Lon&g descriptions  LCtrl-7",
          L"File own&ers        LCtrl-8",
          L"File lin&ks         LCtrl-9",
          L"&Alternative full   LCtrl-0",
          L"-",
          L"&Info panel         Ctrl-L",
          L"&Tree panel         Ctrl-T",
          L"Quick &view         Ctrl-Q",
          L"-",
          L"&Sort modes         Ctrl-F12",
          L"Show long &names    Ctrl-N",
          right ? L"Panel &On/Off       Ctrl-F2" : L"Panel &On/Off       Ctrl-F1",
          L"&Re-read            Ctrl-R",
          right ? L"&Change drive       Alt-F2" : L"&Change drive       Alt-F1"};
}

std::vector<std::wstring> Items(int menu) {
  switch (menu) {
    case FilesMenu:
      return {L"&View               F3",       L"&Edit               F4",
              L"&Copy               F5",       L"&Rename or move     F6",
              L"&Make folder        F7",       L"&Delete             F8",
              L"&Wipe               Alt-Del",  L"-",
              L"Add &to archive     Shift-F1", L"E&xtract files      Shift-F2",
              L"Arc&hive commands   Shift-F3", L"-",
              L"File &attributes    Ctrl-A",   L"A&pply command      Ctrl-G",
              L"Descri&be files     Ctrl-Z",   L"-",
              L"Select &group       Gray +",   L"U&nselect group     Gray -",
              L"&Invert selection   Gray *",   L"Re&store selection  Ctrl-M"};
    case CommandsMenu:
      return {L"&Find file           Alt-F7",
              L"&History             Alt-F8",
              L"&Video mode          Alt-F9",
              L"Fi&nd folder         Alt-F10",
              L"File vie&w history   Alt-F11",
              L"F&olders history     Alt-F12",
              L"-",
              L"&Swap panels         Ctrl-U",
              L"&Panels On/Off       Ctrl-O",
              L"&Compare folders",
              L"-",
              L"Edit user &menu",
              L"File &associations",
              L"Fol&der shortcuts",
              L"File panel f&ilter   Ctrl-I",
              L"-",
              L"Pl&ugin commands     F11",
              L"Sc&reens list        F12",
              L"Task &list           Ctrl-W",
              L"Ho&tplug devices list"};
    case OptionsMenu:
      return {L"S&ystem settings",
              L"&Panel settings",
              L"&Interface settings",
              L"Lan&guages",
              L"Pl&ugins configuration",
              L"Di&alog settings",
              L"-",
              L"Co&nfirmations",
              L"File panel &modes",
              L"File &descriptions",
              L"&Folder description files",
              L"-",
              L"&Viewer settings",
              L"&Editor settings",
              L"-",
              L"Co&lors",
              L"Files &highlighting and sort groups",
              L"-",
              L"&Save setup                         Shift-F9"};
    default:
      return PanelMenu(menu == RightMenu);
  }
}

// The check marks options.cpp sets: the panel's view mode, and "Show long names".
std::vector<bool> Checks(int menu, int mode) {
  std::vector<bool> checked;
  if (menu != LeftMenu && menu != RightMenu) return checked;
  checked.assign(20, false);
  checked[mode == 0 ? 9 : mode - 1] = true;
  checked[16] = true;
  return checked;
}

char HotOf(const char* title) {
  const char* amp = std::strchr(title, '&');
  return amp ? static_cast<char>(std::toupper(static_cast<unsigned char>(amp[1]))) : 0;
}

// The bar on the top row: "  Title  " for each menu from column 2; returns where each starts.
std::vector<int> DrawBar(Screen& s, int selected) {
  s.Fill(0, 0, s.W, L' ', BarText);
  std::vector<int> at;
  int x = 2;
  for (int i = 0; i < 5; ++i) {
    at.push_back(x);
    bool sel = i == selected;
    std::string t = std::string("  ") + Titles[i] + "  ";
    for (size_t c = 0; c < t.size(); ++c) {
      bool hot = t[c] == '&';
      if (hot) ++c;
      s.Put(x++, 0, std::wstring(1, static_cast<wchar_t>(t[c])),
            hot ? (sel ? BarSelectedHot : BarHot) : (sel ? BarSelected : BarText));
    }
  }
  return at;
}

// The panels beneath with the bar over them, for the drop-down menus.
class UnderBar : public ModalHost {
 public:
  UnderBar(ModalHost& host, int selected) : host_(host), selected_(selected) {}
  Screen Background() override {
    Screen s = host_.Background();
    DrawBar(s, selected_);
    return s;
  }
  Key Read(const Screen& shown) override { return host_.Read(shown); }
  void Show(const Screen& shown) override { host_.Show(shown); }
  void Help(const std::string&) override {}  // FAR's own help on its menus is not the demo's

 private:
  ModalHost& host_;
  int selected_;
};

}  // namespace

BarChoice ShowMenuBar(ModalHost& host, bool rightActive, int leftMode, int rightMode) {
  int selected = rightActive ? RightMenu : LeftMenu;
  bool open = false;
  for (;;) {
    if (open) {
      Screen probe = host.Background();
      MenuSpec m;
      m.items = Items(selected);
      m.checked = Checks(selected, selected == LeftMenu ? leftMode : rightMode);
      m.x = DrawBar(probe, selected)[selected], m.y = 1;
      m.shortBox = true;
      int side = 0;
      m.side = &side;
      UnderBar under(host, selected);
      int item = ShowMenu(under, m);
      if (item >= 0) return BarChoice{selected, item};
      if (!side) open = false;  // Esc: back to the bar
      selected = (selected + side + 5) % 5;
      continue;
    }
    Screen s = host.Background();
    DrawBar(s, selected);
    Key k = host.Read(s);
    if (k.kind == Key::End) return BarChoice{};
    if (k.kind != Key::Press) continue;
    if (k.Is(VK_ESCAPE) || k.Is(VK_F10)) return BarChoice{};
    if (k.Is(VK_LEFT) || k.Is(VK_RIGHT)) selected = (selected + (k.vk == VK_LEFT ? 4 : 1)) % 5;
    if (k.Is(VK_HOME)) selected = LeftMenu;
    if (k.Is(VK_END)) selected = RightMenu;
    if (k.Is(VK_TAB))  // from a middle menu to the passive panel's, else to the other end
      selected = selected != LeftMenu && selected != RightMenu
                     ? (rightActive ? LeftMenu : RightMenu)
                     : (selected == LeftMenu ? RightMenu : LeftMenu);
    if (k.Is(VK_RETURN) || k.Is(VK_DOWN)) open = true;
    char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(k.ch)));
    if (!k.ch && ((k.vk >= 'A' && k.vk <= 'Z') || (k.vk >= '0' && k.vk <= '9')))
      letter = static_cast<char>(k.vk);
    for (int i = 0; i < 5 && letter; ++i)
      if (HotOf(Titles[i]) == letter) selected = i, open = true;
  }
}
