// The FAR 1.63 stand-in: loading the plugin, the service table, FAR's panel model and the checks
// on every record the plugin hands back. See FarHost.h for what each part plays.
#include "FarHost.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <set>
#include <type_traits>

namespace {

FarHost* g_current = nullptr;

const char* const kControlNames[] = {
    "CLOSEPLUGIN",   "GETPANELINFO",     "GETANOTHERPANELINFO", "UPDATEPANEL",
    "UPDATEANOTHERPANEL", "REDRAWPANEL", "REDRAWANOTHERPANEL",  "SETANOTHERPANELDIR",
    "GETCMDLINE",    "SETCMDLINE",       "SETSELECTION",        "SETANOTHERSELECTION",
    "SETVIEWMODE",   "SETANOTHERVIEWMODE", "INSERTCMDLINE",     "SETUSERSCREEN",
    "SETPANELDIR",   "SETCMDLINEPOS",    "GETCMDLINEPOS"};

std::string ControlName(int command) {
  if (command >= 0 && command < static_cast<int>(sizeof kControlNames / sizeof kControlNames[0]))
    return kControlNames[command];
  return std::to_string(command);
}

bool ReadableProtect(DWORD p) {
  if (p & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (p & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

bool WritableProtect(DWORD p) {
  if (p & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (p & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
               PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Walks the regions covering [p, p+size) and asks `ok` about each one's protection.
template <class Pred>
bool RangeIs(const void* p, std::size_t size, Pred ok) {
  if (!p) return false;
  if (size == 0) return true;
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  uintptr_t end = a + size;
  if (end < a) return false;
  while (a < end) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(reinterpret_cast<void*>(a), &mbi, sizeof mbi) == 0) return false;
    if (mbi.State != MEM_COMMIT || !ok(mbi.Protect)) return false;
    uintptr_t regionEnd = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (regionEnd <= a) return false;
    a = regionEnd;
  }
  return true;
}

char AsciiUpper(unsigned char c) {
  return static_cast<char>((c >= 'a' && c <= 'z') ? c - 'a' + 'A' : c);
}

int CompareNoCase(const std::string& a, const std::string& b) {
  std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = static_cast<unsigned char>(AsciiUpper(static_cast<unsigned char>(a[i])));
    unsigned char y = static_cast<unsigned char>(AsciiUpper(static_cast<unsigned char>(b[i])));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

std::string Extension(const std::string& name) {
  std::size_t dot = name.find_last_of('.');
  return (dot == std::string::npos || dot == 0) ? std::string() : name.substr(dot + 1);
}

unsigned long long FileTime64(const FILETIME& t) {
  return (static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}

std::string FixedText(const char* field, std::size_t size) {
  const void* nul = std::memchr(field, 0, size);
  return std::string(field, nul ? static_cast<const char*>(nul) - field : size);
}

void CopyBounded(char* dest, std::size_t destSize, const std::string& src) {
  std::size_t n = std::min(src.size(), destSize - 1);
  std::memcpy(dest, src.data(), n);
  dest[n] = 0;
}

struct RegKey {
  HKEY key = nullptr;
  ~RegKey() {
    if (key) RegCloseKey(key);
  }
};

LONG DeleteKeyTree(HKEY parent, const std::string& sub) {
  RegKey k;
  LONG r = RegOpenKeyExA(parent, sub.c_str(), 0, KEY_READ | KEY_WRITE, &k.key);
  if (r == ERROR_FILE_NOT_FOUND) return ERROR_SUCCESS;
  if (r != ERROR_SUCCESS) return r;
  for (;;) {
    DWORD maxLen = 0;
    r = RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, nullptr, &maxLen, nullptr, nullptr,
                         nullptr, nullptr, nullptr, nullptr);
    if (r != ERROR_SUCCESS) return r;
    std::vector<char> name(maxLen + 2);
    DWORD len = static_cast<DWORD>(name.size());
    r = RegEnumKeyExA(k.key, 0, name.data(), &len, nullptr, nullptr, nullptr, nullptr);
    if (r == ERROR_NO_MORE_ITEMS) break;
    if (r != ERROR_SUCCESS) return r;
    r = DeleteKeyTree(k.key, std::string(name.data(), len));
    if (r != ERROR_SUCCESS) return r;
  }
  RegCloseKey(k.key);
  k.key = nullptr;
  return RegDeleteKeyA(parent, sub.c_str());
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Small records

HostItem HostItem::Make(const std::string& name, DWORD attributes, const std::string& description) {
  HostItem item;
  item.name = name;
  item.attributes = attributes;
  item.description = description;
  item.hasDescription = !description.empty();
  return item;
}

std::optional<std::string> OpenInfo::KeyLabel(KeyRow row, int fkey) const {
  if (!hasKeyBar || fkey < 1 || fkey > 12) return std::nullopt;
  return keyBar[static_cast<std::size_t>(row) * 12 + static_cast<std::size_t>(fkey - 1)];
}

std::vector<std::string> MessageCall::Lines() const {
  std::vector<std::string> lines;
  int end = static_cast<int>(items.size()) - std::max(buttonsNumber, 0);
  for (int i = 1; i < end; ++i) lines.push_back(items[static_cast<std::size_t>(i)]);
  return lines;
}

std::vector<std::string> MessageCall::Buttons() const {
  std::vector<std::string> buttons;
  int start = std::max(1, static_cast<int>(items.size()) - std::max(buttonsNumber, 0));
  for (int i = start; i < static_cast<int>(items.size()); ++i)
    buttons.push_back(items[static_cast<std::size_t>(i)]);
  return buttons;
}

std::string DialogCall::Data(int index) const {
  if (index < 0 || index >= static_cast<int>(items.size())) return std::string();
  return FixedText(items[static_cast<std::size_t>(index)].Data, sizeof(FarDialogItem::Data));
}

std::string DialogCall::ResultData(int index) const {
  if (index < 0 || index >= static_cast<int>(result.size())) return std::string();
  return FixedText(result[static_cast<std::size_t>(index)].Data, sizeof(FarDialogItem::Data));
}

// ---------------------------------------------------------------------------------------------
// The service table. Every function catches everything: nothing may unwind into the plugin.

struct FarServices {
  static void SafeFail(FarHost* h, const char* service, const char* what) {
    try {
      h->Fail(std::string(service) + ": exception in the host: " + what);
    } catch (...) {
    }
  }

  static int WINAPI Menu(int, int, int, int, unsigned int, char*, char*, char*, int*, int*,
                         FarMenuItem*, int) {
    return Stub("Menu"), -1;
  }
  static int WINAPI Dialog(int PluginNumber, int X1, int Y1, int X2, int Y2, char* HelpTopic,
                           FarDialogItem* Items, int ItemsNumber) {
    FarHost* h = g_current;
    if (!h) return -1;
    try {
      return h->DoDialog(PluginNumber, X1, Y1, X2, Y2, HelpTopic, Items, ItemsNumber);
    } catch (const std::exception& e) {
      SafeFail(h, "Dialog", e.what());
    } catch (...) {
      SafeFail(h, "Dialog", "unknown");
    }
    return -1;
  }
  static int WINAPI Message(int PluginNumber, unsigned int Flags, char* HelpTopic, char** Items,
                            int ItemsNumber, int ButtonsNumber) {
    FarHost* h = g_current;
    if (!h) return -1;
    try {
      return h->DoMessage(PluginNumber, Flags, HelpTopic, Items, ItemsNumber, ButtonsNumber);
    } catch (const std::exception& e) {
      SafeFail(h, "Message", e.what());
    } catch (...) {
      SafeFail(h, "Message", "unknown");
    }
    return -1;
  }
  static char* WINAPI GetMsg(int PluginNumber, int MsgId) {
    static char empty[1] = {0};
    FarHost* h = g_current;
    if (!h) return empty;
    try {
      return const_cast<char*>(h->DoGetMsg(PluginNumber, MsgId));
    } catch (const std::exception& e) {
      SafeFail(h, "GetMsg", e.what());
    } catch (...) {
      SafeFail(h, "GetMsg", "unknown");
    }
    return empty;
  }
  static int WINAPI Control(HANDLE hPlugin, int Command, void* Param) {
    FarHost* h = g_current;
    if (!h) return FALSE;
    try {
      return h->DoControl(hPlugin, Command, Param);
    } catch (const std::exception& e) {
      SafeFail(h, "Control", e.what());
    } catch (...) {
      SafeFail(h, "Control", "unknown");
    }
    return FALSE;
  }

  // Services Quenby has no use for: each has FAR's exact prototype (WINAPI pops the arguments,
  // so a wrong one would unbalance the plugin's stack) and records an unexpected call.
  static void Stub(const char* service) {
    FarHost* h = g_current;
    if (!h) return;
    try {
      h->Unexpected(service);
    } catch (...) {
    }
  }
  static HANDLE WINAPI SaveScreen(int, int, int, int) { return Stub("SaveScreen"), nullptr; }
  static void WINAPI RestoreScreen(HANDLE) { Stub("RestoreScreen"); }
  static int WINAPI GetDirList(char*, PluginPanelItem**, int*) {
    return Stub("GetDirList"), FALSE;
  }
  static int WINAPI GetPluginDirList(int, HANDLE, char*, PluginPanelItem**, int*) {
    return Stub("GetPluginDirList"), FALSE;
  }
  static void WINAPI FreeDirList(PluginPanelItem*) { Stub("FreeDirList"); }
  static int WINAPI Viewer(char*, char*, int, int, int, int, DWORD) {
    return Stub("Viewer"), FALSE;
  }
  static int WINAPI Editor(char*, char*, int, int, int, int, DWORD, int, int) {
    return Stub("Editor"), FALSE;
  }
  static int WINAPI CmpName(char*, char*, int) { return Stub("CmpName"), FALSE; }
  static int WINAPI CharTable(int, char*, int) { return Stub("CharTable"), -1; }
  static void WINAPI Text(int, int, int, char*) { Stub("Text"); }
  static int WINAPI EditorControl(int, void*) { return Stub("EditorControl"), 0; }
};

// ---------------------------------------------------------------------------------------------
// FarHost: life cycle

FarHost::FarHost(Options opts) : options(std::move(opts)) {
  if (g_current) {
    Fail("a second FarHost was created while another one is alive");
    g_current->Fail("a second FarHost was created while this one is alive");
  }
  g_current = this;
}

FarHost::~FarHost() {
  Unload();
  if (g_current == this) g_current = nullptr;
}

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
  DWORD need = GetFullPathNameA(options.dllPath.c_str(), 0, nullptr, nullptr);
  if (need == 0) {
    lastError = "cannot resolve the path " + options.dllPath;
    return false;
  }
  std::vector<char> full(need + 1);
  DWORD got = GetFullPathNameA(options.dllPath.c_str(), static_cast<DWORD>(full.size()),
                               full.data(), nullptr);
  if (got == 0 || got >= full.size()) {
    lastError = "cannot resolve the path " + options.dllPath;
    return false;
  }
  fullDllPath.assign(full.data(), got);
  if (fullDllPath.size() >= MAX_PATH) {
    lastError = "the DLL path does not fit FAR's 260-byte ModuleName: " + fullDllPath;
    return false;
  }
  HMODULE m = LoadLibraryExA(fullDllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!m) {
    lastError = "cannot load " + fullDllPath + " (error " + std::to_string(GetLastError()) + ")";
    return false;
  }
  Exports e;
  std::string missing;
  auto resolve = [&](const char* name, auto& slot) {
    FARPROC p = GetProcAddress(m, name);
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

namespace {
// The services Quenby does not use sit in FARAPIGENERIC slots of the record.
template <class F>
FARAPIGENERIC Generic(F f) {
  return reinterpret_cast<FARAPIGENERIC>(reinterpret_cast<void*>(f));
}
}  // namespace

void FarHost::FillStartupInfo(PluginStartupInfo& info) {
  std::memset(&info, 0, sizeof info);
  info.StructSize = sizeof(PluginStartupInfo);
  if (fullDllPath.size() >= sizeof info.ModuleName)
    Fail("ModuleName does not fit 260 bytes: " + fullDllPath);
  CopyBounded(info.ModuleName, sizeof info.ModuleName, fullDllPath);
  info.ModuleNumber = options.moduleNumber;
  std::unique_ptr<char[]> root(new char[options.rootKey.size() + 1]);
  std::memcpy(root.get(), options.rootKey.c_str(), options.rootKey.size() + 1);
  info.RootKey = root.get();
  rootKeyBuffers_.push_back(std::move(root));
  info.Menu = &FarServices::Menu;
  info.Dialog = &FarServices::Dialog;
  info.Message = &FarServices::Message;
  info.GetMsg = &FarServices::GetMsg;
  info.Control = &FarServices::Control;
  info.SaveScreen = Generic(&FarServices::SaveScreen);
  info.RestoreScreen = Generic(&FarServices::RestoreScreen);
  info.GetDirList = Generic(&FarServices::GetDirList);
  info.GetPluginDirList = Generic(&FarServices::GetPluginDirList);
  info.FreeDirList = Generic(&FarServices::FreeDirList);
  info.Viewer = Generic(&FarServices::Viewer);
  info.Editor = Generic(&FarServices::Editor);
  info.CmpName = Generic(&FarServices::CmpName);
  info.CharTable = Generic(&FarServices::CharTable);
  info.Text = Generic(&FarServices::Text);
  info.EditorControl = Generic(&FarServices::EditorControl);
}

namespace {
// FAR fills the record in a local variable; so do we, and afterwards the bytes are overwritten
// the way the next use of that stack would overwrite them.
__attribute__((noinline)) void CallSetStartupInfo(FarHost& host, PFN_SetStartupInfo fn) {
  PluginStartupInfo info;
  host.FillStartupInfo(info);
  fn(&info);
  volatile unsigned char* bytes = reinterpret_cast<volatile unsigned char*>(&info);
  for (std::size_t i = 0; i < sizeof info; ++i) bytes[i] = 0xCC;
}
}  // namespace

bool FarHost::StartUp() {
  if (!module_) {
    lastError = "StartUp before Load";
    return false;
  }
  Log("SetStartupInfo");
  BeginCall();
  CallSetStartupInfo(*this, exports.SetStartupInfo);
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

// ---------------------------------------------------------------------------------------------
// Recording

void FarHost::Fail(const std::string& what) {
  failures.push_back(what);
  Log("FAILURE:" + what);
  if (onFailure) onFailure(what);
}

int FarHost::Count(const std::string& event) const {
  int n = 0;
  for (const std::string& e : log)
    if (e == event || (e.size() > event.size() && e.compare(0, event.size(), event) == 0 &&
                       e[event.size()] == '('))
      ++n;
  return n;
}

std::vector<std::string> FarHost::LogSince(std::size_t mark) const {
  if (mark >= log.size()) return {};
  return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(mark), log.end());
}

void FarHost::Unexpected(const char* service) {
  Log(std::string("Unexpected:") + service);
  Fail(std::string("the plugin called the ") + service + " service, which Quenby does not use");
}

// ---------------------------------------------------------------------------------------------
// Memory checks

bool FarHost::IsReadable(const void* p, std::size_t size) {
  return RangeIs(p, size, ReadableProtect);
}

bool FarHost::IsWritable(void* p, std::size_t size) { return RangeIs(p, size, WritableProtect); }

bool FarHost::ReadCString(const char* p, std::string& out, std::size_t maxLength) {
  out.clear();
  if (!p) return false;
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  std::size_t budget = maxLength + 1;  // bytes that may be scanned, the NUL included
  while (budget > 0) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(reinterpret_cast<void*>(a), &mbi, sizeof mbi) == 0) return false;
    if (mbi.State != MEM_COMMIT || !ReadableProtect(mbi.Protect)) return false;
    uintptr_t regionEnd = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (regionEnd <= a) return false;
    std::size_t n = std::min<std::size_t>(regionEnd - a, budget);
    const char* s = reinterpret_cast<const char*>(a);
    const void* nul = std::memchr(s, 0, n);
    if (nul) {
      out.append(s, static_cast<const char*>(nul) - s);
      return true;
    }
    out.append(s, n);
    budget -= n;
    a = regionEnd;
  }
  return false;
}

namespace {
// A text pointer the plugin hands over: NULL allowed (gives ""), anything else must be a readable
// NUL-terminated string.
std::string PluginText(FarHost& host, const char* p, const std::string& what,
                       bool* isNull = nullptr) {
  if (isNull) *isNull = (p == nullptr);
  if (!p) return std::string();
  std::string s;
  if (!FarHost::ReadCString(p, s)) {
    host.Fail(what + " is not a readable NUL-terminated text");
    return std::string();
  }
  return s;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Language

void FarHost::SetLanguage(const std::string& language) {
  options.language = language;
  lang_.reset();
  langTried_ = false;
}

const LangFile* FarHost::Messages() {
  if (!langTried_) {
    langTried_ = true;
    std::string folder = options.languageFolder;
    if (folder.empty()) {
      std::string dll = fullDllPath.empty() ? options.dllPath : fullDllPath;
      std::size_t slash = dll.find_last_of("\\/");
      folder = slash == std::string::npos ? std::string(".") : dll.substr(0, slash);
    }
    auto file = std::make_unique<LangFile>();
    std::string error;
    if (!LoadLngForLanguage(folder, options.language, *file, error)) {
      Fail("GetMsg: " + error);
    } else {
      for (const std::string& problem : file->problems) Fail("GetMsg: " + file->path + ": " + problem);
      lang_ = std::move(file);
    }
  }
  return lang_.get();
}

const char* FarHost::DoGetMsg(int pluginNumber, int msgId) {
  ++getMsgCalls;
  if (pluginNumber != options.moduleNumber)
    Fail("GetMsg: PluginNumber " + std::to_string(pluginNumber) + " instead of ModuleNumber " +
         std::to_string(options.moduleNumber));
  const LangFile* file = Messages();
  if (!file) return emptyText_;
  if (msgId < 0 || msgId >= static_cast<int>(file->messages.size())) {
    Fail("GetMsg: no message number " + std::to_string(msgId) + " in " + file->path + " (" +
         std::to_string(file->messages.size()) + " messages)");
    return emptyText_;
  }
  return file->messages[static_cast<std::size_t>(msgId)].c_str();
}

// ---------------------------------------------------------------------------------------------
// Message and Dialog

int FarHost::DoMessage(int pluginNumber, unsigned flags, const char* help,
                       const char* const* items, int itemsNumber, int buttonsNumber) {
  MessageCall call;
  call.pluginNumber = pluginNumber;
  call.flags = flags;
  call.itemsNumber = itemsNumber;
  call.buttonsNumber = buttonsNumber;
  call.helpTopic = PluginText(*this, help, "Message: HelpTopic", &call.helpTopicNull);
  Log("Message");
  if (pluginNumber != options.moduleNumber)
    Fail("Message: PluginNumber " + std::to_string(pluginNumber) + " instead of ModuleNumber " +
         std::to_string(options.moduleNumber));
  if (itemsNumber < 2) Fail("Message: " + std::to_string(itemsNumber) + " items (FAR needs 2 or more)");
  if (itemsNumber > 13)
    Fail("Message: " + std::to_string(itemsNumber) +
         " items; FAR 1.63 copies them into a fixed array (13 at most)");
  if (buttonsNumber < 0 || (itemsNumber >= 1 && buttonsNumber > itemsNumber - 1))
    Fail("Message: ButtonsNumber " + std::to_string(buttonsNumber) + " with " +
         std::to_string(itemsNumber) + " items");
  if (itemsNumber > 0) {
    if (!IsReadable(items, static_cast<std::size_t>(itemsNumber) * sizeof(char*))) {
      Fail("Message: the Items array is not readable");
    } else {
      for (int i = 0; i < itemsNumber; ++i) {
        if (!items[i]) {
          Fail("Message: item " + std::to_string(i) + " is NULL");
          call.items.emplace_back();
        } else {
          call.items.push_back(PluginText(*this, items[i], "Message: item " + std::to_string(i)));
        }
      }
    }
  }
  if (itemsNumber < 2 || buttonsNumber <= 0) {
    call.answer = -1;
  } else if (!messageAnswers.empty()) {
    call.answer = messageAnswers.front();
    messageAnswers.pop_front();
  } else {
    call.answer = 0;
  }
  std::size_t index = messages.size();
  messages.push_back(call);
  if (onMessage) {
    onMessage(call);
    messages[index].answer = call.answer;
  }
  return call.answer;
}

int FarHost::DoDialog(int pluginNumber, int x1, int y1, int x2, int y2, const char* help,
                      FarDialogItem* items, int itemsNumber) {
  DialogCall call;
  call.pluginNumber = pluginNumber;
  call.x1 = x1;
  call.y1 = y1;
  call.x2 = x2;
  call.y2 = y2;
  call.itemsNumber = itemsNumber;
  call.helpTopic = PluginText(*this, help, "Dialog: HelpTopic", &call.helpTopicNull);
  Log("Dialog");
  if (pluginNumber != options.moduleNumber)
    Fail("Dialog: PluginNumber " + std::to_string(pluginNumber) + " instead of ModuleNumber " +
         std::to_string(options.moduleNumber));
  const std::size_t bytes = static_cast<std::size_t>(std::max(itemsNumber, 0)) * sizeof(FarDialogItem);
  if (itemsNumber <= 0 || !IsReadable(items, bytes) || !IsWritable(items, bytes)) {
    Fail("Dialog: " + std::to_string(itemsNumber) + " items at an unusable address");
    call.answer = -1;
    dialogs.push_back(call);
    return -1;
  }
  call.items.assign(items, items + itemsNumber);
  for (int i = 0; i < itemsNumber; ++i) {
    FarDialogItem& item = call.items[static_cast<std::size_t>(i)];
    if (!std::memchr(item.Data, 0, sizeof item.Data)) {
      Fail("Dialog: item " + std::to_string(i) +
           " Data has no NUL within 512 bytes (FAR copies it with strcpy)");
      item.Data[sizeof item.Data - 1] = 0;
    }
    bool edit = item.Type == DI_EDIT || item.Type == DI_FIXEDIT || item.Type == DI_PSWEDIT;
    if (edit && (item.Flags & DIF_HISTORY)) {
      const char* history = reinterpret_cast<const char*>(static_cast<intptr_t>(item.Selected));
      std::string name;
      if (!ReadCString(history, name))
        Fail("Dialog: item " + std::to_string(i) +
             " has DIF_HISTORY but its Selected slot is not a history-name pointer");
    }
  }
  std::vector<FarDialogItem> work = call.items;
  std::size_t index = dialogs.size();
  dialogs.push_back(call);

  DialogScript script;
  if (!dialogScript.empty()) {
    script = std::move(dialogScript.front());
    dialogScript.pop_front();
  } else {
    script = dialogAnswer;
  }
  int answer = script ? script(work) : -1;
  if (work.size() != static_cast<std::size_t>(itemsNumber)) {
    Fail("Dialog: the test's script changed the number of items");
    work.resize(static_cast<std::size_t>(itemsNumber));
  }
  // Out as FAR copies out: its internal item keeps Type, coordinates, Focus and DefaultButton
  // as unsigned char; Data goes back with strcpy.
  for (int i = 0; i < itemsNumber; ++i) {
    FarDialogItem& w = work[static_cast<std::size_t>(i)];
    if (!std::memchr(w.Data, 0, sizeof w.Data)) w.Data[sizeof w.Data - 1] = 0;
    FarDialogItem& out = items[i];
    out.Type = static_cast<unsigned char>(w.Type);
    out.X1 = static_cast<unsigned char>(w.X1);
    out.Y1 = static_cast<unsigned char>(w.Y1);
    out.X2 = static_cast<unsigned char>(w.X2);
    out.Y2 = static_cast<unsigned char>(w.Y2);
    out.Focus = static_cast<unsigned char>(w.Focus);
    out.Selected = w.Selected;
    out.Flags = w.Flags;
    out.DefaultButton = static_cast<unsigned char>(w.DefaultButton);
    std::strcpy(out.Data, w.Data);
  }
  dialogs[index].result.assign(items, items + itemsNumber);
  dialogs[index].answer = answer;
  return answer;
}

// ---------------------------------------------------------------------------------------------
// Control

FarHost::Panel* FarHost::FindPanel(HANDLE handle) const {
  for (const auto& p : panels)
    if (!p->closed && p->handle == handle) return p.get();
  return nullptr;
}

FarHost::Panel* FarHost::LastOpenPanel() const {
  for (auto it = panels.rbegin(); it != panels.rend(); ++it)
    if (!(*it)->closed) return it->get();
  return nullptr;
}

char* FarHost::Keep(const std::string& s) {
  std::unique_ptr<char[]> copy(new char[s.size() + 1]);
  std::memcpy(copy.get(), s.c_str(), s.size() + 1);
  char* p = copy.get();
  infoStrings_.push_back(std::move(copy));
  return p;
}

void FarHost::FillPluginItem(const HostItem& item, PluginPanelItem& out) {
  std::memset(&out, 0, sizeof out);
  out.FindData.dwFileAttributes = item.attributes;
  out.FindData.ftCreationTime = item.creationTime;
  out.FindData.ftLastAccessTime = item.lastAccessTime;
  out.FindData.ftLastWriteTime = item.lastWriteTime;
  out.FindData.nFileSizeHigh = static_cast<DWORD>(item.fileSize >> 32);
  out.FindData.nFileSizeLow = static_cast<DWORD>(item.fileSize);
  CopyBounded(out.FindData.cFileName, sizeof out.FindData.cFileName, item.name);
  CopyBounded(out.FindData.cAlternateFileName, sizeof out.FindData.cAlternateFileName,
              item.shortName);
  out.PackSizeHigh = static_cast<DWORD>(item.packSize >> 32);
  out.PackSize = static_cast<DWORD>(item.packSize);
  out.Flags = (item.flags & ~static_cast<DWORD>(PPIF_SELECTED)) | (item.selected ? static_cast<DWORD>(PPIF_SELECTED) : 0u);
  out.NumberOfLinks = item.numberOfLinks;
  out.Description = item.hasDescription ? Keep(item.description) : nullptr;
  out.Owner = item.hasOwner ? Keep(item.owner) : nullptr;
  if (!item.customColumns.empty()) {
    std::unique_ptr<char*[]> columns(new char*[item.customColumns.size()]);
    for (std::size_t i = 0; i < item.customColumns.size(); ++i) columns[i] = Keep(item.customColumns[i]);
    out.CustomColumnData = columns.get();
    out.CustomColumnNumber = static_cast<int>(item.customColumns.size());
    infoColumns_.push_back(std::move(columns));
  }
  if ((item.flags & PPIF_USERDATA) && !item.userDataBlock.empty()) {
    std::string bytes(item.userDataBlock.begin(), item.userDataBlock.end());
    out.UserData = static_cast<DWORD>(reinterpret_cast<uintptr_t>(Keep(bytes)));
  } else {
    out.UserData = item.userData;
  }
}

void FarHost::FillPanelInfo(PanelInfo& pi, const std::vector<HostItem>& items, int current,
                            int top, const std::string& curDir, bool plugin, int sortMode) {
  infoItems_.clear();
  infoSelected_.clear();
  infoStrings_.clear();
  infoColumns_.clear();
  infoItems_.resize(items.size());
  for (std::size_t i = 0; i < items.size(); ++i) FillPluginItem(items[i], infoItems_[i]);
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].selected) infoSelected_.push_back(infoItems_[i]);
  if (infoSelected_.empty() && current >= 0 && current < static_cast<int>(items.size()) &&
      items[static_cast<std::size_t>(current)].name != "..")
    infoSelected_.push_back(infoItems_[static_cast<std::size_t>(current)]);

  std::memset(&pi, 0, sizeof pi);
  pi.PanelType = PTYPE_FILEPANEL;
  pi.Plugin = plugin ? 1 : 0;
  pi.PanelRect.left = 0;
  pi.PanelRect.top = 1;
  pi.PanelRect.right = 39;
  pi.PanelRect.bottom = 22;
  pi.PanelItems = infoItems_.empty() ? nullptr : infoItems_.data();
  pi.ItemsNumber = static_cast<int>(infoItems_.size());
  pi.SelectedItems = infoSelected_.empty() ? nullptr : infoSelected_.data();
  pi.SelectedItemsNumber = static_cast<int>(infoSelected_.size());
  pi.CurrentItem = current;
  pi.TopPanelItem = top;
  pi.Visible = 1;
  pi.Focus = 1;
  pi.ViewMode = 2;
  CopyBounded(pi.ColumnTypes, sizeof pi.ColumnTypes, "N,N,N");
  CopyBounded(pi.ColumnWidths, sizeof pi.ColumnWidths, "0,0,0");
  CopyBounded(pi.CurDir, sizeof pi.CurDir, curDir);
  pi.ShortNames = 0;
  pi.SortMode = sortMode;
}

namespace {
// FAR's CorrectPosition: cursor inside the list, top so that the cursor is on screen.
void Clamp(int count, int page, int& current, int& top) {
  if (count <= 0) {
    current = top = 0;
    return;
  }
  if (page < 1) page = 1;
  if (top + page > count) top = count - page;
  if (current < 0) current = 0;
  if (current > count - 1) current = count - 1;
  if (top < 0) top = 0;
  if (top > count - 1) top = count - 1;
  if (current < top) top = current;
  if (current > top + page - 1) top = current - page + 1;
}
}  // namespace

int FarHost::DoControl(HANDLE handle, int command, void* param) {
  ControlCall call;
  call.handle = handle;
  call.command = command;
  call.paramNull = (param == nullptr);

  Panel* panel = nullptr;
  bool handleOk = true;
  if (handle == INVALID_HANDLE_VALUE) {
    panel = (activePanel && !activePanel->closed) ? activePanel : nullptr;
  } else {
    panel = FindPanel(handle);
    handleOk = panel != nullptr;
  }
  call.filePanel = handleOk && panel == nullptr;

  std::string name = "Control:" + ControlName(command);
  if (command == FCTL_REDRAWPANEL && param) {
    if (IsReadable(param, sizeof(PanelRedrawInfo))) {
      call.hasRedraw = true;
      std::memcpy(&call.redraw, param, sizeof call.redraw);
      name += "(" + std::to_string(call.redraw.CurrentItem) + "," +
              std::to_string(call.redraw.TopPanelItem) + ")";
    }
  }
  if ((command == FCTL_CLOSEPLUGIN || command == FCTL_INSERTCMDLINE) && param)
    call.text = PluginText(*this, static_cast<const char*>(param), name + " text");
  Log(name);
  std::size_t index = controls.size();
  controls.push_back(call);

  if (!handleOk) {
    Fail(name + ": the handle is not an open plugin panel of this plugin");
    return FALSE;
  }

  int result = FALSE;
  switch (command) {
    case FCTL_CLOSEPLUGIN:
      // Carried out when the plugin call in progress returns (EndCall).
      if (panel)
        panel->pendingClose = call.text;
      else
        filePanel.pendingClose = call.text;
      result = TRUE;
      break;

    case FCTL_GETPANELINFO: {
      if (!param || !IsWritable(param, sizeof(PanelInfo))) {
        Fail(name + ": Param is not a writable PanelInfo");
        break;
      }
      PanelInfo* pi = static_cast<PanelInfo*>(param);
      if (panel) {
        // FAR asks the plugin for its CurDir first, unless that question is what is running.
        if (!panel->inGetInfo_) panel->GetOpenPluginInfo();
        const std::string& dir = panel->info.curDir;
        if (dir.size() >= sizeof pi->CurDir)
          Fail(name + ": OpenPluginInfo.CurDir is " + std::to_string(dir.size()) +
               " characters; FAR copies it into 260 bytes");
        FillPanelInfo(*pi, panel->items, panel->currentItem, panel->topPanelItem, dir, true,
                      panel->sortMode);
      } else {
        if (filePanel.curDir.size() >= sizeof pi->CurDir)
          Fail(name + ": the test's file panel CurDir does not fit 260 bytes");
        FillPanelInfo(*pi, filePanel.items, filePanel.currentItem, filePanel.topPanelItem,
                      PanelDirectory(filePanel.curDir), false, SM_NAME);
      }
      result = TRUE;
      break;
    }

    case FCTL_UPDATEPANEL:
      if (panel) {
        if (panel->inReread_) {
          Fail(name + ": the panel is already being read (called from GetFindData?)");
          break;
        }
        panel->Reread(0, param != nullptr);
      }
      result = TRUE;
      break;

    case FCTL_REDRAWPANEL:
      if (param && !call.hasRedraw) {
        Fail(name + ": Param is not a readable PanelRedrawInfo");
        break;
      }
      if (call.hasRedraw) {
        if (panel) {
          panel->currentItem = call.redraw.CurrentItem;
          panel->topPanelItem = call.redraw.TopPanelItem;
          panel->CorrectPosition();
        } else {
          filePanel.currentItem = call.redraw.CurrentItem;
          filePanel.topPanelItem = call.redraw.TopPanelItem;
          Clamp(static_cast<int>(filePanel.items.size()), 18, filePanel.currentItem,
                filePanel.topPanelItem);
        }
      } else if (panel) {
        panel->CorrectPosition();
      }
      result = TRUE;
      break;

    case FCTL_INSERTCMDLINE:
      if (!param) {
        Fail(name + ": NULL text");
        break;
      }
      commandLine += call.text;
      result = TRUE;
      break;

    default:
      Fail(name + ": a command the host does not implement (Quenby is not expected to use it)");
      break;
  }
  controls[index].result = result;
  return result;
}

// ---------------------------------------------------------------------------------------------
// Plugin calls and the deferred FCTL_CLOSEPLUGIN

void FarHost::EndCall() {
  if (--callDepth == 0) RunDeferred();
}

void FarHost::OnPanelClosed(Panel& panel) {
  if (activePanel == &panel) activePanel = nullptr;
}

void FarHost::RunDeferred() {
  if (runningDeferred_) return;
  runningDeferred_ = true;
  for (int round = 0; round < 16; ++round) {
    bool any = false;
    for (std::size_t i = 0; i < panels.size(); ++i) {
      Panel& p = *panels[i];
      if (p.closed || !p.pendingClose) continue;
      any = true;
      std::string dir = *p.pendingClose;
      p.pendingClose.reset();
      if (p.ProcessEvent(FE_CLOSE, nullptr)) {
        Log("CloseRefused");
        continue;
      }
      if (p.closed) continue;
      p.ClosePlugin();
      p.closedTo = dir;
      ChangeFilePanelDir(dir);
    }
    if (filePanel.pendingClose) {
      any = true;
      std::string dir = *filePanel.pendingClose;
      filePanel.pendingClose.reset();
      ChangeFilePanelDir(dir);
    }
    if (!any) break;
  }
  runningDeferred_ = false;
}

std::string FarHost::PanelDirectory(const std::string& dir) {
  std::string out = dir;
  while (out.size() > 1 && out.back() == '\\' && !(out.size() == 3 && out[1] == ':'))
    out.pop_back();
  return out;
}

void FarHost::ChangeFilePanelDir(const std::string& text) {
  if (text.empty()) return;  // FAR 1.70+: no change of directory, the panel is refreshed
  // A text that does not start with a drive root is taken relative to the panel's folder.
  bool rooted = (text.size() >= 3 && text[1] == ':' && text[2] == '\\') ||
                text.compare(0, 2, "\\\\") == 0;
  std::string wanted = rooted ? text : PanelDirectory(filePanel.curDir) + "\\" + text;
  DWORD attributes = GetFileAttributesA(wanted.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    // FAR shows its error box naming the text and stays where it was.
    const char* reason = attributes == INVALID_FILE_ATTRIBUTES ? "File not found"
                                                               : "The specified name is invalid";
    Log("FilePanel:ChangeDirFailed(" + text + ")");
    if (onChangeDirError)
      onChangeDirError(text, reason);
    else
      Fail("FCTL_CLOSEPLUGIN: after ClosePlugin FAR changes to \"" + text + "\", which is not an "
           "existing folder: FAR shows the error box \"" + reason + "\"");
    return;
  }
  char full[MAX_PATH] = "";
  DWORD length = GetFullPathNameA(wanted.c_str(), MAX_PATH, full, nullptr);
  filePanel.curDir = PanelDirectory(length > 0 && length < MAX_PATH ? full : wanted);
  Log("FilePanel:ChangeDir(" + text + ")");
}

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
  CopyBounded(buffer.data(), buffer.size(), text);
  Log("OpenPlugin(" + std::to_string(OPEN_COMMANDLINE) + "," + text + ")");
  BeginCall();
  HANDLE h = exports.OpenPlugin(OPEN_COMMANDLINE,
                                static_cast<int>(reinterpret_cast<intptr_t>(buffer.data())));
  EndCall();
  return Adopt(h, "OpenPlugin");
}

FarHost::Panel* FarHost::OpenFilePlugin(const std::string& name, int dataLimit) {
  if (!NeedLoaded("OpenFilePlugin")) return nullptr;
  std::vector<unsigned char> data;
  HANDLE f = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    data.resize(static_cast<std::size_t>(std::max(dataLimit, 0)));
    DWORD got = 0;
    if (!data.empty() && !ReadFile(f, data.data(), static_cast<DWORD>(data.size()), &got, nullptr))
      got = 0;
    data.resize(got);
    CloseHandle(f);
  }
  std::vector<char> nameBuffer(std::max<std::size_t>(name.size() + 1, MAX_PATH), 0);
  std::memcpy(nameBuffer.data(), name.c_str(), name.size() + 1);
  Log("OpenFilePlugin(" + name + ")");
  BeginCall();
  HANDLE h = exports.OpenFilePlugin(nameBuffer.data(), data.empty() ? nullptr : data.data(),
                                    static_cast<int>(data.size()));
  EndCall();
  return Adopt(h, "OpenFilePlugin");
}

bool FarHost::GetPluginInfo() {
  if (!NeedLoaded("GetPluginInfo")) return false;
  PluginInfo raw;
  std::memset(&raw, 0, sizeof raw);
  Log("GetPluginInfo");
  BeginCall();
  exports.GetPluginInfo(&raw);
  PluginInfoCopy copy;
  copy.structSize = raw.StructSize;
  copy.flags = raw.Flags;
  auto strings = [&](const char* const* array, int count, const char* what,
                     std::vector<std::string>& out) {
    if (count < 0) {
      Fail(std::string("GetPluginInfo: ") + what + "Number is negative");
      return;
    }
    if (count == 0) return;
    if (!IsReadable(array, static_cast<std::size_t>(count) * sizeof(char*))) {
      Fail(std::string("GetPluginInfo: ") + what + " is not a readable array of " +
           std::to_string(count));
      return;
    }
    for (int i = 0; i < count; ++i) {
      std::string label = std::string("GetPluginInfo: ") + what + "[" + std::to_string(i) + "]";
      if (!array[i]) Fail(label + " is NULL");
      out.push_back(PluginText(*this, array[i], label));
    }
  };
  strings(raw.DiskMenuStrings, raw.DiskMenuStringsNumber, "DiskMenuStrings", copy.diskMenuStrings);
  if (raw.DiskMenuNumbers && raw.DiskMenuStringsNumber > 0) {
    if (!IsReadable(raw.DiskMenuNumbers, static_cast<std::size_t>(raw.DiskMenuStringsNumber) * sizeof(int)))
      Fail("GetPluginInfo: DiskMenuNumbers is not readable");
    else
      copy.diskMenuNumbers.assign(raw.DiskMenuNumbers, raw.DiskMenuNumbers + raw.DiskMenuStringsNumber);
  }
  strings(raw.PluginMenuStrings, raw.PluginMenuStringsNumber, "PluginMenuStrings",
          copy.pluginMenuStrings);
  strings(raw.PluginConfigStrings, raw.PluginConfigStringsNumber, "PluginConfigStrings",
          copy.pluginConfigStrings);
  copy.hasCommandPrefix = raw.CommandPrefix != nullptr;
  copy.commandPrefix = PluginText(*this, raw.CommandPrefix, "GetPluginInfo: CommandPrefix");
  if (!copy.commandPrefix.empty() &&
      (copy.commandPrefix.size() > 64 ||
       copy.commandPrefix.find_first_of(" \t/") != std::string::npos))
    Fail("GetPluginInfo: CommandPrefix \"" + copy.commandPrefix +
         "\" is longer than 64 characters or has a space, tab or '/'");
  pluginInfo = std::move(copy);
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

// ---------------------------------------------------------------------------------------------
// Panel

namespace {

void CopyOpenInfo(FarHost& host, const OpenPluginInfo& raw, OpenInfo& out) {
  const std::string w = "GetOpenPluginInfo: ";
  out.raw = raw;
  out.flags = raw.Flags;
  out.hostFile = PluginText(host, raw.HostFile, w + "HostFile");
  out.curDir = PluginText(host, raw.CurDir, w + "CurDir");
  out.format = PluginText(host, raw.Format, w + "Format");
  out.panelTitle = PluginText(host, raw.PanelTitle, w + "PanelTitle");
  out.shortcutData = PluginText(host, raw.ShortcutData, w + "ShortcutData");

  if (raw.InfoLinesNumber < 0) {
    host.Fail(w + "InfoLinesNumber is negative");
  } else if (raw.InfoLinesNumber > 0) {
    if (!FarHost::IsReadable(raw.InfoLines,
                             static_cast<std::size_t>(raw.InfoLinesNumber) * sizeof(InfoPanelLine))) {
      host.Fail(w + "InfoLines is not a readable array of " + std::to_string(raw.InfoLinesNumber));
    } else {
      for (int i = 0; i < raw.InfoLinesNumber; ++i) {
        const InfoPanelLine& line = raw.InfoLines[i];
        if (!std::memchr(line.Text, 0, sizeof line.Text) || !std::memchr(line.Data, 0, sizeof line.Data))
          host.Fail(w + "InfoLines[" + std::to_string(i) + "] has a text without NUL");
        out.infoLines.push_back({FixedText(line.Text, sizeof line.Text),
                                 FixedText(line.Data, sizeof line.Data), line.Separator != 0});
      }
    }
  }

  if (raw.DescrFilesNumber < 0) {
    host.Fail(w + "DescrFilesNumber is negative");
  } else if (raw.DescrFilesNumber > 0) {
    if (!FarHost::IsReadable(raw.DescrFiles, static_cast<std::size_t>(raw.DescrFilesNumber) * sizeof(char*))) {
      host.Fail(w + "DescrFiles is not a readable array");
    } else {
      for (int i = 0; i < raw.DescrFilesNumber; ++i) {
        if (!raw.DescrFiles[i]) host.Fail(w + "DescrFiles[" + std::to_string(i) + "] is NULL");
        out.descrFiles.push_back(PluginText(host, raw.DescrFiles[i], w + "DescrFiles[" + std::to_string(i) + "]"));
      }
    }
  }

  if (raw.PanelModesNumber < 0) {
    host.Fail(w + "PanelModesNumber is negative");
  } else if (raw.PanelModesNumber > 0) {
    if (!FarHost::IsReadable(raw.PanelModesArray,
                             static_cast<std::size_t>(raw.PanelModesNumber) * sizeof(PanelMode))) {
      host.Fail(w + "PanelModesArray is not a readable array of " + std::to_string(raw.PanelModesNumber));
    } else {
      for (int i = 0; i < raw.PanelModesNumber; ++i) {
        const PanelMode& m = raw.PanelModesArray[i];
        const std::string label = w + "PanelModesArray[" + std::to_string(i) + "].";
        OpenInfo::Mode mode;
        mode.columnTypes = PluginText(host, m.ColumnTypes, label + "ColumnTypes");
        mode.columnWidths = PluginText(host, m.ColumnWidths, label + "ColumnWidths");
        mode.hasColumns = m.ColumnTypes && m.ColumnWidths;
        mode.statusColumnTypes = PluginText(host, m.StatusColumnTypes, label + "StatusColumnTypes");
        mode.statusColumnWidths = PluginText(host, m.StatusColumnWidths, label + "StatusColumnWidths");
        mode.hasStatusColumns = m.StatusColumnTypes && m.StatusColumnWidths;
        mode.fullScreen = m.FullScreen;
        mode.detailedStatus = m.DetailedStatus;
        mode.alignExtensions = m.AlignExtensions;
        mode.caseConversion = m.CaseConversion;
        if (m.ColumnTitles && m.ColumnTypes) {
          std::size_t columns = std::count(mode.columnTypes.begin(), mode.columnTypes.end(), ',') + 1;
          if (!FarHost::IsReadable(m.ColumnTitles, columns * sizeof(char*))) {
            host.Fail(label + "ColumnTitles is not a readable array of " + std::to_string(columns));
          } else {
            for (std::size_t c = 0; c < columns; ++c) {
              if (!m.ColumnTitles[c]) {
                mode.columnTitles.emplace_back();
              } else {
                mode.columnTitles.emplace_back(
                    PluginText(host, m.ColumnTitles[c], label + "ColumnTitles[" + std::to_string(c) + "]"));
              }
            }
          }
        }
        out.panelModes.push_back(std::move(mode));
      }
    }
  } else if (raw.PanelModesArray && raw.PanelModesNumber == 0) {
    // FAR ignores the array then; nothing to check.
  }

  out.startPanelMode = raw.StartPanelMode;
  out.startSortMode = raw.StartSortMode;
  out.startSortOrder = raw.StartSortOrder;
  if (raw.StartPanelMode != 0 && (raw.StartPanelMode < '0' || raw.StartPanelMode > '9'))
    host.Fail(w + "StartPanelMode " + std::to_string(raw.StartPanelMode) +
              " is neither 0 nor a character '0'..'9'");
  if (raw.StartSortMode < 0 || raw.StartSortMode > SM_NUMLINKS)
    host.Fail(w + "StartSortMode " + std::to_string(raw.StartSortMode) + " is not an SM_ value");

  out.hasKeyBar = raw.KeyBar != nullptr;
  if (raw.KeyBar) {
    if (!FarHost::IsReadable(raw.KeyBar, sizeof(KeyBarTitles))) {
      host.Fail(w + "KeyBar is not a readable KeyBarTitles");
      out.hasKeyBar = false;
    } else {
      char* const* rows[4] = {raw.KeyBar->Titles, raw.KeyBar->CtrlTitles, raw.KeyBar->AltTitles,
                              raw.KeyBar->ShiftTitles};
      static const char* const rowNames[4] = {"Titles", "CtrlTitles", "AltTitles", "ShiftTitles"};
      for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 12; ++k) {
          const char* p = rows[r][k];
          if (p)
            out.keyBar[static_cast<std::size_t>(r * 12 + k)] = PluginText(
                host, p, w + "KeyBar->" + rowNames[r] + "[" + std::to_string(k) + "]");
        }
    }
  }
}

// FAR's copy of the GetFindData array, checking it as FAR reads it.
std::vector<HostItem> CopyFindData(FarHost& host, const PluginPanelItem* data, int count) {
  const std::string w = "GetFindData: ";
  std::vector<HostItem> items;
  if (count < 0) {
    host.Fail(w + "negative item count " + std::to_string(count));
    return items;
  }
  if (count == 0) return items;
  if (!FarHost::IsReadable(data, static_cast<std::size_t>(count) * sizeof(PluginPanelItem))) {
    host.Fail(w + "the array of " + std::to_string(count) +
              " items (366 bytes each) is not readable");
    return items;
  }
  for (int i = 0; i < count; ++i) {
    const PluginPanelItem& p = data[i];
    const std::string label = w + "item " + std::to_string(i) + " ";
    HostItem item;
    item.position = i;
    if (!std::memchr(p.FindData.cFileName, 0, sizeof p.FindData.cFileName))
      host.Fail(label + "cFileName has no NUL within 260 bytes");
    item.name = FixedText(p.FindData.cFileName, sizeof p.FindData.cFileName);
    if (!std::memchr(p.FindData.cAlternateFileName, 0, sizeof p.FindData.cAlternateFileName))
      host.Fail(label + "cAlternateFileName has no NUL within 14 bytes");
    item.shortName = FixedText(p.FindData.cAlternateFileName, sizeof p.FindData.cAlternateFileName);
    item.attributes = p.FindData.dwFileAttributes;
    item.creationTime = p.FindData.ftCreationTime;
    item.lastAccessTime = p.FindData.ftLastAccessTime;
    item.lastWriteTime = p.FindData.ftLastWriteTime;
    item.fileSize = (static_cast<unsigned long long>(p.FindData.nFileSizeHigh) << 32) | p.FindData.nFileSizeLow;
    item.packSize = (static_cast<unsigned long long>(p.PackSizeHigh) << 32) | p.PackSize;
    item.flags = p.Flags;
    item.numberOfLinks = p.NumberOfLinks;
    item.hasDescription = p.Description != nullptr;
    item.description = PluginText(host, p.Description, label + "Description");
    item.hasOwner = p.Owner != nullptr;
    item.owner = PluginText(host, p.Owner, label + "Owner");
    if (p.CustomColumnNumber < 0) {
      host.Fail(label + "CustomColumnNumber is negative");
    } else if (p.CustomColumnNumber > 0) {
      if (!FarHost::IsReadable(p.CustomColumnData, static_cast<std::size_t>(p.CustomColumnNumber) * sizeof(char*))) {
        host.Fail(label + "CustomColumnData is not a readable array");
      } else {
        for (int c = 0; c < p.CustomColumnNumber; ++c)
          item.customColumns.push_back(
              PluginText(host, p.CustomColumnData[c], label + "CustomColumnData[" + std::to_string(c) + "]"));
      }
    }
    item.userData = p.UserData;
    if (p.Flags & PPIF_USERDATA) {
      const void* block = reinterpret_cast<const void*>(static_cast<uintptr_t>(p.UserData));
      if (!FarHost::IsReadable(block, sizeof(DWORD))) {
        host.Fail(label + "has PPIF_USERDATA but UserData is not a readable block");
      } else {
        DWORD size = *static_cast<const DWORD*>(block);
        if (size < sizeof(DWORD) || !FarHost::IsReadable(block, size)) {
          host.Fail(label + "UserData block of " + std::to_string(size) + " bytes is not readable");
        } else {
          const unsigned char* b = static_cast<const unsigned char*>(block);
          item.userDataBlock.assign(b, b + size);
        }
      }
    }
    item.selected = (p.Flags & PPIF_SELECTED) != 0;
    items.push_back(std::move(item));
  }
  return items;
}

// FAR's order: ".." first; in sorted modes folders before files, then the mode's key, ties by
// name and then by the plugin's order. Unsorted keeps the plugin's order.
void SortItems(std::vector<HostItem>& items, int mode, bool reverse) {
  auto dots = [](const HostItem& i) { return i.name == ".."; };
  std::stable_sort(items.begin(), items.end(), [&](const HostItem& a, const HostItem& b) {
    if (dots(a) != dots(b)) return dots(a);
    if (mode == SM_UNSORTED || mode == SM_DEFAULT) {
      return reverse ? a.position > b.position : a.position < b.position;
    }
    if (a.IsDirectory() != b.IsDirectory()) return a.IsDirectory();
    int c = 0;
    switch (mode) {
      case SM_EXT: c = CompareNoCase(Extension(a.name), Extension(b.name)); break;
      case SM_MTIME:
        c = FileTime64(b.lastWriteTime) < FileTime64(a.lastWriteTime) ? -1
            : FileTime64(a.lastWriteTime) < FileTime64(b.lastWriteTime) ? 1 : 0;
        break;
      case SM_CTIME:
        c = FileTime64(b.creationTime) < FileTime64(a.creationTime) ? -1
            : FileTime64(a.creationTime) < FileTime64(b.creationTime) ? 1 : 0;
        break;
      case SM_ATIME:
        c = FileTime64(b.lastAccessTime) < FileTime64(a.lastAccessTime) ? -1
            : FileTime64(a.lastAccessTime) < FileTime64(b.lastAccessTime) ? 1 : 0;
        break;
      case SM_SIZE: c = b.fileSize < a.fileSize ? -1 : a.fileSize < b.fileSize ? 1 : 0; break;
      case SM_COMPRESSEDSIZE: c = b.packSize < a.packSize ? -1 : a.packSize < b.packSize ? 1 : 0; break;
      case SM_DESCR: c = CompareNoCase(a.description, b.description); break;
      case SM_OWNER: c = CompareNoCase(a.owner, b.owner); break;
      case SM_NUMLINKS:
        c = b.numberOfLinks < a.numberOfLinks ? -1 : a.numberOfLinks < b.numberOfLinks ? 1 : 0;
        break;
      default: break;
    }
    if (c == 0) c = CompareNoCase(a.name, b.name);
    if (c == 0) return a.position < b.position;
    return reverse ? c > 0 : c < 0;
  });
}

}  // namespace

bool FarHost::Panel::GetOpenPluginInfo() {
  if (closed) {
    host.Fail("GetOpenPluginInfo on a closed panel");
    return false;
  }
  if (!host.NeedLoaded("GetOpenPluginInfo")) return false;
  OpenPluginInfo raw;
  std::memset(&raw, 0, sizeof raw);  // FAR zeroes its record before each call
  host.Log("GetOpenPluginInfo");
  host.BeginCall();
  bool nested = inGetInfo_;
  inGetInfo_ = true;
  host.exports.GetOpenPluginInfo(handle, &raw);
  inGetInfo_ = nested;
  OpenInfo copy;
  CopyOpenInfo(host, raw, copy);
  info = std::move(copy);
  hasInfo = true;
  host.EndCall();
  return !closed;
}

bool FarHost::Panel::Reread(int opMode, bool keepSelection) {
  if (closed) {
    host.Fail("Reread of a closed panel");
    return false;
  }
  if (!host.NeedLoaded("GetFindData")) return false;
  if (inReread_) {
    host.Fail("a panel update started while the same panel was being read");
    return false;
  }
  // The whole update is one step for FAR: deferred commands wait until it is over.
  host.BeginCall();
  inReread_ = true;
  bool ok = ReadOnce(opMode, keepSelection);
  inReread_ = false;
  host.EndCall();
  return ok && !closed;
}

bool FarHost::Panel::ReadOnce(int opMode, bool keepSelection) {
  const HostItem* cur = Current();
  std::string oldName = cur ? cur->name : std::string();
  int oldIndex = currentItem;
  std::set<std::string> oldSelected;
  if (keepSelection)
    for (const HostItem& i : items)
      if (i.selected) oldSelected.insert(i.name);

  if (!GetOpenPluginInfo()) return false;

  PluginPanelItem* data = nullptr;
  int count = 0;
  host.Log("GetFindData");
  ++findDataCalls;
  host.BeginCall();
  int ok = host.exports.GetFindData(handle, &data, &count, opMode);
  host.EndCall();
  if (!ok) {
    host.Log("GetFindData:FALSE");
    ClosePlugin();
    return false;
  }
  lastFindData = data;
  lastFindDataCount = count;
  std::vector<HostItem> fresh = CopyFindData(host, data, count);
  host.Log("FreeFindData");
  host.BeginCall();
  host.exports.FreeFindData(handle, data, count);
  host.EndCall();

  bool dotsPresent = std::any_of(fresh.begin(), fresh.end(),
                                 [](const HostItem& i) { return i.name == ".."; });
  if ((info.flags & OPIF_ADDDOTS) && !dotsPresent) {
    HostItem dots = HostItem::Make("..", FILE_ATTRIBUTE_DIRECTORY);
    dots.addedDots = true;
    fresh.insert(fresh.begin(), std::move(dots));
  }
  for (HostItem& i : fresh)
    if (keepSelection && oldSelected.count(i.name)) i.selected = true;
  if (!sortApplied) {
    if (info.startSortMode) {
      sortMode = info.startSortMode;
      sortReverse = info.startSortOrder != 0;
    }
    sortApplied = true;
  }
  SortItems(fresh, sortMode, sortReverse);
  items = std::move(fresh);
  Arrange(oldName, oldIndex);
  return true;
}

void FarHost::Panel::Arrange(const std::string& oldName, int oldIndex) {
  int index = -1;
  if (!oldName.empty()) {
    for (std::size_t i = 0; i < items.size() && index < 0; ++i)
      if (items[i].name == oldName) index = static_cast<int>(i);
    if (index < 0) index = Find(oldName);
  }
  currentItem = index >= 0 ? index : oldIndex;
  CorrectPosition();
}

void FarHost::Panel::CorrectPosition() {
  Clamp(static_cast<int>(items.size()), pageSize, currentItem, topPanelItem);
}

int FarHost::Panel::SetDirectory(const std::string& dir, int opMode) {
  if (closed) {
    host.Fail("SetDirectory on a closed panel");
    return FALSE;
  }
  if (!host.NeedLoaded("SetDirectory")) return FALSE;
  std::vector<char> buffer(std::max<std::size_t>(dir.size() + 1, MAX_PATH), 0);
  std::memcpy(buffer.data(), dir.c_str(), dir.size() + 1);
  host.Log("SetDirectory(" + dir + ")");
  host.BeginCall();
  int r = host.exports.SetDirectory(handle, buffer.data(), opMode);
  host.EndCall();
  return r;
}

int FarHost::Panel::ProcessKey(int key, unsigned controlState) {
  if (closed) {
    host.Fail("ProcessKey on a closed panel");
    return FALSE;
  }
  if (!host.NeedLoaded("ProcessKey")) return FALSE;
  host.Log("ProcessKey(" + std::to_string(key) + "," + std::to_string(controlState) + ")");
  host.BeginCall();
  int r = host.exports.ProcessKey(handle, key, controlState);
  host.EndCall();
  return r;
}

int FarHost::Panel::ProcessEvent(int event, void* param) {
  if (closed) {
    host.Fail("ProcessEvent on a closed panel");
    return FALSE;
  }
  if (!host.NeedLoaded("ProcessEvent")) return FALSE;
  host.Log("ProcessEvent(" + std::to_string(event) + ")");
  host.BeginCall();
  int r = host.exports.ProcessEvent(handle, event, param);
  host.EndCall();
  return r;
}

int FarHost::Panel::ProcessEventText(int event, const std::string& text) {
  std::vector<char> buffer(text.begin(), text.end());
  buffer.push_back(0);
  return ProcessEvent(event, buffer.data());
}

void FarHost::Panel::ClosePlugin() {
  if (closed) {
    host.Fail("ClosePlugin on a closed panel");
    return;
  }
  if (!host.NeedLoaded("ClosePlugin")) return;
  host.Log("ClosePlugin");
  host.BeginCall();
  host.exports.ClosePlugin(handle);
  closed = true;
  pendingClose.reset();
  host.OnPanelClosed(*this);
  host.EndCall();
}

bool FarHost::Panel::Close() {
  if (closed) return true;
  int refused = ProcessEvent(FE_CLOSE, nullptr);
  if (closed) return true;
  if (refused) {
    host.Log("CloseRefused");
    return false;
  }
  ClosePlugin();
  return true;
}

int FarHost::Panel::ChangeDir(const std::string& dir) {
  if (closed) {
    host.Fail("ChangeDir on a closed panel");
    return FALSE;
  }
  if (!GetOpenPluginInfo()) return FALSE;
  if (dir == ".." && info.curDir.empty()) {
    Close();
    return FALSE;
  }
  std::string folderLeft;
  if (dir == "..") {
    std::size_t slash = info.curDir.find_last_of('\\');
    folderLeft = slash == std::string::npos ? info.curDir : info.curDir.substr(slash + 1);
  }
  int ok = SetDirectory(dir, 0);
  if (closed) return FALSE;
  Reread();
  if (closed) return FALSE;
  if (ok) {
    int index = folderLeft.empty() ? -1 : Find(folderLeft);
    SetCurrent(index >= 0 ? index : 0, 0);
  }
  return ok;
}

bool FarHost::Panel::EnterDefault() {
  const HostItem* item = Current();
  if (!item) return false;
  if (item->IsDirectory()) {
    std::string name = item->name;
    ChangeDir(name);
    return true;
  }
  host.Log("Enter:file(" + item->name + ")");
  return false;
}

int FarHost::Panel::Key(int key, unsigned controlState) {
  int handled = ProcessKey(key, controlState);
  if (handled || closed) return handled;
  const int count = static_cast<int>(items.size());
  if (controlState == 0) {
    switch (key) {
      case VK_UP: SetCurrent(currentItem - 1); break;
      case VK_DOWN: SetCurrent(currentItem + 1); break;
      case VK_HOME: SetCurrent(0); break;
      case VK_END: SetCurrent(count - 1); break;
      case VK_PRIOR: SetCurrent(currentItem - std::max(pageSize - 1, 1)); break;
      case VK_NEXT: SetCurrent(currentItem + std::max(pageSize - 1, 1)); break;
      case VK_RETURN: EnterDefault(); break;
      default: break;
    }
  } else if (controlState == PKF_CONTROL) {
    switch (key) {
      case VK_PRIOR: ChangeDir(".."); break;
      case VK_NEXT: {
        const HostItem* item = Current();
        if (item && item->IsDirectory() && item->name != "..") EnterDefault();
        break;
      }
      case 'R': Reread(0, true); break;
      default: break;
    }
  }
  return handled;
}

const HostItem* FarHost::Panel::Current() const {
  if (currentItem < 0 || currentItem >= static_cast<int>(items.size())) return nullptr;
  return &items[static_cast<std::size_t>(currentItem)];
}

int FarHost::Panel::Find(const std::string& name) const {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (CompareNoCase(items[i].name, name) == 0) return static_cast<int>(i);
  return -1;
}

bool FarHost::Panel::SetCurrent(const std::string& name) {
  int index = Find(name);
  if (index < 0) return false;
  SetCurrent(index);
  return true;
}

void FarHost::Panel::SetCurrent(int index, int top) {
  currentItem = index;
  if (top >= 0) topPanelItem = top;
  CorrectPosition();
}

std::vector<std::string> FarHost::Panel::Names() const {
  std::vector<std::string> names;
  for (const HostItem& i : items) names.push_back(i.name);
  return names;
}

// ---------------------------------------------------------------------------------------------
// Registry

std::string FarHost::RegPath(const std::string& subKey) const {
  return subKey.empty() ? options.rootKey : options.rootKey + "\\" + subKey;
}

bool FarHost::DeleteRootKey() {
  std::string root = options.rootKey;
  while (!root.empty() && root.back() == '\\') root.pop_back();
  if (root.empty() || CompareNoCase(root, "Software") == 0) {
    Fail("DeleteRootKey: refusing to delete HKCU\\" + root);
    return false;
  }
  LONG r = DeleteKeyTree(HKEY_CURRENT_USER, root);
  if (r != ERROR_SUCCESS) return false;
  // Parents that this root key alone kept alive (e.g. Software\QuenbyTest\<pid>_<name>).
  std::string parent = root;
  for (;;) {
    std::size_t slash = parent.find_last_of('\\');
    if (slash == std::string::npos) break;
    parent.resize(slash);
    if (parent.find('\\') == std::string::npos) break;  // never a top-level key like Software
    RegKey k;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, parent.c_str(), 0, KEY_READ, &k.key) != ERROR_SUCCESS)
      break;
    DWORD subKeys = 0, values = 0;
    if (RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values,
                         nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS ||
        subKeys != 0 || values != 0)
      break;
    RegCloseKey(k.key);
    k.key = nullptr;
    if (RegDeleteKeyA(HKEY_CURRENT_USER, parent.c_str()) != ERROR_SUCCESS) break;
  }
  return !KeyExists("");
}

std::optional<FarHost::RegValue> FarHost::ReadValue(const std::string& name,
                                                    const std::string& subKey) const {
  RegKey k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, RegPath(subKey).c_str(), 0, KEY_QUERY_VALUE, &k.key) !=
      ERROR_SUCCESS)
    return std::nullopt;
  RegValue v;
  DWORD size = 0;
  LONG r = RegQueryValueExA(k.key, name.c_str(), nullptr, &v.type, nullptr, &size);
  for (int attempt = 0; attempt < 8 && r == ERROR_SUCCESS; ++attempt) {
    v.data.resize(size);
    DWORD got = size;
    r = RegQueryValueExA(k.key, name.c_str(), nullptr, &v.type, v.data.empty() ? nullptr : v.data.data(),
                         &got);
    if (r == ERROR_SUCCESS) {
      v.data.resize(got);
      return v;
    }
    if (r == ERROR_MORE_DATA) {
      size = got > size ? got : size * 2 + 16;
      r = ERROR_SUCCESS;
    }
  }
  return std::nullopt;
}

bool FarHost::WriteValue(const std::string& name, DWORD type, const void* data, std::size_t size,
                         const std::string& subKey) {
  RegKey k;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, RegPath(subKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                      nullptr, &k.key, nullptr) != ERROR_SUCCESS)
    return false;
  return RegSetValueExA(k.key, name.c_str(), 0, type, static_cast<const BYTE*>(data),
                        static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

bool FarHost::WriteDword(const std::string& name, DWORD value, const std::string& subKey) {
  return WriteValue(name, REG_DWORD, &value, sizeof value, subKey);
}

bool FarHost::WriteString(const std::string& name, const std::string& value,
                          const std::string& subKey) {
  return WriteValue(name, REG_SZ, value.c_str(), value.size() + 1, subKey);
}

std::optional<DWORD> FarHost::ReadDword(const std::string& name, const std::string& subKey) const {
  auto v = ReadValue(name, subKey);
  if (!v || v->type != REG_DWORD || v->data.size() != sizeof(DWORD)) return std::nullopt;
  DWORD d;
  std::memcpy(&d, v->data.data(), sizeof d);
  return d;
}

std::optional<std::string> FarHost::ReadString(const std::string& name,
                                               const std::string& subKey) const {
  auto v = ReadValue(name, subKey);
  if (!v || (v->type != REG_SZ && v->type != REG_EXPAND_SZ)) return std::nullopt;
  std::string s(v->data.begin(), v->data.end());
  while (!s.empty() && s.back() == '\0') s.pop_back();
  return s;
}

bool FarHost::KeyExists(const std::string& subKey) const {
  RegKey k;
  return RegOpenKeyExA(HKEY_CURRENT_USER, RegPath(subKey).c_str(), 0, KEY_READ, &k.key) ==
         ERROR_SUCCESS;
}

std::vector<std::string> FarHost::ValueNames(const std::string& subKey) const {
  std::vector<std::string> names;
  RegKey k;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, RegPath(subKey).c_str(), 0, KEY_READ, &k.key) !=
      ERROR_SUCCESS)
    return names;
  DWORD count = 0, maxLen = 0;
  if (RegQueryInfoKeyA(k.key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &maxLen,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return names;
  std::vector<char> buffer(maxLen + 2);
  for (DWORD i = 0; i < count; ++i) {
    DWORD len = static_cast<DWORD>(buffer.size());
    if (RegEnumValueA(k.key, i, buffer.data(), &len, nullptr, nullptr, nullptr, nullptr) ==
        ERROR_SUCCESS)
      names.emplace_back(buffer.data(), len);
  }
  return names;
}
