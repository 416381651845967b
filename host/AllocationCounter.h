// Counts a module's C runtime allocations by routing its imports of msvcrt's malloc, calloc and
// realloc (operator new ends in malloc) through counters. For the tests and the benchmarks.
#pragma once

#include <windows.h>

// Routes the module's imports; returns how many of the three were found and routed.
int CountAllocationsOf(HMODULE module);
// Allocations the routed modules have made so far.
long AllocationCount();
