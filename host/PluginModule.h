// The plugin module as FAR holds it: the loaded DLL and the addresses of its thirteen exports.
#pragma once

#include <string>

#include "far163.h"

namespace farhost {

// Addresses of the thirteen exports, all non-null after a successful load.
struct PluginExports {
  PFN_SetStartupInfo SetStartupInfo = nullptr;
  PFN_GetPluginInfo GetPluginInfo = nullptr;
  PFN_OpenPlugin OpenPlugin = nullptr;
  PFN_OpenFilePlugin OpenFilePlugin = nullptr;
  PFN_ClosePlugin ClosePlugin = nullptr;
  PFN_GetOpenPluginInfo GetOpenPluginInfo = nullptr;
  PFN_GetFindData GetFindData = nullptr;
  PFN_FreeFindData FreeFindData = nullptr;
  PFN_SetDirectory SetDirectory = nullptr;
  PFN_ProcessKey ProcessKey = nullptr;
  PFN_ProcessEvent ProcessEvent = nullptr;
  PFN_Configure Configure = nullptr;
  PFN_ExitFAR ExitFAR = nullptr;
};

// Looks the thirteen exports up by their undecorated names. `missing` lists the names the
// module lacks, comma-separated ("" when it has them all).
PluginExports ResolveExports(HMODULE module, std::string& missing);

}  // namespace farhost
