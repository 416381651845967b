// The demo's keys: a key press as FAR sees it, the names scripts give keys, a parsed script.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

// A key press as FAR sees it, or one of the script's own steps.
struct Key {
  enum Kind { Press, Idle, Create, Remove, End } kind = End;
  WORD vk = 0;
  unsigned control = 0;  // PKF_* bits
  char ch = 0;           // the typed character (OEM), 0 for none
  std::string arg;       // Create/Remove: a path below the demo's folder (Create: PATH[:SIZE])
  std::string name;      // how the step is named in printed screens
  bool Is(WORD key, unsigned mods = 0) const {
    return kind == Press && vk == key && control == mods;
  }
};

// One key name: Up Down Left Right PgUp PgDn Home End Enter Esc Tab Space BS Del Ins F1..F12 and
// letters, each with Ctrl/Alt/Shift in front (AltShiftF9); Wait; Create:PATH; Remove:PATH.
bool ParseKey(const std::string& token, Key& key);
// Key names separated by blanks; "text" in quotes types its characters. Names that are not keys
// are left out and listed in `unknown`.
std::deque<Key> ParseScript(const std::string& text, std::vector<std::string>& unknown);
