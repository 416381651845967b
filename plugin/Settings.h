// The settings record, for every unit that reads a setting (nbumail loads and saves it).
#pragma once

// The nine settings. Flags hold 0 or 1 and are tested against exactly 1. The two text blocks
// are fixed-size byte blocks: a text that fills its block has no terminating zero.
struct TSettings {
  int AddToDisksMenu;
  int DisksMenuDigit;
  char FileSystemFile[255];
  char FileSystemExt[3];
  int ShowAllFiles;
  int ShowAllFolders;
  int AutoExit;
  int AutoExitPlugin;
  int TreatFolderAsFile;
};
extern TSettings Settings;
