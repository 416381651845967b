// The benchmark's baselines: only the searches the panel's rules prescribe, made the literal
// way (the emptiness test searches every file it finds again by its name), and nothing else.
#pragma once

#include <string>
#include <vector>

struct BaselineEntry {
  std::string folder, directory, parent;  // a line's mask, its directory part, its parent path
};
std::vector<BaselineEntry> BaselineEntries(int lines);  // the entries of ListLine(0..lines-1)

// Per line: the emptiness test; for a listed line the look-up of its parent and, with
// ShowAllFolders on, the emptiness test once more. Returns the listed lines.
int RootBaseline(const std::vector<BaselineEntry>& entries, bool showAll);
// One search that walks the pattern's entries; returns them, "." and ".." left out.
int WalkBaseline(const std::string& pattern);
// The folder view with AutoExit on: the emptiness test of the mask, then the walk.
int AutoExitViewBaseline(const std::string& mask);
// Searches the baselines have started so far.
long BaselineSearches();
