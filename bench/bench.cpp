// Benchmark: what one panel reread costs against the file searches it cannot avoid, how it grows
// with the list, what memory the items take, and what GetOpenPluginInfo allocates. Runs
// quenby.dll under the FAR stand-in host on data it makes in a temporary folder.
//
//   bench [--sizes 1000,10000[,100000]] [--reps N]
//
// Times are medians of N repetitions (3 for sizes above 10,000), plugin and baseline runs taken
// in turn so that both see the same machine. The last line sums the run up.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>
#include <vector>
#include "AllocationCounter.h"
#include "FarHost.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Time, heap and allocation counts

double Now() {
  static LARGE_INTEGER Frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(Frequency.QuadPart);  // milliseconds
}

struct Stats {
  double median = 0, spread = 0;  // spread: (max - min) / median
};
Stats Summarize(std::vector<double> v) {
  Stats s;
  if (v.empty()) return s;
  std::sort(v.begin(), v.end());
  size_t n = v.size();
  s.median = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
  s.spread = s.median > 0 ? (v.back() - v.front()) / s.median : 0;
  return s;
}

long long HeapInUse() {
  long long bytes = 0;
  HANDLE heaps[128];
  DWORD n = std::min<DWORD>(GetProcessHeaps(128, heaps), 128);
  for (DWORD i = 0; i < n; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY e;
    memset(&e, 0, sizeof e);
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) bytes += e.cbData;
    HeapUnlock(heaps[i]);
  }
  return bytes;
}


// ---------------------------------------------------------------------------------------------
// Data: a few hundred folders with files, list files over them, and big folders.

std::string Root;  // trailing backslash
const int Folders = 300;

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  DWORD put = 0;
  bool ok = bytes.empty() || WriteFile(f, bytes.data(), DWORD(bytes.size()), &put, nullptr);
  CloseHandle(f);
  return ok;
}

void DeleteTree(const std::string& dir) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      std::string n = d.cFileName;
      if (n == "." || n == "..") continue;
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(dir + "\\" + n);
      else
        DeleteFileA((dir + "\\" + n).c_str());
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

std::string FolderName(int i) {
  char b[16];
  snprintf(b, sizeof b, "f%03d", i);
  return Root + b;
}

void MakeFolders() {
  for (int i = 0; i < Folders; ++i) {
    std::string f = FolderName(i);
    CreateDirectoryA(f.c_str(), nullptr);
    if (i % 10 == 9) continue;  // every tenth folder is empty
    for (const char* n : {"\\a.txt", "\\b.txt", "\\c.log"}) WriteBytes(f + n, "x");
  }
}

// Line i of a root list: a mask over one of the folders; every fifth matches nothing, every
// seventh has no description.
std::string ListLine(int i) {
  std::string folder = FolderName(i % Folders) + (i % 5 == 4 ? "\\*.none" : "\\*.txt");
  return i % 7 == 6 ? folder : folder + ",entry " + std::to_string(i);
}

std::string MakeList(int lines) {
  std::string path = Root + "list" + std::to_string(lines) + ".vfs", text;
  for (int i = 0; i < lines; ++i) text += ListLine(i) + "\r\n";
  WriteBytes(path, text);
  return path;
}

std::string MakeBigFolder(int files) {
  std::string dir = Root + "big" + std::to_string(files);
  CreateDirectoryA(dir.c_str(), nullptr);
  char name[32];
  for (int i = 0; i < files; ++i) {
    snprintf(name, sizeof name, "\\f%06d.dat", i);
    WriteBytes(dir + name, "");
  }
  return dir;
}

// ---------------------------------------------------------------------------------------------
// The baselines: only the searches the plugin's design prescribes.

std::string DirectoryPart(const std::string& p) {
  size_t i = p.find_last_of("\\:");
  return i == std::string::npos ? std::string() : p.substr(0, i + 1);
}

bool FileExists(const std::string& name) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(name.c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return false;
  FindClose(h);
  FILETIME local;
  WORD date, time;
  return !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
         FileTimeToLocalFileTime(&d.ftLastWriteTime, &local) &&
         FileTimeToDosDateTime(&local, &date, &time);
}

bool IsEmptyFolder(const std::string& path, const std::string& dir) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(path.c_str(), &d);
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

struct Entry {
  std::string folder, directory, parent;
};

// Per line: IsEmptyFolder; for a listed line LookupFindData of its parent and, with
// ShowAllFolders on, IsEmptyFolder once more.
int RootBaseline(const std::vector<Entry>& entries, bool showAll) {
  int listed = 0;
  WIN32_FIND_DATAA d;
  for (const Entry& e : entries) {
    if (!IsEmptyFolder(e.folder, e.directory) || showAll) {
      HANDLE h = FindFirstFileA(e.parent.c_str(), &d);
      if (h != INVALID_HANDLE_VALUE) FindClose(h);
      if (showAll) IsEmptyFolder(e.folder, e.directory);
      ++listed;
    }
  }
  return listed;
}

int WalkBaseline(const std::string& pattern) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(pattern.c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n += strcmp(d.cFileName, ".") && strcmp(d.cFileName, "..");
  while (FindNextFileA(h, &d));
  FindClose(h);
  return n;
}

// ---------------------------------------------------------------------------------------------
// The plugin under the host

struct Bench {
  FarHost host;
  explicit Bench(const FarHost::Options& o) : host(o) {}

  void Settings(const std::string& list, int showAllFolders, int showAllFiles) {
    host.Shutdown();
    host.WriteString("FileSystemFile", list);
    host.WriteDword("ShowAllFolders", DWORD(showAllFolders));
    host.WriteDword("ShowAllFiles", DWORD(showAllFiles));
    host.WriteDword("AutoExit", 0);  // the folder view is compared with one search alone
    host.WriteDword("AutoExitPlugin", 0);
    host.WriteDword("TreatFolderAsFile", 0);
    if (!host.LoadAndStart()) {
      fprintf(stderr, "bench: the plugin does not load: %s\n", host.lastError.c_str());
      exit(2);
    }
    hooked = CountAllocationsOf(host.Module());
  }
  int hooked = 0;

  // One reread as FAR's update makes it, without FAR's own copying: GetFindData + FreeFindData.
  double Reread(HANDLE h, int* count = nullptr) {
    PluginPanelItem* items = nullptr;
    int n = 0;
    double t0 = Now();
    host.exports.GetFindData(h, &items, &n, 0);
    host.exports.FreeFindData(h, items, n);
    double t = Now() - t0;
    if (count) *count = n;
    return t;
  }
};

struct Row {
  std::string what;
  int size;
  Stats plugin, baseline;
};
std::vector<Row> Rows;

void PrintRow(const Row& r) {
  printf("%-34s %7d %11.2f %6.0f%% %11.2f %6.0f%% %7.3f\n", r.what.c_str(), r.size, r.plugin.median,
         r.plugin.spread * 100, r.baseline.median, r.baseline.spread * 100,
         r.baseline.median > 0 ? r.plugin.median / r.baseline.median : 0.0);
  fflush(stdout);
}

const Row* FindRow(const std::string& what, int size) {
  for (const Row& r : Rows)
    if (r.what == what && r.size == size) return &r;
  return nullptr;
}
double Ratio(const std::string& what, int size) {
  const Row* r = FindRow(what, size);
  return r && r->baseline.median > 0 ? r->plugin.median / r->baseline.median : 0;
}
double Scale(const std::string& what, int big, int small) {
  const Row* a = FindRow(what, big);
  const Row* b = FindRow(what, small);
  return a && b && b->plugin.median > 0 ? a->plugin.median / b->plugin.median : 0;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000};
  int reps = 5;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--sizes") && i + 1 < argc) {
      sizes.clear();
      for (char* p = argv[++i]; *p;) {
        sizes.push_back(int(strtol(p, &p, 10)));
        if (*p == ',') ++p;
      }
    } else if (!strcmp(argv[i], "--reps") && i + 1 < argc) {
      reps = std::max(1, atoi(argv[++i]));
    } else {
      fprintf(stderr, "usage: bench [--sizes 1000,10000[,100000]] [--reps N]\n");
      return 2;
    }
  }
  std::sort(sizes.begin(), sizes.end());
  char temp[MAX_PATH], cwd[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  GetCurrentDirectoryA(MAX_PATH, cwd);
  Root = std::string(temp) + "quenby_bench_" + std::to_string(GetCurrentProcessId()) + "\\";
  CreateDirectoryA(Root.c_str(), nullptr);

  double t0 = Now();
  MakeFolders();
  std::vector<std::string> lists, bigs;
  for (int n : sizes) lists.push_back(MakeList(n)), bigs.push_back(MakeBigFolder(n));
  printf("bench: data made in %.1f s (%d folders; lists and folders of", (Now() - t0) / 1000, Folders);
  for (int n : sizes) printf(" %d", n);
  printf(")\n");
  fflush(stdout);

  FarHost::Options o;
  o.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
  o.rootKey = FarHost::TestRootKey("bench");
  long long growth = 0;
  double infoAllocs = -1;
  int hooked = 0;
  {
    Bench b(o);
    b.host.filePanel.curDir = Root.substr(0, Root.size() - 1);
    b.host.filePanel.Add("list.vfs");
    auto repsFor = [&](int n) { return n > 10000 ? std::min(reps, 3) : reps; };

    printf("%-34s %7s %11s %7s %11s %7s %7s\n", "what (median ms per reread)", "N", "plugin",
           "spread", "baseline", "spread", "ratio");
    // Root lists, ShowAllFolders off and on.
    for (size_t s = 0; s < sizes.size(); ++s) {
      std::vector<Entry> entries;
      for (int i = 0; i < sizes[s]; ++i) {
        std::string line = ListLine(i), folder = line.substr(0, line.find(','));
        entries.push_back({folder, DirectoryPart(folder), folder.substr(0, folder.rfind('\\'))});
      }
      for (int showAll = 0; showAll <= 1; ++showAll) {
        b.Settings(lists[s], showAll, 0);
        FarHost::Panel* p = b.host.OpenPlugin(OPEN_PLUGINSMENU, 0);
        if (!p) return fprintf(stderr, "bench: the panel does not open\n"), 2;
        std::vector<double> tp, tb;
        int count = 0;
        for (int r = 0; r < repsFor(sizes[s]); ++r) {
          tp.push_back(b.Reread(p->handle, &count));
          double t = Now();
          RootBaseline(entries, showAll);
          tb.push_back(Now() - t);
        }
        Rows.push_back({showAll ? "root list, ShowAllFolders on" : "root list, ShowAllFolders off",
                        sizes[s], Summarize(tp), Summarize(tb)});
        PrintRow(Rows.back());
        p->ClosePlugin();
      }
    }
    // Folder views, plain and with ShowAllFiles, against one search over the same entries.
    std::string viewList = Root + "views.vfs", text;
    for (const std::string& big : bigs) text += big + "\\f*.dat,big\r\n";
    WriteBytes(viewList, text);
    for (int showAllFiles = 0; showAllFiles <= 1; ++showAllFiles) {
      b.Settings(viewList, 0, showAllFiles);
      for (size_t s = 0; s < sizes.size(); ++s) {
        FarHost::Panel* p = b.host.OpenPlugin(OPEN_PLUGINSMENU, 0);
        if (!p) return fprintf(stderr, "bench: the panel does not open\n"), 2;
        std::string mask = bigs[s] + "\\f*.dat";
        p->SetDirectory(mask);
        std::vector<double> tp, tb;
        for (int r = 0; r < repsFor(sizes[s]); ++r) {
          tp.push_back(b.Reread(p->handle));
          double t = Now();
          WalkBaseline(showAllFiles ? bigs[s] + "\\*.*" : mask);
          tb.push_back(Now() - t);
        }
        Rows.push_back({showAllFiles ? "folder view, ShowAllFiles on" : "folder view, ShowAllFiles off",
                        sizes[s], Summarize(tp), Summarize(tb)});
        PrintRow(Rows.back());
        p->ClosePlugin();
      }
    }

    // Heap per item at the largest size, on a panel FAR has just opened: the first reread's
    // items and entries are what the heap holds until FreeFindData.
    const int big = sizes.back();
    b.Settings(lists.back(), 0, 0);
    auto perItem = [&](const std::string& dir) {
      HANDLE h = b.host.exports.OpenPlugin(OPEN_PLUGINSMENU, 0);
      OpenPluginInfo info;
      memset(&info, 0, sizeof info);
      b.host.exports.GetOpenPluginInfo(h, &info);
      if (!dir.empty()) b.host.exports.SetDirectory(h, dir.c_str(), 0);
      long long before = HeapInUse();
      PluginPanelItem* items = nullptr;
      int n = 0;
      b.host.exports.GetFindData(h, &items, &n, 0);
      long long after = HeapInUse();
      b.host.exports.FreeFindData(h, items, n);
      b.host.exports.ClosePlugin(h);
      return n ? double(after - before) / n : 0.0;
    };
    double rootBytes = perItem("");
    b.Settings(viewList, 0, 0);
    double viewBytes = perItem(bigs.back() + "\\f*.dat");
    printf("heap per item at %d: root list %.0f bytes, folder view %.0f bytes (an item record is %u)\n",
           big, rootBytes, viewBytes, unsigned(sizeof(PluginPanelItem)));

    // GetOpenPluginInfo after the first, at both levels: allocations and heap.
    std::string small = Root + "small.vfs";
    text.clear();
    for (int i = 0; i < 50; ++i) text += ListLine(i) + "\r\n";
    WriteBytes(small, text);
    b.Settings(small, 0, 0);
    hooked = b.hooked;
    FarHost::Panel* p = b.host.OpenPlugin(OPEN_PLUGINSMENU, 0);
    if (!p) return fprintf(stderr, "bench: the panel does not open\n"), 2;
    long gfdAllocs = AllocationCount();
    b.Reread(p->handle);
    gfdAllocs = AllocationCount() - gfdAllocs;  // the counter must see the reread's allocations
    double allocs[2] = {0, 0};
    long long heap[2] = {0, 0};
    for (int level = 0; level < 2; ++level) {
      if (level) p->SetDirectory(FolderName(0) + "\\*.txt");
      OpenPluginInfo info;
      memset(&info, 0, sizeof info);
      b.host.exports.GetOpenPluginInfo(p->handle, &info);
      long before = AllocationCount();
      long long heapBefore = HeapInUse();
      for (int i = 0; i < 1000; ++i) {
        memset(&info, 0, sizeof info);
        b.host.exports.GetOpenPluginInfo(p->handle, &info);
      }
      heap[level] = HeapInUse() - heapBefore;
      allocs[level] = (AllocationCount() - before) / 1000.0;
    }
    infoAllocs = hooked == 3 && gfdAllocs > 0 ? std::max(allocs[0], allocs[1]) : -1;
    printf("GetOpenPluginInfo after the first: %.3f allocations per call at the root, %.3f in a "
           "folder; heap %+lld / %+lld bytes over 1000 calls (counter saw %ld allocations in one "
           "50-line reread)\n", allocs[0], allocs[1], heap[0], heap[1], gfdAllocs);

    // A whole idle cycle on the 50-line list: FE_IDLE, FAR's update and redraw.
    p->SetDirectory("..");
    p->Reread();
    std::vector<double> idle;
    long long idleHeap = HeapInUse();
    for (int i = 0; i < 5 * reps; ++i) {
      double t = Now();
      p->ProcessEvent(FE_IDLE, nullptr);
      idle.push_back(Now() - t);
      b.host.log.clear();
      b.host.controls.clear();
    }
    growth = HeapInUse() - idleHeap;
    Stats s = Summarize(idle);
    printf("idle cycle on a 50-line list: %.2f ms (spread %.0f%%), heap %+lld bytes over %d cycles\n",
           s.median, s.spread * 100, growth, 5 * reps);
    for (const std::string& f : b.host.failures) printf("bench: host: %s\n", f.c_str());
    b.host.Shutdown();
    b.host.DeleteRootKey();
  }
  SetCurrentDirectoryA(cwd);
  DeleteTree(Root.substr(0, Root.size() - 1));

  // The sum-up: ratios at 1,000 and 10,000 lines (the worse of the two settings), and growth
  // between the two largest sizes (100,000 over 10,000 when both ran).
  auto worse = [](int n) {
    return std::max(Ratio("root list, ShowAllFolders off", n), Ratio("root list, ShowAllFolders on", n));
  };
  int hi = sizes.back(), lo = sizes.size() > 1 ? sizes[sizes.size() - 2] : hi;
  auto baseScale = [&](const std::string& what) {
    const Row* a = FindRow(what, hi);
    const Row* b = FindRow(what, lo);
    return a && b && b->baseline.median > 0 ? a->baseline.median / b->baseline.median : 0;
  };
  printf("scale t(%d)/t(%d): root list %.2f (its baseline %.2f), folder view %.2f (its baseline %.2f)\n",
         hi, lo, Scale("root list, ShowAllFolders off", hi, lo), baseScale("root list, ShowAllFolders off"),
         Scale("folder view, ShowAllFiles off", hi, lo), baseScale("folder view, ShowAllFiles off"));
  printf("bench: root1k=%.3f root10k=%.3f rootscale=%.2f folderscale=%.2f infoallocs=%g\n", worse(1000),
         worse(10000), Scale("root list, ShowAllFolders off", hi, lo),
         Scale("folder view, ShowAllFiles off", hi, lo), infoAllocs);
  return 0;
}
