// The list file in FAR 3: its text decoded to UTF-16 (a BOM decides; without one, valid UTF-8 is
// UTF-8 and anything else the OEM code page), cut into lines and entries by the rules every
// Quenby DLL shares.
#pragma once

#include <string>
#include <vector>
#include "../ListRules.h"
#include "Far3Barrier.h"

struct TListEntry {
  std::wstring Folder;       // path or mask: the line before its last comma
  std::wstring Description;  // the line after its last comma
};

enum class TListEncoding { Utf8Bom, Utf16Bom, Utf8, CodePage };

// How the bytes of a list file are read: a UTF-8 or UTF-16 LE byte order mark decides; without
// one, bytes that are valid UTF-8 (up to a Ctrl+Z) are UTF-8, and anything else is in CodePage.
TListEncoding DetectListEncoding(const std::string& Bytes);
// The text of a list file's bytes: the BOM dropped, the bytes after a Ctrl+Z left out (Ctrl+Z
// ends the file), decoded as DetectListEncoding says. CodePage: FAR 1.x's, the OEM code page.
std::wstring DecodeListText(const std::string& Bytes, UINT CodePage = CP_OEMCP);

// Splits a line at its last comma; a line without one is both folder and description.
TListEntry SplitListLine(const std::wstring& Line);

// Every line of a decoded text, as the shared rules cut it.
template <class F> void ForEachListLine(const std::wstring& Text, F&& OnLine) {
  TListLineCutter<std::wstring> Cutter;
  Cutter.Feed(Text.data(), Text.size(), OnLine);
  Cutter.Finish(OnLine);
}

// Reads the whole list file (a path of any length). When it cannot be opened or read, fills
// Failure with the input/output failure (EInOutError, the system's error code in its message)
// and returns false.
bool ReadListFileBytes(const std::wstring& FileName, std::string& Bytes, TFailure& Failure);
