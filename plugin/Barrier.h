// The plugin's exceptions, and the barriers that keep every failure, C++ or processor fault,
// from reaching FAR.
#pragma once

#include <stdexcept>
#include <string>
#include <type_traits>
#include "FARIntf.h"

// Base of the plugin's own exceptions; the class name is shown in the exception box.
class EQuenbyError : public std::runtime_error {
 public:
  EQuenbyError(const char* ClassName, const std::string& Message)
      : std::runtime_error(Message), FClassName(ClassName) {}
  const char* ClassName() const { return FClassName; }

 private:
  const char* FClassName;
};

// An input/output failure that carries the system error code.
class EInOutError : public EQuenbyError {
 public:
  EInOutError(DWORD Code, const std::string& Message)
      : EQuenbyError("EInOutError", Message), FCode(Code) {}
  DWORD Code() const { return FCode; }

 private:
  DWORD FCode;
};

typedef void (*TGuardedWork)(void* Context);

// Runs Work so that nothing escapes: a C++ exception or a processor fault is caught and
// described in Caught. Returns true when the work completed.
bool RunGuarded(TGuardedWork Work, void* Context, TCaughtException& Caught);

// Runs F under RunGuarded; on failure calls Report with what was caught, itself guarded, so
// that a failure while reporting cannot escape either. Returns true when the work completed.
template <class F, class R> bool GuardAndReport(F&& Work, R&& Report) {
  using TWork = std::remove_reference_t<F>;
  TCaughtException Caught{};
  bool Done = RunGuarded([](void* C) { (*static_cast<TWork*>(C))(); }, &Work, Caught);
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
