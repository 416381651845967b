// FAR's help window on the plugin's .hlf file (F1): title, reflowed text, links to follow.
#pragma once

#include <string>

#include "Boxes.h"

// Shows `topic` of the .hlf file in `folder` written for `language` ("English"), until Esc.
// A topic of "" is the plugin's Contents.
void ShowHelp(ModalHost& host, const std::string& folder, const std::string& language,
              const std::string& topic);
