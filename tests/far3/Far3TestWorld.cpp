// The FAR 3 tests' shared helpers: scratch folders, the host, presets and message texts.
#include "Far3TestWorld.h"

#include <windows.h>

#include "Far3Dialog.h"

namespace far3test {

std::string U8(const std::wstring& s) { return far3host::Narrow(s); }
std::wstring W(const std::string& utf8) { return far3host::Widen(utf8); }

std::wstring DllPath() { return W(QUENBY3_DLL); }

bool DllPresent() { return GetFileAttributesW(DllPath().c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

void RemoveTreeW(const std::wstring& path) {
  WIN32_FIND_DATAW d;
  HANDLE f = FindFirstFileW((path + L"\\*").c_str(), &d);
  if (f != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = d.cFileName, full = path + L"\\" + name;
      if (name == L"." || name == L"..") continue;
      if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTreeW(full);
      } else {
        SetFileAttributesW(full.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(full.c_str());
      }
    } while (FindNextFileW(f, &d));
    FindClose(f);
  }
  RemoveDirectoryW(path.c_str());
}

}  // namespace

Scratch::Scratch(const std::wstring& name) {
  static int counter = 0;
  wchar_t temp[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  std::wstring base(temp, n <= MAX_PATH ? n : 0);
  if (!base.empty() && base.back() == L'\\') base.pop_back();
  path_ = base + L"\\quenby3_" + name + L"_" + std::to_wstring(GetCurrentProcessId()) + L"_" +
          std::to_wstring(++counter);
  RemoveTreeW(path_);
  CreateDirectoryW(path_.c_str(), nullptr);
}

Scratch::~Scratch() {
  wchar_t here[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, here);
  if (std::wstring(here, n <= MAX_PATH ? n : 0).rfind(path_, 0) == 0) {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    SetCurrentDirectoryW(temp);  // FAR's changes of folder may have left us inside
  }
  RemoveTreeW(path_);
}

std::wstring Scratch::MakeDir(const std::wstring& name) const {
  std::wstring full = path_;
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t slash = name.find(L'\\', start);
    full = path_ + L"\\" + name.substr(0, slash);
    CreateDirectoryW(full.c_str(), nullptr);
    if (slash == std::wstring::npos) break;
    start = slash + 1;
  }
  return path_ + L"\\" + name;
}

std::wstring Scratch::Write(const std::wstring& name, const std::string& bytes) const {
  const std::size_t slash = name.find_last_of(L'\\');
  if (slash != std::wstring::npos) MakeDir(name.substr(0, slash));
  const std::wstring file = path_ + L"\\" + name;
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(h, INVALID_HANDLE_VALUE) << U8(file);
  DWORD written = 0;
  if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
  EXPECT_EQ(written, bytes.size());
  return file;
}

std::unique_ptr<Far3Host> NewHost(const std::wstring& language) {
  Far3Host::Options o;
  o.dllPath = DllPath();
  o.language = language;
  auto host = std::make_unique<Far3Host>(o);
  host->onFailure = [](const std::string& what) { ADD_FAILURE() << "host: " << what; };
  return host;
}

void ExpectFailures(Far3Host& host, std::size_t count, const std::string& fragment) {
  EXPECT_EQ(host.failures.size(), count) << (host.failures.empty() ? "" : host.failures[0]);
  for (const std::string& f : host.failures) EXPECT_NE(f.find(fragment), std::string::npos) << f;
  host.failures.clear();
}

void PresetNumber(Far3Host& host, const wchar_t* name, unsigned long long value) {
  host.settings.Set(host.PluginGuid(), name, far3host::Far3Value::OfNumber(value));
}

void PresetText(Far3Host& host, const wchar_t* name, const std::wstring& value) {
  host.settings.Set(host.PluginGuid(), name, far3host::Far3Value::OfText(value));
}

std::optional<far3host::Far3Value> Stored(Far3Host& host, const wchar_t* name) {
  return host.settings.Get(host.PluginGuid(), name);
}

std::wstring Msg(Far3Host& host, std::size_t id) {
  const far3host::Far3LangFile* file = host.Messages();
  if (!file || id >= file->messages.size()) {
    ADD_FAILURE() << "no message " << id;
    return std::wstring();
  }
  return file->messages[id];
}

std::vector<std::wstring> ItemNames(const Far3PluginPanel& panel) {
  std::vector<std::wstring> names;
  for (const auto& i : panel.items)
    if (!i.parentPoint) names.push_back(i.name);
  return names;
}

int ItemWithText(const far3host::DialogCall& call, FARDIALOGITEMTYPES type, const std::wstring& text) {
  for (std::size_t i = 0; i < call.items.size(); ++i)
    if (call.items[i].type == type && call.items[i].data == text) return static_cast<int>(i);
  return -1;
}

int EditAfter(const far3host::DialogCall& call, const std::wstring& label) {
  const int at = ItemWithText(call, DI_TEXT, label);
  if (at < 0) return -1;
  for (std::size_t i = static_cast<std::size_t>(at) + 1; i < call.items.size(); ++i)
    if (call.items[i].IsEdit()) return static_cast<int>(i);
  return -1;
}

void PluginTest::SetUp() {
  if (!DllPresent()) GTEST_SKIP() << "no FAR 3 DLL at " << U8(DllPath());
  wchar_t here[MAX_PATH + 1];
  DWORD n = GetCurrentDirectoryW(MAX_PATH + 1, here);
  savedDir_.assign(here, n <= MAX_PATH ? n : 0);
  dir = std::make_unique<Scratch>(L"plugin");
  host = NewHost();
  host->filePanel.curDir = dir->path();
}

void PluginTest::TearDown() {
  if (host) {
    host->Shutdown();
    host.reset();
  }
  SetCurrentDirectoryW(savedDir_.c_str());
  dir.reset();
}

void PluginTest::Start(const std::function<void(Far3Host&)>& preset) {
  ASSERT_TRUE(host->Load()) << host->lastError;
  if (preset) preset(*host);
  ASSERT_TRUE(host->StartUp()) << host->lastError;
}

void PluginTest::MakeWorld(const std::function<void(Far3Host&)>& preset) {
  dir->Write(L"Mail\\a.msg", "a");
  dir->Write(L"Mail\\b.msg", "bb");
  dir->Write(L"Drop\\x.zip", "x");
  dir->Write(L"Drop\\y.txt", "y");
  dir->MakeDir(L"Archive");
  list = dir->Write(L"LIST.VFS", "\xEF\xBB\xBF" + U8(Entry(L"Mail\\*.msg")) + ",Incoming mail\r\n" +
                                     U8(Entry(L"Drop\\*.*")) + ",Drop folder\r\n" +
                                     U8(Entry(L"Archive\\*.*")) + ",Archive\r\n");
  host->filePanel.Read(L"LIST.VFS");
  Start([&](Far3Host& h) {
    PresetText(h, L"FileSystemFile", list);
    PresetText(h, L"FileSystemExt", L"VFS");
    if (preset) preset(h);
  });
}

Far3PluginPanel* PluginTest::Open() {
  Far3PluginPanel* p = host->OpenFromPluginsMenu();
  EXPECT_NE(p, nullptr) << "no panel from the plugins menu";
  return p;
}

void PluginTest::EnterItem(Far3PluginPanel* panel, const std::wstring& name) {
  ASSERT_TRUE(panel->SetCurrent(name)) << U8(name);
  panel->Enter();
}

}  // namespace far3test
