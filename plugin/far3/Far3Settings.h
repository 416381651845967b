// The FAR 3 plugin's nine settings, kept through FAR 3's settings API under the plugin's GUID.
#pragma once

#include <string>

// Flags hold 0 or 1 and are tested against exactly 1, as in the FAR 1.x DLL. DisksMenuDigit is
// kept for the FAR 1.x DLL's sake: FAR 3's disks menu has no digits.
struct TSettings {
  int AddToDisksMenu;
  int DisksMenuDigit;
  std::wstring FileSystemFile;
  std::wstring FileSystemExt;
  int ShowAllFiles;
  int ShowAllFolders;
  int AutoExit;
  int AutoExitPlugin;
  int TreatFolderAsFile;
};
extern TSettings Settings;

// The defaults, for a first run and for a value that cannot be read.
void ResetSettings();
// Reads the nine values from FAR's settings; each one missing keeps its default.
void LoadSettings();
// Writes all nine.
void SaveSettings();
// The longest text a text setting keeps: the extension's 3 letters; the path has no limit (npos).
size_t SettingTextLimit(const std::wstring TSettings::*Field);
