// The barriers of the FAR 3 DLLs, x64 and x86: nothing the plugin fails at reaches FAR. A failure
// the plugin expects (the list file cannot be read) travels as a value up to the barrier; memory
// running out and the C++ library's checks raise a Windows exception of the plugin's own code,
// which the barrier catches as it catches a processor fault.
#pragma once

#include <windows.h>
#include <cstddef>
#include <type_traits>

// The Windows exception code of the plugin's own failures (the same as the FAR 1.x DLL's): a
// customer code of error severity.
const DWORD QuenbyFailureCode = 0xE0514E42;

// What a barrier caught. Fixed buffers only: it is filled while a fault is handled, when no heap
// object may be built (the fault may lie inside the heap).
struct TFailure {
  const char* ClassName;  // a constant text, e.g. EInOutError, EAccessViolation
  wchar_t Message[1024];  // may be empty; a longer text is cut
  const void* Address;    // fault address, or where the failure was raised
};

// A text put together in a fixed, zero-terminated buffer, cut at its size: no heap, no printf.
class TFixedText {
 public:
  TFixedText(wchar_t* Buffer, size_t Size) : FBuffer(Buffer), FSize(Size), FLength(0) {
    FBuffer[0] = 0;
  }
  TFixedText& Add(const wchar_t* Text);
  TFixedText& Add(const wchar_t* Text, size_t Length);
  TFixedText& AddAscii(const char* Text);  // each byte widened: for the plugin's own ASCII texts
  TFixedText& AddDecimal(unsigned long long Value);
  TFixedText& AddHex(unsigned long long Value, int Digits);  // upper-case, Digits wide
  size_t Length() const { return FLength; }

 private:
  wchar_t* FBuffer;
  size_t FSize;
  size_t FLength;
};

// Raises the plugin's own failure; the barrier shows it with ClassName and Message (read while
// the barrier handles it, so they may live on the caller's stack) at Address.
[[noreturn]] void RaiseFailure(const char* ClassName, const char* Message, const void* Address);
[[noreturn]] void RaiseFailure(const char* ClassName, const wchar_t* Message, const void* Address);

typedef void (*TGuardedWork)(void* Context);

// Runs Work so that nothing escapes: the plugin's own exception or a processor fault is
// described in Caught, after every frame between it and the barrier was unwound (RtlUnwind on
// x86, RtlUnwindEx on x64). Work may also fail with a value: it fills Caught's class name and
// message, and the address, when it leaves it null, becomes the work's own. Returns true when
// the work completed: Caught then names no class.
bool RunGuarded(TGuardedWork Work, void* Context, TFailure& Caught);

// F takes the failure record, or nothing when it cannot fail with a value.
template <class F> void RunWork(F& Work, TFailure& Failure) {
  if constexpr (std::is_invocable_v<F&, TFailure&>)
    Work(Failure);
  else
    Work();
}

// Runs F under RunGuarded; on failure calls Report with what was caught, itself guarded, so
// that a failure while reporting cannot escape either. Returns true when the work completed.
template <class F, class R> bool GuardAndReport(F&& Work, R&& Report) {
  using TWork = std::remove_reference_t<F>;
  TFailure Caught{};
  struct TCall {
    TWork* Work;
    TFailure* Failure;
  } Call{&Work, &Caught};
  bool Done = RunGuarded(
      [](void* C) { RunWork(*static_cast<TCall*>(C)->Work, *static_cast<TCall*>(C)->Failure); },
      &Call, Caught);
  if (!Done) {
    auto ReportCaught = [&] { Report(Caught); };
    using TReport = decltype(ReportCaught);
    TFailure Ignored{};
    RunGuarded([](void* C) { (*static_cast<TReport*>(C))(); }, &ReportCaught, Ignored);
  }
  return Done;
}

void ShowExceptionBox(const TFailure& Failure);  // Far3Intf

// Runs F under RunGuarded; on failure shows the exception box when Box is true.
template <class F> bool Guard(F&& Work, bool Box) {
  return GuardAndReport(Work, [Box](const TFailure& Caught) {
    if (Box) ShowExceptionBox(Caught);
  });
}

// Runs F, and when a raised failure or a fault ends it, runs Cleanup and raises the same failure
// again for the barrier further out: what a failure must not leave behind (an open file) is
// released on the way. A failure F returns as a value is not touched.
template <class F, class C> void RunWithCleanup(F&& Work, C&& Cleanup) {
  using TWork = std::remove_reference_t<F>;
  TFailure Caught{};
  if (RunGuarded([](void* W) { (*static_cast<TWork*>(W))(); }, &Work, Caught)) return;
  Cleanup();
  RaiseFailure(Caught.ClassName, Caught.Message, Caught.Address);
}
