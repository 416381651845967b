// Soak: a seeded random session of FAR calls against quenby.dll while the list files, the
// folders they name and the plugin's registry values change under it. After every call it
// checks what FAR would see: the host's record checks, where message boxes come from, the texts
// of the last OpenPluginInfo, and that the process is still alive. At the end it measures the
// heap over long runs of idle refreshes, About boxes and dialog runs, which must not grow, and
// after every reload that the unloaded DLL left no TLS slot or handle behind.
//
//   soak --seed S --ops N [--idle N] [--about N] [--dialogs N] [--long] [--verbose] [--dll D]
//
// --long uses the counts of a long run: 10,000 idle refreshes, 1,000 About boxes, 1,000 dialog
// runs and list files of 100,000 lines. A seed replays the same session in any build and on any
// run: nothing the session chooses depends on addresses, handles, the process id or the clock.
// The counters printed at the end (and the digest of the operations) tell whether it did; --dll
// runs the session against another build of the DLL.
#include <windows.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <random>
#include <string>
#include <vector>
#include "FarHost.h"
#include "ProcessCounts.h"

namespace {

// ---------------------------------------------------------------------------------------------
// Settings of the run, counters, and the report

struct Options {
  unsigned seed = 12345;
  long ops = 3000;
  int idle = 2000, about = 200, dialogs = 200;
  int manyLines = 20000;
  bool verbose = false;
  std::string dll = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
};
Options Opt;

long Passed = 0, Failed = 0;
long OpNumber = 0;
std::string OpName = "start-up";
std::deque<std::string> Recent;  // the last operations, shown with the first failures
long long HeapGrowth = 0;
// What the session went through, so that a run shows it reached the paths it is meant to, and
// a digest of every operation's name: two runs of a seed must print the same.
long ExceptionBoxes = 0, AboutBoxes = 0, Dialogs = 0, PanelsClosed = 0, Reloads = 0, MostOpen = 0;
unsigned long Digest = 2166136261u;

void Summary() {
  printf("soak: seed=%u ops=%ld failures=%ld heap-growth=%lld\n", Opt.seed, Opt.ops, Failed,
         HeapGrowth);
  printf("soak: counters: %ld exception boxes, %ld About boxes, %ld dialogs, %ld panels closed, "
         "at most %ld open at once, %ld reloads, operations digest %08lX\n",
         ExceptionBoxes, AboutBoxes, Dialogs, PanelsClosed, MostOpen, Reloads, Digest);
  printf("%ld passed, %ld failed\n", Passed, Failed);
  fflush(stdout);
}

void PrintRecent() {
  printf("  recent operations:");
  for (const std::string& r : Recent) printf(" | %s", r.c_str());
  printf("\n");
}

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++Passed;
    return;
  }
  ++Failed;
  if (Failed <= 40) {
    printf("FAIL at op %ld (%s): %s\n", OpNumber, OpName.c_str(), what.c_str());
    if (Failed <= 3) PrintRecent();
    fflush(stdout);
  }
}

// ---------------------------------------------------------------------------------------------
// Where a fault or an abort came from

// "quenby.dll+0x1A2B" for an address in a loaded module, "" elsewhere.
std::string ModuleOffset(const void* address) {
  MEMORY_BASIC_INFORMATION m;
  if (!VirtualQuery(address, &m, sizeof m) || m.Type != MEM_IMAGE) return "";
  char path[MAX_PATH];
  HMODULE module = static_cast<HMODULE>(m.AllocationBase);
  if (!GetModuleFileNameA(module, path, MAX_PATH)) return "";
  const char* name = strrchr(path, '\\');
  char offset[16];
  snprintf(offset, sizeof offset, "+0x%lX", static_cast<unsigned long>(
      static_cast<const char*>(address) - reinterpret_cast<const char*>(module)));
  return std::string(name ? name + 1 : path) + offset;
}

// Does the word point just after a call instruction in a module's code?
bool LooksLikeReturnAddress(DWORD word) {
  const BYTE* code = reinterpret_cast<const BYTE*>(word);
  MEMORY_BASIC_INFORMATION m;
  if (word < 0x10000 || !VirtualQuery(code - 7, &m, sizeof m) || m.Type != MEM_IMAGE ||
      !(m.Protect & (PAGE_EXECUTE_READ | PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) ||
      code > static_cast<const BYTE*>(m.BaseAddress) + m.RegionSize)
    return false;
  auto indirect = [&](int at) { return code[-at] == 0xFF && (code[1 - at] & 0x38) == 0x10; };
  return code[-5] == 0xE8 || indirect(2) || indirect(3) || indirect(6) || indirect(7);
}

bool InRuntime(const std::string& where) {
  for (const char* m : {"msvcrt.dll+", "ntdll.dll+", "kernel32.dll+", "kernelbase.dll+"})
    if (_strnicmp(where.c_str(), m, strlen(m)) == 0) return true;
  return false;
}

// Who called abort: the stack's return addresses, newest first (read off the stack, so a stale
// one may be among them), past the soak's own handler and the C runtime.
std::string AbortCaller() {
  const NT_TIB* tib = reinterpret_cast<const NT_TIB*>(NtCurrentTeb());
  const DWORD* top = static_cast<const DWORD*>(tib->StackBase);
  volatile DWORD here = 0;
  std::vector<std::string> stack;
  for (const DWORD* p = const_cast<const DWORD*>(&here); p < top && stack.size() < 12; ++p)
    if (LooksLikeReturnAddress(*p)) stack.push_back(ModuleOffset(reinterpret_cast<void*>(*p)));
  std::string caller = "(not found)", all;
  bool runtimeSeen = false, found = false;
  for (const std::string& s : stack) {
    all += (all.empty() ? "" : ", ") + s;
    runtimeSeen = runtimeSeen || InRuntime(s);
    if (runtimeSeen && !found && !InRuntime(s)) caller = s, found = true;
  }
  return caller + " (stack: " + all + ")";
}

// Nothing may reach FAR's process: a fault or an escaped exception ends the run here, loudly.
LONG WINAPI OnUnhandled(EXCEPTION_POINTERS* p) {
  ++Failed;
  void* at = p->ExceptionRecord->ExceptionAddress;
  std::string where = ModuleOffset(at);
  printf("FAIL at op %ld (%s): fault %08lX at %s reached the host\n", OpNumber, OpName.c_str(),
         static_cast<unsigned long>(p->ExceptionRecord->ExceptionCode),
         where.empty() ? "an address outside every module" : where.c_str());
  PrintRecent();
  Summary();
  ExitProcess(3);
}
void OnAbort(int) {
  ++Failed;
  printf("FAIL at op %ld (%s): abort (an exception escaped?), called from %s\n", OpNumber,
         OpName.c_str(), AbortCaller().c_str());
  PrintRecent();
  Summary();
  ExitProcess(3);
}

// ---------------------------------------------------------------------------------------------
// Randomness

// mt19937's numbers are fixed by the C++ standard; they are turned into ranges here rather than
// by a library's distribution, whose method the standard leaves open.
std::mt19937 Rng;
int Int(int lo, int hi) {
  unsigned long span = static_cast<unsigned long>(hi) - static_cast<unsigned long>(lo) + 1;
  unsigned long limit = 0xFFFFFFFFul - 0xFFFFFFFFul % span;  // a whole number of spans
  unsigned long r;
  do r = Rng(); while (r >= limit);
  return static_cast<int>(static_cast<unsigned long>(lo) + r % span);
}
bool Chance(int percent) { return Int(0, 99) < percent; }
template <class T> const T& Pick(const std::vector<T>& v) { return v[Int(0, int(v.size()) - 1)]; }

std::string RandomBytes(int length, bool allowNul) {
  std::string s;
  for (int i = 0; i < length; ++i) {
    char c = static_cast<char>(Int(allowNul ? 0 : 1, 255));
    s += c;
  }
  return s;
}

std::string RandomPrintable(int length) {
  static const char Chars[] = "abcXYZ019 ._-,\\:*?~!$";
  std::string s;
  for (int i = 0; i < length; ++i) s += Chars[Int(0, sizeof(Chars) - 2)];
  return s;
}

// ---------------------------------------------------------------------------------------------
// Which plugin entry point is running: the host's export table is routed through these thunks.

FarHost::Exports Real;
struct TActive {
  const char* name;
  HANDLE handle;
};
std::vector<TActive> Active;
struct InCall {
  InCall(const char* n, HANDLE h = nullptr) { Active.push_back({n, h}); }
  ~InCall() { Active.pop_back(); }
};

void WINAPI T_SetStartupInfo(const PluginStartupInfo* i) { InCall c("SetStartupInfo"); Real.SetStartupInfo(i); }
void WINAPI T_GetPluginInfo(PluginInfo* i) { InCall c("GetPluginInfo"); Real.GetPluginInfo(i); }
HANDLE WINAPI T_OpenPlugin(int f, int i) { InCall c("OpenPlugin"); return Real.OpenPlugin(f, i); }
HANDLE WINAPI T_OpenFilePlugin(char* n, const unsigned char* d, int s) {
  InCall c("OpenFilePlugin");
  return Real.OpenFilePlugin(n, d, s);
}
void WINAPI T_ClosePlugin(HANDLE h) { InCall c("ClosePlugin", h); Real.ClosePlugin(h); }
void WINAPI T_GetOpenPluginInfo(HANDLE h, OpenPluginInfo* i) {
  InCall c("GetOpenPluginInfo", h);
  Real.GetOpenPluginInfo(h, i);
}
int WINAPI T_GetFindData(HANDLE h, PluginPanelItem** p, int* n, int m) {
  InCall c("GetFindData", h);
  return Real.GetFindData(h, p, n, m);
}
void WINAPI T_FreeFindData(HANDLE h, PluginPanelItem* p, int n) {
  InCall c("FreeFindData", h);
  Real.FreeFindData(h, p, n);
}
int WINAPI T_SetDirectory(HANDLE h, const char* d, int m) {
  InCall c("SetDirectory", h);
  return Real.SetDirectory(h, d, m);
}
int WINAPI T_ProcessKey(HANDLE h, int k, unsigned s) { InCall c("ProcessKey", h); return Real.ProcessKey(h, k, s); }
int WINAPI T_ProcessEvent(HANDLE h, int e, void* p) { InCall c("ProcessEvent", h); return Real.ProcessEvent(h, e, p); }
int WINAPI T_Configure(int i) { InCall c("Configure"); return Real.Configure(i); }
void WINAPI T_ExitFAR() { InCall c("ExitFAR"); Real.ExitFAR(); }

void RouteExports(FarHost& host) {
  Real = host.exports;
  FarHost::Exports& e = host.exports;
  e.SetStartupInfo = T_SetStartupInfo;
  e.GetPluginInfo = T_GetPluginInfo;
  e.OpenPlugin = T_OpenPlugin;
  e.OpenFilePlugin = T_OpenFilePlugin;
  e.ClosePlugin = T_ClosePlugin;
  e.GetOpenPluginInfo = T_GetOpenPluginInfo;
  e.GetFindData = T_GetFindData;
  e.FreeFindData = T_FreeFindData;
  e.SetDirectory = T_SetDirectory;
  e.ProcessKey = T_ProcessKey;
  e.ProcessEvent = T_ProcessEvent;
  e.Configure = T_Configure;
  e.ExitFAR = T_ExitFAR;
}

bool Is(const char* a, const char* b) { return strcmp(a, b) == 0; }
// The entry points whose barrier shows the exception box.
bool HasBoxBarrier(const char* n) {
  return Is(n, "GetOpenPluginInfo") || Is(n, "GetFindData") || Is(n, "FreeFindData") ||
         Is(n, "SetDirectory") || Is(n, "ClosePlugin") || Is(n, "OpenPlugin") ||
         Is(n, "OpenFilePlugin");
}

// ---------------------------------------------------------------------------------------------
// The world: a temporary tree of folders and list files.

std::string Root;  // with a trailing backslash
std::string DeepDir;
std::vector<std::string> Lists;  // list files panels may show
std::vector<std::string> DataDirs;
std::vector<std::string> DataFiles;
struct Held {
  HANDLE handle;
  long until;
};
std::vector<Held> HeldFiles;

bool WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
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
      std::string full = dir + "\\" + n;
      SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        DeleteTree(full);
      else
        DeleteFileA(full.c_str());
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  RemoveDirectoryA(dir.c_str());
}

std::string ProcessIdText() {
  char text[16];
  snprintf(text, sizeof text, "%08lX", GetCurrentProcessId());
  return text;
}

// The world lies three folders below a folder of its own, whose name is padded to one length,
// so that no path the session makes depends on the temporary folder's name or the process id,
// and a relative ..\*.* finds the same folders on every run (not the other programs' temporary
// files), even after a plugin call has climbed out of the world by two levels.
std::string Top;

void MakeWorld() {
  const size_t RootLength = 64;
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  Top = std::string(temp) + "quenby_soak_" + ProcessIdText();
  if (Top.size() < RootLength - 7) Top.append(RootLength - 7 - Top.size(), '_');
  Root = Top + "\\0\\0\\0\\";
  CreateDirectoryA(Top.c_str(), nullptr);
  CreateDirectoryA((Top + "\\0").c_str(), nullptr);
  CreateDirectoryA((Top + "\\0\\0").c_str(), nullptr);
  CreateDirectoryA(Root.c_str(), nullptr);
  for (int d = 0; d < 7; ++d) {
    std::string dir = Root + "d" + std::to_string(d);
    CreateDirectoryA(dir.c_str(), nullptr);
    DataDirs.push_back(dir);
    for (int f = 0; f < d; ++f) {  // d6 gets 6 files, d0 none
      std::string file = dir + "\\a" + std::to_string(f) + (f % 2 ? ".txt" : ".msg");
      WriteBytes(file, "x");
      DataFiles.push_back(file);
    }
  }
  CreateDirectoryA((Root + "d1\\sub").c_str(), nullptr);
  // A folder whose files' full names pass FAR's 259 characters.
  DeepDir = Root + "deep";
  CreateDirectoryA(DeepDir.c_str(), nullptr);
  while (DeepDir.size() < 200) {
    DeepDir += "\\" + std::string(std::min<size_t>(40, 205 - DeepDir.size()), 'n');
    CreateDirectoryA(DeepDir.c_str(), nullptr);
  }
  WriteBytes(DeepDir + "\\" + std::string(40, 's') + ".txt", "x");
  WriteBytes(DeepDir + "\\" + std::string(58, 'l') + ".txt", "x");
  for (int i = 0; i < 3; ++i) Lists.push_back(Root + "list" + std::to_string(i) + ".vfs");
  Lists.push_back(Root + "plain.txt");
}

// A text with the world's folder written as ~\, the same on every run.
std::string WithoutRoot(std::string text) {
  for (size_t at; (at = text.find(Root)) != std::string::npos;)
    text.replace(at, Root.size(), "~\\");
  return text;
}

// One line of a list file: real masks, folders, relative masks, long texts, odd bytes.
std::string RandomFolderText() {
  std::string d = Pick(DataDirs);
  switch (Int(0, 14)) {
    case 0: return d + "\\*.txt";
    case 1: return d + "\\*.*";
    case 2: return d;
    case 3: return d + "\\";
    case 4: return Root + "nope\\*.x";
    case 5: return Pick(std::vector<std::string>{"*.txt", "*.*", "d1\\*.*", "..\\*.*", "a?.msg"});
    case 6: return "";
    case 7: return DeepDir + "\\*.*";
    case 8: return Root + std::string(Int(200, 300), 'q') + "\\*.*";
    case 9: return RandomPrintable(Int(1, 40));
    case 10: return Pick(std::vector<std::string>{"C:", "Z:", "\\", ".", "..", "\\\\?\\" + d + "\\*.*"});
    case 11: return d + "\\a?.*";
    case 12: return d + std::string(1, char(Int(0x81, 0xFE))) + "\\*.*";  // a lead byte before '\'
    case 13: {  // a relative path that exists but is longer than FAR's 259 characters
      std::string p;
      while (p.size() < 280) p += "d1\\..\\";
      return p + "d2\\*.*";
    }
    default: return d + "\\sub";
  }
}

std::string RandomListContent() {
  const char* Ends[] = {"\r\n", "\r", "\n", "\r\r\n", "\x1A"};
  std::string s;
  switch (Int(0, 9)) {
    case 0:  // random bytes, NULs, line ends and Ctrl+Z among them
      return RandomBytes(Int(0, 3000), true);
    case 1: {  // one very long line
      s = RandomPrintable(Int(10000, 100000));
      if (Chance(50)) s += "," + RandomPrintable(20);
      return s;
    }
    case 2: {  // very many short lines, a few of them real
      for (int i = 0; i < Opt.manyLines; ++i)
        s += (i % 997 == 0 ? RandomFolderText() : std::string()) + ",d" + std::to_string(i) + "\r\n";
      return s;
    }
    case 3:
      return "";
    default: {
      int lines = Int(1, 25);
      for (int i = 0; i < lines; ++i) {
        s += RandomFolderText();
        if (!Chance(15)) s += "," + (Chance(20) ? RandomBytes(Int(0, 30), false) : "entry " + std::to_string(i));
        if (Chance(3)) s += '\0';
        s += Chance(85) ? "\r\n" : Ends[Int(0, 4)];
      }
      return s;
    }
  }
}

// The plugin makes the folder of the entry it enters the current one, so relative entries climb
// from there; a current folder outside the world goes back to the world's, before it climbs
// into folders that other programs change.
void StayInWorld() {
  char cwd[MAX_PATH * 2];
  DWORD n = GetCurrentDirectoryA(sizeof cwd, cwd);
  std::string here(cwd, n < sizeof cwd ? n : 0);
  here += '\\';
  if (here.size() < Root.size() || _strnicmp(here.c_str(), Root.c_str(), Root.size()) != 0)
    SetCurrentDirectoryA(Root.c_str());
}

// The file FAR's panel would show: can the plugin open it right now?
bool Readable(const std::string& name) {
  HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  CloseHandle(f);
  return true;
}

void ReleaseHeld(bool all) {
  for (size_t i = 0; i < HeldFiles.size();) {
    if (all || HeldFiles[i].until <= OpNumber) {
      CloseHandle(HeldFiles[i].handle);
      HeldFiles.erase(HeldFiles.begin() + long(i));
    } else {
      ++i;
    }
  }
}

FILETIME TimeOfYear(int year) {
  SYSTEMTIME st{};
  st.wYear = WORD(year);
  st.wMonth = 6;
  st.wDay = 1;
  FILETIME ft{};
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

// ---------------------------------------------------------------------------------------------
// The session

const char* const SettingNames[] = {"AddToDisksMenu", "DisksMenuDigit", "FileSystemFile",
                                    "FileSystemExt", "ShowAllFiles", "ShowAllFolders",
                                    "AutoExit", "AutoExitPlugin", "TreatFolderAsFile"};

class Session {
 public:
  explicit Session(FarHost& h) : host(h) {}
  FarHost& host;

  void GoodSettings() {
    host.WriteString("FileSystemFile", Lists[0]);
    host.WriteValue("FileSystemExt", REG_BINARY, "VFS", 3);
    for (const char* n : {"ShowAllFiles", "ShowAllFolders", "TreatFolderAsFile"}) host.WriteDword(n, 0);
    for (const char* n : {"AutoExit", "AutoExitPlugin", "AddToDisksMenu", "DisksMenuDigit"})
      host.WriteDword(n, 1);
  }

  void Start() {
    if (!host.LoadAndStart()) {
      Check(false, "the plugin does not load: " + host.lastError);
      return;
    }
    RouteExports(host);
    host.GetPluginInfo();
  }
  void Reload() {
    ++Reloads;
    host.Shutdown();
    CheckUnloaded();
    Start();
  }

  // With the DLL unloaded the process has the TLS slots and handles it had at the first unload
  // (files the session holds open aside): a load that left one behind would end a host that
  // reloads its plugins.
  ProcessCounts unloaded;
  bool haveUnloaded = false;
  void CheckUnloaded() {
    ProcessCounts now;
    now.freeTls = FreeTlsSlots();
    now.handles = OpenHandles() - long(HeldFiles.size());
    if (!haveUnloaded) unloaded = now, haveUnloaded = true;
    Check(Lost(unloaded, now).empty(), "the unloaded DLL left behind " + Lost(unloaded, now));
  }

  // FAR's answer to the configuration dialog: usually a working list file, sometimes anything.
  static int RandomDialog(std::vector<FarDialogItem>& items) {
    if (items.size() < 19) return -1;
    if (Chance(40)) {
      for (int i = 0; i < Int(0, 6); ++i) {
        FarDialogItem& it = items[size_t(Int(0, 18))];
        std::string text = Chance(30) ? RandomBytes(Int(0, 511), false) : RandomPrintable(Int(0, 600));
        text.resize(std::min<size_t>(text.size(), 511));
        memcpy(it.Data, text.c_str(), text.size() + 1);
        it.Selected = Chance(70) ? Int(0, 1) : Int(-5, 1000);
      }
    } else {
      std::string path = Pick(Lists);
      memcpy(items[6].Data, path.c_str(), path.size() + 1);
      for (int i : {10, 11, 12, 13, 14}) items[size_t(i)].Selected = Int(0, 1);
      if (Chance(20)) strcpy(items[8].Data, Pick(std::vector<std::string>{"VFS", "vfs", "TXT", "V", ""}).c_str());
    }
    return Chance(50) ? 16 : Int(-2, 18);
  }

  FarHost::Panel* AnyPanel() {
    std::vector<FarHost::Panel*> open;
    for (auto& p : host.panels)
      if (!p->closed) open.push_back(p.get());
    return open.empty() ? nullptr : open[size_t(Int(0, int(open.size()) - 1))];
  }
  int OpenCount() const {
    int n = 0;
    for (auto& p : host.panels) n += !p->closed;
    return n;
  }

  std::string RandomOpenFileName() {
    switch (Int(0, 7)) {
      case 0: return Lists[size_t(Int(0, 2))];
      case 1: { std::string s = Lists[1]; s.replace(s.size() - 3, 3, "VfS"); return s; }
      case 2: return Root + "missing.vfs";
      case 3: return Root + std::string(Int(250, 400), 'z') + ".vfs";
      case 4: return Lists[3];
      case 5: return Root + "x.vfs\\y";
      case 6: return "";
      default: return RandomPrintable(Int(0, 30)) + (Chance(50) ? ".vfs" : "");
    }
  }

  // --- the operations -------------------------------------------------------------------------

  void OpPlugin() {
    FarHost::Panel* p = AnyPanel();
    int kind = Int(0, 99);
    if (!p || kind < 8) {
      if (OpenCount() >= 4) return Name("close-all"), CloseAll();
      if (Chance(55)) {
        int from = Int(0, 1);
        Name("OpenPlugin(" + std::to_string(from) + ")");
        host.OpenPlugin(from, 0);
      } else {
        std::string n = RandomOpenFileName();
        Name("OpenFilePlugin(" + n.substr(0, 80) + ")");
        host.OpenFilePlugin(n);
      }
      return;
    }
    if (kind < 28) return Name("Reread"), void(p->Reread(0, Chance(50)));
    if (kind < 33) return Name("GetOpenPluginInfo"), void(p->GetOpenPluginInfo());
    if (kind < 43) {
      std::string dir = p->items.empty() ? std::string("..") : Pick(p->Names());
      Name("SetDirectory(" + dir.substr(0, 80) + ")+Reread");
      p->SetDirectory(dir);
      if (!p->closed) p->Reread();
      return;
    }
    if (kind < 47) return Name("SetDirectory(..)"), void(p->SetDirectory(".."));
    if (kind < 51) {
      std::string dir = Chance(50) ? RandomBytes(Int(0, 300), false) : RandomFolderText();
      Name("SetDirectory(random)");
      p->SetDirectory(dir);
      return;
    }
    if (kind < 58) {
      if (!p->items.empty()) p->SetCurrent(Int(0, int(p->items.size()) - 1));
      Name("Enter");
      p->Enter();
      return;
    }
    if (kind < 66) {
      static const int Keys[] = {VK_F1, VK_F2, VK_F3, VK_F4, VK_F5, VK_F6, VK_F7, VK_F8, VK_F9,
                                 VK_F10, VK_F11, VK_F12, VK_RETURN, VK_UP, VK_DOWN, VK_PRIOR,
                                 VK_NEXT, 'R', VK_INSERT, VK_DELETE};
      int key = Chance(80) ? Keys[Int(0, 19)] : Int(-1000, 0x1FFFF);
      unsigned state = Chance(80) ? unsigned(Int(0, 7)) : unsigned(Rng());
      Name("ProcessKey(" + std::to_string(key) + "," + std::to_string(state) + ")");
      if (Chance(50))
        p->ProcessKey(key, state);
      else
        p->Key(key, state);
      return;
    }
    if (kind < 80) {
      int ev = Pick(std::vector<int>{FE_IDLE, FE_IDLE, FE_IDLE, FE_REDRAW, FE_CHANGEVIEWMODE,
                                     FE_CLOSE, FE_COMMAND});
      Name("ProcessEvent(" + std::to_string(ev) + ")");
      if (ev == FE_CHANGEVIEWMODE || ev == FE_COMMAND)
        p->ProcessEventText(ev, RandomPrintable(Int(0, 200)));
      else
        p->ProcessEvent(ev, nullptr);
      return;
    }
    if (kind < 84) {
      Name("Configure");
      host.dialogScript.push_back(RandomDialog);
      host.Configure(Int(0, 2));
      host.dialogScript.clear();
      return;
    }
    if (kind < 89) {
      Name("Close");
      if (Chance(50)) p->Close(); else p->ClosePlugin();
      return;
    }
    if (kind < 92) return Name("GetPluginInfo"), void(host.GetPluginInfo());
    if (kind < 96) {
      Name("switch-active");
      host.activePanel = Chance(30) ? nullptr : p;
      return;
    }
    if (kind < 98) return Name("Ctrl+Enter"), void(p->ProcessKey(VK_RETURN, PKF_CONTROL));
    Name("reload");
    Reload();
  }

  void OpWorld() {
    int kind = Int(0, 99);
    if (kind < 35) {
      std::string list = Lists[size_t(Int(0, 3))];
      Name("rewrite " + list.substr(Root.size()));
      WriteBytes(list, RandomListContent());
    } else if (kind < 40) {
      Name("delete list");
      DeleteFileA(Lists[size_t(Int(0, 3))].c_str());
    } else if (kind < 47) {
      Name("hold list open for writing");
      HANDLE f = CreateFileA(Lists[size_t(Int(0, 2))].c_str(), GENERIC_WRITE,
                             Chance(50) ? FILE_SHARE_READ | FILE_SHARE_WRITE : 0, nullptr,
                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (f != INVALID_HANDLE_VALUE) HeldFiles.push_back({f, OpNumber + Int(1, 30)});
    } else if (kind < 62) {
      std::string file = Pick(DataDirs) + "\\" + Pick(std::vector<std::string>{"a0.msg", "a1.txt", "n.txt", "b.msg", "c.bin"});
      int what = Int(0, 3);
      Name("file " + std::to_string(what) + " " + file.substr(Root.size()));
      if (what == 0) WriteBytes(file, RandomBytes(Int(0, 100), true));
      if (what == 1) DeleteFileA(file.c_str());
      if (what == 2) {  // a stamp outside the DOS range makes it no content
        HANDLE f = CreateFileA(file.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) {
          FILETIME t = TimeOfYear(Pick(std::vector<int>{1972, 1979, 1985, 2107, 2150, 2020}));
          SetFileTime(f, nullptr, nullptr, &t);
          CloseHandle(f);
        }
      }
      if (what == 3) {
        HANDLE f = CreateFileA(file.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        if (f != INVALID_HANDLE_VALUE) HeldFiles.push_back({f, OpNumber + Int(1, 20)});
      }
    } else if (kind < 70) {
      std::string dir = Pick(DataDirs) + "\\" + Pick(std::vector<std::string>{"sub", "s2", "x.txt"});
      Name("folder " + dir.substr(Root.size()));
      if (!CreateDirectoryA(dir.c_str(), nullptr)) RemoveDirectoryA(dir.c_str());
      if (Chance(30)) SetFileAttributesA(dir.c_str(), Chance(50) ? FILE_ATTRIBUTE_READONLY : FILE_ATTRIBUTE_NORMAL);
    } else if (kind < 85) {
      const char* n = SettingNames[Int(0, 8)];
      Name(std::string("registry ") + n);
      if (Chance(20)) {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, (host.options.rootKey + "\\Quenby").c_str(), 0,
                          KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
          RegDeleteValueA(key, n);
          RegCloseKey(key);
        }
      } else if (Chance(30)) {
        GoodSettings();
      } else {
        static const int Sizes[] = {0, 1, 3, 5, 8, 300};
        std::string bytes = RandomBytes(Sizes[Int(0, 5)], true);
        if (Chance(30) && bytes.size() >= 4) memcpy(&bytes[0], "\1\0\0\0", 4);
        static const DWORD Types[] = {REG_DWORD, REG_SZ, REG_BINARY, REG_MULTI_SZ, REG_QWORD, REG_NONE};
        host.WriteValue(n, Types[Int(0, 5)], bytes.data(), bytes.size());
      }
      if (Chance(25)) Reload();
    } else {
      Name("file panel");
      FarHost::FilePanel& fp = host.filePanel;
      fp.items.clear();
      fp.curDir = Pick(std::vector<std::string>{Root.substr(0, Root.size() - 1), "C:\\", "", DeepDir});
      int n = Int(0, 5);
      for (int i = 0; i < n; ++i)
        fp.Add(Chance(70) ? "list" + std::to_string(i) + ".vfs" : RandomPrintable(Int(1, 259)));
      fp.currentItem = Int(-1, n);
    }
  }

  void CloseAll() {
    for (auto& p : host.panels)
      if (!p->closed) p->ClosePlugin();
  }

  void Name(const std::string& n) {
    OpName = n;
    for (unsigned char c : WithoutRoot(n) + '\n') Digest = (Digest ^ c) * 16777619u;  // FNV-1a
    if (Opt.verbose) printf("%ld %s\n", OpNumber, n.c_str());
    Recent.push_back(std::to_string(OpNumber) + " " + n.substr(0, 60));
    if (Recent.size() > 12) Recent.pop_front();
  }

  // --- the checks after every call -----------------------------------------------------------

  void OnMessage(MessageCall& m) {
    const char* where = Active.empty() ? "(none)" : Active.back().name;
    std::string title = m.items.empty() ? "" : m.items[0];
    if (m.helpTopic == "Exception") {
      ++ExceptionBoxes;
      Check(HasBoxBarrier(where), std::string("exception box from ") + where + ": " + title);
      // Only the list file can fail to open; any other box means a fault inside the plugin.
      bool io = title.find(" EInOutError ") != std::string::npos;
      std::string text;
      for (const std::string& i : m.items) text += i + " | ";
      Check(io, "exception box for a fault: " + text);
      if (io && Is(where, "GetFindData")) {
        FarHost::Panel* p = host.FindPanel(Active.back().handle);
        Check(!p || !Readable(p->info.format), "I/O error box while the list file is readable: " + text);
      }
    } else if (m.helpTopic == "Author" || m.helpTopic == "VerInfNotExist") {
      ++AboutBoxes;
      Check(Is(where, "ProcessKey") || Is(where, "Configure") || Is(where, "OpenPlugin") ||
                Is(where, "OpenFilePlugin"),
            std::string("About box from ") + where);
    } else {
      Check(m.helpTopic == "VFSNotExist" && (Is(where, "OpenPlugin") || Is(where, "OpenFilePlugin")),
            "message '" + m.helpTopic + "' from " + where);
    }
  }

  void AfterCall() {
    for (const std::string& f : host.failures) Check(false, "host: " + f);
    host.failures.clear();
    Dialogs += long(host.dialogs.size());
    PanelsClosed += long(host.panels.size()) - OpenCount();  // erased below
    MostOpen = std::max<long>(MostOpen, OpenCount());
    Check(Active.empty(), "an entry point is still marked as running");
    // The texts of the last OpenPluginInfo stay valid until the next GetOpenPluginInfo.
    for (auto& p : host.panels) {
      if (p->closed || !p->hasInfo) continue;
      const OpenPluginInfo& raw = p->info.raw;
      std::string s;
      bool ok = (!raw.CurDir || (FarHost::ReadCString(raw.CurDir, s) && s == p->info.curDir)) &&
                (!raw.Format || (FarHost::ReadCString(raw.Format, s) && s == p->info.format)) &&
                (!raw.PanelTitle || (FarHost::ReadCString(raw.PanelTitle, s) && s == p->info.panelTitle));
      Check(ok, "CurDir, Format or PanelTitle changed after GetOpenPluginInfo returned");
    }
    // FAR's records of the calls are not needed any more.
    host.log.clear();
    host.messages.clear();
    host.dialogs.clear();
    host.controls.clear();
    host.commandLine.clear();
    host.panels.erase(std::remove_if(host.panels.begin(), host.panels.end(),
                                     [](const std::unique_ptr<FarHost::Panel>& p) { return p->closed; }),
                      host.panels.end());
  }

  void Run() {
    host.onMessage = [this](MessageCall& m) { OnMessage(m); };
    host.dialogAnswer = RandomDialog;
    Start();
    for (OpNumber = 1; OpNumber <= Opt.ops; ++OpNumber) {
      ReleaseHeld(false);
      StayInWorld();
      if (Chance(25))
        OpWorld();
      else
        OpPlugin();
      AfterCall();
      if (OpNumber % 10000 == 0) {
        printf("soak: %ld operations, %ld failures\n", OpNumber, Failed);
        fflush(stdout);
      }
    }
    ReleaseHeld(true);
  }

  // --- memory ----------------------------------------------------------------------------------

  // Heap growth between `warm` and `total` runs of `step` (each followed by the usual checks).
  long long Growth(const char* what, int warm, int total, const std::function<void()>& step) {
    OpName = what;
    for (int i = 0; i < warm; ++i) step(), AfterCall();
    HeapUse before = MeasureHeaps();
    for (int i = warm; i < total; ++i) step(), AfterCall();
    HeapUse after = MeasureHeaps();
    long long growth = after.bytes - before.bytes;
    printf("soak: %s: heap %lld bytes in %lld blocks after %d, %lld bytes in %lld blocks after %d\n",
           what, before.bytes, before.blocks, warm, after.bytes, after.blocks, total);
    Check(growth == 0 && after.blocks == before.blocks,
          std::string(what) + ": the heap grew by " + std::to_string(growth) + " bytes");
    return growth;
  }

  void Memory() {
    // The walk must see a block of the C runtime's malloc (the plugin's), or it proves nothing.
    HeapUse before = MeasureHeaps();
    void* volatile probe = malloc(1000);
    HeapUse with = MeasureHeaps();
    free(probe);
    Check(with.bytes - before.bytes >= 1000, "the heap walk does not see the C runtime's blocks");
    CloseAll();
    AfterCall();
    // A panel of its own that nothing changes: two entries with content, one without.
    std::string mem = Root + "mem";
    CreateDirectoryA(mem.c_str(), nullptr);
    for (int f = 0; f < 3; ++f) WriteBytes(mem + "\\m" + std::to_string(f) + ".txt", "x");
    WriteBytes(Lists[0], mem + "\\*.txt,all\r\n" + mem + "\\m0.txt,one\r\n" + mem + "\\*.none\r\n");
    GoodSettings();
    host.filePanel.curDir = Root.substr(0, Root.size() - 1);
    host.filePanel.items.clear();
    host.filePanel.Add("list0.vfs");
    Reload();
    FarHost::Panel* p = host.OpenPlugin(1, 0);
    Check(p && p->items.size() == 3, "the panel of the memory run shows its 2 entries and '..'");
    if (!p) return;
    HeapGrowth = Growth("idle", 10, Opt.idle, [p] { p->ProcessEvent(FE_IDLE, nullptr); });
    Growth("about", 10, Opt.about, [p] { p->ProcessKey(VK_F8, 0); });
    int run = 0;
    host.dialogAnswer = [&run](std::vector<FarDialogItem>&) {
      static const int Answers[] = {16, 18, -1, 17};
      return Answers[run++ % 4];
    };
    Growth("dialog", 10, Opt.dialogs, [this] { host.Configure(0); });
    Check(!p->closed, "the panel of the memory run is still open");
  }
};

bool Arg(int& i, int argc, char** argv, const char* name, long& value) {
  if (strcmp(argv[i], name) != 0 || i + 1 >= argc) return false;
  value = strtol(argv[++i], nullptr, 10);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    long v = 0;
    if (Arg(i, argc, argv, "--seed", v)) Opt.seed = unsigned(v);
    else if (Arg(i, argc, argv, "--ops", v)) Opt.ops = v;
    else if (Arg(i, argc, argv, "--idle", v)) Opt.idle = int(v);
    else if (Arg(i, argc, argv, "--about", v)) Opt.about = int(v);
    else if (Arg(i, argc, argv, "--dialogs", v)) Opt.dialogs = int(v);
    else if (!strcmp(argv[i], "--long")) Opt.idle = 10000, Opt.about = 1000, Opt.dialogs = 1000, Opt.manyLines = 100000;
    else if (!strcmp(argv[i], "--verbose")) Opt.verbose = true;
    else if (!strcmp(argv[i], "--dll") && i + 1 < argc) Opt.dll = argv[++i];
    else {
      fprintf(stderr, "usage: soak --seed S --ops N [--idle N] [--about N] [--dialogs N] [--long] "
                      "[--verbose] [--dll path\\quenby.dll]\n");
      return 2;
    }
  }
  SetUnhandledExceptionFilter(OnUnhandled);
  signal(SIGABRT, OnAbort);
  Rng.seed(Opt.seed);
  printf("soak: seed=%u ops=%ld idle=%d about=%d dialogs=%d\n", Opt.seed, Opt.ops, Opt.idle,
         Opt.about, Opt.dialogs);
  fflush(stdout);

  char cwd[MAX_PATH * 2];
  GetCurrentDirectoryA(sizeof cwd, cwd);
  MakeWorld();
  SetCurrentDirectoryA(Root.c_str());
  DWORD started = GetTickCount();
  {
    FarHost::Options o;
    o.dllPath = Opt.dll;
    o.rootKey = "Software\\QuenbyTest\\soak_" + ProcessIdText() + "\\Plugins";  // one length
    FarHost host(o);
    Session s(host);
    s.GoodSettings();
    s.Run();
    printf("soak: %ld operations in %.1f s\n", Opt.ops, (GetTickCount() - started) / 1000.0);
    s.Memory();
    host.Shutdown();
    s.CheckUnloaded();
    s.AfterCall();
    host.DeleteRootKey();
  }
  SetCurrentDirectoryA(cwd);
  DeleteTree(Top);
  Summary();
  return Failed ? 1 : 0;
}
