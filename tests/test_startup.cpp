// Start-up and settings: SetStartupInfo, GetPluginInfo, ExitFAR, Configure's result, and the
// nine settings as the plugin loads and saves them below FAR's RootKey. The registry is set up
// and read back through the Win32 registry API; the settings in memory are observed the way a
// FAR user sees them, in GetPluginInfo and in the items of the configuration dialog.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>
#include "FarHost.h"

namespace {

// Items of the configuration dialog.
enum { ItemAddToDisks = 1, ItemDigit = 2, ItemPath = 6, ItemExt = 8, ItemFirstFlag = 10 };
enum { ItemOk = 16 };
// The integer settings; the last five are the check boxes from item 10 on.
const char* const IntegerNames[] = {"AddToDisksMenu", "DisksMenuDigit", "ShowAllFiles",
                                    "ShowAllFolders", "AutoExit", "AutoExitPlugin",
                                    "TreatFolderAsFile"};

// What the dialog shows of the settings in memory.
struct Shown {
  int addToDisks = -99;
  std::string digit, path, ext;
  std::vector<int> flags;
  bool operator==(const Shown& o) const {
    return addToDisks == o.addToDisks && digit == o.digit && path == o.path && ext == o.ext &&
           flags == o.flags;
  }
};
std::ostream& operator<<(std::ostream& out, const Shown& s) {
  out << "{disks " << s.addToDisks << ", digit \"" << s.digit << "\", path \"" << s.path
      << "\", ext \"" << s.ext << "\", flags";
  for (int f : s.flags) out << ' ' << f;
  return out << '}';
}
const Shown Defaults{1, "1", "", "", {0, 0, 1, 1, 0}};

std::string CurrentTestName() {
  return ::testing::UnitTest::GetInstance()->current_test_info()->name();
}

void SetData(FarDialogItem& item, const std::string& text) {
  ASSERT_LT(text.size(), sizeof item.Data);
  std::memcpy(item.Data, text.c_str(), text.size() + 1);
}

// The bytes of a REG_DWORD-typed value read with the registry API under HKCU\<path>.
std::string DirectRead(const std::string& path, const char* name) {
  std::string data(1024, '\0');
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return "<no key>";
  DWORD type = 0, size = static_cast<DWORD>(data.size());
  LONG r = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&data[0]), &size);
  RegCloseKey(key);
  if (r != ERROR_SUCCESS) return "<no value>";
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD)) << name;
  return data.substr(0, size);
}

// Removes every key of this test (a run that crashed may have left some behind).
bool DeleteTestKeys() {
  FarHost::Options o;
  o.rootKey = FarHost::TestRootKey(CurrentTestName());
  FarHost cleaner(o);
  return cleaner.DeleteRootKey();
}

class Startup : public ::testing::Test {
 protected:
  std::unique_ptr<FarHost> host;

  void SetUp() override { ASSERT_TRUE(DeleteTestKeys()); }

  // A host whose RootKey is `rootKey` (by default one of this test's own).
  void MakeHost(std::string rootKey = std::string()) {
    FarHost::Options o;
    o.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    o.rootKey = rootKey.empty() ? FarHost::TestRootKey(CurrentTestName()) : rootKey;
    o.moduleNumber = 7;
    host = std::make_unique<FarHost>(o);
    host->onFailure = [](const std::string& what) { ADD_FAILURE() << "host: " << what; };
  }
  void Start() { ASSERT_TRUE(host->LoadAndStart()) << host->lastError; }

  void TearDown() override {
    if (host) {
      EXPECT_EQ(host->messages.size(), 0u) << "no message box is expected here";
    }
    host.reset();
    EXPECT_TRUE(DeleteTestKeys());  // every RootKey a test uses starts with its own
  }

  // Opens the configuration dialog; the user leaves with Escape.
  Shown ShowDialog() {
    Shown s;
    std::size_t before = host->dialogs.size();
    EXPECT_EQ(host->Configure(0), 0);
    if (host->dialogs.size() != before + 1) {
      ADD_FAILURE() << "Configure showed no dialog";
      return s;
    }
    const DialogCall& d = host->dialogs.back();
    EXPECT_EQ(d.itemsNumber, 19);
    EXPECT_EQ(d.helpTopic, "QuenbyCfg");
    if (d.items.size() < 19) return s;
    s.addToDisks = d.items[ItemAddToDisks].Selected;
    s.digit = d.Data(ItemDigit);
    s.path = d.Data(ItemPath);
    s.ext = d.Data(ItemExt);
    for (int i = 0; i < 5; ++i) s.flags.push_back(d.items[ItemFirstFlag + i].Selected);
    return s;
  }

  // The user edits the dialog and presses OK.
  void SaveThroughDialog(std::function<void(std::vector<FarDialogItem>&)> edit) {
    host->dialogScript.push_back([edit](std::vector<FarDialogItem>& items) {
      edit(items);
      return static_cast<int>(ItemOk);
    });
    EXPECT_EQ(host->Configure(0), 0) << "Configure returns 0 after OK too";
  }
  void SavePathAndExt(const std::string& path, const std::string& ext) {
    SaveThroughDialog([&](std::vector<FarDialogItem>& items) {
      SetData(items[ItemPath], path);
      SetData(items[ItemExt], ext);
    });
  }

  // A value the plugin stored: always REG_DWORD.
  std::vector<BYTE> Stored(const std::string& name) {
    auto v = host->ReadValue(name);
    if (!v) {
      ADD_FAILURE() << name << " is not stored";
      return {};
    }
    EXPECT_EQ(v->type, static_cast<DWORD>(REG_DWORD)) << name;
    return v->data;
  }
  void WriteBytes(const std::string& name, const std::string& bytes, DWORD type = REG_DWORD) {
    ASSERT_TRUE(host->WriteValue(name, type, bytes.data(), bytes.size()));
  }
};

std::string Bytes(const std::vector<BYTE>& v) { return std::string(v.begin(), v.end()); }

}  // namespace

TEST_F(Startup, DefaultsWithoutAKeyAndNothingIsWritten) {
  MakeHost();
  ASSERT_FALSE(host->KeyExists(""));
  Start();
  ASSERT_TRUE(host->GetPluginInfo());
  ASSERT_EQ(host->pluginInfo.diskMenuStrings.size(), 1u);
  EXPECT_EQ(host->pluginInfo.diskMenuNumbers, std::vector<int>{1});

  EXPECT_EQ(ShowDialog(), Defaults);
  host->ExitFAR();
  EXPECT_FALSE(host->KeyExists()) << "loading, Escape and ExitFAR must not create the key";
  EXPECT_FALSE(host->KeyExists(""));
}

TEST_F(Startup, SaveWritesNineDwordValuesWithTheBlocksWhole) {
  MakeHost();
  Start();
  SaveThroughDialog([](std::vector<FarDialogItem>& items) {
    SetData(items[ItemDigit], "5");
    SetData(items[ItemPath], "C:\\Lists\\a rather long list file name.vfs");
    SetData(items[ItemExt], "vfs");
    items[ItemAddToDisks].Selected = 0;
    for (int i = 0; i < 5; ++i) items[ItemFirstFlag + i].Selected = (i % 2 == 0);
  });
  std::vector<std::string> names = host->ValueNames();
  EXPECT_EQ(names.size(), 9u);
  for (const char* name : IntegerNames) {
    std::vector<BYTE> v = Stored(name);
    EXPECT_EQ(v.size(), 4u) << name;
  }
  EXPECT_EQ(host->ReadDword("AddToDisksMenu"), 0u);
  EXPECT_EQ(host->ReadDword("DisksMenuDigit"), 5u);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(host->ReadDword(IntegerNames[2 + i]), i % 2 == 0 ? 1u : 0u);

  std::string longPath = "C:\\Lists\\a rather long list file name.vfs";
  std::vector<BYTE> path = Stored("FileSystemFile");
  ASSERT_EQ(path.size(), 255u);
  EXPECT_EQ(Bytes(path).substr(0, longPath.size() + 1), longPath + std::string(1, '\0'));
  EXPECT_EQ(Bytes(Stored("FileSystemExt")), "vfs") << "three letters fill the block, no zero";

  // The settings key is exactly <RootKey>\Quenby.
  EXPECT_EQ(DirectRead(host->options.rootKey + "\\Quenby", "FileSystemExt"), "vfs");

  // A shorter path and a two-letter extension replace them; a new start-up sees only those.
  SavePathAndExt("C:\\b.vfs", "ab");
  EXPECT_EQ(Bytes(Stored("FileSystemExt")), std::string("ab\0", 3));
  path = Stored("FileSystemFile");
  ASSERT_EQ(path.size(), 255u);
  EXPECT_EQ(Bytes(path).substr(0, 9), std::string("C:\\b.vfs\0", 9));
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{0, "5", "C:\\b.vfs", "ab", {1, 0, 1, 0, 1}}));

  // A three-letter extension reads back whole on a fresh load of the module.
  SavePathAndExt("C:\\b.vfs", "LST");
  host->Unload();
  Start();
  EXPECT_EQ(ShowDialog().ext, "LST");
}

TEST_F(Startup, StoredFormsReadBackUnchanged) {
  MakeHost();
  // Whole blocks as the plugin itself writes them: 255 and 3 bytes of REG_DWORD, no zero.
  std::string fullPath = "C:\\" + std::string(248, 'p') + ".vfs";
  ASSERT_EQ(fullPath.size(), 255u);
  WriteBytes("FileSystemFile", fullPath);
  WriteBytes("FileSystemExt", "VFS");
  host->WriteDword("DisksMenuDigit", 3);
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "3", fullPath, "VFS", {0, 0, 1, 1, 0}}));

  // Only the text up to the zero counts, whatever follows it in the block.
  WriteBytes("FileSystemFile", std::string("C:\\x.vfs\0", 9) + std::string(246, 'G'));
  WriteBytes("FileSystemExt", std::string("q\0Z", 3));
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "3", "C:\\x.vfs", "q", {0, 0, 1, 1, 0}}));

  // The stored type is not looked at: REG_SZ and REG_BINARY values count by their bytes.
  host->WriteString("FileSystemFile", "D:\\mail\\list.txt");
  host->WriteString("FileSystemExt", "tx");
  host->WriteString("AutoExit", "0");  // the bytes '0', 0: the integer 0x30
  WriteBytes("ShowAllFiles", std::string("\x01\0\0\0", 4), REG_BINARY);
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "3", "D:\\mail\\list.txt", "tx", {1, 0, 0x30, 1, 0}}));
}

TEST_F(Startup, OddSizesAndValuesLoadDeterministically) {
  MakeHost();
  for (const char* name : IntegerNames) host->WriteDword(name, 2);
  host->WriteDword("DisksMenuDigit", 0x01020304);
  WriteBytes("FileSystemFile", "C:\\kept.vfs" + std::string(1, '\0'));
  WriteBytes("FileSystemExt", std::string("ke\0", 3));
  Start();

  // A flag stored as 2 loads as 2 and acts as off.
  EXPECT_EQ(ShowDialog(), (Shown{2, "16909060", "C:\\kept.vfs", "ke", {2, 2, 2, 2, 2}}));
  ASSERT_TRUE(host->GetPluginInfo());
  EXPECT_TRUE(host->pluginInfo.diskMenuStrings.empty()) << "AddToDisksMenu 2 is off";
  EXPECT_EQ(host->pluginInfo.pluginMenuStrings.size(), 1u);

  // Integers shorter than four bytes fill the low bytes, the rest zero (not the previous value);
  // longer than four bytes cannot be read and take the default. A text longer than its block
  // cannot be read and the block keeps what it held.
  WriteBytes("DisksMenuDigit", std::string("\x09", 1));
  WriteBytes("AddToDisksMenu", std::string("\x01\x00", 2), REG_BINARY);
  WriteBytes("AutoExit", std::string("\x05\x01", 2));
  WriteBytes("ShowAllFiles", std::string("\x00\x00\x00\x00\x01", 5));
  WriteBytes("FileSystemExt", std::string(300, 'E'));
  WriteBytes("FileSystemFile", std::string(256, 'F'));
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "9", "C:\\kept.vfs", "ke", {0, 2, 0x105, 2, 2}}));

  WriteBytes("DisksMenuDigit", std::string("\x07\0\0\0\0\0\0\0", 8), REG_BINARY);
  Start();
  EXPECT_EQ(ShowDialog().digit, "1") << "an 8-byte digit loads as the default";

  // Without the key the integers take their defaults; the text blocks keep their content.
  ASSERT_TRUE(host->DeleteRootKey());
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "1", "C:\\kept.vfs", "ke", {0, 0, 1, 1, 0}}));
  EXPECT_FALSE(host->KeyExists(""));

  // A fresh module starts from empty blocks: an over-long text leaves them empty.
  WriteBytes("FileSystemExt", std::string(300, 'E'));
  host->Unload();
  Start();
  EXPECT_EQ(ShowDialog().ext, "");
}

TEST_F(Startup, PluginInfoForEachDisksMenuSetting) {
  MakeHost();
  Start();
  const LangFile* lang = host->Messages();
  ASSERT_NE(lang, nullptr);
  ASSERT_GT(lang->messages.size(), 4u);
  const std::string name = lang->messages[4];
  static const char* const HostStrings[] = {"host's entry"};
  static int HostNumbers[] = {9};

  auto call = [&](int addToDisks) {
    host->WriteDword("AddToDisksMenu", static_cast<DWORD>(addToDisks));
    host->StartUp();
    PluginInfo pi;
    std::memset(&pi, 0xCD, sizeof pi);
    pi.DiskMenuStrings = HostStrings;
    pi.DiskMenuNumbers = HostNumbers;
    pi.DiskMenuStringsNumber = 77;
    host->exports.GetPluginInfo(&pi);
    EXPECT_EQ(pi.StructSize, 40);
    EXPECT_EQ(pi.Flags, 0u);
    EXPECT_EQ(pi.CommandPrefix, nullptr);
    EXPECT_EQ(pi.PluginMenuStringsNumber, 1);
    EXPECT_EQ(pi.PluginConfigStringsNumber, 1);
    if (pi.PluginMenuStringsNumber == 1 && pi.PluginConfigStringsNumber == 1) {
      EXPECT_STREQ(pi.PluginMenuStrings[0], name.c_str());
      EXPECT_STREQ(pi.PluginConfigStrings[0], name.c_str());
    }
    return pi;
  };

  for (int off : {0, 2}) {
    PluginInfo pi = call(off);
    EXPECT_EQ(pi.DiskMenuStrings, HostStrings) << "AddToDisksMenu " << off;
    EXPECT_EQ(pi.DiskMenuNumbers, HostNumbers) << "AddToDisksMenu " << off;
    EXPECT_EQ(pi.DiskMenuStringsNumber, 77) << "AddToDisksMenu " << off;
  }

  host->WriteDword("DisksMenuDigit", 3);
  PluginInfo pi = call(1);
  ASSERT_EQ(pi.DiskMenuStringsNumber, 1);
  EXPECT_STREQ(pi.DiskMenuStrings[0], name.c_str());
  int* number = pi.DiskMenuNumbers;
  ASSERT_NE(number, HostNumbers);
  EXPECT_EQ(*number, 3);
  MEMORY_BASIC_INFORMATION where{};
  ASSERT_EQ(VirtualQuery(number, &where, sizeof where), sizeof where);
  EXPECT_EQ(where.AllocationBase, static_cast<void*>(host->Module()))
      << "the number lives in the plugin's own data";

  // The pointer reads the live setting: change the digit in the dialog, read it again.
  SaveThroughDialog([](std::vector<FarDialogItem>& items) { SetData(items[ItemDigit], "8"); });
  EXPECT_EQ(*number, 8);
  EXPECT_EQ(host->ReadDword("DisksMenuDigit"), 8u);
  PluginInfo again;
  std::memset(&again, 0, sizeof again);
  host->exports.GetPluginInfo(&again);
  EXPECT_EQ(again.DiskMenuNumbers, number);

  // Turning the entry off in the dialog takes effect at once.
  SaveThroughDialog([](std::vector<FarDialogItem>& items) { items[ItemAddToDisks].Selected = 0; });
  ASSERT_TRUE(host->GetPluginInfo());
  EXPECT_TRUE(host->pluginInfo.diskMenuStrings.empty());
  EXPECT_EQ(host->pluginInfo.pluginConfigStrings, std::vector<std::string>{name});
}

// No fixed key buffer: a settings path of 260 characters (the most that Wine's single-byte
// registry calls take; Windows takes more) is saved and read back, and a RootKey of 2000
// characters still starts up on defaults and keeps the dialog's values in memory.
TEST_F(Startup, LongRootKeysWork) {
  const std::string base = FarHost::TestRootKey(CurrentTestName());
  std::string root = base;
  for (int i = 0; root.size() + 20 < 253; ++i) root += "\\Profile segment " + std::to_string(i);
  root += "\\" + std::string(253 - root.size() - 1, 'x');
  ASSERT_EQ(root.size() + std::strlen("\\Quenby"), 260u);
  MakeHost(root);
  ASSERT_TRUE(host->WriteDword("DisksMenuDigit", 4));
  Start();
  EXPECT_EQ(ShowDialog().digit, "4");
  SavePathAndExt("C:\\long\\root.vfs", "vfs");

  std::string path = DirectRead(root + "\\Quenby", "FileSystemFile");
  EXPECT_EQ(path.size(), 255u);
  EXPECT_EQ(path.substr(0, 17), std::string("C:\\long\\root.vfs\0", 17));
  host->Unload();
  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "4", "C:\\long\\root.vfs", "vfs", {0, 0, 1, 1, 0}}));

  host.reset();
  root = base;
  for (int i = 0; i < 10; ++i) root += "\\" + std::string(199, static_cast<char>('a' + i));
  MakeHost(root);
  Start();
  ASSERT_TRUE(host->GetPluginInfo());
  EXPECT_EQ(host->pluginInfo.diskMenuNumbers, std::vector<int>{1});
  EXPECT_EQ(ShowDialog(), Defaults);
  SaveThroughDialog([](std::vector<FarDialogItem>& items) {
    SetData(items[ItemDigit], "6");
    SetData(items[ItemPath], "C:\\p.vfs");
    SetData(items[ItemExt], "abc");
    items[ItemFirstFlag + 2].Selected = 0;
  });
  // Saved or not, the settings in memory are the dialog's.
  EXPECT_EQ(ShowDialog(), (Shown{1, "6", "C:\\p.vfs", "abc", {0, 0, 0, 1, 0}}));
  ASSERT_TRUE(host->GetPluginInfo());
  EXPECT_EQ(host->pluginInfo.diskMenuNumbers, std::vector<int>{6});
}

TEST_F(Startup, SecondStartupReloadsAndExitFarDoesNothing) {
  MakeHost();
  Start();
  SavePathAndExt("C:\\first.vfs", "one");
  host->WriteDword("AutoExit", 0);
  WriteBytes("FileSystemFile", "C:\\second.vfs" + std::string(1, '\0'));
  EXPECT_EQ(ShowDialog().path, "C:\\first.vfs") << "nothing rereads the registry by itself";

  std::size_t calls = host->log.size();
  host->ExitFAR();
  EXPECT_EQ(host->LogSince(calls), std::vector<std::string>{"ExitFAR"})
      << "ExitFAR calls no FAR service";
  EXPECT_EQ(host->ReadDword("AutoExit"), 0u) << "ExitFAR saves nothing";
  EXPECT_EQ(Bytes(Stored("FileSystemFile")).substr(0, 14), "C:\\second.vfs" + std::string(1, '\0'));

  Start();
  EXPECT_EQ(ShowDialog(), (Shown{1, "1", "C:\\second.vfs", "one", {0, 0, 0, 1, 0}}));
}
