// FAR's own file panel over a folder on disk: its items in FAR's order, and the paths around it.
#pragma once

#include <string>
#include <vector>

#include "FarHost.h"

// Rereads panel.curDir; the cursor stays on the same name, or on `focus` when given.
void LoadFolder(FarHost::FilePanel& panel, const std::string& focus = std::string());
// "C:\X" + "y" -> "C:\X\y"; "C:\" + "y" -> "C:\y".
std::string JoinPath(const std::string& folder, const std::string& name);
// "C:\X\Y" -> "C:\X"; "C:\Y" -> "C:\".
std::string ParentOf(const std::string& path);
// The disks menu's lines for the drives there are, as FAR writes them ("&C: fixed    │ 9.99 G│
// 1.00 G"), with the root of each drive in `roots`.
std::vector<std::wstring> DriveLines(std::vector<std::string>& roots);
