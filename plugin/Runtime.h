// The C++ runtime's share of each load of quenby.dll (GCC builds), given back when it unloads.
#pragma once

#include <windows.h>

// What GCC emits for each thread-local variable, in libgcc's layout; every access to one goes
// through __emutls_get_address. The C++ runtime keeps its exception state in such a variable.
struct TEmuTlsObject {
  unsigned Size;
  unsigned Align;
  volatile LONG Slot;   // the variable's number among the DLL's, 0 until its first use
  const void* Initial;  // its first value, or NULL for zeros
};

// The compiler's own declarations of the two entry points take the object as a void*.
extern "C" {
void* __emutls_get_address(void* Object);
void __emutls_register_common(void* Object, unsigned Size, unsigned Align, void* Initial);
}

// A thread that leaves the process gives back its thread-local variables.
void ReleaseThreadVariables();
// The unload: every thread's thread-local variables, the TLS index, and the runtime's reserve
// for exceptions thrown when memory runs out.
void ReleaseRuntime();
