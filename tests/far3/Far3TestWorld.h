// What the FAR 3 test programs share: the DLL under test, scratch folders of real files, a host
// whose failures fail the test, and the settings and texts the plugin's tests read.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "Far3Host.h"

namespace far3test {

using far3host::Far3Host;
using far3host::Far3PluginPanel;

// The FAR 3 quenby.dll of this program's bitness (Windows path), and whether it was built.
std::wstring DllPath();
bool DllPresent();

// A scratch folder under %TEMP%, removed with its files when the test ends.
class Scratch {
 public:
  explicit Scratch(const std::wstring& name = L"far3");
  ~Scratch();
  Scratch(const Scratch&) = delete;
  Scratch& operator=(const Scratch&) = delete;
  const std::wstring& path() const { return path_; }
  std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }
  // Writes bytes to path()\name (folders on the way are made); returns the full path.
  std::wstring Write(const std::wstring& name, const std::string& bytes) const;
  std::wstring MakeDir(const std::wstring& name) const;

 private:
  std::wstring path_;
};

// A host for the DLL whose recorded failures are test failures (ADD_FAILURE).
std::unique_ptr<Far3Host> NewHost(const std::wstring& language = L"English");
// Expects exactly `count` recorded failures, each containing `fragment`, and forgets them.
void ExpectFailures(Far3Host& host, std::size_t count, const std::string& fragment);

std::string U8(const std::wstring& s);  // for gtest messages
std::wstring W(const std::string& utf8);

// The nine settings as the plugin keeps them under its GUID (numbers and two texts).
void PresetNumber(Far3Host& host, const wchar_t* name, unsigned long long value);
void PresetText(Far3Host& host, const wchar_t* name, const std::wstring& value);
std::optional<far3host::Far3Value> Stored(Far3Host& host, const wchar_t* name);

// The text of message `id` of the plugin's language file for the host's language.
std::wstring Msg(Far3Host& host, std::size_t id);

// The panel's item names without FAR's "..", and the ".." rows counted.
std::vector<std::wstring> ItemNames(const Far3PluginPanel& panel);

// The dialog item of `type` whose text is `text`; -1 when there is none.
int ItemWithText(const far3host::DialogCall& call, FARDIALOGITEMTYPES type, const std::wstring& text);
// The first edit item after the text item `label`; -1 when there is none.
int EditAfter(const far3host::DialogCall& call, const std::wstring& label);

// A test of the FAR 3 DLL through the stand-in: a scratch world of real folders and files, a
// host whose failures fail the test, the process's folder put back at the end.
class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Load, the presets (the plugin's GUID is known then), SetStartupInfoW.
  void Start(const std::function<void(Far3Host&)>& preset = {});
  // Mail\a.msg, Mail\b.msg, Drop\x.zip, Drop\y.txt and an empty Archive; the list file LIST.VFS
  // (UTF-8 with a BOM) naming Mail\*.msg "Incoming mail", Drop\*.* "Drop folder" and
  // Archive\*.* "Archive"; the settings name it with the extension VFS.
  void MakeWorld(const std::function<void(Far3Host&)>& preset = {});
  // Opens the plugin from the plugins menu; fails the test when no panel opens.
  Far3PluginPanel* Open();
  // The cursor on `name`, then Enter as FAR handles it.
  void EnterItem(Far3PluginPanel* panel, const std::wstring& name);
  std::wstring Entry(const wchar_t* folderAndMask) const { return *dir / folderAndMask; }

  std::unique_ptr<Scratch> dir;
  std::unique_ptr<Far3Host> host;
  std::wstring list;

 private:
  std::wstring savedDir_;
};

}  // namespace far3test

// Skips a test that needs the FAR 3 DLL when the build made none.
#define REQUIRE_FAR3_DLL()                                                                    \
  do {                                                                                        \
    if (!far3test::DllPresent()) GTEST_SKIP() << "no FAR 3 DLL at " << far3test::U8(far3test::DllPath()); \
  } while (0)
