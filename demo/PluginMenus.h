// FAR's two menus of plugin items, "Plugin commands" (F11) and "Plugins configuration", with
// the hot keys F4 assigns in them.
#pragma once

#include <map>
#include <string>

#include "Boxes.h"
#include "FarHost.h"

// The hot keys assigned with F4, by menu item; FAR keeps them in its PluginHotkeys key.
struct PluginHotKeys {
  std::map<int, char> commands, config;
  bool present = false;  // once any is assigned, FAR writes every item with a column for them
};

// "Plugin commands": the item chosen, -1 on Esc.
int PluginCommandsMenu(ModalHost& modal, FarHost& host, PluginHotKeys& keys);
// "Plugins configuration": Enter runs the item's configuration and comes back to the menu,
// until Esc.
void PluginsConfigMenu(ModalHost& modal, FarHost& host, PluginHotKeys& keys);
