// What the process holds, for the programs that check that loading and using the plugin gives
// everything back: heap in use, free TLS slots, open handles.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <string>
#include <vector>

// Busy bytes and blocks of every heap of the process (the C runtime's included).
struct HeapUse {
  long long bytes = 0, blocks = 0;
  bool operator==(const HeapUse& o) const { return bytes == o.bytes && blocks == o.blocks; }
};
inline HeapUse MeasureHeaps() {
  HeapUse use;
  HANDLE heaps[128];
  DWORD n = GetProcessHeaps(128, heaps);
  for (DWORD i = 0; i < n && i < 128; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY e{};
    while (HeapWalk(heaps[i], &e))
      if (e.wFlags & PROCESS_HEAP_ENTRY_BUSY) use.bytes += e.cbData, ++use.blocks;
    HeapUnlock(heaps[i]);
  }
  return use;
}

// Free TLS slots, counted by taking every one that is left and giving them back.
inline int FreeTlsSlots() {
  std::vector<DWORD> taken;
  for (DWORD index; (index = TlsAlloc()) != TLS_OUT_OF_INDEXES;) taken.push_back(index);
  for (DWORD index : taken) TlsFree(index);
  return static_cast<int>(taken.size());
}

// Handles the process has open; 0 when they cannot be counted. GetProcessHandleCount answers 0
// under Wine, so they are counted in the system's handle list, which Windows and Wine both give.
inline long OpenHandles() {
  struct Entry {
    ULONG ownerProcessId;
    BYTE objectType, flags;
    USHORT value;
    void* object;
    ACCESS_MASK access;
  };
  typedef LONG(WINAPI * Query)(ULONG, void*, ULONG, ULONG*);
  const ULONG SystemHandleInformation = 16;
  const LONG InfoLengthMismatch = static_cast<LONG>(0xC0000004);
  auto query = reinterpret_cast<Query>(reinterpret_cast<void*>(
      GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
  if (!query) return 0;
  std::vector<char> buffer(1 << 16);
  LONG status;
  ULONG needed = 0;
  while ((status = query(SystemHandleInformation, buffer.data(), ULONG(buffer.size()),
                         &needed)) == InfoLengthMismatch)
    buffer.resize(buffer.size() * 2);
  if (status != 0) return 0;
  ULONG count = *reinterpret_cast<ULONG*>(buffer.data());
  // The entries follow the count at a pointer's alignment (8 bytes into the list on x64).
  auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
  long ours = 0;
  for (ULONG i = 0; i < count; ++i) ours += entries[i].ownerProcessId == GetCurrentProcessId();
  return ours;
}

// Threads of the process, in the system's list.
inline int ThreadCount() {
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
  THREADENTRY32 entry{};
  entry.dwSize = sizeof(entry);
  int count = 0;
  for (BOOL more = Thread32First(snap, &entry); more; more = Thread32Next(snap, &entry))
    if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
  CloseHandle(snap);
  return count;
}

// The thread count once it is Expected or a second has passed: a thread that has ended leaves the
// system's list a moment after its handle is signalled.
inline int ThreadCountSettled(int Expected) {
  int count = ThreadCount();
  for (int round = 0; count != Expected && round < 50; ++round, count = ThreadCount()) Sleep(20);
  return count;
}

struct ProcessCounts {
  int freeTls = 0;
  long handles = 0;
  HeapUse heap;
};
inline ProcessCounts MeasureProcess() { return {FreeTlsSlots(), OpenHandles(), MeasureHeaps()}; }

// What the process lost between two measures, "" when it is back where it was.
inline std::string Lost(const ProcessCounts& was, const ProcessCounts& now) {
  std::string text;
  auto add = [&text](const std::string& part) { text += (text.empty() ? "" : ", ") + part; };
  if (now.freeTls != was.freeTls) add(std::to_string(was.freeTls - now.freeTls) + " TLS slots");
  if (now.handles != was.handles) add(std::to_string(now.handles - was.handles) + " handles");
  if (!(now.heap == was.heap))
    add(std::to_string(now.heap.bytes - was.heap.bytes) + " heap bytes in " +
        std::to_string(now.heap.blocks - was.heap.blocks) + " blocks");
  return text;
}
