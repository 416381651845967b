// File helpers for the programs that run the plugin on real files: tests, soak and benchmarks.
#pragma once

#include <string>

// Deletes a folder and everything below it, read-only files included.
void RemoveTree(const std::string& Path);
void RemoveTree(const std::wstring& Path);
// Writes Bytes to Path, replacing the file; false when it cannot be written.
bool WriteBytes(const std::string& Path, const std::string& Bytes);
