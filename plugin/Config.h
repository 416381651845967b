// The configuration dialog and the About box.
#pragma once

#include "far163.h"

enum { ConfigDialogItemCount = 19 };
extern FarDialogItem ConfigDialogItems[ConfigDialogItemCount];

// Shows the dialog; OK takes its values into the settings and saves all nine. Returns 0.
int ShowConfigDialog();
// Shows the About message from the module's version resource, or a warning when it is missing.
void ShowAbout();
