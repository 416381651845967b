// FAR 3 as a whole: loading the plugin (plclass.cpp LoadData, Load), its menus (plugins.cpp
// GetPluginInfo, SaveToCache) and the ways a panel opens (plugins.cpp ProcessPluginPanel and
// OpenFilePlugin, diskmenu.cpp, filelist.cpp SetPluginMode).
#include "Far3Host.h"

#include <cstring>

namespace far3host {

void FillServiceTable(PluginStartupInfo& info, FarStandardFunctions& fsf);  // Far3Services.cpp
void SetServedHost(Far3Host* host);
Far3Host* ServedHost();

namespace {

template <class T>
void Resolve(HMODULE m, const char* name, T& slot) {
  slot = reinterpret_cast<T>(reinterpret_cast<void*>(GetProcAddress(m, name)));
}

std::wstring FullPath(const std::wstring& path) {
  DWORD need = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  if (!need) return std::wstring();
  std::wstring full(need, L'\0');
  DWORD got = GetFullPathNameW(path.c_str(), need, full.data(), nullptr);
  full.resize(got < need ? got : 0);
  return full;
}

// FAR's records live on its stack; so do ours, and the bytes are overwritten afterwards as the
// next call would, so a plugin that kept a pointer instead of a copy reads rubbish.
__attribute__((noinline)) void CallSetStartupInfo(Far3Host& host, decltype(&SetStartupInfoW) fn,
                                                  const std::wstring& moduleName) {
  PluginStartupInfo info;
  FarStandardFunctions fsf;
  FillServiceTable(info, fsf);
  info.ModuleName = moduleName.c_str();
  info.Instance = host.Module();
  fn(&info);
  volatile unsigned char* a = reinterpret_cast<volatile unsigned char*>(&info);
  for (std::size_t i = 0; i < sizeof info; ++i) a[i] = 0xCC;
  volatile unsigned char* b = reinterpret_cast<volatile unsigned char*>(&fsf);
  for (std::size_t i = 0; i < sizeof fsf; ++i) b[i] = 0xCC;
}

}  // namespace

std::wstring FolderOf(const std::wstring& path) {
  const std::size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? std::wstring(L".") : path.substr(0, slash);
}

Far3Host::Far3Host(Options opts) : options(std::move(opts)) {
  if (Far3Host* other = ServedHost()) {
    Fail("a second Far3Host was created while another one is alive");
    other->Fail("a second Far3Host was created while this one is alive");
  }
  SetServedHost(this);
  wchar_t dir[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, dir);
  filePanel.curDir.assign(dir, n <= MAX_PATH ? n : 0);
}

Far3Host::~Far3Host() {
  Unload();
  if (ServedHost() == this) SetServedHost(nullptr);
}

Far3PluginPanel* Far3Host::FindPanel(HANDLE handle) const {
  for (const auto& p : panels)
    if (!p->closed && p->handle == handle) return p.get();
  return nullptr;
}

Far3PluginPanel* Far3Host::LastOpenPanel() const {
  for (auto it = panels.rbegin(); it != panels.rend(); ++it)
    if (!(*it)->closed) return it->get();
  return nullptr;
}

bool Far3Host::NeedLoaded(const char* what) {
  if (module_) return true;
  Fail(std::string(what) + ": the plugin is not loaded");
  return false;
}

// ---------------------------------------------------------------------------------------------
// Loading: Plugin::LoadData and Plugin::Load

bool Far3Host::Load() {
  if (module_) return true;
  lastError.clear();
  fullDllPath = FullPath(options.dllPath);
  HMODULE m = fullDllPath.empty() ? nullptr : LoadLibraryW(fullDllPath.c_str());
  if (!m) {
    lastError = "cannot load " + Narrow(options.dllPath) + " (error " +
                std::to_string(GetLastError()) + ")";
    return false;
  }
  Far3Exports e;
  Resolve(m, "GetGlobalInfoW", e.GetGlobalInfo);
  Resolve(m, "SetStartupInfoW", e.SetStartupInfo);
  Resolve(m, "GetPluginInfoW", e.GetPluginInfo);
  Resolve(m, "OpenW", e.Open);
  Resolve(m, "AnalyseW", e.Analyse);
  Resolve(m, "CloseAnalyseW", e.CloseAnalyse);
  Resolve(m, "ClosePanelW", e.ClosePanel);
  Resolve(m, "GetOpenPanelInfoW", e.GetOpenPanelInfo);
  Resolve(m, "GetFindDataW", e.GetFindData);
  Resolve(m, "FreeFindDataW", e.FreeFindData);
  Resolve(m, "SetDirectoryW", e.SetDirectory);
  Resolve(m, "ProcessPanelInputW", e.ProcessPanelInput);
  Resolve(m, "ProcessPanelEventW", e.ProcessPanelEvent);
  Resolve(m, "ConfigureW", e.Configure);
  Resolve(m, "ExitFARW", e.ExitFAR);
  Resolve(m, "ProcessSynchroEventW", e.ProcessSynchroEvent);
  if (!e.GetGlobalInfo) {  // native_plugin_factory::FindExport: no GetGlobalInfoW, no plugin
    FreeLibrary(m);
    lastError = "no GetGlobalInfoW: FAR 3 does not take the DLL for a plugin";
    return false;
  }
  module_ = m;
  exports = e;
  GlobalInfo raw{};
  raw.StructSize = sizeof raw;
  raw.Instance = m;
  Log("GetGlobalInfoW");
  BeginCall();
  exports.GetGlobalInfo(&raw);
  EndCall();
  std::string refusal;
  globalInfo = CopyGlobalInfo(*this, raw, refusal);
  if (!refusal.empty()) {
    lastError = "FAR 3 unloads the plugin: GetGlobalInfoW: " + refusal;
    Fail(lastError);
    Unload();
    return false;
  }
  return true;
}

void Far3Host::Unload() {
  {  // the plugin's listener goes with it: what was queued for it reaches no one
    std::lock_guard<std::mutex> lock(synchroMutex_);
    synchro_.clear();
  }
  if (module_) FreeLibrary(module_);
  module_ = nullptr;
  exports = Far3Exports();
}

bool Far3Host::StartUp() {
  if (!module_) {
    lastError = "StartUp before Load";
    return false;
  }
  if (!exports.SetStartupInfo) return true;  // Plugin::SetStartupInfo: nothing to call
  Log("SetStartupInfoW");
  BeginCall();
  CallSetStartupInfo(*this, exports.SetStartupInfo, fullDllPath);
  EndCall();
  return true;
}

bool Far3Host::GetPluginInfo() {
  if (!NeedLoaded("GetPluginInfoW") || !exports.GetPluginInfo) return false;
  PluginInfo raw{};
  raw.StructSize = sizeof raw;
  raw.Instance = module_;
  Log("GetPluginInfoW");
  BeginCall();
  exports.GetPluginInfo(&raw);
  EndCall();
  pluginInfo = CopyPluginInfo(*this, raw);
  return true;
}

void Far3Host::Shutdown() {
  if (!module_) return;
  for (auto& p : panels)
    if (!p->closed) p->PopPlugin();
  activePanel = nullptr;
  ExitFAR();
  Unload();
  dialogs.CheckAllFreed();
  settings.CheckAllFreed();
  if (analyseHandlesOpen)
    Fail(std::to_string(analyseHandlesOpen) + " AnalyseW handle(s) never released (FAR 3 calls "
         "no CloseAnalyseW after OpenW(OPEN_ANALYSE): OpenW owns the handle)");
}

void Far3Host::ExitFAR() {
  if (!NeedLoaded("ExitFARW") || !exports.ExitFAR) return;
  ExitInfo info{sizeof info, module_};
  Log("ExitFARW");
  BeginCall();
  exports.ExitFAR(&info);
  EndCall();
}

intptr_t Far3Host::Configure(std::size_t item) {
  if (!NeedLoaded("ConfigureW") || !exports.Configure) return FALSE;
  GetPluginInfo();
  if (item >= pluginInfo.pluginConfig.size()) {
    Fail("Configure: the plugin offers no configuration item " + std::to_string(item));
    return FALSE;
  }
  const GUID guid = pluginInfo.pluginConfig[item].guid;
  ConfigureInfo info{sizeof info, &guid, module_};
  Log("ConfigureW");
  BeginCall();
  intptr_t r = exports.Configure(&info);
  EndCall();
  // PluginManager::ConfigureCurrent: TRUE makes FAR reread and redraw both panels.
  if (r && activePanel && !activePanel->closed) {
    activePanel->Update(true);
    if (activePanel && !activePanel->closed) activePanel->Show();
  }
  return r;
}

// ---------------------------------------------------------------------------------------------
// Opening a panel

Far3PluginPanel* Far3Host::Adopt(HANDLE h, const std::wstring& hostFile, bool sendFocus,
                           const char* what) {
  if (!h) return nullptr;
  if (h == INVALID_HANDLE_VALUE && hostFile.empty()) {
    Fail(std::string(what) + " returned INVALID_HANDLE_VALUE: FAR 3 takes every non-NULL "
         "handle for a panel (NULL means none)");
    return nullptr;
  }
  if (FindPanel(h)) Fail(std::string(what) + " returned the handle of a panel that is open");
  if (activePanel && !activePanel->closed)
    Fail(std::string(what) + ": a panel opened over another plugin panel is not modelled");
  panels.push_back(std::make_unique<Far3PluginPanel>(*this, h, hostFile));
  Far3PluginPanel* p = panels.back().get();
  activePanel = p;
  // SetPluginMode: the focus event (with a redraw), the panel's modes and sort from its info.
  if (sendFocus) {
    p->ProcessEvent(FE_GOTFOCUS);
    if (!p->closed) p->Show();
  }
  if (p->closed) return p;
  p->GetOpenPanelInfo();
  if (p->info.startSortMode) {
    p->sortMode = p->info.startSortMode;
    p->reverse = p->info.startSortOrder != 0;
  }
  if (!hostFile.empty()) {  // SetAndUpdateFilePlugin, after PushFilePlugin's PrevDataList entry
    p->prevData_ = true;
    p->prevTopFile_ = filePanel.topItem;
    p->upperFolderTopFile = filePanel.topItem;
    p->currentItem = 0;
  }
  p->Update(false);
  if (!p->closed) p->Show();
  return p;
}

Far3PluginPanel* Far3Host::OpenFromPluginsMenu(std::size_t item) {
  if (!NeedLoaded("OpenW") || !exports.Open) return nullptr;
  GetPluginInfo();
  if (item >= pluginInfo.pluginMenu.size()) {
    Fail("the plugin offers no plugins-menu item " + std::to_string(item));
    return nullptr;
  }
  const GUID guid = pluginInfo.pluginMenu[item].guid;
  OpenInfo info{sizeof info, OPEN_PLUGINSMENU, &guid, 0, module_};
  Log("OpenW(OPEN_PLUGINSMENU)");
  BeginCall();
  HANDLE h = exports.Open(&info);
  EndCall();
  return Adopt(h, std::wstring(), true, "OpenW(OPEN_PLUGINSMENU)");
}

Far3PluginPanel* Far3Host::OpenFromDisksMenu(bool left, std::size_t item) {
  if (!NeedLoaded("OpenW") || !exports.Open) return nullptr;
  GetPluginInfo();
  if (item >= pluginInfo.diskMenu.size()) {
    Fail("the plugin offers no disks-menu item " + std::to_string(item));
    return nullptr;
  }
  const GUID guid = pluginInfo.diskMenu[item].guid;
  const OPENFROM from = left ? OPEN_LEFTDISKMENU : OPEN_RIGHTDISKMENU;
  OpenInfo info{sizeof info, from, &guid, 0, module_};
  Log(left ? "OpenW(OPEN_LEFTDISKMENU)" : "OpenW(OPEN_RIGHTDISKMENU)");
  BeginCall();
  HANDLE h = exports.Open(&info);
  EndCall();
  return Adopt(h, std::wstring(), true, "OpenW(disks menu)");
}

Far3PluginPanel* Far3Host::EnterOnFile(const std::wstring& path) {
  if (!NeedLoaded("AnalyseW") || !exports.Analyse || !exports.Open) return nullptr;
  const std::wstring name = FullPath(path);
  // PluginManager::OpenFilePlugin: the first PluginMaxReadData bytes (128 KB), any sharing.
  std::vector<BYTE> buffer(0x20000);
  HANDLE f = CreateFileW(name.c_str(), FILE_READ_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) {
    Log("EnterOnFile:unreadable");
    return nullptr;
  }
  DWORD got = 0;
  const BOOL read = ReadFile(f, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr);
  CloseHandle(f);
  if (!read) return nullptr;
  AnalyseInfo info{sizeof info, name.c_str(), buffer.data(), got, 0, module_};
  Log("AnalyseW(" + Narrow(name) + ")");
  BeginCall();
  HANDLE analyse = exports.Analyse(&info);
  EndCall();
  if (!analyse) {
    Log("Enter:file(" + Narrow(name) + ")");  // FAR runs or views the file itself
    return nullptr;
  }
  ++analyseHandlesOpen;
  OpenAnalyseInfo oa{sizeof oa, &info, analyse};
  static const GUID farGuid{};
  OpenInfo open{sizeof open, OPEN_ANALYSE, &farGuid, reinterpret_cast<intptr_t>(&oa), module_};
  Log("OpenW(OPEN_ANALYSE)");
  BeginCall();
  HANDLE h = exports.Open(&open);
  EndCall();
  --analyseHandlesOpen;  // the plugin's from here on: FAR never calls CloseAnalyseW for it
  if (h == PANEL_STOP) {
    Log("OpenW:PANEL_STOP");
    return nullptr;
  }
  return Adopt(h, name, false, "OpenW(OPEN_ANALYSE)");
}

// ---------------------------------------------------------------------------------------------
// Synchro events: ACTL_SYNCHRO may come from any thread; FAR delivers them on its own.

std::size_t Far3Host::PendingSynchroEvents() {
  std::lock_guard<std::mutex> lock(synchroMutex_);
  return synchro_.size();
}

std::size_t Far3Host::DeliverSynchroEvents() {
  std::size_t n = 0;
  for (;;) {
    GUID id;
    void* param;
    {
      std::lock_guard<std::mutex> lock(synchroMutex_);
      if (synchro_.empty()) break;
      id = synchro_.front().first;
      param = synchro_.front().second;
      synchro_.pop_front();
    }
    if (!module_ || id != PluginGuid()) {  // the listener is found by the plugin's GUID
      Fail("ACTL_SYNCHRO with another GUID than the plugin's: FAR delivers it to no plugin");
      continue;
    }
    if (!module_ || !exports.ProcessSynchroEvent) {
      Fail("ACTL_SYNCHRO from a plugin without ProcessSynchroEventW");
      continue;
    }
    ProcessSynchroEventInfo info{sizeof info, SE_COMMONSYNCHRO, param, module_};
    Log("ProcessSynchroEventW");
    BeginCall();
    exports.ProcessSynchroEvent(&info);
    EndCall();
    ++n;
  }
  return n;
}

}  // namespace far3host
