// Generated folder worlds, and the panel's searches made the long way round (see SearchWorld.h).
#include "SearchWorld.h"

#include <cstring>
#include <random>
#include "nbumail.h"

// ---------------------------------------------------------------------------------------------
// The searches as the plugin made them: every file found is searched for again by its name.

namespace literal {
namespace {

bool HasDosTime(const FILETIME& Time) {
  FILETIME Local;
  SYSTEMTIME System;
  WORD Date, DosTime;
  if (!FileTimeToLocalFileTime(&Time, &Local) || !FileTimeToSystemTime(&Local, &System))
    return false;
  if (System.wYear < 1980 || System.wYear > 2107) return false;
  return FileTimeToDosDateTime(&Local, &Date, &DosTime) != FALSE;
}

bool IsDots(const char* Name) { return !strcmp(Name, ".") || !strcmp(Name, ".."); }

}  // namespace

bool FileExists(const std::string& Name) {
  WIN32_FIND_DATAA Data;
  HANDLE Find = FindFirstFileA(Name.c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) return false;
  FindClose(Find);
  return !(Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && HasDosTime(Data.ftLastWriteTime);
}

bool IsEmptyFolder(const std::string& Path, bool TreatFolderAsFile) {
  WIN32_FIND_DATAA Data;
  HANDLE Find = FindFirstFileA(Path.c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE) return true;
  const std::string Directory = DirectoryPart(Path);
  bool Empty = true;
  do {
    if (IsDots(Data.cFileName)) continue;
    if ((Data.dwFileAttributes == FILE_ATTRIBUTE_DIRECTORY && TreatFolderAsFile) ||
        FileExists(Directory + Data.cFileName)) {
      Empty = false;
      break;
    }
  } while (FindNextFileA(Find, &Data));
  FindClose(Find);
  return Empty;
}

WIN32_FIND_DATAA LookupFindData(const std::string& Path) {
  WIN32_FIND_DATAA Data;
  memset(&Data, 0, sizeof(Data));
  HANDLE Find = FindFirstFileA(Path.c_str(), &Data);
  if (Find == INVALID_HANDLE_VALUE)
    memset(&Data, 0, sizeof(Data));
  else
    FindClose(Find);
  return Data;
}

}  // namespace literal

// ---------------------------------------------------------------------------------------------
// Making the world. Names go through the wide \\?\ form, so that names Win32 would trim (a
// trailing dot or blank) or read as devices, and names outside the code page, are made as given.

namespace {

std::wstring Wide(const std::string& Path) {
  int N = MultiByteToWideChar(AreFileApisANSI() ? CP_ACP : CP_OEMCP, 0, Path.c_str(), -1,
                              nullptr, 0);
  std::wstring W(N, L'\0');
  MultiByteToWideChar(AreFileApisANSI() ? CP_ACP : CP_OEMCP, 0, Path.c_str(), -1, &W[0], N);
  W.resize(N - 1);
  return L"\\\\?\\" + W;
}

enum TStamp { stNow, st1979, st1980, st2107, st2108, stTiny };

FILETIME StampTime(TStamp Stamp) {
  SYSTEMTIME S{};
  S.wMonth = 6, S.wDay = 15, S.wHour = 12;
  switch (Stamp) {
    case st1979: S.wYear = 1979; break;
    case st1980: S.wYear = 1980, S.wMonth = 1, S.wDay = 2; break;
    case st2107: S.wYear = 2107; break;
    case st2108: S.wYear = 2108; break;
    default: break;
  }
  FILETIME F{1, 0};  // stTiny: the first tick of 1601
  if (Stamp != stTiny) SystemTimeToFileTime(&S, &F);
  return F;
}

struct TEntry {
  const wchar_t* Name;
  bool IsFolder;
  TStamp Stamp;  // files only
  DWORD Attributes;  // folders: bits beside FILE_ATTRIBUTE_DIRECTORY
};

// Every kind of entry the two tests could see differently, and plain ones.
const TEntry Catalogue[] = {
    {L"a.txt", false, stNow, 0},          {L"b.txt", false, st1979, 0},
    {L"c.log", false, stNow, 0},          {L"tiny.txt", false, stTiny, 0},
    {L"late.txt", false, st2108, 0},      {L"edge.txt", false, st2107, 0},
    {L"first.txt", false, st1980, 0},     {L"UPPER.TXT", false, stNow, 0},
    {L"sub", true, stNow, 0},             {L"ro", true, stNow, FILE_ATTRIBUTE_READONLY},
    {L"arch", true, stNow, FILE_ATTRIBUTE_ARCHIVE}, {L".hid", true, stNow, 0},
    {L"dot.", false, stNow, 0},           {L"blank ", false, stNow, 0},
    {L"nul.txt", false, stNow, 0},        {L"con", false, stNow, 0},
    {L"COM1.log", false, stNow, 0},       {L"LPT9", false, stNow, 0},
    {L"aux.c", false, stNow, 0},          {L"prn.txt.txt", false, stNow, 0},
    {L" lead.txt", false, stNow, 0},      {L"tilde~1.txt", false, stNow, 0},
    {L"Long file name.txt", false, stNow, 0},
    {L"\x0109x.txt", false, stNow, 0},    // best fit: "cx.txt"
    {L"\x00fc.txt", false, stNow, 0},     // in the code pages used here
    {L"\x4e2d.txt", false, stNow, 0},     // in none: "?.txt"
    {L"cx.txt", false, st1979, 0},        // what the best fit names, too old to count
    {L"dot", false, st1979, 0},           // what "dot." names, too old to count
};
const size_t CatalogueSize = sizeof(Catalogue) / sizeof(Catalogue[0]);

void SetStamp(const std::wstring& Path, const FILETIME& Time, bool IsFolder) {
  HANDLE H = CreateFileW(Path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         nullptr, OPEN_EXISTING, IsFolder ? FILE_FLAG_BACKUP_SEMANTICS : 0,
                         nullptr);
  if (H == INVALID_HANDLE_VALUE) return;
  SetFileTime(H, nullptr, nullptr, &Time);
  CloseHandle(H);
}

bool Make(const std::wstring& Path, bool IsFolder, TStamp Stamp, DWORD Attributes) {
  if (IsFolder) {
    if (!CreateDirectoryW(Path.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS)
      return false;
    return !Attributes || SetFileAttributesW(Path.c_str(), FILE_ATTRIBUTE_DIRECTORY | Attributes);
  }
  HANDLE H = CreateFileW(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (H == INVALID_HANDLE_VALUE) return false;
  DWORD Put;
  WriteFile(H, "x", 1, &Put, nullptr);
  CloseHandle(H);
  if (Stamp != stNow) SetStamp(Path, StampTime(Stamp), false);
  return true;
}

std::string Utf8(const std::wstring& W) {
  int N = WideCharToMultiByte(CP_UTF8, 0, W.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string S(N, '\0');
  WideCharToMultiByte(CP_UTF8, 0, W.c_str(), -1, &S[0], N, nullptr, nullptr);
  S.resize(N - 1);
  return S;
}

void MakeEntry(TSearchWorld& W, const std::string& Folder, const std::wstring& Name,
               bool IsFolder, TStamp Stamp, DWORD Attributes) {
  const std::wstring Path = Wide(Folder) + L"\\" + Name;
  if (!Make(Path, IsFolder, Stamp, Attributes)) W.Unmade.push_back(Utf8(Path));
}

void MakeEntry(TSearchWorld& W, const std::string& Folder, const TEntry& E) {
  MakeEntry(W, Folder, E.Name, E.IsFolder, E.Stamp, E.Attributes);
}

std::string MakeFolder(TSearchWorld& W, const std::string& Name) {
  std::string Path = W.Root + "\\" + Name;
  if (!CreateDirectoryW(Wide(Path).c_str(), nullptr)) W.Unmade.push_back(Path);
  W.Folders.push_back(Path);
  return Path;
}

}  // namespace

std::vector<std::string> MasksOver(const std::string& F) {
  const size_t Cut = F.rfind('\\');
  const std::string Parent = F.substr(0, Cut), Leaf = F.substr(Cut + 1);
  return {F + "\\*",       F + "\\*.*",     F + "\\*.txt",     F + "\\?x.txt",
          F + "\\*.",      F + "\\a.txt",   F + "\\A.TXT",     F + "\\dot.",
          F + "\\nul.txt", F + "\\*.txt.",  F,                 F + "\\",
          F + "\\.",       F + "\\sub\\..", F + "\\.. ",       "\\\\?\\" + F + "\\*",
          Parent + "\\" + Leaf + "/*.txt",  Parent + "/" + Leaf + "\\*.txt"};
}

TSearchWorld MakeSearchWorld(const std::string& Root, unsigned Seed) {
  TSearchWorld W;
  W.Root = Root;
  W.Drive = Root.substr(0, 2);
  if (!CreateDirectoryW(Wide(Root).c_str(), nullptr)) W.Unmade.push_back(Root);
  // Each kind alone, so that the answer hangs on it; then beside what its name would find.
  for (size_t I = 0; I < CatalogueSize; ++I)
    MakeEntry(W, MakeFolder(W, "k" + std::to_string(I)), Catalogue[I]);
  std::string Pair = MakeFolder(W, "bestfit");
  MakeEntry(W, Pair, L"\x0109x.txt", false, stNow, 0);
  MakeEntry(W, Pair, L"cx.txt", false, st1979, 0);
  Pair = MakeFolder(W, "trimmed");
  MakeEntry(W, Pair, L"dot.", false, stNow, 0);
  MakeEntry(W, Pair, L"dot", false, st1979, 0);
  MakeFolder(W, "empty");
  // A folder whose own name a search for "inner\.." or "inner\." turns into, beside a file of
  // that name where directory part + name would look.
  std::string Inner = MakeFolder(W, "dd") + "\\inner";
  MakeEntry(W, W.Root, L"dd\\inner", true, stNow, 0);
  MakeEntry(W, Inner, L"dd", false, stNow, 0);
  MakeEntry(W, Inner, L"inner", false, stNow, 0);
  for (const char* M : {"\\inner\\..", "\\inner\\.", "\\inner\\.. ", "\\inner\\x\\..\\.."})
    W.Masks.push_back(W.Root + "\\dd" + M);
  // An 8.3 name (no short name) that brings directory part + name to 257..262 characters, and a
  // long name past 260.
  for (size_t Total = 257; Total <= 262; ++Total) {
    std::string Name = "len" + std::to_string(Total) + "_";
    Name += std::string(Total - 9 - W.Root.size() - 1 - Name.size(), 'p');
    MakeEntry(W, MakeFolder(W, Name), L"abcd.txt", false, stNow, 0);
  }
  std::string Long = MakeFolder(W, "lenlong");
  MakeEntry(W, Long, std::wstring(MAX_PATH - Long.size(), L'n') + L".txt", false, stNow, 0);
  // Random mixes.
  std::mt19937 Random(Seed);
  for (int I = 0; I < 16; ++I) {
    std::string F = MakeFolder(W, "r" + std::to_string(I));
    for (int N = 1 + Random() % 4; N > 0; --N)
      MakeEntry(W, F, Catalogue[Random() % CatalogueSize]);
  }
  for (const std::string& F : W.Folders)
    for (const std::string& M : MasksOver(F)) W.Masks.push_back(M);
  for (const char* M : {"\\k*\\*.txt", "\\missing\\*", "\\missing", "\\", "\\..", "\\*"})
    W.Masks.push_back(Root + M);
  for (const char* M : {"", "*", "..", ":", "C:", "C:\\"}) W.Masks.push_back(M);
  const std::string NoDrive = Root.substr(2);
  for (const std::string& M : {std::string("*"), std::string("*.txt"), std::string("a.txt"),
                               std::string("dot."), std::string("nul.txt"), W.Drive + "*.txt",
                               W.Drive + "*", W.Drive + "a.txt", std::string("."),
                               std::string(".\\*.txt"), std::string("..\\k0\\*"),
                               NoDrive + "\\k0\\*", NoDrive + "\\k12\\*"})
    W.Relative.push_back(M);
  return W;
}

namespace {

void RemoveWide(const std::wstring& Dir) {
  WIN32_FIND_DATAW D;
  HANDLE F = FindFirstFileW((Dir + L"\\*").c_str(), &D);
  if (F != INVALID_HANDLE_VALUE) {
    do {
      std::wstring N = D.cFileName, Full = Dir + L"\\" + N;
      if (N == L"." || N == L"..") continue;
      SetFileAttributesW(Full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveWide(Full);
      else
        DeleteFileW(Full.c_str());
    } while (FindNextFileW(F, &D));
    FindClose(F);
  }
  RemoveDirectoryW(Dir.c_str());
}

}  // namespace

void RemoveWideTree(const std::string& Root) { RemoveWide(Wide(Root)); }

std::vector<std::string> FoldersBelow(const std::string& Folder) {
  std::vector<std::string> All{Folder};
  WIN32_FIND_DATAA D;
  HANDLE F = FindFirstFileA((Folder + "\\*").c_str(), &D);
  if (F == INVALID_HANDLE_VALUE) return All;
  do {
    std::string N = D.cFileName;
    if (N == "." || N == ".." || !(D.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) continue;
    for (const std::string& Sub : FoldersBelow(Folder + "\\" + N)) All.push_back(Sub);
  } while (FindNextFileA(F, &D));
  FindClose(F);
  return All;
}
