// FAR's file list: item order with ".." on top, cursor clamping, the folder FAR reports.
#include "FilePanel.h"

#include <algorithm>

HostItem HostItem::Make(const std::string& name, DWORD attributes, const std::string& description) {
  HostItem item;
  item.name = name;
  item.attributes = attributes;
  item.description = description;
  item.hasDescription = !description.empty();
  return item;
}

namespace farhost {

namespace {

char AsciiUpper(unsigned char c) {
  return static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
}

std::string Extension(const std::string& name) {
  std::size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot == 0) ? std::string() : name.substr(dot + 1);
}

unsigned long long FileTime64(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

// Newest (largest) first, as FAR orders times, sizes and link counts.
template <class T>
int Descending(const T& a, const T& b) {
  return b < a ? -1 : a < b ? 1 : 0;
}

// The sort mode's own key; 0 when it does not tell the two apart.
int CompareByMode(const HostItem& a, const HostItem& b, int mode) {
  switch (mode) {
    case SM_EXT: return CompareNoCase(Extension(a.name), Extension(b.name));
    case SM_MTIME: return Descending(FileTime64(a.lastWriteTime), FileTime64(b.lastWriteTime));
    case SM_CTIME: return Descending(FileTime64(a.creationTime), FileTime64(b.creationTime));
    case SM_ATIME: return Descending(FileTime64(a.lastAccessTime), FileTime64(b.lastAccessTime));
    case SM_SIZE: return Descending(a.fileSize, b.fileSize);
    case SM_COMPRESSEDSIZE: return Descending(a.packSize, b.packSize);
    case SM_DESCR: return CompareNoCase(a.description, b.description);
    case SM_OWNER: return CompareNoCase(a.owner, b.owner);
    case SM_NUMLINKS: return Descending(a.numberOfLinks, b.numberOfLinks);
    default: return 0;
  }
}

}  // namespace

int CompareNoCase(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AsciiUpper(static_cast<unsigned char>(a[i])));
    unsigned char y = static_cast<unsigned char>(AsciiUpper(static_cast<unsigned char>(b[i])));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

void SortItems(std::vector<HostItem>& items, int mode, bool reverse) {
  auto dots = [](const HostItem& i) { return i.name == ".."; };
  std::stable_sort(items.begin(), items.end(), [&](const HostItem& a, const HostItem& b) {
    if (dots(a) != dots(b)) return dots(a);
    if (mode == SM_UNSORTED || mode == SM_DEFAULT) {
      return reverse ? a.position > b.position : a.position < b.position;
    }
    if (a.IsDirectory() != b.IsDirectory()) return a.IsDirectory();
    int c = CompareByMode(a, b, mode);
    if (c == 0) c = CompareNoCase(a.name, b.name);
    if (c == 0) return a.position < b.position;
    return reverse ? c > 0 : c < 0;
  });
}

void ClampCursor(int count, int page, int& current, int& top) {
  if (count <= 0) {
    current = top = 0;
    return;
  }
  if (page < 1) page = 1;
  if (top + page > count) top = count - page;
  if (current < 0) current = 0;
  if (current > count - 1) current = count - 1;
  if (top < 0) top = 0;
  if (top > count - 1) top = count - 1;
  if (current < top) top = current;
  if (current > top + page - 1) top = current - page + 1;
}

int FindName(const std::vector<HostItem>& items, const std::string& name) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (CompareNoCase(items[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

std::string PanelDirectory(const std::string& dir) {
  std::string out = dir;
  while (out.size() > 1 && out.back() == '\\' && !(out.size() == 3 && out[1] == ':'))
    out.pop_back();
  return out;
}

bool FilePanel::ChangeDir(const std::string& text, std::string& reason) {
  bool rooted = (text.size() >= 3 && text[1] == ':' && text[2] == '\\') ||
                text.compare(0, 2, "\\\\") == 0;
  std::string wanted = rooted ? text : PanelDirectory(curDir) + "\\" + text;
  DWORD attributes = GetFileAttributesA(wanted.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    reason = attributes == INVALID_FILE_ATTRIBUTES ? "File not found"
                                                   : "The specified name is invalid";
    return false;
  }
  char full[MAX_PATH] = "";
  DWORD length = GetFullPathNameA(wanted.c_str(), MAX_PATH, full, nullptr);
  curDir = PanelDirectory(length > 0 && length < MAX_PATH ? full : wanted);
  return true;
}

}  // namespace farhost
