// Paths and file searches: the directory part of a path, and the emptiness test of an entry.
#include "FileSearch.h"

#include <algorithm>
#include <cstring>
#include "EmptinessRules.h"
#include "Settings.h"

// ---------------------------------------------------------------------------------------------
// Paths

namespace {

// Lead bytes of the system's double-byte code page, looked up once.
const bool* LeadBytes() {
  static bool Table[256];
  static bool Ready = false;
  if (!Ready) {
    for (int B = 0; B < 256; ++B) Table[B] = IsDBCSLeadByte(static_cast<BYTE>(B)) != FALSE;
    Ready = true;
  }
  return Table;
}

}  // namespace

size_t LastCharOf(const std::string& Text, const char* Chars) {
  const bool* Lead = LeadBytes();
  size_t Found = std::string::npos;
  for (size_t I = 0; I < Text.size(); ++I) {
    unsigned char C = static_cast<unsigned char>(Text[I]);
    if (Lead[C] && I + 1 < Text.size()) {
      ++I;  // the trail byte is part of the character, never a separator
      continue;
    }
    if (strchr(Chars, C) && C) Found = I;
  }
  return Found;
}

std::string DirectoryPart(const std::string& Path) {
  size_t Pos = LastCharOf(Path, "\\:");
  return Pos == std::string::npos ? std::string() : Path.substr(0, Pos + 1);
}

std::string WithoutLastName(const std::string& Path) {
  size_t Pos = LastCharOf(Path, "\\");
  return Pos == std::string::npos ? Path : Path.substr(0, Pos);
}

// ---------------------------------------------------------------------------------------------
// File searches

std::string CurrentFolder() {
  char Folder[MAX_PATH];
  const DWORD Length = GetCurrentDirectoryA(sizeof(Folder), Folder);
  return Length > 0 && Length < sizeof(Folder) ? std::string(Folder, Length) : std::string();
}

bool IsDots(const char* Name) { return IsDotsName(Name); }

namespace {

bool IsExistingFile(const WIN32_FIND_DATAA& Data) {
  return IsExistingFileEntry(Data.dwFileAttributes, Data.ftLastWriteTime);
}

}  // namespace

// Only an absolute directory part (a relative one could make the full name too long) without
// wildcards, and a mask whose last part cannot move the search elsewhere ("a\b\..", "a/*.txt").
TContentTest::TContentTest(const std::string& Path) : FDirectory(DirectoryPart(Path)) {
  const std::string& D = FDirectory;
  unsigned char Letter = D.empty() ? 0 : static_cast<unsigned char>(D[0]) | 0x20;
  bool Drive = D.size() >= 3 && Letter >= 'a' && Letter <= 'z' && D.compare(1, 2, ":\\") == 0;
  bool Share = D.compare(0, 2, "\\\\") == 0 && std::count(D.begin(), D.end(), '\\') >= 4;
  const char* Last = Path.c_str() + D.size();
  FPlainDirectory = (Drive || Share) && D.find_first_of("*?") == std::string::npos &&
                    !strchr(Last, '/') && Last[strspn(Last, ". ")] != 0;
}

bool TContentTest::Counts(const WIN32_FIND_DATAA& Entry) const {
  if (IsDots(Entry.cFileName)) return false;
  if (FolderCounts(Entry.dwFileAttributes, Settings.TreatFolderAsFile)) return true;
  return LeadsBack(Entry) ? IsExistingFile(Entry) : FileExists(FDirectory + Entry.cFileName);
}

// Not for a name with wildcards or separators, cut by the search (a trailing dot or blank), read
// as a device (CON, NUL.TXT, COM1) or past MAX_PATH, nor for an entry with a short name: a long
// name the code page cannot hold arrives as a best fit (a plain "u" for an umlaut) that names
// another file or none, and such an entry has a short name wherever short names are made.
bool TContentTest::LeadsBack(const WIN32_FIND_DATAA& Entry) const {
  const char* Name = Entry.cFileName;
  size_t Length = strlen(Name), Stem = strcspn(Name, ".");
  if (!FPlainDirectory || Entry.cAlternateFileName[0] || !Length ||
      FDirectory.size() + Length >= MAX_PATH || strpbrk(Name, "*?<>\"|/\\:") ||
      Name[Length - 1] == '.' || Name[Length - 1] == ' ')
    return false;
  return !MayNameDevice(Name, Stem);
}

WIN32_FIND_DATAA LookupFindData(const std::string& Path) {
  WIN32_FIND_DATAA Data;
  memset(&Data, 0, sizeof(Data));
  TFindHandle Find(Path, Data);
  if (!Find.Valid()) memset(&Data, 0, sizeof(Data));
  return Data;
}

bool FileExists(const std::string& Name) {
  WIN32_FIND_DATAA Data;
  TFindHandle Find(Name, Data);
  return Find.Valid() && IsExistingFile(Data);
}

bool IsEmptyFolder(const std::string& Path) {
  WIN32_FIND_DATAA Data;
  TFindHandle Find(Path, Data);
  if (!Find.Valid()) return true;
  const TContentTest Content(Path);
  do {
    if (Content.Counts(Data)) return false;
  } while (Find.Next(Data));
  return true;
}
