// FAR's plugin menus as far/plugins.cpp fills them and far/stddlg.cpp's hot key dialog.
#include "PluginMenus.h"

#include <vector>

#include "Dialog.h"

namespace {

// An item as plugins.cpp writes it: "&K  Name" with a hot key, "   Name" without one; with no
// hot key assigned anywhere the configuration menu shows the bare name, the commands menu still
// "   Name".
std::wstring ItemText(const std::string& name, const std::map<int, char>& hot, int i, bool present,
                      bool commands) {
  auto k = hot.find(i);
  if (!present) return (commands ? L"   " : L"") + FromOem(name);
  if (k == hot.end()) return L"   " + FromOem(name);
  std::wstring key(1, static_cast<wchar_t>(k->second));
  return L"&" + key + (k->second == '&' ? L"&" : L"") + L"  " + FromOem(name);
}

// FAR's GetMenuHotKey: "Assign plugin hot key", a one-character field; true when confirmed.
bool AskHotKey(ModalHost& modal, const std::string& name, char& key) {
  std::vector<DialogItem> d(4);
  d[0].type = DI_DOUBLEBOX, d[0].x1 = 3, d[0].y1 = 1, d[0].x2 = 60, d[0].y2 = 4;
  d[0].data = "Assign plugin hot key";
  d[1].x1 = 5, d[1].y1 = 2, d[1].data = "Enter hot key (letter or digit)";
  d[2].type = DI_FIXEDIT, d[2].x1 = d[2].x2 = 5, d[2].y1 = d[2].y2 = 3;
  d[2].focus = d[2].defaultButton = true;
  d[2].data = key ? std::string(1, key) : std::string();
  d[3].x1 = 8, d[3].y1 = 3, d[3].x2 = 58, d[3].data = name;
  DialogLook look;
  look.width = 64, look.height = 6;
  if (RunDialog(modal, d, look) != 2) return false;
  key = d[2].data.empty() || d[2].data[0] == ' ' ? 0 : d[2].data[0];
  return true;
}

// One menu of plugin items; F4 on an item asks for its hot key and shows the menu again.
int PluginMenu(ModalHost& modal, const std::vector<std::string>& names, const wchar_t* title,
               std::map<int, char>& hot, PluginHotKeys& keys, bool commands, int start) {
  for (;;) {
    MenuSpec m;
    m.title = title;
    m.bottom = L"F4 - set hot key";
    m.autoHighlight = true;
    m.selected = start;
    for (size_t i = 0; i < names.size(); ++i)
      m.items.push_back(ItemText(names[i], hot, static_cast<int>(i), keys.present, commands));
    int f4 = -1;
    m.f4Item = &f4;
    int i = ShowMenu(modal, m);
    if (f4 < 0) return i;
    char key = hot.count(f4) ? hot[f4] : 0;
    if (AskHotKey(modal, names[f4], key)) {
      keys.present = true;
      if (key)
        hot[f4] = key;
      else
        hot.erase(f4);
    }
    start = f4;
  }
}

}  // namespace

int PluginCommandsMenu(ModalHost& modal, FarHost& host, PluginHotKeys& keys) {
  host.GetPluginInfo();
  return PluginMenu(modal, host.pluginInfo.pluginMenuStrings, L"Plugin commands", keys.commands,
                    keys, true, 0);
}

void PluginsConfigMenu(ModalHost& modal, FarHost& host, PluginHotKeys& keys) {
  int start = 0;
  for (;;) {
    host.GetPluginInfo();
    int i = PluginMenu(modal, host.pluginInfo.pluginConfigStrings, L"Plugins configuration",
                       keys.config, keys, false, start);
    if (i < 0) return;
    start = i;
    host.Configure(i);
  }
}
