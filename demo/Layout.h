// FAR's screen layout: panels, command line and key bar, view-mode columns and cell formats.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "FarHost.h"
#include "Screen.h"

std::wstring Fit(const std::wstring& text, int width, bool right = false);
std::wstring Centre(const std::wstring& text, int width);
std::wstring WithThousands(unsigned long long n);  // 3248 -> "3,248"
std::string NameOf(const std::string& path);       // "C:\X\y.txt" -> "y.txt"

// One column of a view mode: its type letter, the letters after it, its width.
struct Column {
  char type;
  std::string modifiers;
  int width;
};

// The columns of a mode ("N,S,D", "0,8,10") over `room` characters: width 0 is the type's
// default, names and descriptions share what is left.
std::vector<Column> ParseColumns(const std::string& types, const std::string& widths, int room);
std::wstring ColumnTitle(const Column& c);
// One cell as FAR writes it. `caseFold`: FAR's file panel shows an all-capital name in small
// letters (not in the status line).
std::wstring CellText(const HostItem& item, const Column& c, bool caseFold);

// Rectangles of FAR's screen at any size.
struct Rect {
  int x1, y1, x2, y2;
};
Rect PanelRect(const Screen& s, bool right);  // the two half-width panels above the command line
// FAR's truncations: the end kept behind "...", or for a path its root too ("C:\...\dir").
std::wstring TruncStart(const std::wstring& text, int width);
std::wstring TruncPath(const std::wstring& path, int width);

// FAR's own key bar labels for a shift state (PKF_* bits), F1..F12; "" for an empty label.
std::wstring FarKeyLabel(unsigned control, int fkey);
// The key bar on the last row: the number, then the label in 6 (or more) characters, as many
// keys as the width holds.
void DrawKeyBar(Screen& s, const std::function<std::wstring(int fkey)>& label);
void DrawCommandLine(Screen& s, const std::string& prompt, const std::string& text);
void DrawClock(Screen& s);  // FAR's clock at the top right corner
