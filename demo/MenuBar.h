// FAR's menu bar (F9): Left, Files, Commands, Options, Right, and their drop-down menus.
#pragma once

#include "Boxes.h"

// The menus of the bar, in order.
enum BarMenu { LeftMenu, FilesMenu, CommandsMenu, OptionsMenu, RightMenu };

// Items of the drop-down menus that the demo carries out (FAR's own order, separators counted);
// the first six of Files are F3 to F8 (F4, Edit, does nothing in the demo).
enum BarItem {
  ChangeDrive = 19,         // Left and Right
  PluginCommands = 16,      // Commands
  PluginsConfiguration = 4  // Options
};

struct BarChoice {
  int menu = -1, item = -1;  // -1: the bar was left with Esc
};

// The bar as options.cpp opens it: the active side's panel menu selected, nothing dropped down
// until Enter, Down or a hot key. `modes` are the two panels' view modes (0-9) for the check
// marks of the Left and Right menus.
BarChoice ShowMenuBar(ModalHost& host, bool rightActive, int leftMode, int rightMode);
