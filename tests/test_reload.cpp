// Loading and unloading quenby.dll thousands of times, as a host that reloads its plugins does.
// Every load makes the plugin throw and catch an exception (a list file it cannot read, shown in
// the exception box), and every unload must give back what the load took: TLS slots, handles
// and heap blocks. A process has about a thousand TLS slots, so one lost per load ends a host.
// Also: loads in a process with no TLS slot left, and threads that throw inside the plugin.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>
#include "FarHost.h"
#include "ProcessCounts.h"
#include "TempFiles.h"

namespace {

const int Cycles = 3000;
const int CheckEvery = 100;

class Reload : public ::testing::Test {
 protected:
  void SetUp() override {
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Dir = std::string(Temp) + "quenby_reload_" + std::to_string(GetCurrentProcessId());
    RemoveTree(Dir);
    ASSERT_TRUE(CreateDirectoryA(Dir.c_str(), nullptr));
    List = Dir + "\\held.vfs";
    WriteBytes(List, Dir + "\\*.*,everything\r\n");
    Options.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    Options.rootKey = FarHost::TestRootKey("reload");
    // Nobody may read the list file while this handle is open.
    Writer = CreateFileA(List.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(Writer, INVALID_HANDLE_VALUE);
    FarHost Settings(Options);
    ASSERT_TRUE(Settings.WriteString("FileSystemFile", List));  // opening needs one that exists
    ASSERT_TRUE(Settings.WriteValue("FileSystemExt", REG_BINARY, "VFS", 3));
  }

  void TearDown() override {
    if (Writer != INVALID_HANDLE_VALUE) CloseHandle(Writer);
    FarHost Settings(Options);
    EXPECT_TRUE(Settings.DeleteRootKey());
    RemoveTree(Dir);
  }

  // Enter on the held list file: the panel opens, and reading its list throws inside the
  // plugin, which catches it and shows the exception box. Returns what went wrong, "" when
  // nothing did.
  std::string EnterHeldList(FarHost& Host) {
    Host.messages.clear();
    Host.OpenFilePlugin(List);
    std::string Problem;
    if (Host.messages.size() != 1 || Host.messages[0].helpTopic != "Exception" ||
        Host.messages[0].Title().find(" EInOutError ") == std::string::npos)
      Problem = "no exception box for the unreadable list file";
    for (const std::string& F : Host.failures) Problem += "; host: " + F;
    // FAR's records of the call are dropped, so that the heap shows only what the plugin keeps.
    for (auto& P : Host.panels)
      if (!P->closed) P->ClosePlugin();
    Host.panels.clear();
    Host.activePanel = nullptr;
    Host.failures.clear();
    Host.log.clear();
    Host.log.shrink_to_fit();
    Host.messages.clear();
    Host.messages.shrink_to_fit();
    Host.controls.clear();
    Host.controls.shrink_to_fit();
    return Problem;
  }

  // One load of the plugin by a host of its own: start-up, Enter on the held list file, FAR's
  // exit, FreeLibrary.
  std::string OneCycle() {
    FarHost Host(Options);
    if (!Host.LoadAndStart()) return "the plugin does not load: " + Host.lastError;
    std::string Problem = EnterHeldList(Host);
    Host.Shutdown();
    return Problem;
  }

  // Runs EnterHeldList on a thread of its own, which then waits for Release (if any) and ends.
  struct TThreadWork {
    Reload* Test;
    FarHost* Host;
    HANDLE Entered, Release;
    std::string Problem;
  };
  static DWORD WINAPI ThreadMain(void* Context) {
    TThreadWork& Work = *static_cast<TThreadWork*>(Context);
    Work.Problem = Work.Test->EnterHeldList(*Work.Host);
    SetEvent(Work.Entered);
    if (Work.Release) WaitForSingleObject(Work.Release, INFINITE);
    return 0;
  }
  HANDLE StartThread(TThreadWork& Work) {
    Work.Entered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE Thread = CreateThread(nullptr, 0, ThreadMain, &Work, 0, nullptr);
    WaitForSingleObject(Work.Entered, INFINITE);
    CloseHandle(Work.Entered);
    return Thread;
  }
  std::string OnOwnThread(FarHost& Host) {
    TThreadWork Work{this, &Host, nullptr, nullptr, ""};
    HANDLE Thread = StartThread(Work);
    WaitForSingleObject(Thread, INFINITE);
    CloseHandle(Thread);
    return Work.Problem;
  }

  std::string Dir, List;
  HANDLE Writer = INVALID_HANDLE_VALUE;
  FarHost::Options Options;
};

TEST_F(Reload, ThousandsOfLoadsEachWithAnExceptionGiveBackTlsSlotsHandlesAndHeap) {
  ASSERT_EQ(OneCycle(), "");  // system DLLs the plugin imports stay loaded after the first load
  printf("reload: %d loads, each with an exception, checked every %d\n", Cycles, CheckEvery);
  fflush(stdout);  // the output buffer is made now, not in the measured loop
  const ProcessCounts Start = MeasureProcess();
  ASSERT_GT(Start.freeTls, 0);
  ASSERT_GT(Start.handles, 0) << "the handle count cannot be read";
  for (int Cycle = 1; Cycle <= Cycles; ++Cycle) {
    std::string Problem = OneCycle();
    ASSERT_EQ(Problem, "") << "load " << Cycle;
    if (Cycle % CheckEvery) continue;
    ProcessCounts Now = MeasureProcess();
    ASSERT_EQ(Lost(Start, Now), "") << "after " << Cycle << " loads";
    if (Cycle % 500 == 0) {
      printf("reload: %d loads, %d TLS slots free, %ld handles\n", Cycle, Now.freeTls, Now.handles);
      fflush(stdout);
    }
  }
}

// A host whose process has no TLS slot left (its own or other DLLs' leaks took them) still gets
// the exception box, where an abort used to end the process: the plugin's exception state then
// lives in one place that its threads share.
TEST_F(Reload, WithNoTlsSlotLeftTheExceptionBoxStillAppears) {
  ASSERT_EQ(OneCycle(), "");
  std::vector<DWORD> Taken;
  Taken.reserve(2000);
  const ProcessCounts Before = MeasureProcess();
  for (DWORD Index; (Index = TlsAlloc()) != TLS_OUT_OF_INDEXES;) Taken.push_back(Index);
  ASSERT_FALSE(Taken.empty());
  std::string Problems;
  for (int I = 0; I < 3; ++I) Problems += OneCycle();
  for (DWORD Index : Taken) TlsFree(Index);
  EXPECT_EQ(Problems, "") << "loads with all " << Taken.size() << " free TLS slots taken";
  EXPECT_EQ(Lost(Before, MeasureProcess()), "");
}

// The exception state is per thread: a thread that threw inside the plugin gives its state
// back when it ends, and the unload takes that of threads still running.
TEST_F(Reload, ThreadsThatThrowInsideThePluginGiveBackTheirStateWhenTheyEndOrItUnloads) {
  ASSERT_EQ(OneCycle(), "");
  {
    FarHost Warm(Options);
    ASSERT_TRUE(Warm.LoadAndStart()) << Warm.lastError;
    ASSERT_EQ(OnOwnThread(Warm), "");  // the first thread may leave what the system keeps
    Warm.Shutdown();
  }
  const ProcessCounts Unloaded = MeasureProcess();

  {
    FarHost Host(Options);
    ASSERT_TRUE(Host.LoadAndStart()) << Host.lastError;
    ASSERT_EQ(EnterHeldList(Host), "") << "on the main thread";
    const ProcessCounts Loaded = MeasureProcess();
    for (int I = 1; I <= 50; ++I) ASSERT_EQ(OnOwnThread(Host), "") << "thread " << I;
    EXPECT_EQ(Lost(Loaded, MeasureProcess()), "") << "after 50 threads that threw and ended";

    // Threads that threw and are still running when the DLL goes.
    HANDLE Release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    std::vector<std::unique_ptr<TThreadWork>> Works;
    std::vector<HANDLE> Threads;
    for (int I = 0; I < 3; ++I) {
      Works.push_back(
          std::make_unique<TThreadWork>(TThreadWork{this, &Host, nullptr, Release, ""}));
      Threads.push_back(StartThread(*Works.back()));
      EXPECT_EQ(Works.back()->Problem, "") << "waiting thread " << I;
    }
    Host.Shutdown();
    SetEvent(Release);
    WaitForMultipleObjects(DWORD(Threads.size()), Threads.data(), TRUE, INFINITE);
    for (HANDLE T : Threads) CloseHandle(T);
    CloseHandle(Release);
  }
  EXPECT_EQ(Lost(Unloaded, MeasureProcess()), "") << "after an unload with 3 such threads running";
}

}  // namespace
