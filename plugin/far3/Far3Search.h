// Paths and file searches of the FAR 3 DLLs, in UTF-16 with no length limit: the directory part
// of a path, long-path forms, and the emptiness test of an entry.
#pragma once

#include <windows.h>
#include <string>

std::wstring DirectoryPart(const std::wstring& Path);    // up to and including the last '\' or ':'
std::wstring WithoutLastName(const std::wstring& Path);  // cut at the last '\' (whole if none)
std::wstring NameAfterPath(const std::wstring& Path);    // after the last '\' or ':'
// The form Win32 takes for a path of any length: an absolute path ("X:\...", "\\server\share\...")
// of MAX_PATH characters or more gets the "\\?\" prefix; anything else is left as it is.
std::wstring LongPath(const std::wstring& Path);
// The process's current folder as FAR reports a folder ("X:\" for a root, no final backslash
// otherwise).
std::wstring CurrentFolder();
bool IsFolder(const std::wstring& Path);

// A file search, closed when it goes out of scope.
class TFindHandle {
 public:
  TFindHandle(const std::wstring& Pattern, WIN32_FIND_DATAW& Data)
      : FHandle(FindFirstFileW(LongPath(Pattern).c_str(), &Data)) {}
  ~TFindHandle() {
    if (Valid()) FindClose(FHandle);
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  // Advances to the next entry; any failure, not only the end of the list, ends the scan.
  bool Next(WIN32_FIND_DATAW& Data) { return FindNextFileW(FHandle, &Data) != FALSE; }

 private:
  HANDLE FHandle;
};

// The first match of a search for Path, or all zeros when nothing matches.
WIN32_FIND_DATAW LookupFindData(const std::wstring& Path);
// An existing file: found, not a folder, stamped inside the DOS date range (1980..2107).
bool FileExists(const std::wstring& Name);
// True when the path or mask matches nothing that counts as content.
bool IsEmptyFolder(const std::wstring& Path);

// IsEmptyFolder's test of one entry of the search for Path. A file counts when a search for the
// directory part + its name finds an existing file: the entry's own record answers that whenever
// the search is sure to find the entry itself, and the search is made otherwise.
class TContentTest {
 public:
  explicit TContentTest(const std::wstring& Path);
  bool Counts(const WIN32_FIND_DATAW& Entry) const;

 private:
  bool LeadsBack(const WIN32_FIND_DATAW& Entry) const;
  std::wstring FDirectory;
  bool FPlainDirectory;
};
