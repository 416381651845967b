// Regression tests for faults the soak found, each driven through the exports as FAR drives them.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <memory>
#include <string>
#include <vector>
#include "AllocationCounter.h"
#include "FarHost.h"

namespace {


class Regressions : public ::testing::Test {
 protected:
  void SetUp() override {
    char temp[MAX_PATH], cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    cwd_ = cwd;
    GetTempPathA(MAX_PATH, temp);
    dir_ = std::string(temp) + "quenby_regressions_" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir_.c_str(), nullptr);
    CreateDirectoryA((dir_ + "\\In").c_str(), nullptr);
    std::ofstream(dir_ + "\\In\\a.txt", std::ios::binary) << "x";
    list_ = dir_ + "\\LIST.VFS";
    std::ofstream(list_, std::ios::binary) << dir_ << "\\In\\*.txt,Inbox\r\n";

    FarHost::Options o;
    o.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    o.rootKey = FarHost::TestRootKey(::testing::UnitTest::GetInstance()->current_test_info()->name());
    host_ = std::make_unique<FarHost>(o);
    host_->onFailure = [](const std::string& what) { ADD_FAILURE() << "host: " << what; };
    host_->WriteString("FileSystemFile", list_);
    ASSERT_TRUE(host_->LoadAndStart()) << host_->lastError;
  }

  void TearDown() override {
    host_->Shutdown();
    EXPECT_TRUE(host_->DeleteRootKey());
    host_.reset();
    SetCurrentDirectoryA(cwd_.c_str());  // entering a folder made it the current directory
    DeleteFileA((dir_ + "\\In\\a.txt").c_str());
    RemoveDirectoryA((dir_ + "\\In").c_str());
    DeleteFileA(list_.c_str());
    RemoveDirectoryA(dir_.c_str());
  }

  // FAR's file panel in `curDir` with the cursor on `name`, then the plugin opened from the menu.
  FarHost::Panel* OpenOver(const std::string& curDir, const std::string& name) {
    host_->filePanel.curDir = curDir;
    host_->filePanel.items.clear();
    host_->filePanel.Add(name);
    host_->filePanel.currentItem = 0;
    return host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  }

  std::string dir_, list_, cwd_;
  std::unique_ptr<FarHost> host_;
};

// The root list reports the folder it was opened over as CurDir. FAR copies CurDir into a
// 260-byte field, so a folder text of 259 characters (the most PanelInfo can hold) must arrive
// whole and never longer; closing hands FAR the same text.
TEST_F(Regressions, RootCurDirNeverOverrunsFarsField) {
  const std::string curDir = "C:\\" + std::string(256, 'd');  // 259 characters, no such folder
  std::vector<std::string> boxes;
  host_->onChangeDirError = [&](const std::string& text, const std::string&) {
    boxes.push_back(text);
  };
  FarHost::Panel* p = OpenOver(curDir, std::string(150, 'n') + ".vfs");
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->info.curDir, curDir);
  // FAR copies CurDir into PanelInfo on every panel info request (here Ctrl+Enter's); the host
  // reports an overrun of the 260 bytes as a failure.
  EXPECT_EQ(p->ProcessKey(VK_RETURN, PKF_CONTROL), 1);
  p->SetDirectory("..");
  EXPECT_TRUE(p->closed);
  EXPECT_EQ(p->closedTo, curDir);
  // The folder does not exist here, so FAR shows its box and stays: one box, no other failure.
  EXPECT_EQ(boxes, std::vector<std::string>{curDir});
}

// Closing from the plugins menu returns FAR to the folder it showed, whatever was under the
// cursor, in the form FAR reports it (a drive root keeps its backslash).
TEST_F(Regressions, ClosingReturnsToTheFolderShown) {
  for (const std::string& shown : {dir_, dir_ + "\\", std::string("C:\\")}) {
    const std::string expected = FarHost::PanelDirectory(shown);
    FarHost::Panel* p = OpenOver(shown, "LIST.VFS");
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->info.curDir, expected);
    p->SetDirectory("..");
    EXPECT_TRUE(p->closed);
    EXPECT_EQ(p->closedTo, expected);
    EXPECT_EQ(host_->filePanel.curDir, expected);
  }
}

// FAR calls GetOpenPluginInfo on every redraw: after the first call it must allocate nothing,
// also inside a folder whose directory text is too long to sit inside the string itself.
TEST_F(Regressions, GetOpenPluginInfoAllocatesNothingAfterTheFirst) {
  ASSERT_EQ(CountAllocationsOf(host_->Module()), 3);
  FarHost::Panel* p = host_->OpenPlugin(OPEN_PLUGINSMENU, 0);
  ASSERT_NE(p, nullptr);
  long before = AllocationCount();
  p->Reread();
  EXPECT_GT(AllocationCount(), before) << "the counter sees the plugin's allocations";
  for (int level = 0; level < 2; ++level) {
    if (level) {
      p->SetDirectory(dir_ + "\\In\\*.txt");
      p->Reread();
      ASSERT_EQ(p->info.curDir, dir_ + "\\In\\");
    }
    OpenPluginInfo info;
    memset(&info, 0, sizeof info);
    host_->exports.GetOpenPluginInfo(p->handle, &info);
    before = AllocationCount();
    for (int i = 0; i < 100; ++i) {
      memset(&info, 0, sizeof info);
      host_->exports.GetOpenPluginInfo(p->handle, &info);
    }
    EXPECT_EQ(AllocationCount() - before, 0) << (level ? "in a folder" : "at the root");
  }
}

}  // namespace
