// The demo's example: a small tree of mail, drop and note folders in a temporary folder, and the
// list file LIST.VFS that names them, as a FAR user would keep it.
#pragma once

#include <string>

struct ExampleTree {
  std::string root;      // Windows path of the tree, without a trailing backslash
  std::string listFile;  // root + "\LIST.VFS"
};

// Makes the tree below the temporary folder; false when it cannot be written.
bool MakeExampleTree(ExampleTree& tree);
// Writes one small file (a path below the tree), creating its folder; false on failure.
bool WriteExampleFile(const ExampleTree& tree, const std::string& relative,
                      const std::string& text);
// Removes the whole tree.
void RemoveExampleTree(const ExampleTree& tree);
// Removes the trees (and the HKCU\<keyParent>\<pid> registry keys) that demos which were
// killed left behind: those whose process is gone.
void RemoveStaleExamples(const std::string& keyParent);
