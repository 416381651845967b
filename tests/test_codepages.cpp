// National code pages: in a double-byte code page (932) a trail byte equal to '\' is no path
// separator; in a Cyrillic one (1251) the extension match folds national letters. CTest runs
// each test under the locale it is about.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include "FarHost.h"

namespace {

std::string TempFolder(const std::string& Name) {
  char Path[MAX_PATH];
  GetTempPathA(MAX_PATH, Path);
  std::string Dir = std::string(Path) + Name + "_" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(Dir.c_str(), nullptr);
  return Dir;
}

void Touch(const std::string& Path) {
  HANDLE H = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << Path;
  CloseHandle(H);
}

void WriteText(const std::string& Path, const std::string& Text) {
  HANDLE H = CreateFileA(Path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(H, INVALID_HANDLE_VALUE) << Path;
  DWORD Written = 0;
  WriteFile(H, Text.data(), static_cast<DWORD>(Text.size()), &Written, nullptr);
  CloseHandle(H);
}

class CodePages : public ::testing::Test {
 protected:
  // The host starts only once a test knows its locale is the right one.
  void Start() {
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Host.reset(new FarHost(O));
    Host->onFailure = [](const std::string& What) { ADD_FAILURE() << "host: " << What; };
  }
  void TearDown() override {
    if (!Host) return;
    Host->Shutdown();
    Host->DeleteRootKey();
  }
  void Configure(const std::string& ListFile, const std::string& Ext) {
    Start();
    char Block[255] = {};
    memcpy(Block, ListFile.data(), ListFile.size() < 255 ? ListFile.size() : 255);
    Host->WriteValue("FileSystemFile", REG_DWORD, Block, sizeof(Block));
    char ExtBlock[3] = {};
    memcpy(ExtBlock, Ext.data(), Ext.size() < 3 ? Ext.size() : 3);
    Host->WriteValue("FileSystemExt", REG_DWORD, ExtBlock, sizeof(ExtBlock));
    Host->WriteDword("AutoExitPlugin", 0);
    ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  }
  std::unique_ptr<FarHost> Host;
};

}  // namespace

TEST_F(CodePages, TrailByteBackslashIsNoSeparatorInCodePage932) {
  ASSERT_EQ(GetACP(), 932u) << "run under the Japanese locale";
  const std::string Dir = TempFolder("quenby_cp932");
  const std::string Kanji = "\x95\x5C";  // one character whose trail byte is '\'
  Touch(Dir + "\\" + Kanji + "a.txt");
  const std::string Mask = Dir + "\\" + Kanji + "*.txt";
  const std::string List = Dir + "\\list.vfs";
  WriteText(List, Mask + ",Kanji\r\n");
  Configure(List, "VFS");

  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  // The entry has content only if its folder is found before the kanji, not inside it.
  ASSERT_NE(P->Find(Mask), -1) << "entry left out: its folder was cut inside a character";
  EXPECT_EQ(P->items[P->Find(Mask)].description, "Kanji");

  P->SetDirectory(Mask);
  ASSERT_TRUE(P->Reread());
  EXPECT_NE(P->Find(Dir + "\\" + Kanji + "a.txt"), -1)
      << "folder view names must be the folder plus the file's own name";
  P->SetDirectory("..");

  DeleteFileA((Dir + "\\" + Kanji + "a.txt").c_str());
  DeleteFileA(List.c_str());
  SetCurrentDirectoryA("C:\\");
  RemoveDirectoryA(Dir.c_str());
}

TEST_F(CodePages, ExtensionMatchFoldsCyrillicLettersInCodePage1251) {
  ASSERT_EQ(GetACP(), 1251u) << "run under the Russian locale";
  const std::string Dir = TempFolder("quenby_cp1251");
  const std::string List = Dir + "\\list.txt";
  WriteText(List, "");
  Configure(List, "\xE2\xF4\xF1");  // "вфс", lower case in code page 1251

  char Upper[] = "C:\\X\\LIST.\xC2\xD4\xD1";  // "ВФС"
  HANDLE H = Host->exports.OpenFilePlugin(Upper, nullptr, 0);
  EXPECT_NE(H, INVALID_HANDLE_VALUE) << "upper-case Cyrillic extension must match";
  if (H != INVALID_HANDLE_VALUE) Host->exports.ClosePlugin(H);

  char Other[] = "C:\\X\\LIST.\xC2\xD4\xC4";  // "ВФД"
  EXPECT_EQ(Host->exports.OpenFilePlugin(Other, nullptr, 0), INVALID_HANDLE_VALUE);
  DeleteFileA(List.c_str());
  RemoveDirectoryA(Dir.c_str());
}
