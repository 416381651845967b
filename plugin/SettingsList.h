// The nine settings every Quenby DLL keeps, in their stored order: the value names (FAR 1.x's
// registry values, FAR 3's settings under the plugin's GUID), the defaults of the numbers and
// the longest text of the two texts. Each DLL expands the list into its own table.
#pragma once

// INTEGER(Name, Default), TEXT(Name, MaxLength)
#define QUENBY_SETTINGS(INTEGER, TEXT) \
  INTEGER(AddToDisksMenu, 1)           \
  INTEGER(DisksMenuDigit, 1)           \
  TEXT(FileSystemFile, 255)            \
  TEXT(FileSystemExt, 3)               \
  INTEGER(ShowAllFiles, 0)             \
  INTEGER(ShowAllFolders, 0)           \
  INTEGER(AutoExit, 1)                 \
  INTEGER(AutoExitPlugin, 1)           \
  INTEGER(TreatFolderAsFile, 0)
