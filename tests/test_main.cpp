// main() of every test program. gtest echoes each failure to OutputDebugStringA; with a second
// thread in the process (gtest starts one at the first failure), 32-bit Wine under an emulated
// x86 crashes in that call and the failure's text is lost. The echo only serves debuggers, so
// the test programs route the import to a function that does nothing.
#include <gtest/gtest.h>
#include <cstdio>
#include <windows.h>

extern "C" {
static void WINAPI IgnoreDebugString(LPCSTR) {}
#ifndef _WIN64
void* QuenbyOutputDebugStringA __asm__("__imp__OutputDebugStringA@4") =
    reinterpret_cast<void*>(&IgnoreDebugString);
#endif
}

// gtest's brief output (--gtest_brief=1, as CTest runs the suites) names failures only; a case
// skipped for the machine it runs on is named too, with its reason, so that the run shows it.
class SkipPrinter : public ::testing::EmptyTestEventListener {
  void OnTestEnd(const ::testing::TestInfo& Info) override {
    const ::testing::TestResult& Result = *Info.result();
    if (!Result.Skipped()) return;
    const char* Reason = "";
    for (int I = 0; I < Result.total_part_count(); ++I)
      if (Result.GetTestPartResult(I).skipped()) Reason = Result.GetTestPartResult(I).message();
    std::printf("[  SKIPPED ] %s.%s: %s\n", Info.test_suite_name(), Info.name(), Reason);
    std::fflush(stdout);
  }
};

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
#ifdef QUENBY_GTEST_THREAD_FIRST
  // gtest starts a thread of its own the first time a thread of the program records a result (a
  // failure, a skip, a trace). Under an emulated x86 only the newest thread may take an exception
  // or a signal (see Emulation.h): where the plugin starts threads, gtest's starts before them;
  // elsewhere the main thread stays the only one, and may fault.
  { SCOPED_TRACE("gtest's thread-local records start here"); }
#endif
  if (GTEST_FLAG_GET(brief))
    ::testing::UnitTest::GetInstance()->listeners().Append(new SkipPrinter);
  return RUN_ALL_TESTS();
}
