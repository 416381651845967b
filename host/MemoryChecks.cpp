// What FAR checks before it reads or writes memory the plugin hands over.
#include "MemoryChecks.h"

#include <windows.h>
#include <cstdint>

namespace {

bool ReadableProtect(DWORD p) {
  if (p & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (p & (PAGE_READONLY | PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READ |
               PAGE_EXECUTE_READWRITE | PAGE_EXECUTE_WRITECOPY)) != 0;
}

bool WritableProtect(DWORD p) {
  if (p & (PAGE_GUARD | PAGE_NOACCESS)) return false;
  return (p & (PAGE_READWRITE | PAGE_WRITECOPY | PAGE_EXECUTE_READWRITE |
               PAGE_EXECUTE_WRITECOPY)) != 0;
}

// Walks the regions covering [p, p+size) and asks `ok` about each one's protection.
template <class Pred>
bool RangeIs(const void* p, std::size_t size, Pred ok) {
  if (!p) return false;
  if (size == 0) return true;
  uintptr_t a = reinterpret_cast<uintptr_t>(p);
  const uintptr_t end = a + size;
  if (end < a) return false;
  while (a < end) {
    MEMORY_BASIC_INFORMATION mbi;
    if (VirtualQuery(reinterpret_cast<void*>(a), &mbi, sizeof mbi) == 0) return false;
    if (mbi.State != MEM_COMMIT || !ok(mbi.Protect)) return false;
    const uintptr_t regionEnd = reinterpret_cast<uintptr_t>(mbi.BaseAddress) + mbi.RegionSize;
    if (regionEnd <= a) return false;
    a = regionEnd;
  }
  return true;
}

}  // namespace

bool MemoryIsReadable(const void* p, std::size_t size) {
  return RangeIs(p, size, ReadableProtect);
}

bool MemoryIsWritable(void* p, std::size_t size) { return RangeIs(p, size, WritableProtect); }
