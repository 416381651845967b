// The benchmark's data (see BenchData.h).
#include "BenchData.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>

namespace {

std::string Root, BigRoot;  // trailing backslash each

}  // namespace

const int BenchFolders = 300;

double Now() {
  static LARGE_INTEGER Frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return double(c.QuadPart) * 1000.0 / double(Frequency.QuadPart);
}

void Progress(const char* format, ...) {
  static const double start = Now();
  fprintf(stderr, "bench: [%6.0f s] ", (Now() - start) / 1000);
  va_list args;
  va_start(args, format);
  vfprintf(stderr, format, args);
  va_end(args);
  fputc('\n', stderr);
  fflush(stderr);
}

void SetBenchRoots() {
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  Root = std::string(temp) + "quenby_bench_" + std::to_string(GetCurrentProcessId()) + "\\";
  BigRoot = std::string(temp) + "quenby_bench_big\\";
  CreateDirectoryA(Root.c_str(), nullptr);
  CreateDirectoryA(BigRoot.c_str(), nullptr);
}

const std::string& BenchRoot() { return Root; }

std::string FolderName(int i) {
  char b[16];
  snprintf(b, sizeof b, "f%03d", i);
  return Root + b;
}

void MakeFolders() {
  for (int i = 0; i < BenchFolders; ++i) {
    std::string f = FolderName(i);
    CreateDirectoryA(f.c_str(), nullptr);
    if (i % 10 == 9) continue;  // every tenth folder is empty
    for (const char* n : {"\\a.txt", "\\b.txt", "\\c.log"}) WriteBytes(f + n, "x");
  }
}

std::string ListLine(int i) {
  std::string folder = FolderName(i % BenchFolders) + (i % 5 == 4 ? "\\*.none" : "\\*.txt");
  return i % 7 == 6 ? folder : folder + ",entry " + std::to_string(i);
}

std::string MakeList(int lines) {
  std::string path = Root + "list" + std::to_string(lines) + ".vfs", text;
  for (int i = 0; i < lines; ++i) text += ListLine(i) + "\r\n";
  WriteBytes(path, text);
  return path;
}

namespace {

int CountFiles(const std::string& pattern) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA(pattern.c_str(), &d);
  if (h == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do n += !(d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
  while (FindNextFileA(h, &d));
  FindClose(h);
  return n;
}

}  // namespace

std::string MakeBigFolder(int files) {
  const std::string dir = BigRoot + "big" + std::to_string(files);
  const int found = CountFiles(dir + "\\f*.dat");
  if (found == files) {
    Progress("folder of %d files kept from an earlier run: %s", files, dir.c_str());
    return dir;
  }
  Progress("making a folder of %d files (%d there already): %s", files, found, dir.c_str());
  CreateDirectoryA(dir.c_str(), nullptr);
  char name[32];
  for (int i = 0; i < files; ++i) {
    snprintf(name, sizeof name, "\\f%06d.dat", i);
    // CREATE_NEW: a file left by an interrupted run stays as it is.
    HANDLE f = CreateFileA((dir + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    if ((i + 1) % 10000 == 0 && i + 1 < files) Progress("  %d of %d files", i + 1, files);
  }
  Progress("  %d files made; the folder is kept for later runs", files);
  return dir;
}
