// FAR's copy, move, rename, delete and make folder on real files: FAR's dialog or box, then the
// operation.
#pragma once

#include <string>

#include "Boxes.h"

enum class FileOp { Copy, Move, Rename, Delete };

// The file or folder a panel's cursor is on: the name the panel shows, its full path.
struct FileOpSource {
  std::string name;    // as FAR names it in its boxes (a plugin's item name, or the file's)
  std::string path;    // full path on disk
  std::string folder;  // the source panel's folder ("" for a plugin's panel)
};

// FAR's dialog for the operation (copy.cpp, delete.cpp), then the operation itself: a copy or
// move goes to `otherFolder`, the other panel's folder. True when something changed on disk.
bool RunFileOp(ModalHost& host, FileOp op, const FileOpSource& source,
               const std::string& otherFolder);

// FAR's "Make folder" (F7, mkdir.cpp): the name asked, the folder made in `folder` (folders on
// the way too). Returns the name made ("" when none); `last` is the name FAR's history offers.
std::string MakeFolder(ModalHost& host, const std::string& folder, std::string& last);
