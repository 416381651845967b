// The root list in FAR 3: FAR's one ".." first, one folder item per listed entry with its
// description, empty entries left out or shown hidden with ShowAllFolders, the panel's title,
// modes and key bar, and AutoExitPlugin closing a list with no entry.
#include <algorithm>

#include "Far3TestWorld.h"

namespace {

using namespace far3test;

TEST_F(PluginTest, OneDotsRowAndTheListedEntries) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->CountNamed(L".."), 1) << "FAR 3 adds its own \"..\" for OPIF_ADDDOTS";
  ASSERT_FALSE(p->items.empty());
  EXPECT_TRUE(p->items[0].parentPoint);
  EXPECT_EQ(ItemNames(*p), (std::vector<std::wstring>{Entry(L"Mail\\*.msg"), Entry(L"Drop\\*.*")}))
      << "in the list file's order";
  const far3host::Far3Item& mail = p->items[1];
  EXPECT_EQ(mail.description, L"Incoming mail");
  EXPECT_EQ(mail.attributes, FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(p->sortMode, SM_UNSORTED);
  EXPECT_FALSE(p->info.panelTitle.empty());
  // The key bar names F8 (About) at the list.
  ASSERT_TRUE(p->info.hasKeyBar);
  const auto* f8 = p->info.FindLabel(VK_F8, 0);
  ASSERT_NE(f8, nullptr);
  EXPECT_EQ(f8->text.value_or(L"?"), Msg(*host, 15));
}

TEST_F(PluginTest, ShowAllFoldersListsEmptyEntriesHidden) {
  MakeWorld([](Far3Host& h) { PresetNumber(h, L"ShowAllFolders", 1); });
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(ItemNames(*p).size(), 3u);
  const int archive = p->Find(Entry(L"Archive\\*.*"));
  ASSERT_GE(archive, 0);
  EXPECT_EQ(p->items[static_cast<std::size_t>(archive)].attributes,
            FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
  EXPECT_EQ(p->items[static_cast<std::size_t>(p->Find(Entry(L"Mail\\*.msg")))].attributes,
            FILE_ATTRIBUTE_DIRECTORY);
  EXPECT_EQ(p->CountNamed(L".."), 1);
}

TEST_F(PluginTest, AutoExitPluginClosesAListWithNoEntry) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  // Every entry emptied from outside: FAR's next reread (Ctrl+R) finds none and the panel goes.
  DeleteFileW(Entry(L"Mail\\a.msg").c_str());
  DeleteFileW(Entry(L"Mail\\b.msg").c_str());
  DeleteFileW(Entry(L"Drop\\x.zip").c_str());
  DeleteFileW(Entry(L"Drop\\y.txt").c_str());
  const std::size_t mark = host->log.size();
  p->Key('R', far3host::kCtrl);
  EXPECT_TRUE(p->closed);
  EXPECT_EQ(host->activePanel, nullptr);
  // FAR 3 closes at once, inside the plugin's GetFindDataW, and then drops the list it returns:
  // the panel object must outlive ClosePanelW until its own call has returned.
  const std::vector<std::string> after = host->LogSince(mark);
  const auto at = [&](const std::string& e) {
    return std::find(after.begin(), after.end(), e) - after.begin();
  };
  EXPECT_LT(at("PanelControl:CLOSEPANEL(" + U8(host->panels.back()->closedTo.value_or(L"?")) + ")"),
            at("GetFindDataW:closed"));
  EXPECT_LT(at("ClosePanelW"), at("GetFindDataW:closed"));
  EXPECT_EQ(std::count(after.begin(), after.end(), "FreeFindDataW"), 0);
  EXPECT_EQ(U8(host->filePanel.curDir), U8(dir->path())) << "FAR shows the folder it showed before";
}

TEST_F(PluginTest, WithoutAutoExitPluginAnEmptyListStays) {
  MakeWorld([](Far3Host& h) { PresetNumber(h, L"AutoExitPlugin", 0); });
  for (const wchar_t* f : {L"Mail\\a.msg", L"Mail\\b.msg", L"Drop\\x.zip", L"Drop\\y.txt"})
    DeleteFileW(Entry(f).c_str());
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EXPECT_FALSE(p->closed);
  EXPECT_EQ(p->CountNamed(L".."), 1);
  ASSERT_EQ(p->items.size(), 2u) << "\"..\" and the placeholder";
  EXPECT_EQ(p->items[1].description, Msg(*host, 14));
}

}  // namespace
