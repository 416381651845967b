// Generated folder worlds, and the panel's searches made the long way round: an emptiness test
// that searches every file it finds once more by its name, and the look-up of a path.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace literal {

// The emptiness test, step by step: a file entry is content when a search for the directory
// part followed by its name finds a file stamped within the DOS date range.
bool FileExists(const std::string& Name);
bool IsEmptyFolder(const std::string& Path, bool TreatFolderAsFile);
// The first match of Path, or all zeros.
WIN32_FIND_DATAA LookupFindData(const std::string& Path);

}  // namespace literal

// A tree of folders under Root made for comparing the two emptiness tests: folders that each hold
// one kind of entry the two could disagree on (alone, or beside the file its name would find
// instead), random mixes of those, an empty folder, and masks over all of them.
struct TSearchWorld {
  std::string Root;                     // no trailing backslash
  std::vector<std::string> Folders;     // every folder made, full paths
  std::vector<std::string> Masks;       // absolute masks, folder paths and odd forms
  std::vector<std::string> Relative;    // masks to read with the current directory in a folder
  std::string Drive;                    // "C:" of Root, for drive-relative masks
  std::vector<std::string> Unmade;      // entries that could not be made (UTF-8)
};

// Makes the world (Root must not exist yet); Seed picks the random mixes.
TSearchWorld MakeSearchWorld(const std::string& Root, unsigned Seed);
// Deletes a tree, whatever names it holds.
void RemoveWideTree(const std::string& Root);
// Every folder below Folder (itself included), for worlds made outside the test.
std::vector<std::string> FoldersBelow(const std::string& Folder);
// The masks the world makes for one folder.
std::vector<std::string> MasksOver(const std::string& Folder);
