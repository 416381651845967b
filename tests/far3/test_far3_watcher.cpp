// The FAR 3 panel's folder watcher, driven with real folders: one request a burst, nothing
// searched while nothing changes, folders that appear later, many folders on one thread, and a
// stop in the middle of a burst that gives every thread and handle back.
#include <gtest/gtest.h>
#include <windows.h>

#include <climits>
#include <cstdlib>
#include <string>
#include <vector>
#include "Far3Barrier.h"
#include "Far3Watcher.h"
#include "ImportRoutes.h"
#include "ProcessCounts.h"
#include "TempFiles.h"

// Allocations left to threads other than the main one (the watcher's) before memory runs out.
// As in the DLL, running out raises the plugin's own failure, which the thread's barrier catches.
volatile LONG OtherThreadsMayAllocate = LONG_MAX;
const DWORD MainThread = GetCurrentThreadId();

void* operator new(std::size_t Size) {
  if (GetCurrentThreadId() != MainThread && InterlockedDecrement(&OtherThreadsMayAllocate) < 0)
    RaiseFailure("EOutOfMemory", "Out of memory", nullptr);
  if (void* Block = std::malloc(Size ? Size : 1)) return Block;
  RaiseFailure("EOutOfMemory", "Out of memory", nullptr);
}
void operator delete(void* Block) noexcept { std::free(Block); }
void operator delete(void* Block, std::size_t) noexcept { std::free(Block); }

namespace {

volatile LONG Requests = 0;
void CountRequest(void* Context) {
  InterlockedIncrement(&Requests);
  InterlockedIncrement(static_cast<volatile LONG*>(Context));
}

volatile LONG Searches = 0;
HANDLE(WINAPI* RealFindFirstFileW)(LPCWSTR, LPWIN32_FIND_DATAW);
HANDLE WINAPI CountFindFirstFileW(LPCWSTR Name, LPWIN32_FIND_DATAW Data) {
  InterlockedIncrement(&Searches);
  return RealFindFirstFileW(Name, Data);
}

// The watcher is linked into this program: its searches go through the program's own imports.
void CountSearches() {
  static bool Routed = false;
  if (Routed) return;
  const ImportRoute Route{"FindFirstFileW", reinterpret_cast<void*>(&CountFindFirstFileW),
                          reinterpret_cast<void**>(&RealFindFirstFileW)};
  Routed = RouteImports(GetModuleHandleW(nullptr), "kernel32.dll", &Route, 1) > 0;
  ASSERT_TRUE(Routed);
}

void WriteFile(const std::wstring& Name, size_t Size) {
  HANDLE File = CreateFileW(Name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(File, INVALID_HANDLE_VALUE);
  std::string Bytes(Size, 'x');
  DWORD Written = 0;
  ::WriteFile(File, Bytes.data(), static_cast<DWORD>(Bytes.size()), &Written, nullptr);
  CloseHandle(File);
}

void AppendTo(const std::wstring& Name) {
  HANDLE File = CreateFileW(Name.c_str(), FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(File, INVALID_HANDLE_VALUE);
  DWORD Written = 0;
  ::WriteFile(File, "more", 4, &Written, nullptr);
  CloseHandle(File);
}

class WatcherTest : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t Temp[MAX_PATH];
    GetTempPathW(MAX_PATH, Temp);
    Root = std::wstring(Temp) + L"quenby-watch-" + std::to_wstring(GetCurrentProcessId()) +
           L"-" + std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(Root.c_str(), nullptr));
    Asked = 0;
  }
  void TearDown() override { RemoveTree(Root); }

  std::wstring Folder(const std::wstring& Name) {
    const std::wstring Path = Root + L"\\" + Name;
    CreateDirectoryW(Path.c_str(), nullptr);
    return Path;
  }
  // Waits until the requests reach Count or the time is up; then lets Settle ms more pass, so
  // that a second request would have come.
  LONG WaitForRequests(LONG Count, DWORD Within = 3000, DWORD Settle = 800) {
    const DWORD Start = GetTickCount();
    while (Asked < Count && GetTickCount() - Start < Within) Sleep(10);
    Sleep(Settle);
    return Asked;
  }

  std::wstring Root;
  volatile LONG Asked = 0;
};

TEST_F(WatcherTest, EachKindOfChangeAndABurstGiveOneRequestAfterTheLastIsTaken) {
  const std::wstring Mail = Folder(L"Mail");
  WriteFile(Mail + L"\\old.msg", 10);
  TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
  ASSERT_TRUE(Watcher.Watch({Mail}));
  Sleep(300);
  EXPECT_EQ(0, Asked) << "nothing changed yet";

  WriteFile(Mail + L"\\new.msg", 10);  // created
  EXPECT_EQ(1, WaitForRequests(1));
  AppendTo(Mail + L"\\new.msg");  // not taken yet: the panel's coming reread covers it
  EXPECT_EQ(1, WaitForRequests(2, 1000));

  Watcher.Taken();
  AppendTo(Mail + L"\\old.msg");  // resized
  EXPECT_EQ(2, WaitForRequests(2));
  Watcher.Taken();
  ASSERT_TRUE(MoveFileW((Mail + L"\\old.msg").c_str(), (Mail + L"\\renamed.msg").c_str()));
  EXPECT_EQ(3, WaitForRequests(3));
  Watcher.Taken();
  ASSERT_TRUE(DeleteFileW((Mail + L"\\renamed.msg").c_str()));
  EXPECT_EQ(4, WaitForRequests(4));

  Watcher.Taken();
  for (int I = 0; I < 20; ++I) {  // a burst: created, resized, renamed, deleted
    const std::wstring Name = Mail + L"\\burst" + std::to_wstring(I);
    WriteFile(Name, 100);
    AppendTo(Name);
    MoveFileW(Name.c_str(), (Name + L".done").c_str());
    if (I % 2) DeleteFileW((Name + L".done").c_str());
    Sleep(5);
  }
  EXPECT_EQ(5, WaitForRequests(5));

  Watcher.Taken();
  Watcher.Again();  // the panel could not reread: asked again after the quiet time, once
  EXPECT_EQ(6, WaitForRequests(6, 1000));
  Watcher.Stop();
  EXPECT_FALSE(Watcher.Running());
  Watcher.Again();  // stopped: nothing
  Sleep(300);
  EXPECT_EQ(6, Asked);
}

TEST_F(WatcherTest, NothingIsSearchedOrAskedWhileNothingChanges) {
  CountSearches();
  std::vector<std::wstring> Folders;
  for (int I = 0; I < 40; ++I) Folders.push_back(Folder(L"f" + std::to_wstring(I)));
  Folders.push_back(Root + L"\\missing\\deeper");  // watched through its parent, not searched
  TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
  const LONG SearchesBefore = Searches;
  ASSERT_TRUE(Watcher.Watch(Folders));
  Sleep(3000);
  EXPECT_EQ(0, Asked);
  EXPECT_EQ(0, Searches - SearchesBefore);
  WriteFile(Folders[17] + L"\\a.txt", 1);  // and it still watches
  EXPECT_EQ(1, WaitForRequests(1));
  EXPECT_EQ(0, Searches - SearchesBefore);
}

TEST_F(WatcherTest, AFolderThatAppearsLaterIsPickedUp) {
  const std::wstring Target = Root + L"\\later\\inbox";
  TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
  ASSERT_TRUE(Watcher.Watch({Target}));
  Sleep(300);
  ASSERT_TRUE(CreateDirectoryW((Root + L"\\later").c_str(), nullptr));
  EXPECT_EQ(0, WaitForRequests(1, 600)) << "its parent is not what the panel shows";
  ASSERT_TRUE(CreateDirectoryW(Target.c_str(), nullptr));
  EXPECT_EQ(1, WaitForRequests(1));
  Watcher.Taken();
  WriteFile(Target + L"\\first.msg", 5);  // watched itself now
  EXPECT_EQ(2, WaitForRequests(2));
  Watcher.Taken();
  ASSERT_TRUE(DeleteFileW((Target + L"\\first.msg").c_str()));
  EXPECT_EQ(3, WaitForRequests(3));
}

TEST_F(WatcherTest, AFolderDeletedAndMadeAgainIsStillWatched) {
  const std::wstring Drop = Folder(L"Drop");
  WriteFile(Drop + L"\\a.zip", 5);
  TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
  ASSERT_TRUE(Watcher.Watch({Drop}));
  Sleep(300);
  // As a file manager deletes a folder: its files, then at once the folder. The watcher's handle
  // must not keep it (Wine deletes it only when the last handle goes, and tells no watch).
  for (int Round = 0; Round < 3; ++Round) {
    ASSERT_TRUE(DeleteFileW((Drop + L"\\a.zip").c_str())) << Round;
    ASSERT_TRUE(RemoveDirectoryW(Drop.c_str())) << Round;
    EXPECT_EQ(3 * Round + 1, WaitForRequests(3 * Round + 1)) << Round;
    Watcher.Taken();
    ASSERT_TRUE(CreateDirectoryW(Drop.c_str(), nullptr)) << Round << ": error " << GetLastError();
    EXPECT_EQ(3 * Round + 2, WaitForRequests(3 * Round + 2)) << Round;
    Watcher.Taken();
    WriteFile(Drop + L"\\a.zip", 5);
    EXPECT_EQ(3 * Round + 3, WaitForRequests(3 * Round + 3)) << Round;
    Watcher.Taken();
  }
}

TEST_F(WatcherTest, AFolderWithNoParentToWatchIsComparedOnTheTimer) {
  CountSearches();
  // A relative folder whose every part is missing has nothing above it to watch: it is polled.
  wchar_t Saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, Saved);
  ASSERT_TRUE(SetCurrentDirectoryW(Root.c_str()));
  TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
  const LONG SearchesBefore = Searches;
  ASSERT_TRUE(Watcher.Watch({L"polled"}));
  Sleep(3200);
  EXPECT_EQ(0, Asked);
  EXPECT_GE(Searches - SearchesBefore, 2) << "compared about every 1.5 s";
  EXPECT_LE(Searches - SearchesBefore, 4);
  ASSERT_TRUE(CreateDirectoryW(L"polled", nullptr));
  EXPECT_EQ(1, WaitForRequests(1, 2500, 300));
  Watcher.Taken();
  WriteFile(L"polled\\x.txt", 3);
  EXPECT_EQ(2, WaitForRequests(2, 2500, 300));
  Watcher.Stop();
  SetCurrentDirectoryW(Saved);
}

TEST_F(WatcherTest, MoreThanSixtyFourFoldersAreWatchedByOneThread) {
  std::vector<std::wstring> Folders;
  for (int I = 0; I < 300; ++I) Folders.push_back(Folder(L"d" + std::to_wstring(I)));
  const int ThreadsBefore = ThreadCount();
  TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
  ASSERT_TRUE(Watcher.Watch(Folders));
  Sleep(300);
  EXPECT_EQ(ThreadsBefore + 1, ThreadCount());
  const int Changed[] = {299, 0, 150, 64, 63};
  for (LONG I = 0; I < 5; ++I) {
    WriteFile(Folders[Changed[I]] + L"\\x", 1);
    EXPECT_EQ(I + 1, WaitForRequests(I + 1, 3000, 300)) << "folder " << Changed[I];
    Watcher.Taken();
  }
  ASSERT_TRUE(Watcher.Watch(Folders));  // the same set: the same thread goes on
  EXPECT_EQ(ThreadsBefore + 1, ThreadCount());
  Watcher.Stop();
  EXPECT_EQ(ThreadsBefore, ThreadCountSettled(ThreadsBefore));
}

// Creates, writes and deletes files in the folder for about Ms milliseconds.
void Burst(const std::wstring& Folder, DWORD Ms) {
  const DWORD Start = GetTickCount();
  for (int I = 0; GetTickCount() - Start < Ms; ++I) {
    const std::wstring Name = Folder + L"\\b" + std::to_wstring(I % 50);
    WriteFile(Name, I % 7);
    if (I % 3 == 0) DeleteFileW(Name.c_str());
  }
}

TEST_F(WatcherTest, StoppingInABurstGivesBackEveryThreadAndHandle) {
  std::vector<std::wstring> Folders;
  for (int I = 0; I < 70; ++I) Folders.push_back(Folder(L"s" + std::to_wstring(I)));
  Folders.push_back(Root + L"\\gone\\x");  // watched through Root
  const int Threads = ThreadCount();
  {  // once first, so that what Wine keeps for good after a first use is counted before
    TFar3Watcher Warm(CountRequest, const_cast<LONG*>(&Asked));
    Warm.Watch(Folders);
    Burst(Folders[3], 900);  // a burst that goes on is told after the longest delay
    Sleep(300);
  }
  EXPECT_GT(Asked, 0) << "the burst was seen";
  ASSERT_EQ(Threads, ThreadCountSettled(Threads));
  const long Handles = OpenHandles();
  ASSERT_GT(Handles, 0) << "the handle count cannot be read";
  for (int Round = 0; Round < 10; ++Round) {
    TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
    ASSERT_TRUE(Watcher.Watch(Folders));
    Burst(Folders[Round * 7], 50 + Round * 37 % 300);
    EXPECT_EQ(Threads + 1, ThreadCount());
    const long During = OpenHandles() - Handles;  // the folder changing may be let go of
    EXPECT_TRUE(During == 3 + 71 || During == 3 + 70) << During << ": the thread, its two "
                                                         "events, one per folder";
    if (Round % 2) Watcher.Taken();
    Burst(Folders[Round * 7], Round * 11);
    const DWORD Start = GetTickCount();
    Watcher.Stop();
    EXPECT_LT(GetTickCount() - Start, 1000u) << "round " << Round;
    EXPECT_EQ(Threads, ThreadCountSettled(Threads)) << "round " << Round;
    EXPECT_EQ(Handles, OpenHandles()) << "round " << Round;
  }
}

TEST_F(WatcherTest, MemoryRunningOutOnItsThreadEndsItAndLeavesNoHandleOpen) {
  std::vector<std::wstring> Folders;
  for (int I = 0; I < 6; ++I) Folders.push_back(Folder(L"m" + std::to_wstring(I)));
  const int Threads = ThreadCount();
  {  // once first, as above
    TFar3Watcher Warm(CountRequest, const_cast<LONG*>(&Asked));
    Warm.Watch(Folders);
  }
  ASSERT_EQ(Threads, ThreadCountSettled(Threads));
  const long Handles = OpenHandles();
  ASSERT_GT(Handles, 0) << "the handle count cannot be read";
  // Out of memory before the first folder, after some are open, after most are.
  for (LONG Allowed : {0L, 9L, 18L}) {
    TFar3Watcher Watcher(CountRequest, const_cast<LONG*>(&Asked));
    OtherThreadsMayAllocate = Allowed;
    Watcher.Watch(Folders);  // returns once the thread has ended
    EXPECT_EQ(Threads, ThreadCountSettled(Threads)) << Allowed << ": the thread ended";
    EXPECT_FALSE(Watcher.Running()) << Allowed;
    OtherThreadsMayAllocate = LONG_MAX;
    if (Allowed != 9) {
      Watcher.Stop();
      EXPECT_EQ(Handles, OpenHandles()) << Allowed << ": every folder's handle was closed";
    }
    // The panel's next reread asks for the same folders: the watch starts anew and works.
    Asked = 0;
    ASSERT_TRUE(Watcher.Watch(Folders));
    EXPECT_TRUE(Watcher.Running()) << Allowed;
    WriteFile(Folders[5] + L"\\after", 1);
    EXPECT_EQ(1, WaitForRequests(1, 3000, 0)) << Allowed;
    Watcher.Stop();
    EXPECT_EQ(Handles, OpenHandles()) << Allowed;
  }
}

}  // namespace
