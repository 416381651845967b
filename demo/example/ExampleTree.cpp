// The demo's example tree and its list file. The list has one entry of each kind the plugin
// treats differently: a mail folder with a mask, a drop folder that takes every file, an entry
// whose mask matches nothing, and a line without a comma (its path is its description too).
#include "ExampleTree.h"

#include <windows.h>

#include <string>
#include <vector>

namespace {

struct ExampleFile {
  const char* path;
  const char* text;
};

const ExampleFile Files[] = {
    {"mail\\msg001.msg",
     "From: ann@example.org\r\nSubject: Quarterly report\r\n\r\nHello,\r\n\r\n"
     "the report is in the drop folder.\r\n\r\nAnn\r\n"},
    {"mail\\msg002.msg",
     "From: bob@example.org\r\nSubject: Lunch?\r\n\r\nAre you free on Friday?\r\n"},
    {"mail\\msg003.msg",
     "From: carol@example.org\r\nSubject: Build fixed\r\n\r\nThe nightly build is green "
     "again.\r\n"},
    {"mail\\draft.txt", "Not a message: the mask *.msg leaves it out.\r\n"},
    {"drop\\report.doc", "Quarterly report (pretend this is a document).\r\n"},
    {"notes\\todo.txt", "- answer Bob\r\n- read the report\r\n"},
};

// One line per entry: path or mask, the last comma, the description. %s is the tree's root.
const char* const ListLines[] = {
    "%s\\mail\\*.msg,Incoming mail",
    "%s\\drop\\*.*,Drop folder",
    "%s\\archive\\*.zip,Archive (nothing yet)",
    "%s\\notes\\*.txt",
};

bool MakeFolders(const std::string& path) {
  for (size_t i = path.find('\\', 3); ; i = path.find('\\', i + 1)) {
    std::string part = path.substr(0, i);
    if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    if (i == std::string::npos) return true;
  }
}

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD done = 0;
  bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr) &&
            done == bytes.size();
  CloseHandle(f);
  return ok;
}

void RemoveFolder(const std::string& path) {
  WIN32_FIND_DATAA data;
  HANDLE h = FindFirstFileA((path + "\\*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if (name == "." || name == "..") continue;
      std::string full = path + "\\" + name;
      if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveFolder(full);
      } else {
        SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(full.c_str());
      }
    } while (FindNextFileA(h, &data));
    FindClose(h);
  }
  RemoveDirectoryA(path.c_str());
}

}  // namespace

bool WriteExampleFile(const ExampleTree& tree, const std::string& relative,
                      const std::string& text) {
  std::string path = tree.root + "\\" + relative;
  size_t slash = path.rfind('\\');
  return MakeFolders(path.substr(0, slash)) && WriteBytes(path, text);
}

namespace {

std::string TempFolder() {
  char temp[MAX_PATH];
  DWORD n = GetTempPathA(MAX_PATH, temp);
  if (n == 0 || n >= MAX_PATH) return std::string();
  std::string base(temp);
  if (!base.empty() && base.back() == '\\') base.pop_back();
  return base;
}

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

void RemoveStaleExamples(const std::string& keyParent) {
  std::string base = TempFolder();
  WIN32_FIND_DATAA data;
  HANDLE h = base.empty() ? INVALID_HANDLE_VALUE
                          : FindFirstFileA((base + "\\QuenbyDemo-*").c_str(), &data);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string name = data.cFileName;
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsDeadProcess(name.substr(11)))
        RemoveFolder(base + "\\" + name);
    } while (FindNextFileA(h, &data));
    FindClose(h);
  }
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, keyParent.c_str(), 0, KEY_READ | KEY_WRITE, &key)) return;
  std::vector<std::string> dead;
  char sub[256];
  for (DWORD i = 0; RegEnumKeyA(key, i, sub, sizeof sub) == ERROR_SUCCESS; ++i)
    if (IsDeadProcess(sub)) dead.push_back(sub);
  for (const std::string& d : dead) RegDeleteTreeA(key, d.c_str()), RegDeleteKeyA(key, d.c_str());
  RegCloseKey(key);
}

bool MakeExampleTree(ExampleTree& tree) {
  std::string base = TempFolder();
  if (base.empty()) return false;
  tree.root = base + "\\QuenbyDemo-" + std::to_string(GetCurrentProcessId());
  tree.listFile = tree.root + "\\LIST.VFS";
  RemoveFolder(tree.root);
  if (!MakeFolders(tree.root + "\\archive")) return false;
  for (const ExampleFile& f : Files)
    if (!WriteExampleFile(tree, f.path, f.text)) return false;
  std::string list;
  for (const char* line : ListLines) {
    std::string l = line;
    l.replace(l.find("%s"), 2, tree.root);
    list += l + "\r\n";  // as FAR's editor saves it: OEM text, CRLF
  }
  return WriteBytes(tree.listFile, list);
}

void RemoveExampleTree(const ExampleTree& tree) {
  if (!tree.root.empty()) RemoveFolder(tree.root);
}
