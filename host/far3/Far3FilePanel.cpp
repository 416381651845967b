// FAR 3's normal file panel (filelist.cpp ReadFileNames, ChangeDir; panel.cpp SetCurPath): the
// folder shown after a plugin panel closes, and the list helpers both kinds of panel share.
#include <algorithm>

#include "Far3FileList.h"

namespace far3host {

namespace {

std::wstring CurrentFolder() {
  DWORD n = GetCurrentDirectoryW(0, nullptr);
  std::wstring dir(n, L'\0');
  n = GetCurrentDirectoryW(n, dir.data());
  dir.resize(n < dir.size() ? n : 0);
  return dir;
}

bool IsRoot(const std::wstring& dir) {
  return (dir.size() == 3 && dir[1] == L':' && dir[2] == L'\\') || (dir.size() == 2 && dir[1] == L':');
}

bool IsRelativeRoot(const std::wstring& dir) { return dir == L"\\" || dir == L"/"; }

bool IsAbsolute(const std::wstring& dir) {
  return (dir.size() >= 3 && dir[1] == L':' && (dir[2] == L'\\' || dir[2] == L'/')) ||
         dir.compare(0, 2, L"\\\\") == 0;
}

// FAR's FarChDir: "X:" is that drive's current folder, anything else SetCurrentDirectory.
bool FarChDir(const std::wstring& dir) {
  if (dir.empty()) return false;
  if (dir.size() == 2 && dir[1] == L':') {
    wchar_t name[4] = {L'=', dir[0], L':', 0};
    wchar_t value[MAX_PATH + 1];
    DWORD n = GetEnvironmentVariableW(name, value, MAX_PATH + 1);
    std::wstring where = n && n <= MAX_PATH ? std::wstring(value, n) : dir + L"\\";
    return SetCurrentDirectoryW(where.c_str()) != 0;
  }
  return SetCurrentDirectoryW(dir.c_str()) != 0;
}

}  // namespace

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

std::wstring PointToName(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

int FindItem(const std::vector<Far3Item>& items, const std::wstring& name) {
  int loose = -1;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (items[i].name == name) return static_cast<int>(i);
    if (loose < 0 && EqualNoCase(items[i].name, name)) loose = static_cast<int>(i);
  }
  return loose;
}

void ClampPosition(int count, int height, int& current, int& top) {
  if (count <= 0) {
    current = top = 0;
    return;
  }
  if (top + height > count) top = count - height;
  current = std::clamp(current, 0, count - 1);
  top = std::clamp(top, 0, count - 1);
  if (current < top) top = current;
  if (current > top + height - 1) top = current - height + 1;
}

const Far3Item* Far3FilePanel::Current() const {
  if (currentItem < 0 || currentItem >= static_cast<int>(items.size())) return nullptr;
  return &items[static_cast<std::size_t>(currentItem)];
}

int Far3FilePanel::Find(const std::wstring& name) const { return FindItem(items, name); }

void Far3FilePanel::CorrectPosition() {
  ClampPosition(static_cast<int>(items.size()), height, currentItem, topItem);
}

void Far3FilePanel::Read(const std::wstring& keepName) {
  originalCurDir = curDir;
  items.clear();
  if (!IsRoot(curDir) && !curDir.empty()) {
    Far3Item dots = Far3Item::Make(L"..", FILE_ATTRIBUTE_DIRECTORY);
    dots.parentPoint = true;
    items.push_back(dots);
  }
  std::wstring pattern = curDir;
  if (!pattern.empty() && pattern.back() != L'\\') pattern += L'\\';
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((pattern + L"*").c_str(), &fd);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      Far3Item item = Far3Item::Make(name, fd.dwFileAttributes);
      item.lastWriteTime = fd.ftLastWriteTime;
      item.fileSize = (static_cast<unsigned long long>(fd.nFileSizeHigh) << 32) | fd.nFileSizeLow;
      item.position = items.size();
      items.push_back(item);
    } while (FindNextFileW(find, &fd));
    FindClose(find);
  }
  std::stable_sort(items.begin(), items.end(), [](const Far3Item& a, const Far3Item& b) {
    if (a.parentPoint != b.parentPoint) return a.parentPoint;
    if (a.IsDirectory() != b.IsDirectory()) return a.IsDirectory();
    return CompareStringOrdinal(a.name.data(), static_cast<int>(a.name.size()), b.name.data(),
                                static_cast<int>(b.name.size()), TRUE) == CSTR_LESS_THAN;
  });
  if (!keepName.empty()) {
    const int at = Find(keepName);
    if (at >= 0) currentItem = at;
  }
  CorrectPosition();
}

bool Far3FilePanel::SetCurPath() {
  std::wstring dir = curDir;
  for (;;) {
    if (FarChDir(dir)) {
      if (dir.size() != curDir.size()) curDir = dir;
      return true;
    }
    const std::size_t slash = dir.find_last_of(L'\\');
    if (slash == std::wstring::npos || slash == 0) return false;
    dir.erase(slash);
    if (dir.size() == 2 && dir[1] == L':') dir += L'\\';
  }
}

bool Far3FilePanel::ChangeDir(const std::wstring& newDir, bool isParent, std::string& error) {
  if (!IsAbsolute(newDir) && !EqualNoCase(CurrentFolder(), curDir)) FarChDir(curDir);
  std::wstring setDir = newDir;
  if (isParent) {
    setDir = curDir;
    if (!IsRoot(setDir)) {
      const std::size_t slash = setDir.find_last_of(L'\\');
      if (slash != std::wstring::npos) setDir.erase(slash);
      if (setDir.size() == 2 && setDir[1] == L':') setDir += L'\\';
    }
  }
  if (!isParent && !IsRelativeRoot(setDir)) upperFolderTopFile = topItem;
  const std::wstring findDir = PointToName(curDir);
  if (IsRelativeRoot(setDir)) setDir = curDir.substr(0, 3);
  if (!FarChDir(setDir)) {
    // TryParentFolder: FAR's box "<path> / go to the nearest existing folder?"
    error = "cannot change to " + Narrow(setDir) + " (error " + std::to_string(GetLastError()) + ")";
    curDir = CurrentFolder();
    Read();
    return false;
  }
  curDir = CurrentFolder();
  Read();
  if (isParent) {
    const int at = Find(findDir);
    if (at >= 0) currentItem = at;
    topItem = upperFolderTopFile;
    upperFolderTopFile = 0;
    CorrectPosition();
  } else {
    currentItem = topItem = 0;
  }
  return true;
}

}  // namespace far3host
