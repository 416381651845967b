// What the FAR 1.x panel searches while nothing changes: FAR 1.75 sends FE_IDLE to a visible
// plugin panel when two seconds have passed since its last update (flupdate.cpp,
// UpdateIfChanged), so 30 s of idle time are 15 idle rereads. Counts the file searches of those
// rereads through the DLL's import table, over the data bench_watch uses for the FAR 3 panel:
// 300 folders of three files (every tenth empty) and N masks over them.
//
//   bench_idle [--sizes 1000,10000]
// Prints one line a size, and last "far1 idle: N:B,N:B" for bench_watch's --far1.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "FarHost.h"
#include "SearchCounter.h"
#include "TempFiles.h"

namespace {

const int Folders = 300;
const int IdleSeconds = 30, IdleEvery = 2;  // FAR 1.75: clock() - LastUpdateTime > 2000

std::string FolderOf(const std::string& Root, int I) { return Root + "\\d" + std::to_string(I); }
std::string MaskOf(const std::string& Root, int I) {
  return FolderOf(Root, I % Folders) + "\\" + (I / Folders % 2 ? "*.txt" : "f*.txt");
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> Sizes = {1000, 10000};
  for (int I = 1; I < argc; ++I) {
    if (!strcmp(argv[I], "--sizes") && I + 1 < argc) {
      Sizes.clear();
      for (char* P = argv[++I]; *P;) {
        const int N = int(strtol(P, &P, 10));
        if (N > 0) Sizes.push_back(N);
        if (*P) ++P;
      }
    } else {
      fprintf(stderr, "usage: bench_idle [--sizes 1000,10000]\n");
      return 2;
    }
  }
  char Temp[MAX_PATH];
  GetTempPathA(MAX_PATH, Temp);
  const std::string Root = std::string(Temp) + "quenby_bench_idle";
  RemoveTree(Root);
  CreateDirectoryA(Root.c_str(), nullptr);
  for (int I = 0; I < Folders; ++I) {
    CreateDirectoryA(FolderOf(Root, I).c_str(), nullptr);
    if (I % 10)
      for (int F = 0; F < 3; ++F) WriteBytes(FolderOf(Root, I) + "\\f" + std::to_string(F) + ".txt", "x");
  }
  FarHost::Options O;
  O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
  O.rootKey = FarHost::TestRootKey("bench_idle");
  std::string Summary;
  for (int N : Sizes) {
    std::string Text;
    for (int I = 0; I < N; ++I) Text += MaskOf(Root, I) + ",Entry " + std::to_string(I) + "\r\n";
    const std::string List = Root + "\\list" + std::to_string(N) + ".vfs";
    WriteBytes(List, Text);
    FarHost Host(O);
    Host.WriteString("FileSystemFile", List);
    Host.WriteDword("AutoExitPlugin", 0);
    if (!Host.LoadAndStart() || !CountSearchesOf(Host.Module())) {
      fprintf(stderr, "bench_idle: the plugin does not load or its searches go uncounted\n");
      return 2;
    }
    FarHost::Panel* P = Host.OpenPlugin(OPEN_PLUGINSMENU, 0);
    if (!P) return fprintf(stderr, "bench_idle: no panel\n"), 2;
    const long Before = SearchCount();
    const int Rereads = IdleSeconds / IdleEvery;
    for (int R = 0; R < Rereads; ++R) {
      P->ProcessEvent(FE_IDLE, nullptr);
      Host.log.clear();
      Host.controls.clear();
    }
    const long Searches = SearchCount() - Before;
    printf("far1 idle %d entries: %ld searches in %d s (%d idle rereads of %ld)\n", N, Searches,
           IdleSeconds, Rereads, Searches / Rereads);
    Summary += (Summary.empty() ? "" : ",") + std::to_string(N) + ":" + std::to_string(Searches);
    for (const std::string& F : Host.failures) printf("bench_idle: host: %s\n", F.c_str());
    Host.Shutdown();
    Host.DeleteRootKey();
  }
  RemoveTree(Root);
  printf("far1 idle: %s\n", Summary.c_str());
  return 0;
}
