// The list file's rules, the same in every Quenby DLL whatever its text type: how the text is
// cut into lines and how a line splits into its path or mask and its description.
#pragma once

#include <cstddef>

// Cuts text into lines as it arrives, in pieces of any size: CR or CR LF ends a line, a bare LF
// is part of the line, Ctrl+Z ends the text wherever it stands. Line is a string of Char;
// OnLine(const Line&) gets every line.
template <class Line> class TListLineCutter {
 public:
  using Char = typename Line::value_type;

  // Returns false once Ctrl+Z has ended the text: the rest is not read.
  template <class F> bool Feed(const Char* Text, size_t Length, F&& OnLine) {
    for (size_t I = 0; I < Length; ++I) {
      const Char C = Text[I];
      if (FAfterCR) {
        FAfterCR = false;
        if (C == Char('\n')) continue;  // the LF of a CR LF belongs to the line end
      }
      if (C == Char('\x1A')) {
        FEnded = true;
        return false;
      }
      if (C == Char('\r')) {
        OnLine(FLine);
        FLine.clear();
        FAfterCR = FAfterLineEnd = true;
      } else {
        FLine += C;
        FAfterLineEnd = false;
      }
    }
    return true;
  }

  // The end of the text. A line is read before the end is noticed, so an empty text still gives
  // one empty line; a line end at the very end gives no further line.
  template <class F> void Finish(F&& OnLine) {
    if (!FLine.empty() || !FAfterLineEnd) OnLine(FLine);
    FLine.clear();
  }

  bool Ended() const { return FEnded; }

 private:
  Line FLine;
  bool FAfterCR = false;       // an LF right after a CR belongs to the line end
  bool FAfterLineEnd = false;  // the last thing read ended a line
  bool FEnded = false;         // Ctrl+Z was read
};

// A line split at its last comma (Comma: its position, or npos when it has none): the path or
// mask before it, the description after it; a line without a comma is both.
template <class Entry, class Line> Entry SplitAtLastComma(const Line& Text, size_t Comma) {
  if (Comma == Line::npos) return Entry{Text, Text};
  return Entry{Text.substr(0, Comma), Text.substr(Comma + 1)};
}
