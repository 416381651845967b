// Barriers: each pushes a structured-exception record on the thread's FS:[0] chain. Its handler
// describes an error (a processor fault or the plugin's own exception) in fixed buffers, lets
// RtlUnwind run the cleanup of every frame registered above it (system code between the fault
// and the barrier among them), and resumes at the barrier. Handlers registered later (inside
// system calls) still see their own faults first, as the chain is walked from the newest record.
#include "Barrier.h"

#include <cstring>

namespace {

struct TRegistration {
  TRegistration* Next;
  void* Handler;
};

struct TGuardFrame {
  TRegistration Registration;  // must come first: the handler gets its address
  void* Resume[5];             // __builtin_setjmp buffer
  TCaughtException* Caught;
  DWORD Code;  // the exception's code, once one was caught
};

TRegistration* ChainHead() {
  TRegistration* Head;
  __asm__ __volatile__("movl %%fs:0, %0" : "=r"(Head));
  return Head;
}

void SetChainHead(TRegistration* Head) {
  __asm__ __volatile__("movl %0, %%fs:0" : : "r"(Head) : "memory");
}

// Fills Caught from the exception record, with no heap object built.
void DescribeFault(const EXCEPTION_RECORD* Record, TCaughtException& Caught) {
  TFixedText Text(Caught.Message, sizeof(Caught.Message));
  const ULONG_PTR* Info = Record->ExceptionInformation;
  Caught.Address = Record->ExceptionAddress;
  switch (Record->ExceptionCode) {
    case QuenbyFailureCode:
      Caught.ClassName = "Exception";
      if (Record->NumberParameters == 3) {
        if (Info[0]) Caught.ClassName = reinterpret_cast<const char*>(Info[0]);
        if (Info[1]) Text.Add(reinterpret_cast<const char*>(Info[1]));
        Caught.Address = reinterpret_cast<const void*>(Info[2]);
      }
      break;
    case EXCEPTION_ACCESS_VIOLATION: {
      const bool Known = Record->NumberParameters >= 2;
      const char* Kind = Known && Info[0] == 1 ? "write of" : Known && Info[0] == 8 ? "execution at"
                                                                                   : "read of";
      Text.Add("Access violation: ").Add(Kind).Add(" address ").AddHex(Known ? Info[1] : 0);
      Caught.ClassName = "EAccessViolation";
      break;
    }
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      Text.Add("Division by zero");
      Caught.ClassName = "EDivByZero";
      break;
    case EXCEPTION_STACK_OVERFLOW:
      Text.Add("Stack overflow");
      Caught.ClassName = "EStackOverflow";
      break;
    default:
      Text.Add("External exception ").AddHex(Record->ExceptionCode);
      Caught.ClassName = "EExternalException";
      break;
  }
}

// RtlUnwind(Frame, back here, Record, 0): calls the handlers of the records above Frame with
// EXCEPTION_UNWINDING and leaves Frame at the chain's head. x86 Windows' RtlUnwind does not keep
// its caller's EBX, ESI and EDI, so they are saved around it, as the C runtimes do.
extern "C" __attribute__((naked, noinline)) void __cdecl QuenbyUnwindTo(
    void* /*Frame*/, EXCEPTION_RECORD* /*Record*/) {
  __asm__(
      "pushl %ebp\n\t"
      "pushl %ebx\n\t"
      "pushl %esi\n\t"
      "pushl %edi\n\t"
      "pushl $0\n\t"          // ReturnValue
      "pushl 28(%esp)\n\t"    // Record
      "pushl $1f\n\t"         // TargetIp
      "pushl 32(%esp)\n\t"    // Frame
      "call *__imp__RtlUnwind@16\n"
      "1:\n\t"
      "popl %edi\n\t"
      "popl %esi\n\t"
      "popl %ebx\n\t"
      "popl %ebp\n\t"
      "ret");
}

extern "C" EXCEPTION_DISPOSITION __cdecl GuardHandler(EXCEPTION_RECORD* Record, void* Frame,
                                                      CONTEXT*, void*) {
  const DWORD Unwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
  // Only errors (severity 3) are ours; warnings and notices belong to debuggers and the system.
  if ((Record->ExceptionFlags & Unwinding) || (Record->ExceptionCode & 0xC0000000) != 0xC0000000)
    return ExceptionContinueSearch;
  TGuardFrame* Guard = static_cast<TGuardFrame*>(Frame);
  DescribeFault(Record, *Guard->Caught);
  Guard->Code = Record->ExceptionCode;
  QuenbyUnwindTo(Frame, Record);
  __builtin_longjmp(Guard->Resume, 1);
}

// A stack overflow uses up the stack's guard page, and without one the next overflow on the
// thread ends the process without a word. As the C runtime's _resetstkoflw does, two pages just
// below the page in use (the barrier's, the overflowing frames left) become the guard again.
void RestoreStackGuard() {
  SYSTEM_INFO System;
  GetSystemInfo(&System);
  const UINT_PTR Page = System.dwPageSize;
  volatile char Here = 0;
  MEMORY_BASIC_INFORMATION Stack;
  if (!VirtualQuery(const_cast<char*>(&Here), &Stack, sizeof(Stack))) return;
  char* Lowest = static_cast<char*>(Stack.AllocationBase) + Page;  // the stack's last page stays
  char* Guard = reinterpret_cast<char*>(
      (reinterpret_cast<UINT_PTR>(&Here) & ~(Page - 1)) - 2 * Page);
  DWORD Old;
  if (Guard >= Lowest && VirtualAlloc(Guard, 2 * Page, MEM_COMMIT, PAGE_READWRITE))
    VirtualProtect(Guard, 2 * Page, PAGE_READWRITE | PAGE_GUARD, &Old);
}

// Kept out of line: the resume point of the barrier must stay in a frame of its own.
__attribute__((noinline)) bool RunFramed(TGuardedWork Work, void* Context,
                                         TCaughtException& Caught) {
  volatile TGuardFrame Frame;
  TGuardFrame* F = const_cast<TGuardFrame*>(&Frame);
  Caught.ClassName = nullptr;
  Caught.Message[0] = 0;
  Caught.Address = nullptr;
  F->Caught = &Caught;
  F->Code = 0;
  F->Registration.Handler = reinterpret_cast<void*>(&GuardHandler);
  F->Registration.Next = ChainHead();
  if (__builtin_setjmp(F->Resume) == 0) {
    SetChainHead(&F->Registration);
    Work(Context);
    SetChainHead(F->Registration.Next);
    if (!Caught.ClassName) return true;
    if (!Caught.Address) Caught.Address = reinterpret_cast<const void*>(Work);
    return false;
  }
  // Back from a fault: RtlUnwind left our record at the chain's head; drop it too.
  F = const_cast<TGuardFrame*>(&Frame);
  SetChainHead(F->Registration.Next);
  if (F->Code == EXCEPTION_STACK_OVERFLOW) RestoreStackGuard();
  return false;
}

}  // namespace

TUnwindCleanup::TUnwindCleanup(void (*Cleanup)(void*), void* Context)
    : FNext(ChainHead()),
      FHandler(reinterpret_cast<void*>(&Handler)),
      FCleanup(Cleanup),
      FContext(Context) {
  SetChainHead(reinterpret_cast<TRegistration*>(this));
}

TUnwindCleanup::~TUnwindCleanup() { SetChainHead(static_cast<TRegistration*>(FNext)); }

EXCEPTION_DISPOSITION __cdecl TUnwindCleanup::Handler(EXCEPTION_RECORD* Record, void* Frame,
                                                      CONTEXT*, void*) {
  if (Record->ExceptionFlags & (0x2 | 0x4)) {  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
    TUnwindCleanup* Self = static_cast<TUnwindCleanup*>(Frame);
    Self->FCleanup(Self->FContext);
  }
  return ExceptionContinueSearch;
}

void RaiseFailure(const char* ClassName, const char* Message, const void* Address) {
  const ULONG_PTR Parameters[3] = {reinterpret_cast<ULONG_PTR>(ClassName),
                                   reinterpret_cast<ULONG_PTR>(Message),
                                   reinterpret_cast<ULONG_PTR>(Address)};
  RaiseException(QuenbyFailureCode, EXCEPTION_NONCONTINUABLE, 3, Parameters);
  __builtin_trap();  // never reached: nobody continues a noncontinuable exception
}

bool RunGuarded(TGuardedWork Work, void* Context, TCaughtException& Caught) {
  return RunFramed(Work, Context, Caught);
}
