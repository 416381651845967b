// The demo's world, made file by file with the Win32 calls a user's tools would make.
#include "World.h"

#include <windows.h>

#include <vector>
#include "TempFiles.h"

namespace {

struct WorldFile {
  const char* path;
  size_t size;
};

const WorldFile Files[] = {
    {"Mail\\msg001.msg", 104},  {"Mail\\msg002.msg", 67},  {"Mail\\msg003.msg", 84},
    {"Drop\\report.txt", 1200}, {"Drop\\photo.jpg", 2048}, {"Notes\\todo.txt", 30},
};

// One line per entry: folder and mask, the last comma, the description.
const char* const ListLines[] = {
    "\\Mail\\*.msg,Incoming mail",
    "\\Drop\\*.*,Drop folder",
    "\\Archive\\*.zip,Archive",
    "\\Notes\\*.txt",
};

FILETIME WorldTime() {  // 2024-03-01 10:00 UTC
  SYSTEMTIME st{};
  st.wYear = 2024, st.wMonth = 3, st.wDay = 1, st.wHour = 10;
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

bool SetTime(const std::string& path) {
  HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  FILETIME t = WorldTime();
  bool ok = SetFileTime(h, &t, &t, &t) != FALSE;
  CloseHandle(h);
  return ok;
}

// Writes a file of the world, stamped with the world's fixed time.
bool WriteStamped(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
            done == bytes.size();
  FILETIME t = WorldTime();
  ok = ok && SetFileTime(f, &t, &t, &t);
  CloseHandle(f);
  return ok;
}

std::string NumberedLines(size_t size) {  // "Message one line 0", "... 1" ... cut to size
  std::string text;
  for (int n = 0; text.size() < size; ++n) text += "Message one line " + std::to_string(n) + "\r\n";
  return text.substr(0, size);
}

std::string FolderOf(const std::string& path) { return path.substr(0, path.rfind('\\')); }

bool IsDeadProcess(const std::string& digits) {
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string::npos) return false;
  DWORD pid = std::stoul(digits);
  if (pid == GetCurrentProcessId()) return false;
  HANDLE h = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (!h) return GetLastError() == ERROR_INVALID_PARAMETER;  // no such process
  CloseHandle(h);
  return false;
}

}  // namespace

bool MakeWorld(World& world, std::string& error) {
  world.root = "C:\\Quenby";
  world.listFile = world.root + "\\LIST.VFS";
  RemoveTree(world.root);
  if (!CreateDirectoryA(world.root.c_str(), nullptr))
    return error = "cannot make " + world.root, false;
  for (const char* folder : {"Mail", "Drop", "Notes", "Archive"})
    CreateDirectoryA((world.root + "\\" + folder).c_str(), nullptr);
  std::string list;
  for (const char* line : ListLines) list += world.root + line + "\r\n";  // as FAR's editor saves
  bool ok = WriteStamped(world.listFile, list);
  for (const WorldFile& f : Files)
    ok = ok && WriteStamped(world.root + "\\" + f.path, NumberedLines(f.size));
  for (const char* folder : {"Mail", "Drop", "Notes", "Archive"})
    SetTime(world.root + "\\" + folder);
  SetTime(world.root);
  SetTime("C:\\");  // FAR shows the drive root's time on ".."
  if (!ok) error = "cannot write the files of " + world.root;
  return ok;
}

bool WriteWorldFile(const World& world, const std::string& relative, size_t size) {
  std::string path = world.root + "\\" + relative;
  bool ok = WriteStamped(path, NumberedLines(size));
  SetTime(FolderOf(path));
  return ok;
}

bool RemoveWorldFile(const World& world, const std::string& relative) {
  std::string path = world.root + "\\" + relative;
  bool ok = DeleteFileA(path.c_str()) != FALSE;
  SetTime(FolderOf(path));
  return ok;
}

void RemoveWorld(const World& world) {
  if (!world.root.empty()) RemoveTree(world.root);
}

void RemoveStaleSettings(const std::string& keyParent) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyParent.c_str(), 0, KEY_READ | KEY_WRITE, &key)) return;
  std::vector<std::string> dead;
  char sub[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, sub, sizeof sub) == ERROR_SUCCESS; ++i)
    if (IsDeadProcess(sub)) dead.push_back(sub);
  for (const std::string& d : dead) RegDeleteTreeA(key, d.c_str()), RegDeleteKeyA(key, d.c_str());
  RegCloseKey(key);
}
