// FAR's own file panel over a folder on disk, and FAR's copy, move, rename and delete on it.
#pragma once

#include <string>

#include "Boxes.h"
#include "FarHost.h"

// Rereads panel.curDir; the cursor stays on the same name, or on `focus` when given.
void LoadFolder(FarHost::FilePanel& panel, const std::string& focus = std::string());
// "C:\X" + "y" -> "C:\X\y"; "C:\" + "y" -> "C:\y".
std::string JoinPath(const std::string& folder, const std::string& name);
// "C:\X\Y" -> "C:\X"; "C:\Y" -> "C:\".
std::string ParentOf(const std::string& path);

enum class FileOp { Copy, Move, Rename, Delete };
// FAR's box for the operation on `path` (a file or folder), then the operation itself; the
// target folder of a copy or move is `otherFolder`. True when something changed on disk.
bool RunFileOp(ModalHost& host, FileOp op, const std::string& path, const std::string& otherFolder);
