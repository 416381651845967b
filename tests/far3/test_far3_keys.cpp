// Keys in FAR 3 (ProcessPanelInputW with FAR's INPUT_RECORD): F4 to F7 taken at the list with any
// modifiers, F8 the About box there, every one of them FAR's in a folder view, and Ctrl+Enter
// (either Ctrl) putting the item's name into the command line.
#include "Far3TestWorld.h"

namespace {

using namespace far3test;
using far3host::kAlt;
using far3host::kCtrl;
using far3host::kRCtrl;
using far3host::kShift;

TEST_F(PluginTest, FileKeysAreTakenAtTheListAndLeftToFarInAFolder) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  for (WORD vk : {VK_F4, VK_F5, VK_F6, VK_F7})
    for (DWORD mods : {0ul, DWORD(kCtrl), DWORD(kAlt), DWORD(kShift), DWORD(kRCtrl)})
      EXPECT_TRUE(p->Key(vk, mods)) << "F" << (vk - VK_F1 + 1) << " mods " << mods;
  for (DWORD mods : {DWORD(kCtrl), DWORD(kAlt), DWORD(kShift)}) EXPECT_TRUE(p->Key(VK_F8, mods));
  EXPECT_TRUE(host->messages.empty()) << "no box for the keys taken";
  EnterItem(p, Entry(L"Mail\\*.msg"));
  for (WORD vk : {VK_F4, VK_F5, VK_F6, VK_F7, VK_F8})
    for (DWORD mods : {0ul, DWORD(kCtrl), DWORD(kShift)})
      EXPECT_FALSE(p->Key(vk, mods)) << "F" << (vk - VK_F1 + 1) << " mods " << mods;
  EXPECT_TRUE(host->messages.empty());
}

TEST_F(PluginTest, F8AtTheListIsTheAboutBox) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EXPECT_TRUE(p->Key(VK_F8));
  ASSERT_EQ(host->messages.size(), 1u);
  const auto& m = host->messages[0];
  EXPECT_EQ(U8(m.helpTopic), "Author");
  EXPECT_EQ(m.buttons, std::vector<std::wstring>{Msg(*host, 0)});
  EXPECT_EQ(U8(m.title).find("Quenby"), 0u) << U8(m.title);
  EXPECT_EQ(U8(m.title).find(" v.1.2"), U8(m.title).size() - 6) << "the product version";
  EXPECT_EQ(m.lines.size(), 3u);
}

TEST_F(PluginTest, CtrlEnterInsertsTheName) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(p->SetCurrent(Entry(L"Mail\\*.msg")));
  EXPECT_TRUE(p->Key(VK_RETURN, kCtrl));
  EXPECT_EQ(U8(host->commandLine), "*.msg ");
  EnterItem(p, Entry(L"Drop\\*.*"));
  ASSERT_TRUE(p->SetCurrent(Entry(L"Drop\\x.zip")));
  EXPECT_TRUE(p->Key(VK_RETURN, kRCtrl)) << "right Ctrl too";
  EXPECT_EQ(U8(host->commandLine), "*.msg x.zip ");
  ASSERT_TRUE(p->SetCurrent(L".."));
  EXPECT_TRUE(p->Key(VK_RETURN, kCtrl));
  EXPECT_EQ(U8(host->commandLine), "*.msg x.zip .. ");
  // Ctrl+Shift+Enter and Enter are FAR's.
  host->commandLine.clear();
  ASSERT_TRUE(p->SetCurrent(Entry(L"Drop\\y.txt")));
  EXPECT_FALSE(p->Key(VK_RETURN, kCtrl | kShift));
  EXPECT_EQ(host->commandLine, L"");
}

}  // namespace
