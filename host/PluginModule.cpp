// The plugin module: loading the DLL, the start-up record, and FAR's calls of its exports.
#include "PluginModule.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <vector>

#include "FarHost.h"

namespace farhost {

PluginExports ResolveExports(HMODULE module, std::string& missing) {
  PluginExports e;
  missing.clear();
  auto resolve = [&](const char* name, auto& slot) {
    FARPROC p = GetProcAddress(module, name);
    if (!p) missing += std::string(missing.empty() ? "" : ", ") + name;
    slot = reinterpret_cast<std::remove_reference_t<decltype(slot)>>(
        reinterpret_cast<void*>(p));
  };
  resolve("SetStartupInfo", e.SetStartupInfo);
  resolve("GetPluginInfo", e.GetPluginInfo);
  resolve("OpenPlugin", e.OpenPlugin);
  resolve("OpenFilePlugin", e.OpenFilePlugin);
  resolve("ClosePlugin", e.ClosePlugin);
  resolve("GetOpenPluginInfo", e.GetOpenPluginInfo);
  resolve("GetFindData", e.GetFindData);
  resolve("FreeFindData", e.FreeFindData);
  resolve("SetDirectory", e.SetDirectory);
  resolve("ProcessKey", e.ProcessKey);
  resolve("ProcessEvent", e.ProcessEvent);
  resolve("Configure", e.Configure);
  resolve("ExitFAR", e.ExitFAR);
  return e;
}

namespace {

// The full path FAR gives as ModuleName; "" when GetFullPathName fails.
std::string FullPath(const std::string& path) {
  DWORD need = GetFullPathNameA(path.c_str(), 0, nullptr, nullptr);
  if (need == 0) return std::string();
  std::vector<char> full(need + 1);
  DWORD got = GetFullPathNameA(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (got == 0 || got >= full.size()) return std::string();
  return std::string(full.data(), got);
}

// FAR fills the record in a local variable; so do we, and afterwards the bytes are overwritten
// the way the next use of that stack would overwrite them.
__attribute__((noinline)) void CallSetStartupInfo(FarHost& host, PFN_SetStartupInfo fn) {
  PluginStartupInfo info;
  host.FillStartupInfo(info);
  fn(&info);
  volatile unsigned char* bytes = reinterpret_cast<volatile unsigned char*>(&info);
  for (std::size_t i = 0; i < sizeof info; ++i) bytes[i] = 0xCC;
}

// The first bytes of a file, as FAR reads them for OpenFilePlugin (none when it cannot).
std::vector<unsigned char> FirstBytes(const std::string& name, int limit) {
  std::vector<unsigned char> data;
  HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return data;
  data.resize(static_cast<std::size_t>(std::max(limit, 0)));
  DWORD got = 0;
  if (!data.empty() && !ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr))
    got = 0;
  data.resize(got);
  CloseHandle(f);
  return data;
}

}  // namespace

}  // namespace farhost

// ---------------------------------------------------------------------------------------------
// Loading and start-up

std::string FarHost::TestRootKey(const std::string& name) {
  return "Software\\QuenbyTest\\" + std::to_string(GetCurrentProcessId()) + "_" + name +
         "\\Plugins";
}

std::string FarHost::DllInFolder(const std::string& folder) {
  std::string path = folder;
  if (!path.empty() && path.back() != '\\') path += '\\';
  return path + "quenby.dll";
}

bool FarHost::Load() {
  if (module_) return true;
  lastError.clear();
  SetFileApisToOEM();
  std::string full = farhost::FullPath(options.dllPath);
  if (full.empty()) {
    lastError = "cannot resolve the path " + options.dllPath;
    return false;
  }
  fullDllPath = full;
  if (fullDllPath.size() >= MAX_PATH) {
    lastError = "the DLL path does not fit FAR's 260-byte ModuleName: " + fullDllPath;
    return false;
  }
  HMODULE m = LoadLibraryExA(fullDllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!m) {
    lastError = "cannot load " + fullDllPath + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  std::string missing;
  Exports e = farhost::ResolveExports(m, missing);
  if (!missing.empty()) {
    FreeLibrary(m);
    lastError = fullDllPath + " lacks the export(s) " + missing;
    return false;
  }
  module_ = m;
  exports = e;
  return true;
}

void FarHost::Unload() {
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  exports = Exports();
}

void FarHost::FillStartupInfo(PluginStartupInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.StructSize = sizeof(PluginStartupInfo);
  if (fullDllPath.size() >= sizeof info.ModuleName)
    Fail("ModuleName does not fit 260 bytes: " + fullDllPath);
  farhost::CopyBounded(info.ModuleName, sizeof info.ModuleName, fullDllPath);
  info.ModuleNumber = options.moduleNumber;
  rootKeyBuffers_.push_back(options.rootKey);
  info.RootKey = rootKeyBuffers_.back().data();
  farhost::FillServiceTable(info);
}

bool FarHost::StartUp() {
  if (!module_) {
    lastError = "StartUp before Load";
    return false;
  }
  Log("SetStartupInfo");
  BeginCall();
  farhost::CallSetStartupInfo(*this, exports.SetStartupInfo);
  EndCall();
  return true;
}

void FarHost::Shutdown() {
  if (!module_) return;
  for (auto& p : panels)
    if (!p->closed) p->ClosePlugin();
  ExitFAR();
  Unload();
}

bool FarHost::NeedLoaded(const char* what) {
  if (module_) return true;
  Fail(std::string(what) + ": the plugin is not loaded");
  return false;
}

void FarHost::EndCall() {
  if (--callDepth == 0) RunDeferred();
}

// ---------------------------------------------------------------------------------------------
// Opening a plugin panel

FarHost::Panel* FarHost::Adopt(HANDLE h, const char* what) {
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  if (h == reinterpret_cast<HANDLE>(static_cast<intptr_t>(-2))) {
    if (std::strcmp(what, "OpenFilePlugin") != 0)
      Fail(std::string(what) + " returned (HANDLE)-2, which only OpenFilePlugin may return");
    return nullptr;
  }
  if (h == nullptr) {
    Fail(std::string(what) + " returned a NULL handle (newer FAR unloads such a plugin)");
    return nullptr;
  }
  if (FindPanel(h)) Fail(std::string(what) + " returned the handle of a panel that is open");
  panels.push_back(std::make_unique<Panel>(*this, h));
  Panel* p = panels.back().get();
  activePanel = p;
  p->Reread();
  return p;
}

FarHost::Panel* FarHost::OpenPlugin(int openFrom, intptr_t item) {
  if (!NeedLoaded("OpenPlugin")) return nullptr;
  if (openFrom == OPEN_FINDLIST)
    Fail("OpenPlugin: OpenFrom 2 is OPEN_FINDLIST, sent only to plugins that export SetFindList");
  Log("OpenPlugin(" + std::to_string(openFrom) + "," + std::to_string(item) + ")");
  BeginCall();
  HANDLE h = exports.OpenPlugin(openFrom, static_cast<int>(item));
  EndCall();
  return Adopt(h, "OpenPlugin");
}

FarHost::Panel* FarHost::OpenCommandLine(const std::string& text) {
  if (!NeedLoaded("OpenPlugin")) return nullptr;
  std::vector<char> buffer(512, 0);
  farhost::CopyBounded(buffer.data(), buffer.size(), text);
  Log("OpenPlugin(" + std::to_string(OPEN_COMMANDLINE) + "," + text + ")");
  BeginCall();
  HANDLE h = exports.OpenPlugin(OPEN_COMMANDLINE,
                                static_cast<int>(reinterpret_cast<intptr_t>(buffer.data())));
  EndCall();
  return Adopt(h, "OpenPlugin");
}

FarHost::Panel* FarHost::OpenFilePlugin(const std::string& name, int dataLimit) {
  if (!NeedLoaded("OpenFilePlugin")) return nullptr;
  std::vector<unsigned char> data = farhost::FirstBytes(name, dataLimit);
  std::vector<char> nameBuffer(std::max<std::size_t>(name.size() + 1, MAX_PATH), 0);
  std::memcpy(nameBuffer.data(), name.c_str(), name.size() + 1);
  Log("OpenFilePlugin(" + name + ")");
  BeginCall();
  HANDLE h = exports.OpenFilePlugin(nameBuffer.data(), data.empty() ? nullptr : data.data(),
                                    static_cast<int>(data.size()));
  EndCall();
  return Adopt(h, "OpenFilePlugin");
}

// ---------------------------------------------------------------------------------------------
// Calls that are not about one panel

bool FarHost::GetPluginInfo() {
  if (!NeedLoaded("GetPluginInfo")) return false;
  PluginInfo raw;
  std::memset(&raw, 0, sizeof raw);
  Log("GetPluginInfo");
  BeginCall();
  exports.GetPluginInfo(&raw);
  pluginInfo = farhost::CopyPluginInfo(*this, raw);
  EndCall();
  return true;
}

int FarHost::Configure(int itemNumber) {
  if (!NeedLoaded("Configure")) return FALSE;
  Log("Configure(" + std::to_string(itemNumber) + ")");
  BeginCall();
  int r = exports.Configure(itemNumber);
  EndCall();
  if (r) {
    for (std::size_t i = 0; i < panels.size(); ++i)
      if (!panels[i]->closed) panels[i]->Reread(0, true);
  }
  return r;
}

void FarHost::ExitFAR() {
  if (!NeedLoaded("ExitFAR")) return;
  Log("ExitFAR");
  BeginCall();
  exports.ExitFAR();
  EndCall();
}
