// The benchmark's baselines (see Baseline.h).
#include "Baseline.h"

#include <windows.h>

#include <cstring>
#include "BenchData.h"

namespace {

long Searches = 0;

HANDLE Find(const std::string& name, WIN32_FIND_DATAA& d) {
  ++Searches;
  return FindFirstFileA(name.c_str(), &d);
}

std::string DirectoryPart(const std::string& p) {
  size_t i = p.find_last_of("\\:");
  return i == std::string::npos ? std::string() : p.substr(0, i + 1);
}

bool HasDosTime(const FILETIME& time) {
  FILETIME local;
  SYSTEMTIME system;
  WORD date, dosTime;
  return FileTimeToLocalFileTime(&time, &local) && FileTimeToSystemTime(&local, &system) &&
         system.wYear >= 1980 && system.wYear <= 2107 &&
         FileTimeToDosDateTime(&local, &date, &dosTime);
}

bool FileExists(const std::string& name) {
  WIN32_FIND_DATAA d;
  HANDLE h = Find(name, d);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  return !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && HasDosTime(d.ftLastWriteTime);
}

bool IsEmptyFolder(const std::string& path, const std::string& dir) {
  WIN32_FIND_DATAA d;
  HANDLE h = Find(path, d);
  if (h == INVALID_HANDLE_VALUE) return true;
  bool empty = true;
  do {
    if (!strcmp(d.cFileName, ".") || !strcmp(d.cFileName, "..")) continue;
    if (FileExists(dir + d.cFileName)) {
      empty = false;
      break;
    }
  } while (FindNextFileA(h, &d));
  FindClose(h);
  return empty;
}

}  // namespace

std::vector<BaselineEntry> BaselineEntries(int lines) {
  std::vector<BaselineEntry> entries;
  for (int i = 0; i < lines; ++i) {
    std::string line = ListLine(i), folder = line.substr(0, line.find(','));
    entries.push_back({folder, DirectoryPart(folder), folder.substr(0, folder.rfind('\\'))});
  }
  return entries;
}

int RootBaseline(const std::vector<BaselineEntry>& entries, bool showAll) {
  int listed = 0;
  WIN32_FIND_DATAA d;
  for (const BaselineEntry& e : entries) {
    if (!IsEmptyFolder(e.folder, e.directory) || showAll) {
      HANDLE h = Find(e.parent, d);
      if (h != INVALID_HANDLE_VALUE) FindClose(h);
      if (showAll) IsEmptyFolder(e.folder, e.directory);
      ++listed;
    }
  }
  return listed;
}

int WalkBaseline(const std::string& pattern) {
  WIN32_FIND_DATAA d;
  HANDLE h = Find(pattern, d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n += strcmp(d.cFileName, ".") && strcmp(d.cFileName, "..");
  while (FindNextFileA(h, &d));
  FindClose(h);
  return n;
}

long BaselineSearches() { return Searches; }

int AutoExitViewBaseline(const std::string& mask) {
  return IsEmptyFolder(mask, DirectoryPart(mask)) ? 0 : WalkBaseline(mask);
}
