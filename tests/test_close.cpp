// Closing the panel from every road FAR offers lands FAR on the folder it showed before, with
// no error box; and an unreadable list file shows one exception box per failure, not one per
// idle tick. All through the exports, with the host changing folders after ClosePlugin as FAR
// 1.70 and later do (a close text that is not an existing folder fails the test).
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"
#include "TempFiles.h"

namespace {

std::string CurrentFolder() {
  char Folder[MAX_PATH];
  const DWORD Length = GetCurrentDirectoryA(MAX_PATH, Folder);
  return std::string(Folder, Length < MAX_PATH ? Length : 0);
}

class Close : public ::testing::Test {
 protected:
  void SetUp() override {
    char Temp[MAX_PATH], Cwd[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, Cwd);
    SavedDir = Cwd;
    GetTempPathA(MAX_PATH, Temp);
    Dir = std::string(Temp) + "quenby_close_" + std::to_string(GetCurrentProcessId());
    RemoveTree(Dir);
    ASSERT_TRUE(CreateDirectoryA(Dir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Dir + "\\Mail").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Dir + "\\Sub").c_str(), nullptr));
    WriteBytes(Dir + "\\Mail\\a.msg", "a");
    List = Dir + "\\LIST.VFS";
    WriteBytes(List, Dir + "\\Mail\\*.msg,Mail\r\n");
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey("close");
    Host = std::make_unique<FarHost>(O);
    Host->onFailure = [](const std::string& What) { ADD_FAILURE() << "host: " << What; };
    Host->WriteString("FileSystemFile", List);
    Host->WriteValue("FileSystemExt", REG_BINARY, "VFS", 3);
    ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  }

  void TearDown() override {
    Host->Shutdown();
    EXPECT_TRUE(Host->DeleteRootKey());
    Host.reset();
    SetCurrentDirectoryA(SavedDir.c_str());
    RemoveTree(Dir);
  }

  // FAR's file panel on Folder with these items, the cursor on item Current.
  void ShowFolder(const std::string& Folder, const std::vector<std::string>& Names, int Current) {
    FarHost::FilePanel& F = Host->filePanel;
    F.curDir = Folder;
    F.items.clear();
    for (const std::string& N : Names)
      F.Add(N, N == ".." || N == "Sub" || N == "Mail" ? FILE_ATTRIBUTE_DIRECTORY : 0);
    F.currentItem = Current;
  }

  // The close that just happened: the plugin handed FAR the folder it showed, FAR is back there.
  void ExpectClosedTo(FarHost::Panel* P, const std::string& Folder) {
    ASSERT_NE(P, nullptr);
    EXPECT_TRUE(P->closed);
    EXPECT_EQ(P->closedTo, Folder);
    EXPECT_EQ(Host->filePanel.curDir, Folder);
    EXPECT_EQ(Host->Count("FilePanel:ChangeDirFailed"), 0);
  }

  int ExceptionBoxes() const {
    int N = 0;
    for (const MessageCall& M : Host->messages) N += M.helpTopic == "Exception";
    return N;
  }

  std::string SavedDir, Dir, List;
  std::unique_ptr<FarHost> Host;
};

// F11 from the file panel, whatever the cursor stands on, and from the disks menu: the root
// list's CurDir is the folder FAR showed, and ".." closes the panel back to it.
TEST_F(Close, FromTheMenusWhereverTheCursorWas) {
  const std::vector<std::string> Names{"..", "Sub", "LIST.VFS"};
  for (int Current = 0; Current < 3; ++Current) {
    ShowFolder(Dir, Names, Current);
    FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
    ASSERT_NE(P, nullptr);
    EXPECT_EQ(P->info.curDir, Dir) << "cursor on " << Names[Current];
    ASSERT_TRUE(P->SetCurrent(".."));
    P->Enter();
    ExpectClosedTo(P, Dir);
  }
  // An empty panel, and the disks menu.
  ShowFolder(Dir + "\\Sub", {}, 0);
  FarHost::Panel* P = Host->OpenPlugin(OPEN_DISKMENU);
  ASSERT_NE(P, nullptr);
  ASSERT_TRUE(P->SetCurrent(".."));
  P->Enter();
  ExpectClosedTo(P, Dir + "\\Sub");
}

// At a drive root FAR's CurDir keeps its backslash, and so does the close text.
TEST_F(Close, AtADriveRoot) {
  char Windows[MAX_PATH];
  GetWindowsDirectoryA(Windows, MAX_PATH);
  const std::string Root = std::string(Windows, 2) + "\\";
  ShowFolder(Root, {"..", "LIST.VFS"}, 1);
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->info.curDir, Root);
  ASSERT_TRUE(P->SetCurrent(".."));
  P->Enter();
  ExpectClosedTo(P, Root);
}

// Enter on the list file itself: the cursor was on the file, and FAR returns to its folder.
TEST_F(Close, FromEnterOnAListFile) {
  ShowFolder(Dir, {"..", "Mail", "Sub", "LIST.VFS"}, 3);
  FarHost::Panel* P = Host->OpenFilePlugin(List);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->info.curDir, Dir);
  EXPECT_EQ(P->info.panelTitle, List);
  P->ChangeDir("..");
  ExpectClosedTo(P, Dir);
}

// AutoExitPlugin: a list with nothing to show closes itself inside GetFindData, and an open
// entry that empties climbs back at the next idle tick, whose reread then closes the panel.
TEST_F(Close, ByAutoExitInsideTheRereads) {
  ShowFolder(Dir, {"..", "LIST.VFS"}, 1);
  WriteBytes(List, Dir + "\\Sub\\*.*,Nothing here\r\n");
  FarHost::Panel* P = Host->OpenFilePlugin(List);
  ExpectClosedTo(P, Dir);

  WriteBytes(List, Dir + "\\Mail\\*.msg,Mail\r\n");
  P = Host->OpenFilePlugin(List);
  ASSERT_NE(P, nullptr);
  ASSERT_TRUE(P->SetCurrent(Dir + "\\Mail\\*.msg"));
  P->Enter();
  ASSERT_FALSE(P->closed);
  EXPECT_EQ(P->info.curDir, Dir + "\\Mail\\");
  ASSERT_TRUE(DeleteFileA((Dir + "\\Mail\\a.msg").c_str()));
  EXPECT_EQ(P->ProcessEvent(FE_IDLE), 0);
  ExpectClosedTo(P, Dir);
}

// Opened from F11 over another plugin's panel, Quenby finds that plugin's CurDir in PanelInfo:
// here its own folder views of a relative mask ("Mail\") and of a drive-relative one ("C:").
// Neither need be a folder FAR can change to, so the list reports the process's current folder
// instead, and the close hands FAR that folder.
TEST_F(Close, OverAnotherPluginsPanel) {
  // Entering "Mail\*.msg" makes Dir\Mail the current folder, where the view then searches.
  WriteBytes(Dir + "\\Mail\\b.msg", "b");
  ASSERT_TRUE(CreateDirectoryA((Dir + "\\Mail\\Mail").c_str(), nullptr));
  WriteBytes(Dir + "\\Mail\\Mail\\c.msg", "c");
  WriteBytes(List, "Mail\\*.msg,Relative\r\nC:*.msg,Drive\r\n");
  ASSERT_TRUE(SetCurrentDirectoryA(Dir.c_str()));
  ShowFolder(Dir + "\\Sub", {"..", "LIST.VFS"}, 1);
  FarHost::Panel* Under = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(Under, nullptr);
  for (const std::string Entry : {"Mail\\*.msg", "C:*.msg"}) {
    Host->activePanel = Under;
    if (Under->info.curDir != Dir + "\\Sub") Under->ChangeDir("..");
    ASSERT_TRUE(Under->SetCurrent(Entry)) << Entry;
    Under->Enter();
    const std::string Other = Entry.substr(0, Entry.find('*'));  // "Mail\", "C:"
    ASSERT_EQ(Under->info.curDir, Other);
    const std::string Here = CurrentFolder();  // where entering the view has left the process
    FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
    ASSERT_NE(P, nullptr);
    // FAR takes the root list's CurDir for its panel's folder: a real one, not the text of the
    // view below, which names "Mail\Mail" from here, or no folder at all.
    EXPECT_EQ(P->info.curDir, Here) << Entry;
    ASSERT_TRUE(P->SetCurrent(".."));
    P->Enter();
    EXPECT_TRUE(P->closed);
    EXPECT_EQ(P->closedTo, Here) << Entry;
    EXPECT_EQ(Host->filePanel.curDir, Here) << Entry;
    EXPECT_EQ(Host->Count("FilePanel:ChangeDirFailed"), 0);
    EXPECT_EQ(Host->Count("FilePanel:RereadFailed"), 0);
  }
}

// The same, closed by AutoExitPlugin right after an emptied folder view of a relative mask
// climbed back: FAR keeps the CurDir it drew last, "Mail\", for its panel's folder, and only a
// close text naming a real folder takes it out of there.
TEST_F(Close, OverAnotherPluginsPanelByAutoExit) {
  WriteBytes(List, "Mail\\*.msg,Relative\r\n");
  ASSERT_TRUE(CreateDirectoryA((Dir + "\\Mail\\Mail").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((Dir + "\\Mail\\Mail\\Mail").c_str(), nullptr));
  WriteBytes(Dir + "\\Mail\\Mail\\c.msg", "c");  // what the views find from Mail, Mail\Mail
  WriteBytes(Dir + "\\Mail\\Mail\\Mail\\d.msg", "d");
  ShowFolder(Dir + "\\Sub", {"..", "LIST.VFS"}, 1);
  ASSERT_TRUE(SetCurrentDirectoryA(Dir.c_str()));  // where the relative mask starts
  FarHost::Panel* Under = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(Under, nullptr);
  ASSERT_TRUE(Under->SetCurrent("Mail\\*.msg"));
  Under->Enter();
  ASSERT_EQ(Under->info.curDir, "Mail\\");
  const std::string Here = CurrentFolder();
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  ASSERT_TRUE(P->SetCurrent("Mail\\*.msg"));
  P->Enter();
  ASSERT_EQ(P->info.curDir, "Mail\\");
  ASSERT_EQ(P->Names(), (std::vector<std::string>{"..", "Mail\\d.msg"}));
  ASSERT_TRUE(DeleteFileA((Dir + "\\Mail\\Mail\\Mail\\d.msg").c_str()));
  P->ProcessEvent(FE_IDLE);
  EXPECT_TRUE(P->closed);
  EXPECT_EQ(P->closedTo, Here);
  EXPECT_EQ(Host->filePanel.curDir, Here);
  EXPECT_EQ(Host->Count("FilePanel:ChangeDirFailed"), 0);
  EXPECT_EQ(Host->Count("FilePanel:RereadFailed"), 0);
}

// A panel that gives no folder at all: the current folder stands in for it too, so that the
// close still names one.
TEST_F(Close, OverAPanelOfNoFolder) {
  ShowFolder("", {"..", "LIST.VFS"}, 1);
  ASSERT_TRUE(SetCurrentDirectoryA((Dir + "\\Mail").c_str()));
  FarHost::Panel* P = Host->OpenPlugin(OPEN_PLUGINSMENU);
  ASSERT_NE(P, nullptr);
  EXPECT_EQ(P->info.curDir, Dir + "\\Mail");
  ASSERT_TRUE(P->SetCurrent(".."));
  P->Enter();
  EXPECT_TRUE(P->closed);
  EXPECT_EQ(P->closedTo, Dir + "\\Mail");
}

// While the list file cannot be read, FAR's idle rereads show its exception box once; any other
// reread shows it again, and after a reread that succeeds the next failure is shown again.
TEST_F(Close, AnUnreadableListShowsOneBoxPerFailure) {
  ShowFolder(Dir, {"..", "LIST.VFS"}, 1);
  FarHost::Panel* P = Host->OpenFilePlugin(List);
  ASSERT_NE(P, nullptr);
  ASSERT_TRUE(DeleteFileA(List.c_str()));
  for (int Tick = 0; Tick < 5; ++Tick) EXPECT_EQ(P->ProcessEvent(FE_IDLE), 0);
  EXPECT_EQ(ExceptionBoxes(), 1);
  EXPECT_FALSE(P->closed);
  EXPECT_EQ(P->Names(), std::vector<std::string>{".."});  // no items but FAR's own ".."

  P->Reread();  // Ctrl+R: the user asked, so the box is shown
  EXPECT_EQ(ExceptionBoxes(), 2);
  P->ProcessEvent(FE_IDLE);
  EXPECT_EQ(ExceptionBoxes(), 2);

  // Replaced by a folder: another failure, another text, so one more box.
  ASSERT_TRUE(CreateDirectoryA(List.c_str(), nullptr));
  P->ProcessEvent(FE_IDLE);
  P->ProcessEvent(FE_IDLE);
  EXPECT_EQ(ExceptionBoxes(), 3);
  ASSERT_TRUE(RemoveDirectoryA(List.c_str()));
  P->ProcessEvent(FE_IDLE);  // back to the first text: it is not the last one shown
  EXPECT_EQ(ExceptionBoxes(), 4);

  // Back again: the list is read, and a later failure is news.
  WriteBytes(List, Dir + "\\Mail\\*.msg,Mail\r\n");
  P->ProcessEvent(FE_IDLE);
  EXPECT_EQ(P->Names(), (std::vector<std::string>{"..", Dir + "\\Mail\\*.msg"}));
  ASSERT_TRUE(DeleteFileA(List.c_str()));
  P->ProcessEvent(FE_IDLE);
  P->ProcessEvent(FE_IDLE);
  EXPECT_EQ(ExceptionBoxes(), 5);

  // Each panel keeps its own memory: a second panel's failures show their own first box.
  WriteBytes(List, Dir + "\\Mail\\*.msg,Mail\r\n");
  Host->activePanel = nullptr;
  FarHost::Panel* Q = Host->OpenFilePlugin(List);
  ASSERT_NE(Q, nullptr);
  ASSERT_TRUE(DeleteFileA(List.c_str()));
  Q->ProcessEvent(FE_IDLE);
  EXPECT_EQ(ExceptionBoxes(), 6);
  P->ProcessEvent(FE_IDLE);  // P's last shown failure has this very text
  EXPECT_EQ(ExceptionBoxes(), 6);
}

}  // namespace
