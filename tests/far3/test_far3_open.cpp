// Opening the panel FAR 3's ways: the plugins menu, the disks menu (left and right), Enter on a
// file with the configured extension (AnalyseW, then OpenW(OPEN_ANALYSE)), and the missing list
// file's warning followed by the configuration dialog, with no panel.
#include "Far3TestWorld.h"

namespace {

using namespace far3test;

TEST_F(PluginTest, FromThePluginsMenuAndTheDisksMenus) {
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->info.format, list);
  EXPECT_TRUE(p->info.flags & OPIF_REALNAMES);
  EXPECT_EQ(p->CountNamed(L".."), 1);
  EXPECT_EQ(ItemNames(*p).size(), 2u) << "Mail and Drop; the empty Archive is left out";
  ASSERT_TRUE(p->CloseTo(dir->path()));
  for (bool left : {true, false}) {
    Far3PluginPanel* d = host->OpenFromDisksMenu(left);
    ASSERT_NE(d, nullptr) << (left ? "left" : "right");
    EXPECT_EQ(d->info.format, list);
    EXPECT_EQ(ItemNames(*d).size(), 2u);
    ASSERT_TRUE(d->CloseTo(dir->path()));
  }
}

TEST_F(PluginTest, EnterOnAFileWithTheConfiguredExtension) {
  MakeWorld();
  const std::wstring other = dir->Write(L"Other\\second.vfs", "\xEF\xBB\xBF" + U8(Entry(L"Drop\\*.zip")) + ",Zips\r\n");
  // The extension matches in any case; the panel shows the file Enter was pressed on.
  host->filePanel.curDir = *dir / L"Other";
  host->filePanel.Read(L"second.vfs");
  Far3PluginPanel* p = host->EnterOnFile(other);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->info.format, other);
  ASSERT_EQ(ItemNames(*p).size(), 1u);
  EXPECT_EQ(p->items.back().description, L"Zips");
  EXPECT_EQ(host->analyseHandlesOpen, 0);
  // Closing with ".." puts the file panel back on the file.
  ASSERT_TRUE(p->SetCurrent(L".."));
  p->Enter();
  EXPECT_TRUE(p->closed);
  EXPECT_EQ(host->activePanel, nullptr);
  EXPECT_EQ(U8(host->filePanel.curDir), U8(*dir / L"Other")) << "the folder FAR showed before";
  // Other names are FAR's to handle: no panel, no box.
  for (const wchar_t* name : {L"a.txt", L"LIST.VFS.BAK", L"dir.vfs\\inner"}) {
    const std::wstring file = dir->Write(name, "x");
    EXPECT_EQ(host->EnterOnFile(file), nullptr) << U8(name);
  }
  EXPECT_EQ(host->Count("Enter:file"), 3);
  EXPECT_TRUE(host->messages.empty());
  EXPECT_TRUE(host->dialogs.calls.empty());
}

TEST_F(PluginTest, AMissingListFileShowsTheWarningAndTheDialog) {
  Start([&](Far3Host& h) { PresetText(h, L"FileSystemFile", *dir / L"none.vfs"); });
  host->dialogs.answer = [](far3host::DialogCall&) { return intptr_t(-1); };
  EXPECT_EQ(host->OpenFromPluginsMenu(), nullptr);
  ASSERT_EQ(host->messages.size(), 1u);
  const auto& m = host->messages[0];
  EXPECT_TRUE(m.flags & FMSG_WARNING);
  EXPECT_EQ(U8(m.helpTopic), "VFSNotExist");
  EXPECT_EQ(m.title, Msg(*host, 3));
  EXPECT_EQ(m.lines, (std::vector<std::wstring>{Msg(*host, 10), Msg(*host, 11)}));
  EXPECT_EQ(m.buttons, std::vector<std::wstring>{Msg(*host, 0)});
  ASSERT_EQ(host->dialogs.calls.size(), 1u) << "the configuration dialog follows the warning";
  EXPECT_TRUE(host->dialogs.calls[0]->freed);
  EXPECT_TRUE(host->panels.empty());
  // From the disks menu the same; Enter on a matching file too, with nothing opened.
  EXPECT_EQ(host->OpenFromDisksMenu(true), nullptr);
  EXPECT_EQ(host->messages.size(), 2u);
  Start([&](Far3Host& h) { PresetText(h, L"FileSystemExt", L"vfs"); });
  const std::wstring file = dir->Write(L"x.VFS", "");
  EXPECT_EQ(host->EnterOnFile(file), nullptr);
  EXPECT_EQ(host->messages.size(), 3u);
  EXPECT_EQ(host->dialogs.calls.size(), 3u);
  EXPECT_TRUE(host->panels.empty());
}

}  // namespace
