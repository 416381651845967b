// The FAR 3 panel refreshes on its own: files changed from outside show with no key, through the
// synchro events its watcher asks for and the stand-in delivers on its main loop as FAR 3 does;
// AutoExit and AutoExitPlugin act on those refreshes; closing and unloading leave nothing behind.
#include <windows.h>

#include <algorithm>
#include "Far3TestWorld.h"
#include "ProcessCounts.h"

namespace {

using namespace far3test;

bool Has(const Far3PluginPanel& Panel, const std::wstring& Name) {
  const std::vector<std::wstring> Names = ItemNames(Panel);
  return std::find(Names.begin(), Names.end(), Name) != Names.end();
}

class WatchTest : public PluginTest {
 protected:
  // FAR's main loop for up to Ms, until Done holds; no key is pressed.
  bool Until(const std::function<bool()>& Done, DWORD Ms = 4000) {
    return host->RunMainLoopUntil(Done, Ms);
  }
};

TEST_F(WatchTest, FilesCreatedRenamedAndDeletedShowWithoutAKey) {
  REQUIRE_FAR3_DLL();
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Mail\\*.msg"));
  const int Reads = p->findDataCalls;
  host->RunMainLoop(1000);
  EXPECT_EQ(Reads, p->findDataCalls) << "nothing changed: no reread";

  dir->Write(L"Mail\\c.msg", "c");
  EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Mail\\c.msg")); })) << "created";
  ASSERT_TRUE(MoveFileW(Entry(L"Mail\\c.msg").c_str(), Entry(L"Mail\\d.msg").c_str()));
  EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Mail\\d.msg")) && !Has(*p, Entry(L"Mail\\c.msg")); }))
      << "renamed";
  ASSERT_TRUE(DeleteFileW(Entry(L"Mail\\d.msg").c_str()));
  EXPECT_TRUE(Until([&] { return !Has(*p, Entry(L"Mail\\d.msg")); })) << "deleted";
  EXPECT_EQ(ItemNames(*p).size(), 2u);
  EXPECT_EQ(p->CountNamed(L".."), 1);

  // A burst of changes gives one reread, or a few, not one a change.
  const int Before = p->findDataCalls;
  for (int I = 0; I < 30; ++I) dir->Write(L"Mail\\burst" + std::to_wstring(I) + L".msg", "b");
  EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Mail\\burst29.msg")); }));
  host->RunMainLoop(800);
  EXPECT_LE(p->findDataCalls - Before, 3);
}

TEST_F(WatchTest, AFolderViewEmptiedFromOutsideClimbsAndAnEmptiedListCloses) {
  REQUIRE_FAR3_DLL();
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Mail\\*.msg"));
  ASSERT_EQ(ItemNames(*p).size(), 2u);
  DeleteFileW(Entry(L"Mail\\a.msg").c_str());
  DeleteFileW(Entry(L"Mail\\b.msg").c_str());
  EXPECT_TRUE(Until([&] { return ItemNames(*p) == std::vector<std::wstring>{Entry(L"Drop\\*.*")}; }))
      << "AutoExit: back at the list, which no longer lists Mail";
  EXPECT_EQ(p->CountNamed(L".."), 1);
  ASSERT_FALSE(p->closed);
  DeleteFileW(Entry(L"Drop\\x.zip").c_str());
  DeleteFileW(Entry(L"Drop\\y.txt").c_str());
  EXPECT_TRUE(Until([&] { return p->closed; })) << "AutoExitPlugin: the list has no entry left";
  host->RunMainLoop(500);  // and nothing reaches the closed panel
}

TEST_F(WatchTest, WithoutAutoExitTheEmptiedViewStaysAndRefreshes) {
  REQUIRE_FAR3_DLL();
  MakeWorld([](Far3Host& h) { PresetNumber(h, L"AutoExit", 0); });
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  EnterItem(p, Entry(L"Mail\\*.msg"));
  DeleteFileW(Entry(L"Mail\\a.msg").c_str());
  DeleteFileW(Entry(L"Mail\\b.msg").c_str());
  EXPECT_TRUE(Until([&] { return ItemNames(*p).empty(); }));
  EXPECT_FALSE(p->closed);
  dir->Write(L"Mail\\new.msg", "n");
  EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Mail\\new.msg")); }));
}

TEST_F(WatchTest, TheListFileEditedRereadsAndAFolderThatAppearsLaterIsPickedUp) {
  REQUIRE_FAR3_DLL();
  MakeWorld();
  Far3PluginPanel* p = Open();
  ASSERT_NE(p, nullptr);
  ASSERT_EQ(ItemNames(*p).size(), 2u);
  // The list gains an entry whose folder does not exist yet.
  dir->Write(L"LIST.VFS", "\xEF\xBB\xBF" + U8(Entry(L"Mail\\*.msg")) + ",Incoming mail\r\n" +
                              U8(Entry(L"Later\\Inbox\\*.msg")) + ",Later\r\n");
  EXPECT_TRUE(Until([&] { return !Has(*p, Entry(L"Drop\\*.*")); })) << "the list file reread";
  EXPECT_FALSE(Has(*p, Entry(L"Later\\Inbox\\*.msg")));
  dir->MakeDir(L"Later");
  dir->MakeDir(L"Later\\Inbox");
  dir->Write(L"Later\\Inbox\\first.msg", "f");
  EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Later\\Inbox\\*.msg")); })) << "the new folder";
  EnterItem(p, Entry(L"Later\\Inbox\\*.msg"));
  dir->Write(L"Later\\Inbox\\second.msg", "s");
  EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Later\\Inbox\\second.msg")); }))
      << "the folder view watches its own folder";
}

// Writes files into a folder on a thread of its own until told to stop.
struct TWriter {
  std::wstring Folder;
  volatile LONG Stop = 0;
  HANDLE Thread = nullptr;
  static DWORD WINAPI Main(void* Self) {
    TWriter& W = *static_cast<TWriter*>(Self);
    for (int I = 0; !W.Stop; ++I) {
      const std::wstring Name = W.Folder + L"\\w" + std::to_wstring(I % 40) + L".msg";
      HANDLE File = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
      if (File != INVALID_HANDLE_VALUE) CloseHandle(File);
      if (I % 2) DeleteFileW(Name.c_str());
      Sleep(1);
    }
    return 0;
  }
  void Start() { Thread = CreateThread(nullptr, 0, Main, this, 0, nullptr); }
  void Join() {
    Stop = 1;
    WaitForSingleObject(Thread, INFINITE);
    CloseHandle(Thread);
  }
};

TEST_F(WatchTest, ClosingDuringABurstAndASoakOfOpensAndClosesReachNoClosedPanel) {
  REQUIRE_FAR3_DLL();
  MakeWorld();
  const int Threads = ThreadCount();
  TWriter Writer{Entry(L"Mail")};
  Writer.Start();
  for (int Round = 0; Round < 12; ++Round) {
    Far3PluginPanel* p = Open();
    ASSERT_NE(p, nullptr);
    if (Round % 3 == 1) EnterItem(p, Entry(L"Mail\\*.msg"));
    if (Round % 3 == 2) EnterItem(p, Entry(L"Drop\\*.*"));
    EXPECT_EQ(Threads + 2, ThreadCount()) << "the writer and the panel's one watcher";
    host->RunMainLoop(100 + Round * 53 % 400);
    dir->Write(L"Drop\\z" + std::to_wstring(Round) + L".zip", "z");
    host->RunMainLoop(Round * 31 % 200);
    ASSERT_TRUE(p->CloseTo(L"")) << "round " << Round;
    // The events asked for before the close are delivered and dropped by the plugin; the
    // stand-in fails the test on any call for a closed panel's handle.
    host->RunMainLoop(200);
    EXPECT_EQ(Threads + 1, ThreadCountSettled(Threads + 1)) << "round " << Round;
  }
  Writer.Join();
  host->RunMainLoop(300);
  EXPECT_EQ(Threads, ThreadCountSettled(Threads));
}

TEST_F(WatchTest, UnloadingLeavesNoThreadHandleOrMemoryBehind) {
  REQUIRE_FAR3_DLL();
  MakeWorld();
  host->Shutdown();
  host.reset();
  auto Cycle = [&](bool CloseFirst) {
    host = NewHost();
    host->filePanel.curDir = dir->path();
    Start([&](Far3Host& h) { PresetText(h, L"FileSystemFile", list); });
    Far3PluginPanel* p = Open();
    ASSERT_NE(p, nullptr);
    dir->Write(L"Drop\\cycle.zip", "c");
    EXPECT_TRUE(Until([&] { return Has(*p, Entry(L"Drop\\*.*")) && p->findDataCalls > 1; }, 3000));
    if (CloseFirst) p->CloseTo(L"");
    host->Shutdown();  // FAR at exit: ClosePanelW on what is open, ExitFARW, FreeLibrary
    host.reset();
  };
  Cycle(false);  // once first: what the system keeps after a first use is counted before
  const int Threads = ThreadCountSettled(ThreadCount());
  const ProcessCounts Before = MeasureProcess();
  ASSERT_GT(Before.handles, 0) << "the handle count cannot be read";
  for (int I = 0; I < 6; ++I) Cycle(I % 2 == 0);
  EXPECT_EQ(Threads, ThreadCountSettled(Threads));
  EXPECT_EQ("", Lost(Before, MeasureProcess())) << "lost over six loads";
}

}  // namespace
