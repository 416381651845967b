// National code pages: in a double-byte code page (932) a trail byte equal to '\' is no path
// separator; the extension match folds national letters as the OEM characters FAR hands over
// (Cyrillic in 866, accented Latin in 437). CTest runs each test under the locale it is about.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>
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

// FAR hands OpenFilePlugin the file name in its OEM code page. True when the plugin opens on
// a list file named "LIST" plus Ext (the host's OpenFilePlugin is FAR's call).
bool Opens(FarHost& Host, const std::string& Ext) {
  std::string Name = "C:\\X\\LIST." + Ext;
  std::vector<char> Buffer(Name.begin(), Name.end());
  Buffer.push_back(0);
  HANDLE H = Host.exports.OpenFilePlugin(Buffer.data(), nullptr, 0);
  if (H == INVALID_HANDLE_VALUE) return false;
  Host.exports.ClosePlugin(H);
  return true;
}

// Under a Russian FAR the extension set in the dialog and the file names are OEM 866 bytes.
TEST_F(CodePages, ExtensionMatchFoldsCyrillicLettersInCodePage866) {
  ASSERT_EQ(GetOEMCP(), 866u) << "run under the Russian locale";
  const std::string Dir = TempFolder("quenby_cp866");
  const std::string List = Dir + "\\list.txt";
  WriteText(List, "");
  Configure(List, "\x82\x94\x91");  // "ВФС"
  EXPECT_TRUE(Opens(*Host, "\x82\x94\x91"));
  EXPECT_TRUE(Opens(*Host, "\xA2\xE4\xE1")) << "\"вфс\" is \"ВФС\" in lower case";
  EXPECT_TRUE(Opens(*Host, "\xA2\x94\xE1")) << "\"вФс\"";
  EXPECT_FALSE(Opens(*Host, "\x82\x94\x84")) << "\"ВФД\"";
  EXPECT_FALSE(Opens(*Host, "\xA1\x94\x91")) << "\"бФС\"";
  Host->Shutdown();
  Host.reset();

  // Set in lower case: the upper case matches; bytes that upper-case to the same bytes when
  // read as code page 1251 do not ("б─┴" are 866's A1 C4 C1, 1251's upper case of A2 E4 E1).
  Configure(List, "\xA2\xE4\xE1");  // "вфс"
  EXPECT_TRUE(Opens(*Host, "\x82\x94\x91")) << "\"ВФС\"";
  EXPECT_FALSE(Opens(*Host, "\xA1\xC4\xC1")) << "\"б─┴\": box-drawing characters are no letters";
  EXPECT_FALSE(Opens(*Host, "\xA1\xE4\xE1")) << "\"бфс\": 1251 folds \"в\" and \"б\" alike";
  EXPECT_FALSE(Opens(*Host, "\x82\xC4\x91")) << "\"В─С\"";
  DeleteFileA(List.c_str());
  RemoveDirectoryA(Dir.c_str());
}

// Under a Western FAR the bytes are OEM 437: "é" (82) is "É" (90) in upper case, while "Θ"
// (E9) and "╔" (C9) are different characters, though 1252 would upper-case E9 to C9.
TEST_F(CodePages, ExtensionMatchFoldsAccentedLettersInCodePage437) {
  ASSERT_EQ(GetOEMCP(), 437u) << "run under the US English locale";
  const std::string Dir = TempFolder("quenby_cp437");
  const std::string List = Dir + "\\list.txt";
  WriteText(List, "");
  Configure(List, "VF\x82");  // "VFé"
  EXPECT_TRUE(Opens(*Host, "vf\x82"));
  EXPECT_TRUE(Opens(*Host, "VF\x90")) << "\"VFÉ\"";
  EXPECT_FALSE(Opens(*Host, "VFE")) << "an accent is no case";
  Host->Shutdown();
  Host.reset();

  Configure(List, "VF\xE9");  // "VFΘ"
  EXPECT_TRUE(Opens(*Host, "vf\xE9"));
  EXPECT_FALSE(Opens(*Host, "VF\xC9")) << "\"VF╔\"";
  Host->Shutdown();
  Host.reset();

  Configure(List, "\x84\x94\x81");  // "äöü"
  EXPECT_TRUE(Opens(*Host, "\x8E\x99\x9A")) << "\"ÄÖÜ\"";
  DeleteFileA(List.c_str());
  RemoveDirectoryA(Dir.c_str());
}
