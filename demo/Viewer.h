// FAR's viewer on a real file (F3): status line, wrapped text and the viewer's key bar.
#pragma once

#include <string>

#include "Boxes.h"

// Shows `path` until Esc, F3 or F10.
void ShowViewer(ModalHost& host, int width, int height, const std::string& path);
