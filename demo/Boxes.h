// FAR's modal windows over the panels: message box, plugin dialog and menu, with FAR's shadow.
#pragma once

#include <string>
#include <vector>

#include "FarHost.h"
#include "Screen.h"

// What a modal window needs from the demo around it.
class ModalHost {
 public:
  virtual ~ModalHost() = default;
  virtual Screen Background() = 0;                  // the screen beneath, freshly drawn
  virtual Key Read(const Screen& shown) = 0;        // shows the screen, waits for a key
  virtual void Show(const Screen& shown) = 0;       // shows the screen and goes on
  virtual void Help(const std::string& topic) = 0;  // F1: the plugin's help on a topic
};

// The grey area of a window with FAR's shadow to its right and below.
void WindowBackground(Screen& s, int x1, int y1, int x2, int y2, WORD attr);

// FAR's Message: returns the button chosen, -1 on Esc. A box without buttons is shown once.
int ShowMessage(ModalHost& host, const MessageCall& m);
// A plugin's Dialog (centred across when x1 is -1, x2 then being the width; down when y1 is
// -1, y2 then being the height).
int ShowDialog(ModalHost& host, std::vector<FarDialogItem>& items, int x1, int y1, int x2, int y2,
               const std::string& helpTopic);

struct MenuSpec {
  std::wstring title, bottom;
  std::vector<std::wstring> items;  // '&' marks a hot key; a lone "-" is a separator
  int x = -1, y = -1;               // top left of the frame; -1 centres
  bool autoHighlight = false;       // FAR marks the first letter of items without a hot key
  int selected = 0;
  int* f4Item = nullptr;  // when set, F4 ends the menu (-1) with the item it was pressed on here
  int* side = nullptr;    // when set, Left and Right end the menu (-1), -1 or 1 here
  bool shortBox = false;  // the frame alone, without the margin around it (a drop-down menu)
  std::vector<bool> checked;  // FAR's check mark before an item
};
// FAR's menu: the item chosen with Enter or its hot key, -1 on Esc (or F4, see f4Item).
int ShowMenu(ModalHost& host, const MenuSpec& menu);
