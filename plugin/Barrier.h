// The plugin's exceptions, and the barriers that keep every failure, C++ or processor fault,
// from reaching FAR.
#pragma once

#include <stdexcept>
#include <string>
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

// Runs F under RunGuarded; on failure shows the exception box when Box is true.
template <class F> bool Guard(F&& Work, bool Box) {
  TCaughtException Caught{};
  bool Done = RunGuarded([](void* C) { (*static_cast<F*>(C))(); }, &Work, Caught);
  if (!Done && Box) {
    TCaughtException Shown = Caught;
    TGuardedWork ShowBox = [](void* C) { ShowExceptionBox(*static_cast<TCaughtException*>(C)); };
    TCaughtException Ignored{};
    RunGuarded(ShowBox, &Shown, Ignored);
  }
  return Done;
}
