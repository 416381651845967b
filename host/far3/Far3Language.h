// FAR 3's reading of a plugin's .lng files (language.cpp, filestr.cpp enum_lines): the choice of
// the file for the interface language, its code page, its lines and the escapes of its messages.
#pragma once

#include <string>
#include <vector>

namespace far3host {

struct Far3LangFile {
  std::wstring path;
  std::wstring name;         // .Language= value up to its first comma
  std::wstring description;  // after that comma
  std::vector<std::wstring> messages;  // message number = index
};

// The text lines FAR 3 reads from a file's bytes: a BOM picks UTF-8, UTF-16 LE or BE; without
// one every line is tried as UTF-8 until one is not, and from that line on the OEM code page is
// used (`tryUtf8` carries that decision from one reading to the next, as FAR's lang_file does).
// A line ends at LF, CR LF, CR CR LF or a lone CR.
std::vector<std::wstring> Far3TextLines(const std::string& bytes, bool& tryUtf8);

// ConvertString: \\ \" \n \r \b \t decoded, "" becomes ", anything else kept.
std::wstring Far3LngUnescape(const std::wstring& text);

// Parses one file's bytes. False with `error` when it has no ".Language=" before its first
// message line (FAR skips such a file).
bool Far3ParseLng(const std::string& bytes, Far3LangFile& out, std::string& error);

// OpenLangFile + language::load: among the folder's *.lng (FindFirstFile order), the first whose
// language is `language` (case-insensitive), else the last English one, else the last file
// enumerated (none when that one has no language line). False with `error` when there is none.
bool Far3LoadLanguage(const std::wstring& folder, const std::wstring& language, Far3LangFile& out,
                      std::string& error);

}  // namespace far3host
