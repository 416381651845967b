// The C++ runtime's share of each load of quenby.dll (GCC builds), given back when it unloads.
#pragma once

#include <windows.h>

// GCC's emulated TLS: the compiler turns each access to a thread-local variable (the C++
// runtime keeps its exception state in one) into a call of __emutls_get_address, with the
// variable's description (declared in Runtime.cpp) passed as a void*, as GCC declares it.
extern "C" {
void* __emutls_get_address(void* Object);
void __emutls_register_common(void* Object, unsigned Size, unsigned Align, void* Initial);
}

// A thread that leaves the process gives back its thread-local variables.
void ReleaseThreadVariables();
// The unload: every thread's thread-local variables, the TLS index, and the runtime's reserve
// for exceptions thrown when memory runs out.
void ReleaseRuntime();
