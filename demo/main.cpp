// Quenby's demo: makes C:\Quenby, loads quenby.dll and runs the FAR 1.75 stand-in around it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "Demo.h"
#include "FarHost.h"
#include "ImportRoutes.h"
#include "Screen.h"
#include "World.h"

namespace {

// Open the list from FAR's panel, enter the mail folder, view a message, put its name on the
// command line, watch a new message arrive on FAR's idle refresh, climb back, the About box,
// close the panel, quit (FAR asks first).
const char* const DefaultPlay =
    "Down Down Down Down Down Enter Down Enter Down F3 Esc CtrlEnter Esc "
    "Create:Mail\\msg004.msg:50 Wait Home Enter F8 Enter Home Enter F10 Enter";

void Usage() {
  std::printf(
      "Usage: quenby_demo [--script \"KEYS\" | --play] [--colours] [--dll PATH]\n"
      "                   [--lang English|Russian] [--size WxH] [--without-drive-list]\n"
      "                   [--next OPTIONS...]\n"
      "Runs quenby.dll in a terminal FAR stand-in on the folder C:\\Quenby (made afresh in the\n"
      "demo's Wine prefix). Interactive on a console; with --script, --play, or keys on standard\n"
      "input, every screen is printed as text (--colours: with terminal colour escapes).\n"
      "--next starts the options of another run, played after this one in the same process.\n"
      "--without-drive-list: GetLogicalDrives returns 0, as before Wine's mount manager runs.\n"
      "Keys: Up Down PgUp PgDn Home End Enter Esc Tab Space BS Del F1..F12, any of them with\n"
      "Ctrl/Alt/Shift in front (CtrlEnter, AltF1, AltShiftF9), \"text\" to type, Wait (FAR's idle\n"
      "event), Create:PATH[:SIZE] and Remove:PATH (a file below C:\\Quenby changes).\n"
      "FAR's keys: F3 view, F5 copy, F6 move, Shift+F6 rename, F7 make folder, F8 delete,\n"
      "Alt+F1/F2 disks menus, F11 plugins menu, F9 FAR's menu bar, Alt+Shift+F9 configuration,\n"
      "F1 the plugin's help, Tab the other panel, F10 quit (after FAR's question).\n"
      "Without keys --play runs: %s\n",
      DefaultPlay);
}

// What the user would have set: the defaults, Enter on a .VFS file opens it.
void WriteSettings(FarHost& host, const World& world) {
  for (const char* name : {"AddToDisksMenu", "DisksMenuDigit", "AutoExit", "AutoExitPlugin"})
    host.WriteDword(name, 1);
  for (const char* name : {"ShowAllFiles", "ShowAllFolders", "TreatFolderAsFile"})
    host.WriteDword(name, 0);
  host.WriteString("FileSystemFile", world.listFile);
  host.WriteValue("FileSystemExt", REG_BINARY, "VFS", 3);  // the setting is a 3-byte block
}

std::string FolderOfDll(const std::string& dll) {
  size_t slash = dll.find_last_of("\\/");
  return slash == std::string::npos ? "." : dll.substr(0, slash);
}

DWORD WINAPI NoDriveList() { return 0; }

// Plays a Wine whose mount manager has not started yet: the demo's own GetLogicalDrives lists
// no drive while the object lives.
class WithoutDriveList {
 public:
  WithoutDriveList() { routed = Route(reinterpret_cast<void*>(&NoDriveList)); }
  ~WithoutDriveList() { Route(original_); }
  WithoutDriveList(const WithoutDriveList&) = delete;
  WithoutDriveList& operator=(const WithoutDriveList&) = delete;
  bool routed;

 private:
  bool Route(void* to) {
    void* replaced = nullptr;
    const ImportRoute route{"GetLogicalDrives", to, &replaced};
    bool done = RouteImports(GetModuleHandleA(nullptr), "kernel32.dll", &route, 1) == 1;
    if (!original_) original_ = replaced;
    return done;
  }
  void* original_ = nullptr;
};

// One run of the demo: its options, and the keys it plays when it has a script.
struct Session {
  std::string dll = FarHost::DllInFolder(QUENBY_PLUGIN_DIR), language = "English", script;
  bool haveScript = false, colours = false, withoutDriveList = false;
  int width = 80, height = 25;
};

// Reads one session's options from argv[i], up to the end or a "--next". Returns false, with the
// exit code in rc, when an option is unknown (or --help).
bool ParseSession(int argc, char** argv, int& i, Session& s, int& rc) {
  for (; i < argc; ++i) {
    std::string a = argv[i];
    bool more = i + 1 < argc;
    if (a == "--next")
      return ++i, true;
    else if (a == "--script" && more)
      s.script = argv[++i], s.haveScript = true;
    else if (a == "--play")
      s.script = DefaultPlay, s.haveScript = true;
    else if (a == "--colours")
      s.colours = true;
    else if (a == "--dll" && more)
      s.dll = argv[++i];
    else if (a == "--lang" && more)
      s.language = argv[++i];
    else if (a == "--size" && more)
      std::sscanf(argv[++i], "%dx%d", &s.width, &s.height);
    else if (a == "--without-drive-list")
      s.withoutDriveList = true;
    else
      return Usage(), rc = a == "--help" || a == "-h" ? 0 : 2, false;
  }
  return true;
}

// Makes C:\Quenby, loads the plugin, runs the demo on it and tidies up. Returns the exit code.
int RunSession(Session s) {
  std::unique_ptr<WithoutDriveList> noDrives;
  if (s.withoutDriveList) noDrives = std::make_unique<WithoutDriveList>();
  if (noDrives && !noDrives->routed) {
    std::fprintf(stderr, "Cannot take the drive list away: no import of GetLogicalDrives\n");
    return 1;
  }
  Terminal term;
  if (!s.haveScript && !term.interactive) {  // keys on standard input, the default play if none
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[4096];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &got, nullptr) && got)
      s.script.append(buf, got);
    if (s.script.find_first_not_of(" \t\r\n") == std::string::npos) s.script = DefaultPlay;
    s.haveScript = true;
  }
  if (s.haveScript) {
    term.SetScript(s.script);
    term.printColours = s.colours;
    term.SetSize(std::max(60, std::min(s.width, 200)), std::max(20, std::min(s.height, 100)));
  }

  const std::string keyParent = "Software\\QuenbyDemo";
  RemoveStaleSettings(keyParent);
  FarHost::Options options;
  options.dllPath = s.dll;
  options.rootKey = keyParent + "\\" + std::to_string(GetCurrentProcessId()) + "\\Plugins";
  options.language = s.language;
  FarHost host(options);
  char startDir[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, startDir);
  World world;
  std::string error;
  int rc = 0;
  if (!MakeWorld(world, error)) {
    std::fprintf(stderr, "Cannot make the demo's folder: %s\n", error.c_str());
    rc = 1;
  } else {
    WriteSettings(host, world);
    if (!host.LoadAndStart()) {
      std::fprintf(stderr, "Cannot load %s: %s\n", s.dll.c_str(), host.lastError.c_str());
      rc = 1;
    } else {
      Demo demo(host, term, world, FolderOfDll(host.fullDllPath.empty() ? s.dll : host.fullDllPath),
                s.language);
      host.onMessage = [&demo](MessageCall& m) {
        try {
          m.answer = demo.PluginMessage(m);
        } catch (...) {
          m.answer = -1;
        }
      };
      // FAR's error box when a close text names no folder; the panel stays where it was.
      host.onChangeDirError = [&demo](const std::string& text, const std::string& reason) {
        try {
          demo.ChangeDirError(text, reason);
        } catch (...) {
        }
      };
      host.dialogAnswer = [&demo](std::vector<FarDialogItem>& items) {
        try {
          return demo.PluginDialog(items);
        } catch (...) {
          return -1;
        }
      };
      host.GetPluginInfo();
      demo.Start();
      rc = demo.Run();
      host.Shutdown();
    }
  }
  term.Restore();
  SetCurrentDirectoryA(startDir);
  RemoveWorld(world);
  host.DeleteRootKey();
  for (const std::string& f : host.failures)
    std::fprintf(stderr, "host check failed: %s\n", f.c_str());
  return host.failures.empty() ? rc : 3;
}

}  // namespace

// Several sessions, separated by --next, run one after another in this process, each on a world
// of its own, behind a line "##### session N: exit C" (stdout and stderr): under an emulated
// Wine every process start costs seconds, and the demo's checks play many short scripts.
int main(int argc, char** argv) {
  std::vector<Session> sessions;
  for (int i = 1; i < argc || sessions.empty();) {
    Session s;
    int rc = 0;
    if (!ParseSession(argc, argv, i, s, rc)) return rc;
    sessions.push_back(s);
  }
  if (sessions.size() == 1) return RunSession(sessions[0]);
  int worst = 0;
  for (size_t n = 0; n < sessions.size(); ++n) {
    int rc = RunSession(sessions[n]);
    std::fflush(stdout);
    std::fflush(stderr);
    std::printf("##### session %u: exit %d\n", static_cast<unsigned>(n + 1), rc);
    std::fprintf(stderr, "##### session %u: exit %d\n", static_cast<unsigned>(n + 1), rc);
    std::fflush(stdout);
    std::fflush(stderr);
    worst = std::max(worst, rc);
  }
  return worst;
}
