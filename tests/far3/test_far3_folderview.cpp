// The folder view in FAR 3: the real files of an entry by their full paths (OPIF_REALNAMES),
// climbing back with the cursor on the entry left, AutoExit, ShowAllFiles and TreatFolderAsFile.
#include "Far3TestWorld.h"

namespace {

using namespace far3test;
using far3host::FolderOf;

TEST_F(PluginTest, RealFilesByFullPathAndTheClimbBack) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Drop\\*.*"));
  ASSERT_FALSE(p->closed);
  std::vector<std::wstring> names = ItemNames(*p);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{Entry(L"Drop\\x.zip"), Entry(L"Drop\\y.txt")}));
  EXPECT_EQ(p->CountNamed(L".."), 1);
  EXPECT_TRUE(p->info.flags & OPIF_REALNAMES);
  // FAR takes a real folder for its own from the panel's CurDir as it draws it.
  EXPECT_EQ(U8(host->filePanel.curDir).rfind(U8(Entry(L"Drop")), 0), 0u) << U8(host->filePanel.curDir);
  // ".." climbs to the list with the cursor back on the entry.
  ASSERT_TRUE(p->SetCurrent(L".."));
  p->Enter();
  ASSERT_FALSE(p->closed);
  ASSERT_NE(p->Current(), nullptr);
  EXPECT_EQ(p->Current()->name, Entry(L"Drop\\*.*"));
  EXPECT_EQ(ItemNames(*p).size(), 2u);
  // Ctrl+PgUp climbs as ".." does.
  EnterItem(p, Entry(L"Mail\\*.msg"));
  p->Key(VK_PRIOR, far3host::kCtrl);
  ASSERT_NE(p->Current(), nullptr);
  EXPECT_EQ(p->Current()->name, Entry(L"Mail\\*.msg"));
}

// FAR 3 reads the flags before GetFindDataW: a climb inside it is listed under the folder view's
// flags, and must still show one "..".
TEST_F(PluginTest, AutoExitClimbsFromAnEmptiedFolderView) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Mail\\*.msg"));
  ASSERT_EQ(ItemNames(*p).size(), 2u);
  DeleteFileW(Entry(L"Mail\\a.msg").c_str());
  DeleteFileW(Entry(L"Mail\\b.msg").c_str());
  p->Key('R', far3host::kCtrl);
  ASSERT_FALSE(p->closed);
  EXPECT_EQ(ItemNames(*p), std::vector<std::wstring>{Entry(L"Drop\\*.*")}) << "back at the list";
  EXPECT_EQ(p->CountNamed(L".."), 1);
}

TEST_F(PluginTest, WithoutAutoExitAnEmptiedViewStaysEmpty) {
  MakeWorld([](Far3Host& h) { PresetNumber(h, L"AutoExit", 0); });
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Mail\\*.msg"));
  DeleteFileW(Entry(L"Mail\\a.msg").c_str());
  DeleteFileW(Entry(L"Mail\\b.msg").c_str());
  p->Key('R', far3host::kCtrl);
  EXPECT_TRUE(ItemNames(*p).empty());
  EXPECT_EQ(p->CountNamed(L".."), 1);
}

TEST_F(PluginTest, ShowAllFilesListsTheWholeFolder) {
  MakeWorld([](Far3Host& h) { PresetNumber(h, L"ShowAllFiles", 1); });
  dir->Write(L"Mail\\note.txt", "n");
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Mail\\*.msg"));
  std::vector<std::wstring> names = ItemNames(*p);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::wstring>{Entry(L"Mail\\a.msg"), Entry(L"Mail\\b.msg"),
                                              Entry(L"Mail\\note.txt")}));
}

TEST_F(PluginTest, TreatFolderAsFileCountsSubFolders) {
  dir->MakeDir(L"Nest\\Inner");
  MakeWorld();
  // A list naming only a folder of sub-folders: empty unless sub-folders count.
  for (unsigned long long treat : {0ull, 1ull}) {
    host->Shutdown();
    host.reset();
    host = NewHost();
    host->filePanel.curDir = dir->path();
    list = dir->Write(L"NEST.VFS", "\xEF\xBB\xBF" + U8(Entry(L"Nest\\*.*")) + ",Nest\r\n" +
                                       U8(Entry(L"Mail\\*.msg")) + ",Mail\r\n");
    Start([&](Far3Host& h) {
      PresetText(h, L"FileSystemFile", list);
      PresetNumber(h, L"TreatFolderAsFile", treat);
    });
    Far3PluginPanel* p = Open();
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->Find(Entry(L"Nest\\*.*")) >= 0, treat == 1) << "TreatFolderAsFile " << treat;
  }
}

// With more entries than the panel's height, the climb puts back the cursor and the top item
// the list had when the entry was entered.
TEST_F(PluginTest, TheClimbPutsBackCursorAndTopItem) {
  std::string lines = "\xEF\xBB\xBF";
  for (int i = 0; i < 40; ++i) {
    const std::wstring folder = L"F" + std::to_wstring(100 + i);
    dir->Write(folder + L"\\a.msg", "a");
    lines += U8(Entry((folder + L"\\*.msg").c_str())) + ",Folder " + std::to_string(i) + "\r\n";
  }
  list = dir->Write(L"LIST.VFS", lines);
  Start([&](Far3Host& h) { PresetText(h, L"FileSystemFile", list); });
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(ItemNames(*p).size(), 40u);
  for (int i = 0; i < 30; ++i) p->Key(VK_DOWN);
  const int cursor = p->currentItem, top = p->topItem;
  ASSERT_GT(top, 0) << "the list scrolled";
  const std::wstring entered = p->Current()->name;
  p->Enter();
  ASSERT_EQ(ItemNames(*p), std::vector<std::wstring>{FolderOf(entered) + L"\\a.msg"});
  ASSERT_TRUE(p->SetCurrent(L".."));
  p->Enter();
  ASSERT_NE(p->Current(), nullptr);
  EXPECT_EQ(U8(p->Current()->name), U8(entered));
  EXPECT_EQ(p->currentItem, cursor);
  EXPECT_EQ(p->topItem, top);
}

}  // namespace
