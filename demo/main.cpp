// Quenby's demo: makes C:\Quenby, loads quenby.dll and runs the FAR 1.75 stand-in around it.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <string>

#include "Demo.h"
#include "FarHost.h"
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
      "                   [--lang English|Russian] [--size WxH]\n"
      "Runs quenby.dll in a terminal FAR stand-in on the folder C:\\Quenby (made afresh in the\n"
      "demo's Wine prefix). Interactive on a console; with --script, --play, or keys on standard\n"
      "input, every screen is printed as text (--colours: with terminal colour escapes).\n"
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

}  // namespace

int main(int argc, char** argv) {
  std::string dll = FarHost::DllInFolder(QUENBY_PLUGIN_DIR), language = "English", script;
  bool haveScript = false, colours = false;
  int width = 80, height = 25;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool more = i + 1 < argc;
    if (a == "--script" && more)
      script = argv[++i], haveScript = true;
    else if (a == "--play")
      script = DefaultPlay, haveScript = true;
    else if (a == "--colours")
      colours = true;
    else if (a == "--dll" && more)
      dll = argv[++i];
    else if (a == "--lang" && more)
      language = argv[++i];
    else if (a == "--size" && more)
      std::sscanf(argv[++i], "%dx%d", &width, &height);
    else
      return Usage(), a == "--help" || a == "-h" ? 0 : 2;
  }
  Terminal term;
  if (!haveScript && !term.interactive) {  // keys on standard input, the default play if none
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[4096];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &got, nullptr) && got)
      script.append(buf, got);
    if (script.find_first_not_of(" \t\r\n") == std::string::npos) script = DefaultPlay;
    haveScript = true;
  }
  if (haveScript) {
    term.SetScript(script);
    term.printColours = colours;
    term.SetSize(std::max(60, std::min(width, 200)), std::max(20, std::min(height, 100)));
  }

  const std::string keyParent = "Software\\QuenbyDemo";
  RemoveStaleSettings(keyParent);
  FarHost::Options options;
  options.dllPath = dll;
  options.rootKey = keyParent + "\\" + std::to_string(GetCurrentProcessId()) + "\\Plugins";
  options.language = language;
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
      std::fprintf(stderr, "Cannot load %s: %s\n", dll.c_str(), host.lastError.c_str());
      rc = 1;
    } else {
      Demo demo(host, term, world, FolderOfDll(host.fullDllPath.empty() ? dll : host.fullDllPath),
                language);
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
