// Whether this test program runs as Wine's 32-bit code under qemu's user-mode x86 emulator.
#pragma once

#include <windows.h>
#include <cpuid.h>
#include <cstring>

// qemu's user-mode emulator (which the bootstrap sets up where the kernel cannot run i386
// programs) cannot hand a guest stack overflow to Wine: the process dies instead. It shows itself
// as qemu's TCG processor in CPUID's brand string, under Wine (ntdll exports wine_get_version).
inline bool RunsUnderUserModeEmulator() {
  HMODULE Ntdll = GetModuleHandleA("ntdll.dll");
  if (!Ntdll || !GetProcAddress(Ntdll, "wine_get_version")) return false;
  unsigned A, B, C, D;
  if (!__get_cpuid(0x80000000, &A, &B, &C, &D) || A < 0x80000004) return false;
  char Brand[49] = {};
  for (unsigned I = 0; I < 3; ++I) {
    __get_cpuid(0x80000002 + I, &A, &B, &C, &D);
    const unsigned Regs[4] = {A, B, C, D};
    std::memcpy(Brand + 16 * I, Regs, 16);
  }
  return std::strncmp(Brand, "QEMU", 4) == 0;
}

// qemu's user-mode emulator keeps one table of segment descriptors for all the threads of a
// 32-bit program, so a thread that loads FS again (Wine does while it dispatches an exception)
// gets the TEB of the thread that started last, and goes on as that thread until the program
// dies. There, an exception may only be raised on the newest thread: a 32-bit test that raises
// one on its main thread once the plugin has started a thread of its own skips.
inline bool ExceptionsNeedTheNewestThread() {
  return sizeof(void*) == 4 && RunsUnderUserModeEmulator();
}
