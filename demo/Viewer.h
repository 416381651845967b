// FAR's viewer on a real file (F3): the status line, the text wrapped at the screen's width, and
// the viewer's own key bar.
#pragma once

#include <string>

#include "Boxes.h"

// Shows `path` until Esc, F3 or F10.
void ShowViewer(ModalHost& host, int width, int height, const std::string& path);
