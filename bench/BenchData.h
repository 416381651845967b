// The benchmark's data: a few hundred small folders and list files over them, made afresh in a
// scratch folder each run, and big folders of N files kept between runs.
#pragma once

#include <string>
#include "TempFiles.h"  // WriteBytes, RemoveTree

// Where the data lives: Root (trailing backslash) is this run's scratch folder; big folders are
// kept beside it in a folder of their own.
void SetBenchRoots();
const std::string& BenchRoot();

extern const int BenchFolders;  // number of small folders
std::string FolderName(int i);  // full path of small folder i
// Line i of a root list: a mask over one of the folders; every fifth matches nothing, every
// seventh has no description.
std::string ListLine(int i);

void MakeFolders();
std::string MakeList(int lines);  // its path
// The folder of N empty files "f000000.dat"...: made once, with progress, and kept for later runs;
// a folder left incomplete is finished where it stopped.
std::string MakeBigFolder(int files);


double Now();  // milliseconds
// A progress line on stderr, with the time since the run began.
void Progress(const char* format, ...);
