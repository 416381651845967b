// What makes an entry of the list empty, the same in every Quenby DLL: the rules about one entry
// of the search for its path or mask. The searches themselves are each DLL's own.
#pragma once

#include <windows.h>

// "." and "..": never content.
template <class Char> bool IsDotsName(const Char* Name) {
  return Name[0] == Char('.') && (Name[1] == 0 || (Name[1] == Char('.') && Name[2] == 0));
}

// A sub-folder counts as content only with TreatFolderAsFile, and only a plain one: its
// attributes are the folder bit and nothing else.
inline bool FolderCounts(DWORD Attributes, int TreatFolderAsFile) {
  return Attributes == FILE_ATTRIBUTE_DIRECTORY && TreatFolderAsFile == 1;
}

// The local time of a stamp must be a DOS date: 1980 to 2107. Checked here rather than left to
// FileTimeToDosDateTime, which does not refuse every year outside the range on every system.
inline bool HasDosTime(const FILETIME& Time) {
  FILETIME Local;
  SYSTEMTIME System;
  WORD Date, DosTime;
  if (!FileTimeToLocalFileTime(&Time, &Local) || !FileTimeToSystemTime(&Local, &System))
    return false;
  if (System.wYear < 1980 || System.wYear > 2107) return false;
  return FileTimeToDosDateTime(&Local, &Date, &DosTime) != FALSE;
}

// An existing file, as a search finds it: not a folder, stamped inside the DOS date range.
inline bool IsExistingFileEntry(DWORD Attributes, const FILETIME& LastWriteTime) {
  return !(Attributes & FILE_ATTRIBUTE_DIRECTORY) && HasDosTime(LastWriteTime);
}

// The first three letters of a name's stem that Windows reads as a device (CON, NUL.TXT, COM1):
// a search for such a name does not find a file of that name. Stem is the length before the dot.
template <class Char> bool MayNameDevice(const Char* Name, size_t Stem) {
  if (Stem < 3 || Stem > 7) return false;
  static const char Devices[][4] = {"con", "prn", "aux", "nul", "com", "lpt"};
  for (const char* Device : Devices) {
    bool Same = true;
    for (int I = 0; I < 3 && Same; ++I) {
      Char C = Name[I];
      if (C >= Char('A') && C <= Char('Z')) C = Char(C - 'A' + 'a');
      Same = C == Char(Device[I]);
    }
    if (Same) return true;
  }
  return false;
}
