// Reading of plugin language files (.lng) the way FAR 1.63 reads them: how the file of a language
// is chosen among the DLL folder's *.lng files, which lines are messages and how their escapes
// decode. The host's GetMsg serves the messages loaded here.
#pragma once

#include <string>
#include <vector>

struct LangFile {
  std::string path;         // file the messages come from ("" when parsed from memory)
  std::string language;     // text of the first ".Language=" line up to the first comma
  std::string description;  // the rest of that line after the comma
  bool hasLanguageLine = false;
  std::vector<std::string> messages;  // message number = index
  // Lines FAR reads differently from how they look in an editor (longer than FAR's line
  // buffer, so FAR reads them in pieces). Empty for a well-formed file.
  std::vector<std::string> problems;
};

// FAR reads a language file with fgets into a 1024-byte buffer: a physical line longer than
// 1023 bytes reaches the parser as several lines.
constexpr std::size_t kLngReadBuffer = 1024;
// The longest message line FAR's documentation allows.
constexpr std::size_t kLngMaxLine = 1000;

// Splits raw file bytes into the lines FAR's reader sees (pieces of at most 1023 bytes, each
// ending at a '\n' or at the buffer's end), with trailing spaces, tabs, CR and LF removed and
// cut at an embedded NUL as FAR's C strings would be.
std::vector<std::string> SplitLngLines(const std::string& bytes);

// Decodes the text of one message line as FAR does. `line` is a line as SplitLngLines returns
// it and must start with '"'. One trailing '"' is dropped (for a lone '"' that is the opening
// one, giving ""), then \\ \" \n \r \b \t are decoded, any other backslash stays as written,
// "" becomes " and a lone " stays.
std::string DecodeLngMessage(const std::string& line);

// Parses the bytes of a .lng file: the ".Language=" line (case-insensitive, first one anywhere in
// the file) and the message lines (first byte '"'; every other line is ignored, indented ones
// too).
LangFile ParseLngText(const std::string& bytes);

// Reads and parses one file. False with `error` set when it cannot be read.
bool ReadLngFile(const std::string& path, LangFile& out, std::string& error);

// The language name in a file, read as FAR reads it; "" when the file has no ".Language=" line.
std::string LngLanguageOf(const std::string& path);

// Chooses and reads the language file of `folder` (a Windows path, no trailing backslash
// needed) for the interface language `language`, by FAR's rule: among the *.lng files of the
// folder (not subfolders), in the order FindFirstFile gives them, the first whose language name
// equals `language` case-insensitively; failing that the last one whose language is English;
// failing that the last file enumerated. False with `error` set when the folder has no .lng file.
bool LoadLngForLanguage(const std::string& folder, const std::string& language, LangFile& out,
                        std::string& error);
