// The barriers of the FAR 3 DLLs. x86 Windows finds handlers on the thread's FS:[0] chain, x64
// Windows by the unwind tables of the functions on the stack: on x86 the barrier pushes a record
// on the chain, on x64 the guarded call runs inside a small assembly routine whose unwind data
// names the barrier's handler. Either way the handler describes the error in fixed buffers, has
// Windows unwind every frame between the error and the barrier, and resumes at the barrier.
#include "Far3Barrier.h"

#include <cstring>

// ---------------------------------------------------------------------------------------------
// Fixed texts

TFixedText& TFixedText::Add(const wchar_t* Text, size_t Length) {
  size_t Room = FSize - 1 - FLength;
  if (Length > Room) Length = Room;
  memcpy(FBuffer + FLength, Text, Length * sizeof(wchar_t));
  FLength += Length;
  FBuffer[FLength] = 0;
  return *this;
}

TFixedText& TFixedText::Add(const wchar_t* Text) { return Add(Text, wcslen(Text)); }

TFixedText& TFixedText::AddAscii(const char* Text) {
  for (; *Text && FLength + 1 < FSize; ++Text) FBuffer[FLength++] = static_cast<unsigned char>(*Text);
  FBuffer[FLength] = 0;
  return *this;
}

TFixedText& TFixedText::AddDecimal(unsigned long long Value) {
  wchar_t Digits[24];
  wchar_t* P = Digits + 24;
  do {
    *--P = static_cast<wchar_t>(L'0' + Value % 10);
    Value /= 10;
  } while (Value);
  return Add(P, Digits + 24 - P);
}

TFixedText& TFixedText::AddHex(unsigned long long Value, int Digits) {
  wchar_t Text[16];
  if (Digits > 16) Digits = 16;
  for (int I = Digits - 1; I >= 0; --I, Value >>= 4) Text[I] = L"0123456789ABCDEF"[Value & 0xF];
  return Add(Text, Digits);
}

// ---------------------------------------------------------------------------------------------
// What the handlers share

namespace {

const int AddressDigits = 2 * sizeof(void*);

// Fills Caught from the exception record, with no heap object built.
void DescribeFault(const EXCEPTION_RECORD* Record, TFailure& Caught) {
  TFixedText Text(Caught.Message, sizeof(Caught.Message) / sizeof(wchar_t));
  const ULONG_PTR* Info = Record->ExceptionInformation;
  Caught.Address = Record->ExceptionAddress;
  switch (Record->ExceptionCode) {
    case QuenbyFailureCode:  // 3 parameters: a narrow message; 4: a wide one
      Caught.ClassName = "Exception";
      if (Record->NumberParameters == 3 || Record->NumberParameters == 4) {
        if (Info[0]) Caught.ClassName = reinterpret_cast<const char*>(Info[0]);
        if (Info[1] && Record->NumberParameters == 3) Text.AddAscii(reinterpret_cast<const char*>(Info[1]));
        if (Info[1] && Record->NumberParameters == 4) Text.Add(reinterpret_cast<const wchar_t*>(Info[1]));
        Caught.Address = reinterpret_cast<const void*>(Info[2]);
      }
      break;
    case EXCEPTION_ACCESS_VIOLATION: {
      const bool Known = Record->NumberParameters >= 2;
      const wchar_t* Kind = Known && Info[0] == 1   ? L"write of"
                            : Known && Info[0] == 8 ? L"execution at"
                                                    : L"read of";
      Text.Add(L"Access violation: ").Add(Kind).Add(L" address ").AddHex(Known ? Info[1] : 0, AddressDigits);
      Caught.ClassName = "EAccessViolation";
      break;
    }
    case EXCEPTION_INT_DIVIDE_BY_ZERO:
      Text.Add(L"Division by zero");
      Caught.ClassName = "EDivByZero";
      break;
    case EXCEPTION_STACK_OVERFLOW:
      Text.Add(L"Stack overflow");
      Caught.ClassName = "EStackOverflow";
      break;
    default:
      Text.Add(L"External exception ").AddHex(Record->ExceptionCode, 8);
      Caught.ClassName = "EExternalException";
      break;
  }
}

// Only errors (severity 3) are ours; warnings and notices belong to debuggers and the system.
bool IsCaughtHere(const EXCEPTION_RECORD* Record) {
  const DWORD Unwinding = 0x2 | 0x4;  // EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND
  return !(Record->ExceptionFlags & Unwinding) && (Record->ExceptionCode & 0xC0000000) == 0xC0000000;
}

// A stack overflow uses up the stack's guard page, and without one the next overflow on the
// thread ends the process without a word. As the C runtime's _resetstkoflw does, two pages just
// below the page in use (the barrier's, the overflowing frames left) become the guard again.
__attribute__((noinline)) void RestoreStackGuard() {
  SYSTEM_INFO System;
  GetSystemInfo(&System);
  const UINT_PTR Page = System.dwPageSize;
  volatile char Here = 0;
  MEMORY_BASIC_INFORMATION Stack;
  if (!VirtualQuery(const_cast<char*>(&Here), &Stack, sizeof(Stack))) return;
  char* Lowest = static_cast<char*>(Stack.AllocationBase) + Page;  // the stack's last page stays
  char* Guard = reinterpret_cast<char*>((reinterpret_cast<UINT_PTR>(&Here) & ~(Page - 1)) - 2 * Page);
  DWORD Old;
  if (Guard >= Lowest && VirtualAlloc(Guard, 2 * Page, MEM_COMMIT, PAGE_READWRITE))
    VirtualProtect(Guard, 2 * Page, PAGE_READWRITE | PAGE_GUARD, &Old);
}

struct TGuardFrame {
#ifndef _WIN64
  void* Next;                  // on x86 the record on the FS:[0] chain comes first:
  void* Handler;               // the handler gets its address
  void* Resume[5];             // __builtin_setjmp buffer
#endif
  TFailure* Caught;
  DWORD Code;  // the exception's code, once one was caught
};

}  // namespace

#ifdef _WIN64
// ---------------------------------------------------------------------------------------------
// x64: QuenbyGuardedCall(Work, Context, Guard) calls Work(Context) in a frame whose unwind data
// names QuenbyGuardHandler as its exception handler, and keeps Guard at 32 bytes above the
// frame's stack pointer (above the callee's home area), where the handler finds it. The frame
// saves every register the caller may keep across the call, so that both ways back restore them
// from it. Returns 1 when Work returned, 0 when the handler sent it to QuenbyGuardResume.

extern "C" int QuenbyGuardedCall(TGuardedWork Work, void* Context, TGuardFrame* Guard);
extern "C" char QuenbyGuardResume[];

#define QUENBY_SAVE_XMM(N, AT) "  movaps %xmm" #N ", " #AT "(%rsp)\n  .seh_savexmm %xmm" #N ", " #AT "\n"
#define QUENBY_LOAD_XMM(N, AT) "  movaps " #AT "(%rsp), %xmm" #N "\n"
#define QUENBY_PUSH(R) "  pushq %" #R "\n  .seh_pushreg %" #R "\n"

__asm__(
    ".text\n"
    ".globl QuenbyGuardedCall\n"
    ".globl QuenbyGuardResume\n"
    ".def QuenbyGuardedCall; .scl 2; .type 32; .endef\n"
    ".seh_proc QuenbyGuardedCall\n"
    "QuenbyGuardedCall:\n"
    QUENBY_PUSH(rbp) QUENBY_PUSH(rbx) QUENBY_PUSH(rsi) QUENBY_PUSH(rdi)
    QUENBY_PUSH(r12) QUENBY_PUSH(r13) QUENBY_PUSH(r14) QUENBY_PUSH(r15)
    "  subq $216, %rsp\n"
    "  .seh_stackalloc 216\n"
    QUENBY_SAVE_XMM(6, 48) QUENBY_SAVE_XMM(7, 64) QUENBY_SAVE_XMM(8, 80) QUENBY_SAVE_XMM(9, 96)
    QUENBY_SAVE_XMM(10, 112) QUENBY_SAVE_XMM(11, 128) QUENBY_SAVE_XMM(12, 144)
    QUENBY_SAVE_XMM(13, 160) QUENBY_SAVE_XMM(14, 176) QUENBY_SAVE_XMM(15, 192)
    "  .seh_endprologue\n"
    "  .seh_handler QuenbyGuardHandler, @except\n"
    "  movq %r8, 32(%rsp)\n"
    "  movq %rcx, %rax\n"
    "  movq %rdx, %rcx\n"
    "  call *%rax\n"
    "  movl $1, %eax\n"
    "  jmp 1f\n"
    "QuenbyGuardResume:\n"  // the handler lands here with %rsp back at the frame
    "  xorl %eax, %eax\n"
    "1:\n"
    QUENBY_LOAD_XMM(6, 48) QUENBY_LOAD_XMM(7, 64) QUENBY_LOAD_XMM(8, 80) QUENBY_LOAD_XMM(9, 96)
    QUENBY_LOAD_XMM(10, 112) QUENBY_LOAD_XMM(11, 128) QUENBY_LOAD_XMM(12, 144)
    QUENBY_LOAD_XMM(13, 160) QUENBY_LOAD_XMM(14, 176) QUENBY_LOAD_XMM(15, 192)
    "  addq $216, %rsp\n"
    "  popq %r15\n  popq %r14\n  popq %r13\n  popq %r12\n"
    "  popq %rdi\n  popq %rsi\n  popq %rbx\n  popq %rbp\n"
    "  ret\n"
    ".seh_endproc\n");

extern "C" EXCEPTION_DISPOSITION QuenbyGuardHandler(EXCEPTION_RECORD* Record, void* Frame,
                                                    CONTEXT* Context, DISPATCHER_CONTEXT* Dispatch) {
  if (!IsCaughtHere(Record)) return ExceptionContinueSearch;
  TGuardFrame* Guard = *reinterpret_cast<TGuardFrame**>(static_cast<char*>(Frame) + 32);
  DescribeFault(Record, *Guard->Caught);
  Guard->Code = Record->ExceptionCode;
  if (Record->ExceptionCode == EXCEPTION_STACK_OVERFLOW) {
    // What is left of the stack holds no unwind: the frames above ours are dropped as they are
    // (the plugin's own, which hold nothing to release), and the fault's context goes on at the
    // barrier, whose frame restores the registers.
    Context->Rsp = reinterpret_cast<DWORD64>(Frame);
    Context->Rip = reinterpret_cast<DWORD64>(QuenbyGuardResume);
    return ExceptionContinueExecution;
  }
  // Runs the unwind handlers of every frame above ours and resumes at QuenbyGuardResume.
  RtlUnwindEx(Frame, QuenbyGuardResume, Record, nullptr, Dispatch->ContextRecord,
              Dispatch->HistoryTable);
  return ExceptionContinueSearch;  // not reached
}

namespace {

__attribute__((noinline)) bool RunFramed(TGuardedWork Work, void* Context, TFailure& Caught) {
  TGuardFrame Frame{&Caught, 0};
  if (QuenbyGuardedCall(Work, Context, &Frame)) return true;
  if (Frame.Code == EXCEPTION_STACK_OVERFLOW) RestoreStackGuard();
  return false;
}

}  // namespace

#else
// ---------------------------------------------------------------------------------------------
// x86: a record on the FS:[0] chain, as the FAR 1.x DLL's barrier does.

namespace {

void* ChainHead() {
  void* Head;
  __asm__ __volatile__("movl %%fs:0, %0" : "=r"(Head));
  return Head;
}

void SetChainHead(void* Head) { __asm__ __volatile__("movl %0, %%fs:0" : : "r"(Head) : "memory"); }

// RtlUnwind(Frame, back here, Record, 0): calls the handlers of the records above Frame with
// EXCEPTION_UNWINDING and leaves Frame at the chain's head. x86 Windows' RtlUnwind does not keep
// its caller's EBX, ESI and EDI, so they are saved around it, as the C runtimes do.
extern "C" __attribute__((naked, noinline)) void __cdecl QuenbyUnwindTo(void* /*Frame*/,
                                                                        EXCEPTION_RECORD* /*Record*/) {
  __asm__(
      "pushl %ebp\n\t"
      "pushl %ebx\n\t"
      "pushl %esi\n\t"
      "pushl %edi\n\t"
      "pushl $0\n\t"        // ReturnValue
      "pushl 28(%esp)\n\t"  // Record
      "pushl $1f\n\t"       // TargetIp
      "pushl 32(%esp)\n\t"  // Frame
      "call *__imp__RtlUnwind@16\n"
      "1:\n\t"
      "popl %edi\n\t"
      "popl %esi\n\t"
      "popl %ebx\n\t"
      "popl %ebp\n\t"
      "ret");
}

extern "C" EXCEPTION_DISPOSITION __cdecl QuenbyGuardHandler(EXCEPTION_RECORD* Record, void* Frame,
                                                            CONTEXT*, void*) {
  if (!IsCaughtHere(Record)) return ExceptionContinueSearch;
  TGuardFrame* Guard = static_cast<TGuardFrame*>(Frame);
  DescribeFault(Record, *Guard->Caught);
  Guard->Code = Record->ExceptionCode;
  QuenbyUnwindTo(Frame, Record);
  __builtin_longjmp(Guard->Resume, 1);
}

// Kept out of line: the resume point of the barrier must stay in a frame of its own.
__attribute__((noinline)) bool RunFramed(TGuardedWork Work, void* Context, TFailure& Caught) {
  volatile TGuardFrame Frame;
  TGuardFrame* F = const_cast<TGuardFrame*>(&Frame);
  F->Caught = &Caught;
  F->Code = 0;
  F->Handler = reinterpret_cast<void*>(&QuenbyGuardHandler);
  F->Next = ChainHead();
  if (__builtin_setjmp(F->Resume) == 0) {
    SetChainHead(F);
    Work(Context);
    SetChainHead(F->Next);
    return true;
  }
  // Back from a fault: RtlUnwind left our record at the chain's head; drop it too.
  F = const_cast<TGuardFrame*>(&Frame);
  SetChainHead(F->Next);
  if (F->Code == EXCEPTION_STACK_OVERFLOW) RestoreStackGuard();
  return false;
}

}  // namespace

#endif

// ---------------------------------------------------------------------------------------------

void RaiseFailure(const char* ClassName, const char* Message, const void* Address) {
  const ULONG_PTR Parameters[3] = {reinterpret_cast<ULONG_PTR>(ClassName),
                                   reinterpret_cast<ULONG_PTR>(Message),
                                   reinterpret_cast<ULONG_PTR>(Address)};
  RaiseException(QuenbyFailureCode, EXCEPTION_NONCONTINUABLE, 3, Parameters);
  __builtin_trap();  // never reached: nobody continues a noncontinuable exception
}

void RaiseFailure(const char* ClassName, const wchar_t* Message, const void* Address) {
  const ULONG_PTR Parameters[4] = {reinterpret_cast<ULONG_PTR>(ClassName),
                                   reinterpret_cast<ULONG_PTR>(Message),
                                   reinterpret_cast<ULONG_PTR>(Address), 0};
  RaiseException(QuenbyFailureCode, EXCEPTION_NONCONTINUABLE, 4, Parameters);
  __builtin_trap();
}

bool RunGuarded(TGuardedWork Work, void* Context, TFailure& Caught) {
  Caught.ClassName = nullptr;
  Caught.Message[0] = 0;
  Caught.Address = nullptr;
  if (!RunFramed(Work, Context, Caught)) return false;
  if (!Caught.ClassName) return true;
  if (!Caught.Address) Caught.Address = reinterpret_cast<const void*>(Work);
  return false;
}
