// Barriers: C++ exceptions are caught by a catch-all inside the guarded call; processor faults
// by a structured-exception record pushed on the thread's FS:[0] chain, whose handler jumps
// back to the barrier. Handlers registered later (inside system calls) still see their own
// faults first, as the chain is walked from the newest record.
#include "Barrier.h"

#include <cstdio>
#include <new>

namespace {

struct TRegistration {
  TRegistration* Next;
  void* Handler;
};

struct TGuardFrame {
  TRegistration Registration;  // must come first: the handler gets its address
  void* Resume[5];             // __builtin_setjmp buffer
  TCaughtException* Caught;
};

TRegistration* ChainHead() {
  TRegistration* Head;
  __asm__ __volatile__("movl %%fs:0, %0" : "=r"(Head));
  return Head;
}

void SetChainHead(TRegistration* Head) {
  __asm__ __volatile__("movl %0, %%fs:0" : : "r"(Head) : "memory");
}

void DescribeFault(const EXCEPTION_RECORD* Record, TCaughtException& Caught) {
  char Text[160];
  Caught.Address = Record->ExceptionAddress;
  switch (Record->ExceptionCode) {
    case EXCEPTION_ACCESS_VIOLATION: {
      const char* Kind = Record->NumberParameters >= 2 && Record->ExceptionInformation[0] == 1
                             ? "write of" : Record->ExceptionInformation[0] == 8 ? "execution at"
                                                                                  : "read of";
      snprintf(Text, sizeof(Text), "Access violation: %s address %08lX", Kind,
               static_cast<unsigned long>(Record->NumberParameters >= 2
                                              ? Record->ExceptionInformation[1] : 0));
      Caught.ClassName = "EAccessViolation";
      break;
    }
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      snprintf(Text, sizeof(Text), "Division by zero");
      Caught.ClassName = "EDivByZero";
      break;
    case EXCEPTION_STACK_OVERFLOW:
      snprintf(Text, sizeof(Text), "Stack overflow");
      Caught.ClassName = "EStackOverflow";
      break;
    default:
      snprintf(Text, sizeof(Text), "External exception %08lX",
               static_cast<unsigned long>(Record->ExceptionCode));
      Caught.ClassName = "EExternalException";
      break;
  }
  Caught.Message = Text;
}

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* Record, void* Frame,
                                                      CONTEXT*, void*) {
  const DWORD Unwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
  // Only errors (severity 3) are ours; warnings and notices belong to debuggers and the system.
  if ((Record->ExceptionFlags & Unwinding) || (Record->ExceptionCode & 0xC0000000) != 0xC0000000)
    return ExceptionContinueSearch;
  TGuardFrame* Guard = static_cast<TGuardFrame*>(Frame);
  DescribeFault(Record, *Guard->Caught);
  __builtin_longjmp(Guard->Resume, 1);
}

struct TWork {
  TGuardedWork Work;
  void* Context;
  TCaughtException* Caught;
  bool Failed;
};

// Kept out of line: the resume point of the barrier must stay in a frame of its own.
__attribute__((noinline)) void RunCatching(TWork* W) {
  try {
    W->Work(W->Context);
  } catch (const EQuenbyError& E) {
    *W->Caught = TCaughtException{E.ClassName(), E.what(), reinterpret_cast<void*>(W->Work)};
    W->Failed = true;
  } catch (const std::bad_alloc&) {
    *W->Caught = TCaughtException{"EOutOfMemory", "Out of memory", reinterpret_cast<void*>(W->Work)};
    W->Failed = true;
  } catch (const std::exception& E) {
    *W->Caught = TCaughtException{"Exception", E.what(), reinterpret_cast<void*>(W->Work)};
    W->Failed = true;
  } catch (...) {
    *W->Caught = TCaughtException{"Exception", "", reinterpret_cast<void*>(W->Work)};
    W->Failed = true;
  }
}

__attribute__((noinline)) bool RunFramed(TWork* W) {
  volatile TGuardFrame Frame;
  TGuardFrame* F = const_cast<TGuardFrame*>(&Frame);
  F->Caught = W->Caught;
  F->Registration.Handler = reinterpret_cast<void*>(&GuardHandler);
  F->Registration.Next = ChainHead();
  if (__builtin_setjmp(F->Resume) == 0) {
    SetChainHead(&F->Registration);
    RunCatching(W);
    SetChainHead(F->Registration.Next);
    return !W->Failed;
  }
  // Back from a fault: drop every record registered below ours, and ours.
  SetChainHead(const_cast<TGuardFrame*>(&Frame)->Registration.Next);
  return false;
}

}  // namespace

bool RunGuarded(TGuardedWork Work, void* Context, TCaughtException& Caught) {
  TWork W{Work, Context, &Caught, false};
  return RunFramed(&W);
}
