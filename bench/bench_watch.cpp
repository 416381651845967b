// Benchmark of the FAR 3 panel's watcher: with N list entries over 300 folders and nothing
// changing for 30 s, the file searches the FAR 3 panel makes (counted through the DLL's import
// table) against those the FAR 1.x panel makes at FAR 1.75's idle rate (given by bench_idle's
// count); the time from a file's creation to the panel showing it, median and worst of 20; the
// threads and handles an open panel holds. Runs the FAR 3 quenby.dll through the FAR 3
// stand-in, on data it makes in a scratch folder.
//
//   bench_watch [--sizes 1000,10000] [--far1 1000:B,10000:B] [--idle SECONDS] [--trials N]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>
#include "Far3Host.h"
#include "ImportRoutes.h"
#include "ProcessCounts.h"
#include "TempFiles.h"

namespace {

using far3host::Far3Host;
using far3host::Far3PluginPanel;

const int Folders = 300;

volatile LONG Searches = 0;
HANDLE(WINAPI* RealFindFirstFileW)(LPCWSTR, LPWIN32_FIND_DATAW);
HANDLE WINAPI CountFindFirstFileW(LPCWSTR Name, LPWIN32_FIND_DATAW Data) {
  InterlockedIncrement(&Searches);
  return RealFindFirstFileW(Name, Data);
}
HANDLE(WINAPI* RealFindFirstFileExW)(LPCWSTR, FINDEX_INFO_LEVELS, LPVOID, FINDEX_SEARCH_OPS,
                                     LPVOID, DWORD);
HANDLE WINAPI CountFindFirstFileExW(LPCWSTR Name, FINDEX_INFO_LEVELS Level, LPVOID Data,
                                    FINDEX_SEARCH_OPS Op, LPVOID Filter, DWORD Flags) {
  InterlockedIncrement(&Searches);
  return RealFindFirstFileExW(Name, Level, Data, Op, Filter, Flags);
}

double Now() {
  LARGE_INTEGER F, C;
  QueryPerformanceFrequency(&F);
  QueryPerformanceCounter(&C);
  return double(C.QuadPart) * 1000.0 / double(F.QuadPart);
}

void WriteFileBytes(const std::wstring& Name, const std::string& Bytes) {
  HANDLE File = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  DWORD Written = 0;
  if (File == INVALID_HANDLE_VALUE) return;
  WriteFile(File, Bytes.data(), DWORD(Bytes.size()), &Written, nullptr);
  CloseHandle(File);
}

std::string Utf8(const std::wstring& Text) {
  int Size = WideCharToMultiByte(CP_UTF8, 0, Text.c_str(), int(Text.size()), nullptr, 0, nullptr, nullptr);
  std::string Out(Size, '\0');
  WideCharToMultiByte(CP_UTF8, 0, Text.c_str(), int(Text.size()), &Out[0], Size, nullptr, nullptr);
  return Out;
}

// 300 folders of three files, every tenth empty; a list of N masks over them (line i over folder
// i % 300). The empty folders' entries are not listed until a file arrives.
struct World {
  std::wstring Root;
  std::wstring Folder(int I) const { return Root + L"\\d" + std::to_wstring(I); }
  std::wstring Mask(int I) const {
    return Folder(I % Folders) + L"\\" + (I / Folders % 2 ? L"*.txt" : L"f*.txt");
  }
  explicit World(const std::wstring& Name) {
    wchar_t Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    Root = std::wstring(Temp) + Name;
    RemoveTree(Root);
    CreateDirectoryW(Root.c_str(), nullptr);
    for (int I = 0; I < Folders; ++I) {
      CreateDirectoryW(Folder(I).c_str(), nullptr);
      if (I % 10 == 0) continue;
      for (int F = 0; F < 3; ++F) WriteFileBytes(Folder(I) + L"\\f" + std::to_wstring(F) + L".txt", "x");
    }
  }
  std::wstring MakeList(int Lines) const {
    std::string Text = "\xEF\xBB\xBF";
    for (int I = 0; I < Lines; ++I) Text += Utf8(Mask(I)) + ",Entry " + std::to_string(I) + "\r\n";
    const std::wstring Path = Root + L"\\list" + std::to_wstring(Lines) + L".vfs";
    WriteFileBytes(Path, Text);
    return Path;
  }
  ~World() { RemoveTree(Root); }
};

bool Listed(const Far3PluginPanel& Panel, const std::wstring& Name) {
  for (const auto& Item : Panel.items)
    if (Item.name == Name) return true;
  return false;
}

struct Result {
  long IdleSearches = 0;
  double Median = 0, Worst = 0;
  int Threads = 0;
  long Handles = 0;
  long RereadSearches = 0;  // of one reread (Ctrl+R)
  double RereadMs = 0;
};

Result Measure(const std::wstring& Dll, const World& W, int Lines, DWORD IdleMs, int Trials) {
  Result R;
  const std::wstring List = W.MakeList(Lines);
  Far3Host::Options O;
  O.dllPath = Dll;
  Far3Host Host(O);
  Host.filePanel.curDir = W.Root;
  if (!Host.Load()) {
    fprintf(stderr, "bench_watch: %s\n", Host.lastError.c_str());
    return R;
  }
  const ImportRoute Routes[] = {
      {"FindFirstFileW", reinterpret_cast<void*>(&CountFindFirstFileW), reinterpret_cast<void**>(&RealFindFirstFileW)},
      {"FindFirstFileExW", reinterpret_cast<void*>(&CountFindFirstFileExW), reinterpret_cast<void**>(&RealFindFirstFileExW)}};
  if (RouteImports(Host.Module(), "kernel32.dll", Routes, 2) == 0)
    fprintf(stderr, "bench_watch: the DLL imports no file search to count\n");
  Host.settings.Set(Host.PluginGuid(), L"FileSystemFile", far3host::Far3Value::OfText(List));
  Host.StartUp();
  const int ThreadsBefore = ThreadCount();
  const long HandlesBefore = OpenHandles();
  Far3PluginPanel* P = Host.OpenFromPluginsMenu();
  if (!P) {
    fprintf(stderr, "bench_watch: no panel\n");
    return R;
  }
  Host.RunMainLoop(1000);
  R.Threads = ThreadCount() - ThreadsBefore;
  R.Handles = OpenHandles() - HandlesBefore;

  const LONG BeforeReread = Searches;
  const double RereadStart = Now();
  P->Key('R', far3host::kCtrl);
  R.RereadMs = Now() - RereadStart;
  R.RereadSearches = Searches - BeforeReread;
  Host.RunMainLoop(1000);

  const LONG Before = Searches;
  Host.RunMainLoop(IdleMs);
  R.IdleSearches = Searches - Before;

  std::vector<double> Times;
  for (int T = 0; T < Trials; ++T) {
    const int Empty = (T % (Folders / 10)) * 10;  // an empty folder: its entries are unlisted
    const std::wstring File = W.Folder(Empty) + L"\\f9.txt";
    const std::wstring Entry = W.Mask(Empty + Folders);  // "*.txt" over that folder
    const double Start = Now();
    WriteFileBytes(File, "new");
    const bool Shown = Host.RunMainLoopUntil([&] { return Listed(*P, Entry); }, 10000);
    Times.push_back(Shown ? Now() - Start : 10000);
    DeleteFileW(File.c_str());
    Host.RunMainLoopUntil([&] { return !Listed(*P, Entry); }, 10000);
  }
  std::sort(Times.begin(), Times.end());
  if (!Times.empty()) {
    R.Median = Times[Times.size() / 2];
    R.Worst = Times.back();
  }
  for (const std::string& F : Host.failures) printf("bench_watch: host: %s\n", F.c_str());
  Host.Shutdown();
  return R;
}

std::vector<int> ParseList(const char* Text, std::map<int, long>* Pairs = nullptr) {
  std::vector<int> Out;
  for (char* P = const_cast<char*>(Text); *P;) {
    const int N = int(strtol(P, &P, 10));
    if (*P == ':' && Pairs) (*Pairs)[N] = strtol(P + 1, &P, 10);
    if (N > 0) Out.push_back(N);
    if (*P) ++P;
  }
  return Out;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> Sizes = {1000, 10000};
  std::map<int, long> Far1;
  int IdleSeconds = 30, Trials = 20;
  for (int I = 1; I < argc; ++I) {
    if (!strcmp(argv[I], "--sizes") && I + 1 < argc) Sizes = ParseList(argv[++I]);
    else if (!strcmp(argv[I], "--far1") && I + 1 < argc) ParseList(argv[++I], &Far1);
    else if (!strcmp(argv[I], "--idle") && I + 1 < argc) IdleSeconds = std::max(1, atoi(argv[++I]));
    else if (!strcmp(argv[I], "--trials") && I + 1 < argc) Trials = std::max(1, atoi(argv[++I]));
    else {
      fprintf(stderr, "usage: bench_watch [--sizes 1000,10000] [--far1 1000:B,10000:B] [--idle S] [--trials N]\n");
      return 2;
    }
  }
  const std::string DllPath = QUENBY3_DLL;  // ASCII: the build's own path
  const std::wstring Dll(DllPath.begin(), DllPath.end());
  World W(L"quenby_bench_watch");
  for (int N : Sizes) {
    const Result R = Measure(Dll, W, N, DWORD(IdleSeconds) * 1000, Trials);
    printf("watch %d entries: %d thread(s) and %ld handles per open panel\n", N, R.Threads, R.Handles);
    printf("watch %d entries: one reread %ld searches in %.0f ms\n", N, R.RereadSearches, R.RereadMs);
    const auto F = Far1.find(N);
    printf("watch %d entries: idle searches FAR3 %ld vs FAR1 %s in %d s; shown after median %.0f ms, worst %.0f ms\n",
           N, R.IdleSearches, F == Far1.end() ? "n/a" : std::to_string(F->second).c_str(), IdleSeconds,
           R.Median, R.Worst);
    fflush(stdout);
  }
  return 0;
}
