// The barriers as FAR meets them in a process it shares with other plugins. Another MinGW-built
// plugin brings GCC's shared runtime (libgcc_s_dw2-1.dll) into the process, before quenby.dll
// loads or after it; memory runs out inside an export; code between a fault and the barrier has
// an SEH frame of its own; a stack overflows twice on the same thread. Every time the exception
// box appears, the call returns as usual, the panel stays and the host lives on.
// Faults and allocation failures are made by routing the plugin's own imports (ImportRoutes).
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>
#include "Emulation.h"
#include "FarHost.h"
#include "ImportRoutes.h"
#include "TempFiles.h"

namespace {

// --- the plugin's imports, routed -----------------------------------------------------------

// msvcrt's allocations: those of at least FailFrom bytes fail.
size_t FailFrom = SIZE_MAX;
int FailedAllocations = 0;
void*(__cdecl* RealMalloc)(size_t);
void*(__cdecl* RealCalloc)(size_t, size_t);
void*(__cdecl* RealRealloc)(void*, size_t);
bool Fails(size_t Size) {
  if (Size < FailFrom) return false;
  ++FailedAllocations;
  return true;
}
void* __cdecl TestMalloc(size_t Size) { return Fails(Size) ? nullptr : RealMalloc(Size); }
void* __cdecl TestCalloc(size_t N, size_t Size) {
  return Fails(N * Size) ? nullptr : RealCalloc(N, Size);
}
void* __cdecl TestRealloc(void* Block, size_t Size) {
  return Fails(Size) ? nullptr : RealRealloc(Block, Size);
}

// The thread's chain of SEH records (FS:[0]).
struct TRecord {
  TRecord* Next;
  void* Handler;
};
TRecord* ChainHead() {
  TRecord* Head;
  __asm__ __volatile__("movl %%fs:0, %0" : "=r"(Head));
  return Head;
}
void SetChainHead(TRecord* Head) {
  __asm__ __volatile__("movl %0, %%fs:0" : : "r"(Head) : "memory");
}

// What happens inside the plugin's CreateFileA (the list file's open, in every root reread).
enum TInside { Nothing, OwnRecordAndNullRead, StackOverflow };
TInside Inside = Nothing;
int Searches = 0, Unwinds = 0;  // calls of the own frame's handler
volatile int Sink;
int* volatile NullPointer = nullptr;

extern "C" EXCEPTION_DISPOSITION __cdecl CountingHandler(EXCEPTION_RECORD* Record, void*,
                                                         CONTEXT*, void*) {
  if (Record->ExceptionFlags & (0x2 | 0x4))  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
    ++Unwinds;
  else
    ++Searches;
  return ExceptionContinueSearch;
}

// Stands for system code between a fault and the barrier: it registers an SEH record of its own,
// whose handler must be called to unwind before the barrier resumes.
__attribute__((noinline)) void NullReadUnderOwnRecord() {
  volatile TRecord Record;
  Record.Handler = reinterpret_cast<void*>(&CountingHandler);
  Record.Next = ChainHead();
  SetChainHead(const_cast<TRecord*>(&Record));
  Sink = *NullPointer;
  SetChainHead(Record.Next);
}

__attribute__((noinline)) int Recurse(int Depth) {
  volatile char Frame[512];
  Frame[0] = static_cast<char>(Depth);
  if (Depth < 0) return 0;  // never: it only keeps the compiler from seeing an endless loop
  return Recurse(Depth + 1) + Frame[0];
}

HANDLE(WINAPI* RealCreateFileA)(LPCSTR, DWORD, DWORD, LPSECURITY_ATTRIBUTES, DWORD, DWORD, HANDLE);
HANDLE WINAPI TestCreateFileA(LPCSTR Name, DWORD Access, DWORD Share, LPSECURITY_ATTRIBUTES Sa,
                              DWORD Disposition, DWORD Flags, HANDLE Template) {
  if (Inside == OwnRecordAndNullRead) NullReadUnderOwnRecord();
  if (Inside == StackOverflow) Sink = Recurse(0);
  return RealCreateFileA(Name, Access, Share, Sa, Disposition, Flags, Template);
}

std::string Utf8ToOem(const char* Utf8) {
  wchar_t Wide[256];
  int N = MultiByteToWideChar(CP_UTF8, 0, Utf8, -1, Wide, 256);
  char Oem[512];
  WideCharToMultiByte(866, 0, Wide, N, Oem, sizeof(Oem), nullptr, nullptr);
  return Oem;
}

class Barriers : public ::testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(MAX_PATH, SavedDir);
    char Temp[MAX_PATH];
    GetTempPathA(MAX_PATH, Temp);
    Dir = std::string(Temp) + "quenby_barriers_" + std::to_string(GetCurrentProcessId());
    RemoveTree(Dir);
    ASSERT_TRUE(CreateDirectoryA(Dir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA((Dir + "\\Mail").c_str(), nullptr));
    ASSERT_TRUE(WriteBytes(Dir + "\\Mail\\a.msg", "a"));
    List = Dir + "\\LIST.VFS";
    ASSERT_TRUE(WriteBytes(List, Dir + "\\Mail\\*.msg,Mail\r\n"));
    FarHost::Options O;
    O.dllPath = FarHost::DllInFolder(QUENBY_PLUGIN_DIR);
    O.rootKey = FarHost::TestRootKey("barriers");
    Host = std::make_unique<FarHost>(O);
    Host->onFailure = [](const std::string& What) { ADD_FAILURE() << "host: " << What; };
    Host->filePanel.curDir = Dir;
    Host->filePanel.Add("LIST.VFS");
    ASSERT_TRUE(Host->WriteString("FileSystemFile", List));
    ASSERT_TRUE(Host->WriteValue("FileSystemExt", REG_BINARY, "VFS", 3));
    FailFrom = SIZE_MAX;
    FailedAllocations = 0;
    Inside = Nothing;
    Searches = Unwinds = 0;
  }

  void TearDown() override {
    FailFrom = SIZE_MAX;
    Inside = Nothing;
    if (Host) {
      Host->Shutdown();
      EXPECT_TRUE(Host->DeleteRootKey());
      Host.reset();
    }
    SetCurrentDirectoryA(SavedDir);  // FAR's change of folder after a close sets it
    RemoveTree(Dir);
  }

  static std::string SharedRuntime() {
    return std::string(QUENBY_TESTDATA_DIR) + "\\gcc-runtime\\libgcc_s_dw2-1.dll";
  }

  // Enter on LIST.VFS: the panel lists the one entry.
  FarHost::Panel* Open() {
    FarHost::Panel* P = Host->OpenFilePlugin(List);
    EXPECT_NE(P, nullptr);
    if (P) EXPECT_EQ(P->Names(), (std::vector<std::string>{"..", Dir + "\\Mail\\*.msg"}));
    return P;
  }

  void RouteAllocations() {
    const ImportRoute Routes[] = {
        {"malloc", reinterpret_cast<void*>(TestMalloc), reinterpret_cast<void**>(&RealMalloc)},
        {"calloc", reinterpret_cast<void*>(TestCalloc), reinterpret_cast<void**>(&RealCalloc)},
        {"realloc", reinterpret_cast<void*>(TestRealloc), reinterpret_cast<void**>(&RealRealloc)},
    };
    ASSERT_EQ(RouteImports(Host->Module(), "msvcrt.dll", Routes, 3), 3);
  }

  void RouteCreateFile() {
    const ImportRoute Route{"CreateFileA", reinterpret_cast<void*>(TestCreateFileA),
                            reinterpret_cast<void**>(&RealCreateFileA)};
    ASSERT_EQ(RouteImports(Host->Module(), "kernel32.dll", &Route, 1), 1);
  }

  // After a failure the panel reads its list again with no box: nothing of the failure stayed.
  void ExpectPanelWorks(FarHost::Panel* P) {
    EXPECT_TRUE(P->Reread());
    EXPECT_EQ(P->Names(), (std::vector<std::string>{"..", Dir + "\\Mail\\*.msg"}));
    EXPECT_TRUE(Host->messages.empty());
  }

  // The one message shown since the last clear is the exception box of ClassName (any class
  // when null), at an address in Module; its lines are returned and the messages cleared.
  std::vector<std::string> TakeExceptionBox(const char* ClassName,
                                            const char* Module = "quenby.dll") {
    EXPECT_EQ(Host->messages.size(), 1u);
    if (Host->messages.size() != 1) return {};
    const MessageCall M = Host->messages[0];
    Host->messages.clear();
    EXPECT_EQ(M.flags, static_cast<unsigned>(FMSG_WARNING));
    EXPECT_EQ(M.helpTopic, "Exception");
    EXPECT_EQ(M.buttonsNumber, 1);
    const std::string Title = M.Title();
    const std::string Head = Utf8ToOem("Исключительная ситуация ");
    EXPECT_EQ(Title.rfind(Head, 0), 0u) << Title;
    if (ClassName) EXPECT_EQ(Title.find(Head + ClassName + " "), 0u) << Title;
    const std::string At = Utf8ToOem(" в модуле ") + Module + Utf8ToOem(" по адресу ");
    size_t Pos = Title.find(At);
    EXPECT_NE(Pos, std::string::npos) << Title;
    if (Pos != std::string::npos) {
      std::string Address = Title.substr(Pos + At.size());
      EXPECT_EQ(Address.size(), 8u) << Title;
      EXPECT_EQ(Address.find_first_not_of("0123456789ABCDEF"), std::string::npos) << Title;
    }
    return M.Lines();
  }

  // Under an emulated x86 (qemu-user), Wine reports faults with other codes: the class shown
  // is then not the fault's. Probed with a write into a read-only record.
  bool FaultCodesAreReliable() {
    void* Page = VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE, PAGE_READONLY);
    Host->messages.clear();
    Host->exports.GetOpenPluginInfo(Host->LastOpenPanel()->handle,
                                    static_cast<OpenPluginInfo*>(Page));
    VirtualFree(Page, 0, MEM_RELEASE);
    bool Reliable = Host->messages.size() == 1 &&
                    Host->messages[0].Title().find(" EAccessViolation ") != std::string::npos;
    Host->messages.clear();
    return Reliable;
  }

  // Nobody holds the list file open: it can be opened with no sharing at all.
  bool ListIsClosed() {
    HANDLE H = CreateFileA(List.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    if (H == INVALID_HANDLE_VALUE) return false;
    CloseHandle(H);
    return true;
  }

  // The list file held by another program: FAR's idle rereads show one exception box with the
  // system's error code (32, a sharing violation), the panel stays; released, it is read again.
  void LockedListShowsOneBox(FarHost::Panel* P) {
    HANDLE Writer = CreateFileA(List.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(Writer, INVALID_HANDLE_VALUE);
    Host->messages.clear();
    for (int Tick = 0; Tick < 3; ++Tick) EXPECT_EQ(P->ProcessEvent(FE_IDLE), 0);
    std::vector<std::string> Lines = TakeExceptionBox("EInOutError");
    ASSERT_EQ(Lines.size(), 1u);
    EXPECT_EQ(Lines[0], "Cannot open the list file " + List + " (I/O error 32).");
    EXPECT_FALSE(P->closed);
    CloseHandle(Writer);
    EXPECT_EQ(P->ProcessEvent(FE_IDLE), 0);
    EXPECT_EQ(P->Names(), (std::vector<std::string>{"..", Dir + "\\Mail\\*.msg"}));
    EXPECT_TRUE(Host->messages.empty());
  }

  char SavedDir[MAX_PATH] = "";
  std::string Dir, List;
  std::unique_ptr<FarHost> Host;
};

// GCC's start-up code in a DLL registers the DLL's unwind tables with libgcc_s_dw2-1.dll when
// that module is already in the process. The plugin throws nothing, so that is harmless.
TEST_F(Barriers, GccsSharedRuntimeLoadedBeforeThePlugin) {
  HMODULE Runtime = LoadLibraryA(SharedRuntime().c_str());
  ASSERT_NE(Runtime, nullptr) << SharedRuntime() << ": error " << GetLastError();
  ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  LockedListShowsOneBox(P);
  Host->Shutdown();
  // The tables were taken back at the unload: the runtime's search of its tables (as another
  // plugin's throw makes it) reads nothing of the unloaded DLL.
  typedef const void* (*TFindFde)(void* Pc, void* Bases);
  auto FindFde = reinterpret_cast<TFindFde>(
      reinterpret_cast<void*>(GetProcAddress(Runtime, "_Unwind_Find_FDE")));
  ASSERT_NE(FindFde, nullptr);
  void* Bases[3];
  EXPECT_EQ(FindFde(reinterpret_cast<void*>(&Recurse), Bases), nullptr);
  EXPECT_TRUE(FreeLibrary(Runtime));
}

TEST_F(Barriers, GccsSharedRuntimeLoadedAfterThePlugin) {
  ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  HMODULE Runtime = LoadLibraryA(SharedRuntime().c_str());
  ASSERT_NE(Runtime, nullptr) << SharedRuntime() << ": error " << GetLastError();
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  LockedListShowsOneBox(P);
  Host->Shutdown();
  EXPECT_TRUE(FreeLibrary(Runtime));
}

// Memory running out inside an export is the plugin's own exception: the box, the call's
// ordinary result, the panel left open. The box itself needs no memory of the plugin's heap.
TEST_F(Barriers, AllocationFailureInsideAnExportShowsTheBox) {
  ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  RouteAllocations();

  FailFrom = 1024;  // the list file's read buffer, the panel object
  EXPECT_TRUE(P->Reread());
  EXPECT_EQ(TakeExceptionBox("EOutOfMemory"), std::vector<std::string>{"Out of memory."});
  EXPECT_TRUE(ListIsClosed()) << "the list file was open when memory ran out";
  EXPECT_FALSE(P->closed);
  EXPECT_EQ(P->Names(), std::vector<std::string>{".."}) << "FAR got the empty list";
  Host->activePanel = nullptr;
  EXPECT_EQ(Host->OpenPlugin(OPEN_PLUGINSMENU), nullptr);
  EXPECT_EQ(TakeExceptionBox("EOutOfMemory"), std::vector<std::string>{"Out of memory."});

  FailFrom = 0;  // every allocation of the plugin fails, also while it shows the box
  Host->activePanel = P;
  EXPECT_TRUE(P->Reread());
  EXPECT_EQ(TakeExceptionBox("EOutOfMemory"), std::vector<std::string>{"Out of memory."});
  EXPECT_TRUE(ListIsClosed());
  EXPECT_GT(FailedAllocations, 0);

  FailFrom = SIZE_MAX;
  ExpectPanelWorks(P);
  EXPECT_TRUE(P->Close());
}

// The barrier leaves a fault the Windows way: RtlUnwind calls the handler of every SEH record
// registered between the fault and the barrier, which drops them from the chain.
TEST_F(Barriers, AFaultUnwindsTheFramesBetweenItAndTheBarrier) {
  ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  const bool Exact = FaultCodesAreReliable();
  RouteCreateFile();
  TRecord* Before = ChainHead();
  Inside = OwnRecordAndNullRead;
  EXPECT_TRUE(P->Reread());
  Inside = Nothing;
  EXPECT_EQ(ChainHead(), Before);
  EXPECT_EQ(Searches, 1) << "the record saw the fault first";
  EXPECT_EQ(Unwinds, 1) << "and was unwound before the barrier resumed";
  TakeExceptionBox(Exact ? "EAccessViolation" : nullptr, "test_barriers.exe");
  EXPECT_FALSE(P->closed);
  ExpectPanelWorks(P);
}

// A stack overflow uses up the stack's guard page; the barrier puts it back, so that the next
// overflow on the same thread is caught too, where it would otherwise end the process.
TEST_F(Barriers, TwoStackOverflowsInARowShowTwoBoxes) {
  if (RunsUnderUserModeEmulator())
    GTEST_SKIP() << "i386 code runs under qemu's user-mode emulator here, which ends the process "
                    "at a guest stack overflow instead of handing it to Wine";
  ASSERT_TRUE(Host->LoadAndStart()) << Host->lastError;
  FarHost::Panel* P = Open();
  ASSERT_NE(P, nullptr);
  const bool Exact = FaultCodesAreReliable();
  RouteCreateFile();
  TRecord* Before = ChainHead();
  for (int Overflow = 1; Overflow <= 2; ++Overflow) {
    Inside = StackOverflow;
    EXPECT_TRUE(P->Reread()) << "overflow " << Overflow;
    Inside = Nothing;
    EXPECT_EQ(ChainHead(), Before);
    std::vector<std::string> Lines =
        TakeExceptionBox(Exact ? "EStackOverflow" : nullptr, "test_barriers.exe");
    if (Exact) EXPECT_EQ(Lines, std::vector<std::string>{"Stack overflow."});
    EXPECT_FALSE(P->closed);
  }
  ExpectPanelWorks(P);
}

}  // namespace
