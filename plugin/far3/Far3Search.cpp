// Paths and file searches of the FAR 3 DLLs, and the emptiness test of an entry.
#include "Far3Search.h"

#include <algorithm>
#include <cstring>
#include <vector>
#include "../EmptinessRules.h"
#include "Far3Settings.h"

// ---------------------------------------------------------------------------------------------
// Paths

std::wstring DirectoryPart(const std::wstring& Path) {
  size_t Pos = Path.find_last_of(L"\\:");
  return Pos == std::wstring::npos ? std::wstring() : Path.substr(0, Pos + 1);
}

std::wstring WithoutLastName(const std::wstring& Path) {
  size_t Pos = Path.rfind(L'\\');
  return Pos == std::wstring::npos ? Path : Path.substr(0, Pos);
}

std::wstring NameAfterPath(const std::wstring& Path) {
  size_t Pos = Path.find_last_of(L"\\:");
  return Pos == std::wstring::npos ? Path : Path.substr(Pos + 1);
}

std::wstring LongPath(const std::wstring& Path) {
  if (Path.size() < MAX_PATH || Path.compare(0, 4, L"\\\\?\\") == 0) return Path;
  const bool Drive = Path.size() >= 3 && iswalpha(Path[0]) && Path.compare(1, 2, L":\\") == 0;
  if (Drive) return L"\\\\?\\" + Path;
  if (Path.compare(0, 2, L"\\\\") == 0) return L"\\\\?\\UNC\\" + Path.substr(2);
  return Path;
}

std::wstring CurrentFolder() {
  DWORD Size = GetCurrentDirectoryW(0, nullptr);
  if (Size == 0) return std::wstring();
  std::vector<wchar_t> Folder(Size + 1);
  DWORD Length = GetCurrentDirectoryW(static_cast<DWORD>(Folder.size()), Folder.data());
  return Length > 0 && Length < Folder.size() ? std::wstring(Folder.data(), Length) : std::wstring();
}

bool IsFolder(const std::wstring& Path) {
  if (Path.empty()) return false;
  DWORD Attributes = GetFileAttributesW(LongPath(Path).c_str());
  return Attributes != INVALID_FILE_ATTRIBUTES && (Attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// ---------------------------------------------------------------------------------------------
// File searches

namespace {

bool IsExistingFile(const WIN32_FIND_DATAW& Data) {
  return IsExistingFileEntry(Data.dwFileAttributes, Data.ftLastWriteTime);
}

}  // namespace

// Only an absolute directory part without wildcards, and a mask whose last part cannot move the
// search elsewhere ("a\b\..", "a/*.txt").
TContentTest::TContentTest(const std::wstring& Path) : FDirectory(DirectoryPart(Path)) {
  const std::wstring& D = FDirectory;
  wchar_t Letter = D.empty() ? 0 : static_cast<wchar_t>(D[0] | 0x20);
  bool Drive = D.size() >= 3 && Letter >= L'a' && Letter <= L'z' && D.compare(1, 2, L":\\") == 0;
  bool Share = D.compare(0, 2, L"\\\\") == 0 && std::count(D.begin(), D.end(), L'\\') >= 4;
  const wchar_t* Last = Path.c_str() + D.size();
  FPlainDirectory = (Drive || Share) && D.find_first_of(L"*?") == std::wstring::npos &&
                    !wcschr(Last, L'/') && Last[wcsspn(Last, L". ")] != 0;
}

bool TContentTest::Counts(const WIN32_FIND_DATAW& Entry) const {
  if (IsDotsName(Entry.cFileName)) return false;
  if (FolderCounts(Entry.dwFileAttributes, Settings.TreatFolderAsFile)) return true;
  return LeadsBack(Entry) ? IsExistingFile(Entry) : FileExists(FDirectory + Entry.cFileName);
}

// Not for a name with wildcards or separators, cut by the search (a trailing dot or blank) or
// read as a device (CON, NUL.TXT, COM1): a search for such a name finds another file or none.
bool TContentTest::LeadsBack(const WIN32_FIND_DATAW& Entry) const {
  const wchar_t* Name = Entry.cFileName;
  size_t Length = wcslen(Name), Stem = wcscspn(Name, L".");
  if (!FPlainDirectory || !Length || wcspbrk(Name, L"*?<>\"|/\\:") || Name[Length - 1] == L'.' ||
      Name[Length - 1] == L' ')
    return false;
  return !MayNameDevice(Name, Stem);
}

WIN32_FIND_DATAW LookupFindData(const std::wstring& Path) {
  WIN32_FIND_DATAW Data;
  memset(&Data, 0, sizeof(Data));
  TFindHandle Find(Path, Data);
  if (!Find.Valid()) memset(&Data, 0, sizeof(Data));
  return Data;
}

bool FileExists(const std::wstring& Name) {
  if (Name.empty()) return false;
  WIN32_FIND_DATAW Data;
  TFindHandle Find(Name, Data);
  return Find.Valid() && IsExistingFile(Data);
}

bool IsEmptyFolder(const std::wstring& Path) {
  if (Path.empty()) return true;
  WIN32_FIND_DATAW Data;
  TFindHandle Find(Path, Data);
  if (!Find.Valid()) return true;
  const TContentTest Content(Path);
  do {
    if (Content.Counts(Data)) return false;
  } while (Find.Next(Data));
  return true;
}
