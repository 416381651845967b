// Topics of a FAR .hlf help file, read and reflowed for a window's width as FAR 1.75 does.
#pragma once

#include <string>
#include <vector>

// The lines of the plugin's help file (in `folder`) written for `language`; none when missing.
std::vector<std::string> HelpFileLines(const std::string& folder, const std::string& language);
// The header's ".PluginContents=": the name in the help window's title.
std::string PluginContents(const std::vector<std::string>& file);

// Markup: "#" bold, "~text~@topic@" a link; "##", "~~", "@@" the character itself.
bool Doubled(const std::string& s, size_t i);
size_t SkipTarget(const std::string& s, size_t i);  // from the '@' opening a link's target
int ShownLength(const std::string& s);              // the columns a line takes on the screen

// A topic as FAR keeps it: screen lines of markup, the title lines ("$") first.
struct HelpText {
  std::vector<std::string> lines;
  int fixed = 0;  // title lines
  bool found = false;
};

// The topic in lines shorter than `width`, the window's inner width; a topic missing from the
// file comes back with `found` false.
HelpText ReadTopic(const std::vector<std::string>& file, const std::string& topic, int width);
