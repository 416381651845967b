// Benchmark: what one panel reread costs against the file searches made the literal way (every
// file found searched for again by name), how it grows with the list, what memory the items take,
// and what GetOpenPluginInfo allocates. Runs quenby.dll under the FAR stand-in host on data it
// makes in a temporary folder (its big folders are kept for the next run).
//
//   bench [--sizes 1000,10000[,100000]] [--folders SIZES] [--reps N]
//
// --sizes gives the lengths of the root lists and, unless --folders gives others, the sizes of
// the big folders (under Wine a folder of 100,000 files takes hours to make: every new file
// costs a scan of the folder).
//
// Times are medians of N repetitions (3 for sizes above 10,000), plugin and baseline runs taken
// in turn so that both see the same machine. Progress goes to stderr; the last line sums up.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>
#include "AllocationCounter.h"
#include "Baseline.h"
#include "BenchData.h"
#include "FarHost.h"
#include "SearchCounter.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Medians and heap

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
// The plugin under the host

struct Bench {
  FarHost host;
  int hooked = 0;
  explicit Bench(const FarHost::Options& o) : host(o) {}

  void Settings(const std::string& list, int showAllFolders, int showAllFiles, int autoExit = 0) {
    host.Shutdown();
    host.WriteString("FileSystemFile", list);
    host.WriteDword("ShowAllFolders", DWORD(showAllFolders));
    host.WriteDword("ShowAllFiles", DWORD(showAllFiles));
    host.WriteDword("AutoExit", DWORD(autoExit));
    host.WriteDword("AutoExitPlugin", 0);
    host.WriteDword("TreatFolderAsFile", 0);
    if (!host.LoadAndStart()) {
      fprintf(stderr, "bench: the plugin does not load: %s\n", host.lastError.c_str());
      exit(2);
    }
    hooked = CountAllocationsOf(host.Module());
    if (!CountSearchesOf(host.Module()))
      fprintf(stderr, "bench: the plugin's searches go uncounted\n");
  }

  FarHost::Panel* Open() {
    FarHost::Panel* p = host.OpenPlugin(OPEN_PLUGINSMENU, 0);
    if (!p) fprintf(stderr, "bench: the panel does not open\n"), exit(2);
    return p;
  }

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
  double paired;  // median of plugin/baseline over the repetitions, each run with its partner
  long pluginSearches, baselineSearches;  // searches started in one reread, in one baseline run
};
std::vector<Row> Rows;

void PrintRow(const Row& r) {
  printf("%-34s %7d %11.2f %6.0f%% %11.2f %6.0f%% %7.3f %7.3f %9ld %9ld\n", r.what.c_str(),
         r.size, r.plugin.median, r.plugin.spread * 100, r.baseline.median,
         r.baseline.spread * 100, r.baseline.median > 0 ? r.plugin.median / r.baseline.median : 0.0,
         r.paired, r.pluginSearches, r.baselineSearches);
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
double Scale(const std::string& what, int big, int small, bool baseline = false) {
  const Row* a = FindRow(what, big);
  const Row* b = FindRow(what, small);
  if (!a || !b) return 0;
  double lo = baseline ? b->baseline.median : b->plugin.median;
  return lo > 0 ? (baseline ? a->baseline.median : a->plugin.median) / lo : 0;
}

const char* const RootOff = "root list, ShowAllFolders off";
const char* const RootOn = "root list, ShowAllFolders on";
const char* const ViewOff = "folder view, ShowAllFiles off";

// Plugin rereads and baseline runs in pairs, which of the two goes first alternating; one row.
template <class Baseline>
void Measure(Bench& b, HANDLE h, const char* what, int size, int reps, Baseline&& baseline) {
  std::vector<double> tp, tb;
  long ps = 0, bs = 0;  // searches, counted in the last repetition
  auto timeBaseline = [&] {
    bs = BaselineSearches();
    double t = Now();
    baseline();
    tb.push_back(Now() - t);
    bs = BaselineSearches() - bs;
  };
  for (int r = 0; r < reps; ++r) {
    if (r % 2) timeBaseline();
    ps = SearchCount();
    tp.push_back(b.Reread(h));
    ps = SearchCount() - ps;
    if (r % 2 == 0) timeBaseline();
    Progress("%s, %d: repetition %d of %d, plugin %.0f ms, baseline %.0f ms", what, size, r + 1,
             reps, tp.back(), tb.back());
  }
  std::vector<double> ratios;
  for (size_t r = 0; r < tp.size(); ++r) ratios.push_back(tb[r] > 0 ? tp[r] / tb[r] : 0);
  Rows.push_back({what, size, Summarize(tp), Summarize(tb), Summarize(ratios).median, ps, bs});
  PrintRow(Rows.back());
}

int RepsFor(int size, int reps) { return size > 10000 ? std::min(reps, 3) : reps; }

// Root lists, ShowAllFolders off and on.
void RootLists(Bench& b, const std::vector<int>& sizes, const std::vector<std::string>& lists,
               int reps) {
  for (size_t s = 0; s < sizes.size(); ++s) {
    const std::vector<BaselineEntry> entries = BaselineEntries(sizes[s]);
    for (int showAll = 0; showAll <= 1; ++showAll) {
      b.Settings(lists[s], showAll, 0);
      FarHost::Panel* p = b.Open();
      Measure(b, p->handle, showAll ? RootOn : RootOff, sizes[s], RepsFor(sizes[s], reps),
              [&] { RootBaseline(entries, showAll); });
      p->ClosePlugin();
    }
  }
}

// Folder views of the big folders: plain and with ShowAllFiles against one search over the same
// entries (AutoExit off), and with AutoExit on against its emptiness test and that search.
void FolderViews(Bench& b, const std::vector<int>& sizes, const std::vector<std::string>& bigs,
                 const std::string& viewList, int reps) {
  for (int mode = 0; mode < 3; ++mode) {
    const int showAllFiles = mode == 1, autoExit = mode == 2;
    b.Settings(viewList, 0, showAllFiles, autoExit);
    for (size_t s = 0; s < sizes.size(); ++s) {
      FarHost::Panel* p = b.Open();
      const std::string mask = bigs[s] + "\\f*.dat";
      p->SetDirectory(mask);
      const char* what = autoExit       ? "folder view, AutoExit on"
                         : showAllFiles ? "folder view, ShowAllFiles on"
                                        : ViewOff;
      Measure(b, p->handle, what, sizes[s], RepsFor(sizes[s], reps), [&] {
        if (autoExit)
          AutoExitViewBaseline(mask);
        else
          WalkBaseline(showAllFiles ? bigs[s] + "\\*.*" : mask);
      });
      p->ClosePlugin();
    }
  }
}

// Heap per item at the largest size, on a panel FAR has just opened: the first reread's items
// and entries are what the heap holds until FreeFindData.
void HeapPerItem(Bench& b, int lines, const std::string& list, int files,
                 const std::string& viewList, const std::string& bigFolder) {
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
  b.Settings(list, 0, 0);
  double rootBytes = perItem("");
  b.Settings(viewList, 0, 0);
  double viewBytes = perItem(bigFolder + "\\f*.dat");
  printf("heap per item: root list of %d lines %.0f bytes, folder view of %d files %.0f bytes "
         "(an item record is %u)\n", lines, rootBytes, files, viewBytes,
         unsigned(sizeof(PluginPanelItem)));
}

// GetOpenPluginInfo after the first, at both levels, then whole idle cycles, on a 50-line list.
// Returns the allocations of one GetOpenPluginInfo, or -1 when the counter could not see them.
double InfoAndIdle(Bench& b, int reps) {
  std::string small = BenchRoot() + "small.vfs", text;
  for (int i = 0; i < 50; ++i) text += ListLine(i) + "\r\n";
  WriteBytes(small, text);
  b.Settings(small, 0, 0);
  FarHost::Panel* p = b.Open();
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
  printf("GetOpenPluginInfo after the first: %.3f allocations per call at the root, %.3f in a "
         "folder; heap %+lld / %+lld bytes over 1000 calls (counter saw %ld allocations in one "
         "50-line reread)\n", allocs[0], allocs[1], heap[0], heap[1], gfdAllocs);

  // A whole idle cycle: FE_IDLE, FAR's update and redraw.
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
  Stats s = Summarize(idle);
  printf("idle cycle on a 50-line list: %.2f ms (spread %.0f%%), heap %+lld bytes over %d cycles\n",
         s.median, s.spread * 100, HeapInUse() - idleHeap, 5 * reps);
  return b.hooked == 3 && gfdAllocs > 0 ? std::max(allocs[0], allocs[1]) : -1;
}

// "R" of the summary: the worse of ShowAllFolders off and on, or n/a when the size was not run.
std::string RootRatio(int n) {
  if (!FindRow(RootOff, n)) return "n/a";
  char b[32];
  snprintf(b, sizeof b, "%.3f", std::max(Ratio(RootOff, n), Ratio(RootOn, n)));
  return b;
}

std::vector<int> ParseSizes(char* p) {
  std::vector<int> sizes;
  while (*p) {
    int n = int(strtol(p, &p, 10));
    if (n > 0) sizes.push_back(n);
    if (*p) ++p;
  }
  std::sort(sizes.begin(), sizes.end());
  return sizes;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<int> sizes = {1000, 10000}, folders;
  int reps = 5;
  for (int i = 1; i < argc; ++i) {
    if (!strcmp(argv[i], "--sizes") && i + 1 < argc) {
      sizes = ParseSizes(argv[++i]);
    } else if (!strcmp(argv[i], "--folders") && i + 1 < argc) {
      folders = ParseSizes(argv[++i]);
    } else if (!strcmp(argv[i], "--reps") && i + 1 < argc) {
      reps = std::max(1, atoi(argv[++i]));
    } else {
      fprintf(stderr, "usage: bench [--sizes 1000,10000[,100000]] [--folders SIZES] [--reps N]\n");
      return 2;
    }
  }
  if (folders.empty()) folders = sizes;
  if (sizes.empty()) return fprintf(stderr, "bench: no sizes\n"), 2;
  char cwd[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, cwd);
  SetBenchRoots();

  double t0 = Now();
  Progress("making %d folders and the lists", BenchFolders);
  MakeFolders();
  std::vector<std::string> lists, bigs;
  for (int n : sizes) lists.push_back(MakeList(n));
  for (int n : folders) bigs.push_back(MakeBigFolder(n));
  std::string viewList = BenchRoot() + "views.vfs", text;
  for (const std::string& big : bigs) text += big + "\\f*.dat,big\r\n";
  WriteBytes(viewList, text);
  printf("bench: data ready in %.1f s (%d folders; lists of", (Now() - t0) / 1000, BenchFolders);
  for (int n : sizes) printf(" %d", n);
  printf(" lines; folders of");
  for (int n : folders) printf(" %d", n);
  printf(" files)\n");
  fflush(stdout);

  FarHost::Options o;
  o.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
  o.rootKey = FarHost::TestRootKey("bench");
  double infoAllocs = -1;
  {
    Bench b(o);
    b.host.filePanel.curDir = BenchRoot().substr(0, BenchRoot().size() - 1);
    b.host.filePanel.Add("list.vfs");
    printf("%-34s %7s %11s %7s %11s %7s %7s %7s %9s %9s\n", "what (median ms per reread)", "N",
           "plugin", "spread", "baseline", "spread", "ratio", "paired", "searches", "baseline");
    RootLists(b, sizes, lists, reps);
    FolderViews(b, folders, bigs, viewList, reps);
    Progress("heap per item and GetOpenPluginInfo");
    HeapPerItem(b, sizes.back(), lists.back(), folders.back(), viewList, bigs.back());
    infoAllocs = InfoAndIdle(b, reps);
    for (const std::string& f : b.host.failures) printf("bench: host: %s\n", f.c_str());
    b.host.Shutdown();
    b.host.DeleteRootKey();
  }
  SetCurrentDirectoryA(cwd);
  RemoveTree(BenchRoot().substr(0, BenchRoot().size() - 1));

  // Growth between the two largest sizes (100,000 over 10,000 when both ran).
  auto top2 = [](const std::vector<int>& v) {
    return std::make_pair(v.back(), v.size() > 1 ? v[v.size() - 2] : v.back());
  };
  auto [hi, lo] = top2(sizes);
  auto [fhi, flo] = top2(folders);
  printf("scale: root list t(%d)/t(%d) %.2f (its baseline %.2f), folder view t(%d)/t(%d) %.2f "
         "(its baseline %.2f)\n", hi, lo, Scale(RootOff, hi, lo), Scale(RootOff, hi, lo, true),
         fhi, flo, Scale(ViewOff, fhi, flo), Scale(ViewOff, fhi, flo, true));
  printf("bench: root1k=%s root10k=%s root100k=%s rootscale=%.2f folderscale=%.2f infoallocs=%g\n",
         RootRatio(1000).c_str(), RootRatio(10000).c_str(), RootRatio(100000).c_str(),
         Scale(RootOff, hi, lo), Scale(ViewOff, fhi, flo), infoAllocs);
  return 0;
}
