// Waits until Wine lists the prefix's drives (GetLogicalDrives), so that nothing runs before them.
//
// Wine answers GetLogicalDrives from its mount manager, a driver that a fresh wineserver starts
// in the background (winedevice.exe). Until it is up the call returns 0, although the drives
// themselves work; under qemu's i386 emulator that has been seen to last minutes. FAR's disks
// menu, and the demo's, list what GetLogicalDrives returns.
// Usage: wait_for_drives.exe [seconds]; exit 0 once drives are listed, 1 if none came in time.
#include <windows.h>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
  const DWORD Limit = (argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 300) * 1000;
  const DWORD Start = GetTickCount();
  DWORD Drives;
  while ((Drives = GetLogicalDrives()) == 0) {
    if (GetTickCount() - Start >= Limit) {
      std::printf("Wine has listed no drive after %lu s (GetLogicalDrives returns 0): its mount "
                  "manager has not started\n", Limit / 1000);
      return 1;
    }
    Sleep(250);
  }
  const DWORD Waited = GetTickCount() - Start;
  if (Waited >= 1000) std::printf("Wine listed its drives after %lu s\n", Waited / 1000);
  return 0;
}
