// The panel as FAR sees it: what GetOpenPluginInfo hands over at both levels, the keys the panel
// takes from FAR, the idle refresh and the cursor restore, and the whole road from Enter on a
// list file to ".." closing the panel. Everything goes through the exports, driven by FarHost.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"

namespace {

using Panel = FarHost::Panel;
const int kAboutLabel = 15;  // message 15: the About label of the root key bar

std::string Text(const char* p) {
  std::string s;
  return FarHost::ReadCString(p, s) ? s : std::string("<unreadable>");
}

class PanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char cwd[MAX_PATH], temp[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    oldCwd_ = cwd;
    GetTempPathA(MAX_PATH, temp);
    base_ = std::string(temp) + "quenby_panel_" + std::to_string(GetCurrentProcessId());
    dir_ = base_ + "\\";
    for (const char* sub : {"", "In", "Drop", "Empty"}) MakeDir(dir_ + sub);
    for (const char* f : {"In\\msg001.txt", "In\\msg002.txt", "In\\note.doc", "Drop\\in01.eml",
                          "Drop\\in02.eml"})
      Write(dir_ + f, "x");
    in_ = dir_ + "In\\msg*.txt";
    drop_ = dir_ + "Drop\\in??.eml";
    list_ = Write(dir_ + "LIST.VFS", in_ + ",Inbox\r\n" + drop_ + ",Drop box\r\n");
    other_ = Write(dir_ + "OTHER.VFS", drop_ + ",Second\r\n");
    none_ = Write(dir_ + "NONE.VFS", dir_ + "Empty\\*.*,Nothing\r\n");

    FarHost::Options o;
    o.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    o.rootKey = FarHost::TestRootKey(
        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    host_ = std::make_unique<FarHost>(o);
    host_->onFailure = [](const std::string& what) { ADD_FAILURE() << "host: " << what; };
    host_->WriteString("FileSystemFile", list_);
    host_->WriteValue("FileSystemExt", REG_DWORD, "VFS", 3);  // as the plugin stores it
    host_->WriteDword("AutoExitPlugin", 0);
    ASSERT_TRUE(host_->LoadAndStart()) << host_->lastError;
  }

  void TearDown() override {
    host_->Shutdown();
    EXPECT_TRUE(host_->DeleteRootKey());
    host_.reset();
    SetCurrentDirectoryA(oldCwd_.c_str());
    for (auto it = made_.rbegin(); it != made_.rend(); ++it)
      if (!DeleteFileA(it->c_str())) RemoveDirectoryA(it->c_str());
  }

  void MakeDir(const std::string& path) {
    CreateDirectoryA(path.c_str(), nullptr);
    made_.push_back(path);
  }
  std::string Write(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
    made_.push_back(path);
    return path;
  }

  // Enter on a list file in the active file panel, which shows the folder of the test.
  Panel* Open(const std::string& path) {
    host_->filePanel.curDir = base_;
    host_->filePanel.items.clear();
    host_->filePanel.Add(path.substr(dir_.size()));
    host_->filePanel.currentItem = 0;
    return host_->OpenFilePlugin(path);
  }
  // The panel records the file panel's folder, as FAR reports it: the folder the list file
  // was opened from, which closing returns to.
  std::string StartDir(const std::string& path) const {
    return path.substr(0, path.rfind('\\'));
  }

  std::string AboutLabel() { return host_->Messages()->messages.at(kAboutLabel); }

  // GetOpenPluginInfo straight through the export into a record full of garbage, with two
  // fields the panel must leave as FAR set them.
  OpenPluginInfo Query(Panel* p) {
    OpenPluginInfo r;
    std::memset(&r, 0xA5, sizeof r);
    r.StartSortOrder = 0x5EED;
    r.ShortcutData = kShortcut;
    host_->exports.GetOpenPluginInfo(p->handle, &r);
    return r;
  }

  struct Insert {
    int result = -1;
    int calls = 0;  // FCTL_INSERTCMDLINE calls
    std::string text;
  };
  Insert CtrlEnter(Panel* p) {
    host_->commandLine.clear();
    const std::size_t mark = host_->controls.size();
    Insert out;
    out.result = p->ProcessKey(VK_RETURN, PKF_CONTROL);
    out.text = host_->commandLine;
    bool fresh = false;
    for (std::size_t i = mark; i < host_->controls.size(); ++i) {
      const ControlCall& c = host_->controls[i];
      EXPECT_EQ(c.handle, p->handle) << "Control " << c.command << " not on the panel itself";
      if (c.command == FCTL_GETPANELINFO) fresh = true;
      if (c.command == FCTL_INSERTCMDLINE) ++out.calls;
    }
    EXPECT_TRUE(fresh) << "Ctrl+Enter did not take a fresh FCTL_GETPANELINFO";
    return out;
  }

  static constexpr const char* kShortcut = "kept by FAR";
  std::unique_ptr<FarHost> host_;
  std::string oldCwd_, base_, dir_, in_, drop_, list_, other_, none_;
  std::vector<std::string> made_;
};

void ExpectCommon(const OpenPluginInfo& r, const std::string& list) {
  EXPECT_EQ(r.StructSize, 68);
  EXPECT_EQ(r.Flags, 0x37Cu);
  EXPECT_EQ(r.HostFile, nullptr);
  EXPECT_EQ(Text(r.Format), list);
  EXPECT_EQ(r.PanelTitle, r.Format);
  EXPECT_EQ(r.InfoLines, nullptr);
  EXPECT_EQ(r.InfoLinesNumber, 0);
  EXPECT_EQ(r.DescrFiles, nullptr);
  EXPECT_EQ(r.DescrFilesNumber, 0);
  EXPECT_EQ(r.StartSortMode, SM_UNSORTED);
  EXPECT_EQ(r.PanelModesNumber, 11);
  EXPECT_EQ(r.StartPanelMode, 54);
  EXPECT_EQ(r.StartSortOrder, 0x5EED);
  EXPECT_STREQ(r.ShortcutData, "kept by FAR");
}

// Record 6 in full, read from the panel's own array; the other ten all zero.
void ExpectModes(const OpenPluginInfo& r, bool root) {
  ASSERT_TRUE(FarHost::IsReadable(r.PanelModesArray, 11 * sizeof(PanelMode)));
  PanelMode zero;
  std::memset(&zero, 0, sizeof zero);
  for (int i = 0; i < 11; ++i)
    if (i != 6) EXPECT_EQ(std::memcmp(&r.PanelModesArray[i], &zero, sizeof zero), 0) << "mode " << i;
  const PanelMode& m = r.PanelModesArray[6];
  EXPECT_EQ(Text(m.ColumnTypes), root ? "Z,NR" : "NO,S,D");
  EXPECT_EQ(Text(m.ColumnWidths), root ? "0,24" : "0,8,10");
  EXPECT_EQ(Text(m.StatusColumnTypes), root ? "NR,D,T" : "NO,S,D");
  EXPECT_EQ(Text(m.StatusColumnWidths), root ? "0,0,0" : "0,8,10");
  EXPECT_EQ(m.ColumnTitles, nullptr);
  EXPECT_EQ(m.FullScreen, 0);
  EXPECT_EQ(m.DetailedStatus, -1);
  EXPECT_EQ(m.AlignExtensions, 0);
  EXPECT_EQ(m.CaseConversion, 0);
  EXPECT_EQ(m.Reserved[0], 0u);
  EXPECT_EQ(m.Reserved[1], 0u);
}

// F1-F3 and F9-F12 keep FAR's labels in every row; F4-F8 are blank except plain F8 = About.
void ExpectRootKeyBar(const KeyBarTitles* bar, const std::string& about) {
  ASSERT_TRUE(FarHost::IsReadable(bar, sizeof(KeyBarTitles)));
  char* const* rows[4] = {bar->Titles, bar->CtrlTitles, bar->AltTitles, bar->ShiftTitles};
  for (int row = 0; row < 4; ++row)
    for (int f = 1; f <= 12; ++f) {
      const char* label = rows[row][f - 1];
      if (f < 4 || f > 8)
        EXPECT_EQ(label, nullptr) << "row " << row << " F" << f;
      else
        EXPECT_EQ(Text(label), row == 0 && f == 8 ? about : "") << "row " << row << " F" << f;
    }
}

}  // namespace

TEST_F(PanelTest, KeyTableAtTheRootAndInAFolder) {
  Panel* p = Open(list_);
  ASSERT_NE(p, nullptr);
  for (int level = 0; level < 2; ++level) {
    for (int key = VK_F4; key <= VK_F8; ++key)
      for (unsigned state = 0; state < 8; ++state) {
        const std::string where = "level " + std::to_string(level) + " F" +
                                  std::to_string(key - VK_F1 + 1) + " state " + std::to_string(state);
        const std::size_t messages = host_->messages.size(), controls = host_->controls.size();
        const bool about = level == 0 && key == VK_F8 && state == 0;
        EXPECT_EQ(p->ProcessKey(key, state), level == 0 ? 1 : 0) << where;
        ASSERT_EQ(host_->messages.size(), messages + (about ? 1 : 0)) << where;
        if (about) EXPECT_EQ(host_->messages.back().flags, 0u);
        if (about) EXPECT_EQ(host_->messages.back().helpTopic, "Author");
        EXPECT_EQ(host_->controls.size(), controls) << where;
      }
    for (int key : {VK_F3, VK_F9, VK_F1, int('A')})
      for (unsigned state : {0u, 1u}) EXPECT_EQ(p->ProcessKey(key, state), 0) << key;
    for (unsigned state : {0u, 5u, 2u, 4u}) {
      host_->commandLine.clear();
      EXPECT_EQ(p->ProcessKey(VK_RETURN, state), 0) << "Enter with state " << state;
      EXPECT_EQ(host_->commandLine, "");
    }
    Insert ctrl = CtrlEnter(p);  // the cursor is on ".." at both levels
    EXPECT_EQ(ctrl.result, 1);
    EXPECT_EQ(ctrl.text, ".. ");
    if (level == 0) {
      EXPECT_EQ(p->ChangeDir(in_), TRUE);
      ASSERT_FALSE(p->info.hasKeyBar) << "still at the root list";
    }
  }
}

TEST_F(PanelTest, CtrlEnterInsertsTheCurrentNameWithoutItsPath) {
  Panel* p = Open(list_);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(p->SetCurrent(drop_));
  Insert ins = CtrlEnter(p);
  EXPECT_EQ(ins.result, 1);
  EXPECT_EQ(ins.text, "in??.eml ");
  EXPECT_EQ(ins.calls, 1);

  ASSERT_EQ(p->ChangeDir(in_), TRUE);
  ASSERT_TRUE(p->SetCurrent(dir_ + "In\\msg001.txt"));
  EXPECT_EQ(CtrlEnter(p).text, "msg001.txt ");
  ASSERT_TRUE(p->SetCurrent(dir_ + "In\\msg002.txt"));
  EXPECT_EQ(CtrlEnter(p).text, "msg002.txt ");
  ASSERT_TRUE(p->SetCurrent(".."));
  EXPECT_EQ(CtrlEnter(p).text, ".. ");

  // No item under the cursor: nothing is read past FAR's array and nothing is inserted.
  const int count = static_cast<int>(p->items.size());
  for (int bad : {count, count + 7, -1}) {
    p->currentItem = bad;
    ins = CtrlEnter(p);
    EXPECT_EQ(ins.result, 1) << bad;
    EXPECT_EQ(ins.calls, 0) << bad;
    EXPECT_EQ(ins.text, "") << bad;
  }
  p->items.clear();
  p->currentItem = 0;
  ins = CtrlEnter(p);
  EXPECT_EQ(ins.calls, 0);
  EXPECT_EQ(ins.text, "");

  // A root list without entries shows the placeholder item, whose name is empty.
  Panel* empty = Open(none_);
  ASSERT_NE(empty, nullptr);
  ASSERT_EQ(empty->items.size(), 2u);
  ASSERT_TRUE(empty->SetCurrent(""));
  ins = CtrlEnter(empty);
  EXPECT_EQ(ins.result, 1);
  EXPECT_EQ(ins.text, " ");
}

TEST_F(PanelTest, OpenPluginInfoAtBothLevels) {
  Panel* p = Open(list_);
  ASSERT_NE(p, nullptr);
  OpenPluginInfo r = Query(p);
  ExpectCommon(r, list_);
  EXPECT_EQ(Text(r.CurDir), StartDir(list_));
  ExpectModes(r, true);
  ExpectRootKeyBar(r.KeyBar, AboutLabel());

  ASSERT_EQ(p->ChangeDir(in_), TRUE);
  r = Query(p);
  ExpectCommon(r, list_);
  EXPECT_EQ(Text(r.CurDir), dir_ + "In\\");
  ExpectModes(r, false);
  EXPECT_EQ(r.KeyBar, nullptr);

  // Back at the root the folder's directory is no longer shown: CurDir is the start again.
  ASSERT_EQ(p->ChangeDir(".."), TRUE);
  r = Query(p);
  ExpectCommon(r, list_);
  EXPECT_EQ(Text(r.CurDir), StartDir(list_));
  ExpectModes(r, true);
  ExpectRootKeyBar(r.KeyBar, AboutLabel());

  // The About label is fetched on every call: after FAR reloads its messages the old text is gone.
  host_->SetLanguage("Russian");
  r = Query(p);
  ASSERT_NE(AboutLabel(), "About");
  ExpectRootKeyBar(r.KeyBar, AboutLabel());
}

TEST_F(PanelTest, CurDirIsTheDirectoryPartOfTheEnteredMask) {
  const std::string drive = dir_.substr(0, 2);  // "C:": a mask relative to the drive's folder
  const std::string colon = Write(dir_ + "COLON.VFS", drive + "msg*.txt,Here\r\nmsg*.txt,Bare\r\n");
  ASSERT_TRUE(SetCurrentDirectoryA((dir_ + "In").c_str()));
  const bool bareEnters = SetCurrentDirectoryA("") != FALSE;
  ASSERT_TRUE(SetCurrentDirectoryA((dir_ + "In").c_str()));

  Panel* p = Open(colon);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(p->SetCurrent(drive + "msg*.txt")) << ::testing::PrintToString(p->Names());
  EXPECT_EQ(p->Enter(), 0);
  OpenPluginInfo r = Query(p);
  EXPECT_EQ(Text(r.CurDir), drive);
  EXPECT_EQ(r.KeyBar, nullptr);
  ASSERT_TRUE(p->SetCurrent(drive + "msg001.txt")) << ::testing::PrintToString(p->Names());
  EXPECT_EQ(CtrlEnter(p).text, "msg001.txt ");

  ASSERT_EQ(p->ChangeDir(".."), TRUE);
  EXPECT_TRUE(p->info.hasKeyBar);
  // A bare mask has no directory part: it can be entered only where "" is a directory.
  ASSERT_TRUE(p->SetCurrent("msg*.txt")) << ::testing::PrintToString(p->Names());
  EXPECT_EQ(p->Enter(), 0);
  r = Query(p);
  EXPECT_EQ(Text(r.CurDir), bareEnters ? "" : StartDir(colon));
  EXPECT_EQ(r.KeyBar == nullptr, bareEnters);
}

TEST_F(PanelTest, TextsStayValidWithTwoPanelsOpen) {
  Panel* a = Open(list_);
  ASSERT_NE(a, nullptr);
  ASSERT_EQ(a->ChangeDir(in_), TRUE);
  host_->activePanel = nullptr;  // the second panel opens on the other side, a file panel
  Panel* b = Open(other_);
  ASSERT_NE(b, nullptr);
  ASSERT_EQ(b->ChangeDir(drop_), TRUE);

  ASSERT_TRUE(a->GetOpenPluginInfo());
  const OpenPluginInfo ra = a->info.raw;
  ASSERT_TRUE(b->GetOpenPluginInfo());
  ASSERT_EQ(b->ChangeDir(".."), TRUE);  // b at its root list writes its own texts
  ASSERT_TRUE(b->GetOpenPluginInfo());
  EXPECT_EQ(Text(ra.CurDir), dir_ + "In\\");
  EXPECT_EQ(Text(ra.Format), list_);
  EXPECT_EQ(Text(ra.PanelTitle), list_);
  ExpectModes(ra, false);
  EXPECT_EQ(b->info.curDir, StartDir(other_));
  EXPECT_EQ(b->info.format, other_);

  // Both at the root list share one key bar: a's stays whole while b asks again.
  ASSERT_EQ(a->ChangeDir(".."), TRUE);
  const OpenPluginInfo root = a->info.raw;
  ASSERT_TRUE(b->GetOpenPluginInfo());
  ASSERT_EQ(b->ChangeDir(drop_), TRUE);
  ExpectRootKeyBar(root.KeyBar, AboutLabel());
  ExpectModes(root, true);
  EXPECT_EQ(Text(root.CurDir), StartDir(list_));
  EXPECT_EQ(Text(root.Format), list_);
}

TEST_F(PanelTest, EventsRestoreTheCursorThenRefresh) {
  using Calls = std::vector<std::string>;
  auto since = [&](std::size_t mark) {  // service calls and rereads after mark, in order
    Calls seen;
    for (const std::string& e : host_->LogSince(mark))
      if (e.rfind("Control:", 0) == 0 || e == "GetFindData" || e == "FreeFindData")
        seen.push_back(e);
    return seen;
  };
  Panel* p = Open(list_);
  ASSERT_NE(p, nullptr);
  ASSERT_TRUE(p->SetCurrent(drop_));
  const std::string entered = std::to_string(p->currentItem);
  EXPECT_EQ(p->Enter(), 0);
  ASSERT_EQ(p->ChangeDir(".."), TRUE);
  ASSERT_NE(p->Current()->name, drop_);

  // Restore first, then the update with the reread inside it, then a plain redraw.
  std::size_t mark = host_->log.size(), calls = host_->controls.size();
  EXPECT_EQ(p->ProcessEvent(FE_IDLE), 0);
  EXPECT_EQ(since(mark), (Calls{"Control:REDRAWPANEL(" + entered + ",0)", "Control:UPDATEPANEL",
                                "GetFindData", "FreeFindData", "Control:REDRAWPANEL"}));
  ASSERT_EQ(host_->controls.size(), calls + 3);
  EXPECT_FALSE(host_->controls[calls + 1].paramNull) << "the update must keep the selection";
  for (std::size_t i = calls; i < host_->controls.size(); ++i)
    EXPECT_EQ(host_->controls[i].handle, p->handle);
  ASSERT_NE(p->Current(), nullptr);
  EXPECT_EQ(p->Current()->name, drop_);

  // The flag is clear: the next idle event only refreshes.
  mark = host_->log.size();
  EXPECT_EQ(p->ProcessEvent(FE_IDLE), 0);
  EXPECT_EQ(since(mark), (Calls{"Control:UPDATEPANEL", "GetFindData", "FreeFindData",
                                "Control:REDRAWPANEL"}));

  // Other events with nothing pending do nothing; FE_CLOSE is never refused.
  mark = host_->log.size();
  EXPECT_EQ(p->ProcessEvent(FE_REDRAW), 0);
  EXPECT_EQ(p->ProcessEventText(FE_CHANGEVIEWMODE, "N,S,D,T"), 0);
  EXPECT_EQ(p->ProcessEvent(FE_CLOSE), 0);
  EXPECT_EQ(since(mark), Calls{});

  // FE_CLOSE with a restore pending: the restore runs once, the close is still not refused.
  ASSERT_TRUE(p->SetCurrent(in_));
  const std::string second = std::to_string(p->currentItem);
  EXPECT_EQ(p->Enter(), 0);
  ASSERT_EQ(p->ChangeDir(".."), TRUE);
  mark = host_->log.size();
  EXPECT_EQ(p->ProcessEvent(FE_CLOSE), 0);
  EXPECT_EQ(p->ProcessEvent(FE_CLOSE), 0);
  EXPECT_EQ(since(mark), Calls{"Control:REDRAWPANEL(" + second + ",0)"});
  EXPECT_FALSE(p->closed);
  EXPECT_TRUE(p->Close());
}

TEST_F(PanelTest, TypicalRoadFromAListFileBackToTheFilePanel) {
  Panel* p = Open(list_);
  ASSERT_NE(p, nullptr) << "Enter on LIST.VFS did not open the panel";
  EXPECT_EQ(p->info.panelTitle, list_);
  EXPECT_EQ(p->Names(), (std::vector<std::string>{"..", in_, drop_}));

  ASSERT_TRUE(p->SetCurrent(in_));
  EXPECT_EQ(p->Enter(), 0);
  EXPECT_EQ(p->info.curDir, dir_ + "In\\");
  std::vector<std::string> files = p->Names();
  std::sort(files.begin(), files.end());
  EXPECT_EQ(files, (std::vector<std::string>{"..", dir_ + "In\\msg001.txt",
                                             dir_ + "In\\msg002.txt"}));

  ASSERT_TRUE(p->SetCurrent(".."));
  EXPECT_EQ(p->Enter(), 0);
  EXPECT_TRUE(p->info.hasKeyBar);
  EXPECT_EQ(p->Names(), (std::vector<std::string>{"..", in_, drop_}));
  EXPECT_EQ(p->ProcessEvent(FE_IDLE), 0);
  ASSERT_NE(p->Current(), nullptr);
  EXPECT_EQ(p->Current()->name, in_);

  ASSERT_TRUE(p->SetCurrent(".."));
  EXPECT_EQ(p->Enter(), 0);
  EXPECT_TRUE(p->closed);
  EXPECT_EQ(host_->Count("ClosePlugin"), 1);
  EXPECT_EQ(p->closedTo, StartDir(list_));
  EXPECT_EQ(host_->LastOpenPanel(), nullptr);
}
