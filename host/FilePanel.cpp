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

// ---------------------------------------------------------------------------------------------
// FAR's change of folder of a normal panel (filelist.cpp ChangeDir, mix.cpp FarChDir and
// PrepareDiskPath, cvtname.cpp RawConvertShortNameToLongName, flink.cpp GetPathRootOne). It
// moves the process's current folder, as FAR does, and the panel takes whatever that becomes.

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

bool StartsWithDrive(const std::string& s) { return s.size() >= 2 && IsLetter(s[0]) && s[1] == ':'; }

// FarGetCurDir: the current folder, its drive letter upper-cased.
std::string CurrentFolder() {
  std::vector<char> buffer(GetCurrentDirectoryA(0, nullptr) + 1, 0);
  DWORD n = GetCurrentDirectoryA(static_cast<DWORD>(buffer.size()), buffer.data());
  std::string dir(buffer.data(), n < buffer.size() ? n : 0);
  if (StartsWithDrive(dir) && (dir.size() == 2 || dir[2] == '\\')) dir[0] = AsciiUpper(dir[0]);
  return dir;
}

std::string FullPathName(const std::string& path) {
  DWORD n = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (n == 0) return std::string();
  std::vector<char> buffer(n + 1, 0);
  n = GetFullPathNameA(path.c_str(), n + 1, buffer.data(), nullptr);
  return std::string(buffer.data(), n < buffer.size() ? n : 0);
}

// RawConvertShortNameToLongName: the full path with every name as the disk spells it, or ""
// when a name along it is missing.
std::string LongPathName(const std::string& path) {
  std::string full = FullPathName(path);
  if (full.empty()) full = path;
  if (full.size() == 3 && full[1] == ':' && (full[2] == '\\' || full[2] == '/')) {
    full[0] = AsciiUpper(full[0]);
    return full;
  }
  std::size_t start = 0;  // the root part is kept as it is
  if (std::size_t colon = full.find(':'); colon != std::string::npos) {
    start = colon + 1;
    if (start < full.size() && full[start] == '\\') ++start;
  } else if (full.compare(0, 2, "\\\\") == 0) {
    std::size_t server = full.find('\\', 2);
    if (server == std::string::npos) return full;
    std::size_t share = full.find('\\', server + 1);
    start = share == std::string::npos ? full.size() : share + 1;
  }
  std::string out = full.substr(0, start);
  for (std::size_t pos = start; pos < full.size();) {
    std::size_t slash = full.find('\\', pos);
    std::string upTo = full.substr(0, slash);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(upTo.c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      FindClose(find);
      out += data.cFileName;
    } else if (GetFileAttributesA(upTo.c_str()) != INVALID_FILE_ATTRIBUTES) {
      out += upTo.substr(upTo.find_last_of("\\:") + 1);
    } else {
      return std::string();
    }
    if (slash == std::string::npos) break;
    out += '\\';
    pos = slash + 1;
  }
  return out;
}

// PrepareDiskPath: a text that starts with a drive or "\\" becomes its long full path when it
// exists, with the drive letter (or the server's name) upper-cased.
std::string PrepareDiskPath(std::string path) {
  const bool unc = path.compare(0, 2, "\\\\") == 0;
  if (!StartsWithDrive(path) && !unc) return path;
  if (std::string longName = LongPathName(path); !longName.empty()) path = longName;
  if (path.compare(0, 2, "\\\\") != 0) {
    path[0] = AsciiUpper(path[0]);
  } else if (path.compare(0, 4, "\\\\?\\") == 0) {
    if (path.size() > 4) path[4] = AsciiUpper(path[4]);
  } else {
    for (std::size_t i = 2; i < path.size() && path[i] != '\\'; ++i) path[i] = AsciiUpper(path[i]);
  }
  return path;
}

// GetPathRootOne: "X:\" or "\\server\share\" of a folder.
std::string PathRoot(std::string dir) {
  if (dir.empty()) return "\\";
  if (!StartsWithDrive(dir) && dir.compare(0, 2, "\\\\") != 0) {
    std::string here = CurrentFolder();
    if (here.empty() || here.back() != '\\') here += '\\';
    dir = here + dir;
  }
  if (dir.compare(0, 2, "\\\\") == 0) {
    std::size_t server = dir.find('\\', 2);
    if (server == std::string::npos) return dir;
    std::size_t share = dir.find('\\', server + 1);
    return share == std::string::npos ? dir + "\\" : dir.substr(0, share + 1);
  }
  std::size_t slash = dir.find('\\');
  if (slash != std::string::npos) return dir.substr(0, slash + 1);
  return dir.substr(0, dir.find(':') + 1) + "\\";
}

// The current folder FAR keeps for a drive in the variable "=X:" (ANSI, like every variable);
// "X:\" when it has none yet.
std::string DriveFolder(char letter) {
  const std::string name = std::string("=") + AsciiUpper(letter) + ":";
  DWORD n = GetEnvironmentVariableA(name.c_str(), nullptr, 0);
  if (n == 0) return std::string(1, letter) + ":\\";
  std::vector<char> buffer(n + 1, 0);
  n = GetEnvironmentVariableA(name.c_str(), buffer.data(), n + 1);
  CharToOemA(buffer.data(), buffer.data());
  return std::string(buffer.data(), n < buffer.size() ? n : 0);
}

void KeepDriveFolder(const std::string& dir) {
  if (!StartsWithDrive(dir)) return;
  std::vector<char> ansi(dir.begin(), dir.end());
  ansi.push_back(0);
  OemToCharA(ansi.data(), ansi.data());
  SetEnvironmentVariableA((std::string("=") + AsciiUpper(dir[0]) + ":").c_str(), ansi.data());
}

// FarChDir: "X:" is that drive's current folder, ".." the parent, any other text goes to
// SetCurrentDirectory (as its full path when that names the same thing). `error` is the
// failure's code.
bool FarChDir(const std::string& dir, DWORD& error) {
  error = ERROR_PATH_NOT_FOUND;
  if (dir.empty()) return false;
  if (CompareNoCase(CurrentFolder(), dir) == 0) return true;
  BOOL ok;
  if (dir.size() == 2 && StartsWithDrive(dir)) {
    std::string where = DriveFolder(dir[0]);
    where[0] = AsciiUpper(where[0]);
    ok = SetCurrentDirectoryA(where.c_str());
  } else if (dir == "..") {
    ok = SetCurrentDirectoryA("..");
  } else {
    DWORD named = GetFileAttributesA(dir.c_str());
    std::string full = FullPathName(dir);
    if (full.empty() || full.back() != '\\') full += '\\';
    DWORD fullNamed = GetFileAttributesA(full.c_str());
    if (fullNamed == INVALID_FILE_ATTRIBUTES) {
      full = PrepareDiskPath(full);
      fullNamed = GetFileAttributesA(full.c_str());
    }
    bool asGiven = fullNamed == INVALID_FILE_ATTRIBUTES || named != fullNamed;
    ok = SetCurrentDirectoryA(asGiven ? dir.c_str() : full.c_str());
  }
  if (!ok) {
    error = GetLastError();
    return false;
  }
  KeepDriveFolder(CurrentFolder());
  return true;
}

// The line FAR's error box shows for a failed change (message.cpp GetErrorString), or the
// system's own text for codes FAR has no line of its own for.
std::string ErrorText(DWORD code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND: return "File not found";
    case ERROR_PATH_NOT_FOUND: return "Path not found";
    case ERROR_ACCESS_DENIED: return "Access denied";
    case ERROR_BAD_PATHNAME:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY: return "The specified name is invalid";
    default: break;
  }
  char* text = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS,
                           nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
  std::string out = n && text ? std::string(text, n) : "Error " + std::to_string(code);
  if (text) LocalFree(text);
  while (!out.empty() && (out.back() == '\r' || out.back() == '\n' || out.back() == ' '))
    out.pop_back();
  return out;
}

}  // namespace

bool FilePanel::ChangeDir(const std::string& text, std::string& reason) {
  if (text.empty()) return true;  // SetCurDir changes nothing; FAR rereads the panel where it is
  // FAR first makes the panel's own folder the current one: relative texts start from there.
  const std::string shown = PanelDirectory(curDir);
  DWORD error = 0;
  if (CompareNoCase(CurrentFolder(), shown) != 0) FarChDir(shown, error);
  std::string dir = PrepareDiskPath(text);
  if (dir == "\\") dir = PathRoot(shown);
  const bool ok = FarChDir(dir, error);
  if (!ok) reason = ErrorText(error);
  curDir = CurrentFolder();
  return ok;
}

bool FilePanel::Reread(std::string& reason) {
  const std::string kept = PanelDirectory(curDir);
  DWORD error = 0;
  if (FarChDir(kept, error) && GetFileAttributesA(kept.c_str()) != INVALID_FILE_ATTRIBUTES) {
    curDir = CurrentFolder();
    return true;
  }
  // CheckShortcutFolder: the nearest folder above that exists ("X:" becomes "X:\").
  std::string up = kept;
  for (std::size_t slash; (slash = up.find_last_of('\\')) != std::string::npos;) {
    up.erase(slash);
    if (up.empty() || GetFileAttributesA(up.c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    if (up.size() == 2 && up[1] == ':') up += '\\';
    if (FarChDir(up, error)) {
      curDir = CurrentFolder();
      reason = "climbs to " + curDir;
      return false;
    }
  }
  reason = "goes to its own folder and opens the disks menu";
  return false;
}

}  // namespace farhost
