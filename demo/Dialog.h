// FAR's dialog: its items placed, drawn in FAR 1.75's colours and answering FAR's keys.
#pragma once

#include <string>
#include <vector>

#include "Boxes.h"
#include "FarHost.h"
#include "Layout.h"

// One item as FAR 1.75 keeps it: FAR 1.63's fields, and what FAR's own dialogs add to them.
struct DialogItem {
  int type = DI_TEXT;  // DI_* or Combo
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
  bool focus = false;
  int selected = 0;
  unsigned flags = 0;  // FAR 1.63's DIF_* bits
  bool defaultButton = false;
  std::string data;  // OEM text; '&' marks the hot key unless DIF_SHOWAMPERSAND
  bool disabled = false;
  bool history = false;     // an edit with a history list: FAR draws its arrow
  bool noClose = false;     // a button that does not close the dialog (FAR's DIF_BTNNOCLOSE)
  bool unchanged = true;    // an edit's text not typed over yet (FAR's "clear flag")
  bool readOnly = false;    // an edit that takes no typing
  bool textColour = false;  // an edit drawn in the dialog's text colour (a name in a warning)
  bool centreText = false;  // a text centred between x1 and x2 (FAR's DIF_CENTERTEXT)
  bool hidden = false;
  static constexpr int Combo = 10;  // FAR 1.75's DI_COMBOBOX (a drop-down list)
};

// Where a dialog goes, as FAR's Dialog::SetPosition takes it: x1 (y1) -1 centres the dialog
// across (down) the screen, width (height) being its size; otherwise it starts there.
struct DialogLook {
  int x1 = -1, y1 = -1;
  int width = 0, height = 0;
  bool warning = false;  // FAR's warning colours (white on red)
  std::string helpTopic;
  bool hasHelp = false;
  bool f10Taken = false;  // F10 is the dialog's own key (the copy dialog's tree), not Esc
};

// FAR's CheckDialogCoord on a screen of `screenW` by `screenH`: the rectangle the dialog takes.
// `groupWidth` gets the width FAR centres button groups in (one more where it clamped x1 to 0).
Rect PlaceDialog(const DialogLook& look, int screenW, int screenH, int* groupWidth = nullptr);
// The dialog drawn over `s` (groups centred first); the rectangle it took is returned.
Rect DrawDialog(Screen& s, std::vector<DialogItem>& items, const DialogLook& look);
// FAR's Dialog: the index of the item that closed it, -1 on Esc or F10.
int RunDialog(ModalHost& host, std::vector<DialogItem>& items, const DialogLook& look);

// A plugin's FAR 1.63 items through the same dialog; what the user set is written back.
std::vector<DialogItem> FromPlugin(const std::vector<FarDialogItem>& items);
void ToPlugin(const std::vector<DialogItem>& from, std::vector<FarDialogItem>& items);
