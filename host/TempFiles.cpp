// File helpers for the programs that run the plugin on real files.
#include "TempFiles.h"

#include <windows.h>

void RemoveTree(const std::string& Path) {
  WIN32_FIND_DATAA D;
  HANDLE F = FindFirstFileA((Path + "\\*").c_str(), &D);
  if (F != INVALID_HANDLE_VALUE) {
    do {
      std::string Name = D.cFileName, Full = Path + "\\" + Name;
      if (Name == "." || Name == "..") continue;
      if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(Full);
      } else {
        SetFileAttributesA(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(Full.c_str());
      }
    } while (FindNextFileA(F, &D));
    FindClose(F);
  }
  RemoveDirectoryA(Path.c_str());
}

void RemoveTree(const std::wstring& Path) {
  WIN32_FIND_DATAW D;
  HANDLE F = FindFirstFileW((Path + L"\\*").c_str(), &D);
  if (F != INVALID_HANDLE_VALUE) {
    do {
      std::wstring Name = D.cFileName, Full = Path + L"\\" + Name;
      if (Name == L"." || Name == L"..") continue;
      if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(Full);
      } else {
        SetFileAttributesW(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(Full.c_str());
      }
    } while (FindNextFileW(F, &D));
    FindClose(F);
  }
  RemoveDirectoryW(Path.c_str());
}

bool WriteBytes(const std::string& Path, const std::string& Bytes) {
  HANDLE F = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (F == INVALID_HANDLE_VALUE) return false;
  DWORD Put = 0;
  bool Written = Bytes.empty() ||
                 WriteFile(F, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Put, nullptr);
  CloseHandle(F);
  return Written;
}
