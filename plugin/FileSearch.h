// Paths and file searches: the directory part of a path, and the emptiness test of an entry.
#pragma once

#include <string>
#include <windows.h>

// Path helpers; in a double-byte code page a trail byte never counts as a separator.
std::string DirectoryPart(const std::string& Path);   // up to and including the last '\\' or ':'
std::string WithoutLastName(const std::string& Path); // cut at the last '\\' (kept whole if none)
size_t LastCharOf(const std::string& Text, const char* Chars);  // npos when none
// The process's current folder as FAR reports a folder ("X:\" for a root, no final backslash
// otherwise); empty when it does not fit FAR's 260-byte field.
std::string CurrentFolder();

// A file search, closed when it goes out of scope.
class TFindHandle {
 public:
  TFindHandle(const std::string& Pattern, WIN32_FIND_DATAA& Data)
      : FHandle(FindFirstFileA(Pattern.c_str(), &Data)) {}
  ~TFindHandle() {
    if (Valid()) FindClose(FHandle);
  }
  TFindHandle(const TFindHandle&) = delete;
  TFindHandle& operator=(const TFindHandle&) = delete;
  bool Valid() const { return FHandle != INVALID_HANDLE_VALUE; }
  // Advances to the next entry; any failure, not only the end of the list, ends the scan.
  bool Next(WIN32_FIND_DATAA& Data) { return FindNextFileA(FHandle, &Data) != FALSE; }

 private:
  HANDLE FHandle;
};

bool IsDots(const char* Name);  // "." or ".."

// The first match of a search for Path, or all zeros when nothing matches.
WIN32_FIND_DATAA LookupFindData(const std::string& Path);
// An existing file: found, not a folder, stamped inside the DOS date range (1980..2107).
bool FileExists(const std::string& Name);
// True when the path or mask matches nothing that counts as content.
bool IsEmptyFolder(const std::string& Path);

// IsEmptyFolder's test of one entry of the search for Path. A file counts when a search for the
// directory part + its name finds an existing file: the entry's own record answers that whenever
// the search is sure to find the entry itself, and the search is made otherwise.
class TContentTest {
 public:
  explicit TContentTest(const std::string& Path);
  bool Counts(const WIN32_FIND_DATAA& Entry) const;

 private:
  bool LeadsBack(const WIN32_FIND_DATAA& Entry) const;
  std::string FDirectory;
  bool FPlainDirectory;
};
