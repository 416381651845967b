// The FAR 3 configuration dialog and the About box.
#pragma once

void ShowConfigDialog();
void ShowAbout();
