// The demo's world: C:\Quenby with its folders and LIST.VFS, times fixed at 2024-03-01 10:00.
#pragma once

#include <string>

struct World {
  std::string root;      // C:\Quenby
  std::string listFile;  // root + "\LIST.VFS"
};

// Makes the folder afresh; false (with `error`) when it cannot be written.
bool MakeWorld(World& world, std::string& error);
// Writes a file below the folder ("Mail\msg004.msg"), `size` bytes of numbered lines, with the
// world's time on it and on its folder; false on failure.
bool WriteWorldFile(const World& world, const std::string& relative, size_t size);
// Deletes a file below the folder, keeping the folder's time; false on failure.
bool RemoveWorldFile(const World& world, const std::string& relative);
// Removes the whole folder.
void RemoveWorld(const World& world);
// Removes the HKCU\<keyParent>\<pid> settings that demos which were killed left behind.
void RemoveStaleSettings(const std::string& keyParent);
