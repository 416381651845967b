// FAR 3's .lng reading: code page by BOM or UTF-8 trial, lines, the header and the messages.
#include "Far3Language.h"

#include <windows.h>

#include <cwctype>
#include <fstream>
#include <iterator>

#include "Far3Records.h"

namespace far3host {

namespace {

enum class Utf8State { Ascii, Yes, No };

// encoding::is_valid_utf8 on one line's bytes.
Utf8State Utf8Of(const std::string& s) {
  bool ascii = true;
  for (std::size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (c < 0x80) {
      ++i;
      continue;
    }
    ascii = false;
    const std::size_t n = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
    if (i + n > s.size() ||
        MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, s.data() + i, static_cast<int>(n),
                            nullptr, 0) == 0)
      return Utf8State::No;
    i += n;
  }
  return ascii ? Utf8State::Ascii : Utf8State::Yes;
}

std::wstring Decode(UINT codepage, const std::string& s) {
  if (s.empty()) return std::wstring();
  int n = MultiByteToWideChar(codepage, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(codepage, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

// enum_lines' end-of-line rules over units of either width.
template <class Str>
std::vector<Str> SplitLines(const Str& text) {
  std::vector<Str> lines;
  Str line;
  int crSeen = 0;
  bool any = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = text[i];
    if (c == '\n') {
      lines.push_back(line);
      line.clear();
      crSeen = 0;
      any = false;
      continue;
    }
    if (c == '\r') {
      if (crSeen < 2) {
        ++crSeen;
        continue;
      }
      lines.push_back(line);  // a third CR: the first two were a line end of their own
      line.clear();
      crSeen = 1;
      continue;
    }
    if (crSeen) {
      lines.push_back(line);
      line.clear();
      if (crSeen == 2) lines.push_back(Str());
      crSeen = 0;
    }
    line.push_back(c);
    any = true;
  }
  if (crSeen) {
    lines.push_back(line);
    if (crSeen == 2) lines.push_back(Str());
  } else if (any) {
    lines.push_back(line);
  }
  return lines;
}

std::wstring Trim(const std::wstring& s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::iswspace(s[b])) ++b;
  while (e > b && std::iswspace(s[e - 1])) --e;
  return s.substr(b, e - b);
}

std::wstring TrimRight(std::wstring s) {
  while (!s.empty() && std::iswspace(s.back())) s.pop_back();
  return s;
}

bool StartsWithNoCase(const std::wstring& s, const std::wstring& prefix) {
  return s.size() >= prefix.size() &&
         CompareStringOrdinal(s.data(), static_cast<int>(prefix.size()), prefix.data(),
                              static_cast<int>(prefix.size()), TRUE) == CSTR_EQUAL;
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

bool ReadFileBytes(const std::wstring& path, std::string& bytes) {
  HANDLE f = CreateFileW(path.c_str(), FILE_READ_DATA, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                         FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (f == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char chunk[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(f, chunk, sizeof chunk, &got, nullptr) != 0) && got) bytes.append(chunk, got);
  CloseHandle(f);
  return ok;
}

}  // namespace

std::vector<std::wstring> Far3TextLines(const std::string& bytes, bool& tryUtf8) {
  std::vector<std::wstring> out;
  if (bytes.size() >= 3 && bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    for (const std::string& l : SplitLines(bytes.substr(3))) out.push_back(Decode(CP_UTF8, l));
    return out;
  }
  if (bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 || bytes.compare(0, 2, "\xFE\xFF") == 0)) {
    const bool bigEndian = bytes[0] == '\xFE';
    std::wstring text;
    for (std::size_t i = 2; i < bytes.size(); i += 2) {
      const unsigned char a = static_cast<unsigned char>(bytes[i]);
      const unsigned char b = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
      text.push_back(static_cast<wchar_t>(bigEndian ? (a << 8) | b : (b << 8) | a));
    }
    return SplitLines(text);
  }
  Utf8State seen = Utf8State::Ascii;
  for (const std::string& l : SplitLines(bytes)) {
    if (seen == Utf8State::Ascii) seen = Utf8Of(l);
    if (tryUtf8 && seen == Utf8State::No) tryUtf8 = false;
    out.push_back(Decode(tryUtf8 ? CP_UTF8 : GetOEMCP(), l));
  }
  return out;
}

std::wstring Far3LngUnescape(const std::wstring& text) {
  std::wstring out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const wchar_t c = text[i];
    if (c == L'\\' && i + 1 < text.size()) {
      const wchar_t n = text[i + 1];
      const wchar_t decoded = n == L'\\' ? L'\\' : n == L'"' ? L'"' : n == L'n' ? L'\n'
                            : n == L'r' ? L'\r' : n == L'b' ? L'\b' : n == L't' ? L'\t' : 0;
      if (decoded) {
        out.push_back(decoded);
        ++i;
        continue;
      }
      out.push_back(L'\\');
    } else if (c == L'"') {
      out.push_back(L'"');
      if (i + 1 < text.size() && text[i + 1] == L'"') ++i;
    } else {
      out.push_back(c);
    }
  }
  return out;
}

bool Far3ParseLng(const std::string& bytes, Far3LangFile& out, std::string& error) {
  bool tryUtf8 = true;
  // GetLangParam reads the header first; its UTF-8 decision carries over to the messages.
  bool found = false;
  for (const std::wstring& line : Far3TextLines(bytes, tryUtf8)) {
    if (StartsWithNoCase(line, L".Language")) {
      const std::size_t eq = line.find(L'=', 9);
      if (eq == std::wstring::npos) continue;
      const std::wstring value = TrimRight(line.substr(eq + 1));
      const std::size_t comma = value.find(L',');
      out.name = value.substr(0, comma);
      out.description = comma == std::wstring::npos ? std::wstring() : value.substr(comma + 1);
      found = true;
      break;
    }
    if (!line.empty() && line[0] == L'"') break;
  }
  if (!found) {
    error = "no .Language= line before the first message";
    return false;
  }
  out.messages.clear();
  for (const std::wstring& raw : Far3TextLines(bytes, tryUtf8)) {
    const std::wstring line = Trim(raw);
    if (line.empty() || line[0] != L'"') continue;
    const std::size_t cut = line.size() >= 2 && line.back() == L'"' ? 2 : 1;
    out.messages.push_back(Far3LngUnescape(line.substr(1, line.size() - std::min(cut, line.size()))));
  }
  return true;
}

bool Far3LoadLanguage(const std::wstring& folder, const std::wstring& language, Far3LangFile& out,
                      std::string& error) {
  std::wstring dir = folder;
  if (!dir.empty() && dir.back() != L'\\') dir += L'\\';
  WIN32_FIND_DATAW fd;
  HANDLE find = FindFirstFileW((dir + L"*.lng").c_str(), &fd);
  if (find == INVALID_HANDLE_VALUE) {
    error = "Cannot find any language files in \"" + Narrow(folder) + "\"";
    return false;
  }
  Far3LangFile current, english;
  bool haveCurrent = false, haveEnglish = false, chosen = false;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string bytes, why;
    Far3LangFile file;
    file.path = dir + fd.cFileName;
    haveCurrent = ReadFileBytes(file.path, bytes) && Far3ParseLng(bytes, file, why);
    if (!haveCurrent) continue;
    current = file;
    if (EqualNoCase(file.name, language)) {
      chosen = true;
      break;
    }
    if (EqualNoCase(file.name, L"English")) {
      english = file;
      haveEnglish = true;
    }
  } while (FindNextFileW(find, &fd));
  FindClose(find);
  if (chosen) {
    out = current;
  } else if (haveEnglish) {
    out = english;
  } else if (haveCurrent) {
    out = current;
  } else {
    error = "Cannot find any language files in \"" + Narrow(folder) + "\"";
    return false;
  }
  return true;
}

}  // namespace far3host
