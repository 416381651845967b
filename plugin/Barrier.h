// The barriers that keep every failure, a processor fault or the plugin's own, from reaching
// FAR. The plugin is built without C++ exceptions: a failure it expects (the list file's input/
// output failure) travels as a value up to the barrier, and what it cannot go on from (memory
// running out, the C++ library's own checks) is raised as a Windows exception of its own code,
// which the barrier catches as it catches a processor fault.
#pragma once

#include <type_traits>
#include "FARIntf.h"

// The Windows exception code of the plugin's own failures: a customer code of error severity.
// Its parameters are the class name, the message and the address to show.
const DWORD QuenbyFailureCode = 0xE0514E42;

// Raises the plugin's own failure; the barrier shows it with ClassName and Message (both read
// while the barrier handles it, so they may live on the caller's stack) at Address.
[[noreturn]] void RaiseFailure(const char* ClassName, const char* Message, const void* Address);

// Runs Cleanup(Context) when a failure unwinds past the scope, as a __finally block does: the
// plugin's own exceptions and processor faults run no destructor on their way to the barrier,
// which unwinds the structured-exception records above it (RtlUnwind) before it resumes. For
// what a failure must not leave behind, such as an open file. Only on the stack, one per scope.
class TUnwindCleanup {
 public:
  TUnwindCleanup(void (*Cleanup)(void*), void* Context);
  ~TUnwindCleanup();
  TUnwindCleanup(const TUnwindCleanup&) = delete;
  TUnwindCleanup& operator=(const TUnwindCleanup&) = delete;

 private:
  static EXCEPTION_DISPOSITION __cdecl Handler(EXCEPTION_RECORD* Record, void* Frame, CONTEXT*,
                                               void*);
  void* FNext;  // FNext and FHandler are the record on the thread's chain
  void* FHandler;
  void (*FCleanup)(void*);
  void* FContext;
};

typedef void (*TGuardedWork)(void* Context);

// Runs Work so that nothing escapes: the plugin's own exception or a processor fault is
// described in Caught. Work may also fail with a value: it fills Caught's class name and
// message (reaching Caught through its context), and the address, when it leaves it null,
// becomes the work's own. Returns true when the work completed: Caught then names no class.
bool RunGuarded(TGuardedWork Work, void* Context, TCaughtException& Caught);

// F takes the failure record, or nothing when it cannot fail with a value.
template <class F> void RunWork(F& Work, TCaughtException& Failure) {
  if constexpr (std::is_invocable_v<F&, TCaughtException&>)
    Work(Failure);
  else
    Work();
}

// Runs F under RunGuarded; on failure calls Report with what was caught, itself guarded, so
// that a failure while reporting cannot escape either. Returns true when the work completed.
template <class F, class R> bool GuardAndReport(F&& Work, R&& Report) {
  using TWork = std::remove_reference_t<F>;
  TCaughtException Caught{};
  struct TCall {
    TWork* Work;
    TCaughtException* Failure;
  } Call{&Work, &Caught};
  bool Done = RunGuarded(
      [](void* C) { RunWork(*static_cast<TCall*>(C)->Work, *static_cast<TCall*>(C)->Failure); },
      &Call, Caught);
  if (!Done) {
    auto ReportCaught = [&] { Report(Caught); };
    using TReport = decltype(ReportCaught);
    TCaughtException Ignored{};
    RunGuarded([](void* C) { (*static_cast<TReport*>(C))(); }, &ReportCaught, Ignored);
  }
  return Done;
}

// Runs F under RunGuarded; on failure shows the exception box when Box is true.
template <class F> bool Guard(F&& Work, bool Box) {
  return GuardAndReport(Work, [Box](const TCaughtException& Caught) {
    if (Box) ShowExceptionBox(Caught);
  });
}
