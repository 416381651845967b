// Helpers the host's own tests share: scratch folders, an unloaded host, failure checks.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "FarHost.h"
#include "TempFiles.h"

inline std::string DllPath() { return FarHost::DllInFolder(QUENBY_PLUGIN_DIR); }

// A scratch folder under %TEMP%, removed with its files when the test ends.
class TempFolder {
 public:
  TempFolder() {
    static int counter = 0;
    char temp[MAX_PATH + 1];
    DWORD n = GetTempPathA(sizeof temp, temp);
    std::string base = (n > 0 && n < sizeof temp) ? std::string(temp, n) : std::string(".\\");
    path_ = base + "quenby_host_" + std::to_string(GetCurrentProcessId()) + "_" +
            std::to_string(++counter);
    CreateDirectoryA(path_.c_str(), nullptr);
  }
  ~TempFolder() { RemoveTree(path_); }
  const std::string& path() const { return path_; }
  std::string Write(const std::string& name, const std::string& bytes) const {
    std::string file = path_ + "\\" + name;
    std::size_t slash = file.find_last_of('\\');
    CreateDirectoryA(file.substr(0, slash).c_str(), nullptr);
    HANDLE h = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(h, INVALID_HANDLE_VALUE) << file;
    DWORD written = 0;
    WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(h);
    EXPECT_EQ(written, bytes.size());
    return file;
  }

 private:
  std::string path_;
};

// Options for a host whose .lng files come from `langFolder` and whose DLL is never loaded.
inline FarHost::Options ServiceOptions(const std::string& name, const std::string& langFolder = "",
                                       const std::string& language = "English") {
  FarHost::Options o;
  o.dllPath = DllPath();
  o.rootKey = FarHost::TestRootKey(name);
  o.moduleNumber = 5;
  o.language = language;
  o.languageFolder = langFolder;
  return o;
}

// Expects exactly `count` recorded failures, each containing `fragment`, and forgets them.
inline void ExpectFailures(FarHost& host, std::size_t count, const std::string& fragment) {
  EXPECT_EQ(host.failures.size(), count) << (host.failures.empty() ? "" : host.failures[0]);
  for (const std::string& f : host.failures) EXPECT_NE(f.find(fragment), std::string::npos) << f;
  host.failures.clear();
}
