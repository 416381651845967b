// FAR 1.63's reading of .lng files: line pieces of its fgets buffer, trailing blanks cut, message
// lines picked by their first byte, escapes decoded, and the choice of a file by language.
#include "LangFile.h"

#include <windows.h>

#include <cstdio>
#include <memory>

namespace {

bool IsTrailingBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  return true;
}

bool StartsWithNoCase(const std::string& s, const char* prefix) {
  std::size_t n = std::char_traits<char>::length(prefix);
  return s.size() >= n && EqualNoCase(s.substr(0, n), prefix);
}

std::string TrimTrailing(std::string s) {
  while (!s.empty() && IsTrailingBlank(s.back())) s.pop_back();
  return s;
}

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  std::unique_ptr<FILE, FileCloser> f(std::fopen(path.c_str(), "rb"));
  if (!f) {
    error = "cannot open " + path;
    return false;
  }
  bytes.clear();
  char chunk[4096];
  std::size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, f.get())) > 0) bytes.append(chunk, got);
  if (std::ferror(f.get())) {
    error = "cannot read " + path;
    return false;
  }
  return true;
}

struct FindCloser {
  void operator()(HANDLE h) const { FindClose(h); }
};

}  // namespace

std::vector<std::string> SplitLngLines(const std::string& bytes) {
  std::vector<std::string> lines;
  const std::size_t piece = kLngReadBuffer - 1;
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    std::size_t end = pos;
    while (end < bytes.size() && end - pos < piece) {
      if (bytes[end++] == '\n') break;
    }
    std::string line = bytes.substr(pos, end - pos);
    std::size_t nul = line.find('\0');
    if (nul != std::string::npos) line.resize(nul);
    lines.push_back(TrimTrailing(line));
    pos = end;
  }
  return lines;
}

std::string DecodeLngMessage(const std::string& line) {
  std::string src = line;
  if (!src.empty() && src.back() == '"') src.pop_back();
  if (src.empty()) return std::string();  // the line was a lone quote
  std::string out;
  std::size_t i = 1;  // after the opening quote
  while (i < src.size()) {
    char c = src[i];
    if (c == '\\') {
      char next = i + 1 < src.size() ? src[i + 1] : '\0';
      char decoded = 0;
      switch (next) {
        case '\\': decoded = '\\'; break;
        case '"': decoded = '"'; break;
        case 'n': decoded = '\n'; break;
        case 'r': decoded = '\r'; break;
        case 'b': decoded = '\b'; break;
        case 't': decoded = '\t'; break;
        default: break;
      }
      if (decoded) {
        out += decoded;
        i += 2;
      } else {
        out += '\\';
        i += 1;
      }
    } else if (c == '"') {
      out += '"';
      i += (i + 1 < src.size() && src[i + 1] == '"') ? 2 : 1;
    } else {
      out += c;
      ++i;
    }
  }
  return out;
}

LangFile ParseLngText(const std::string& bytes) {
  LangFile file;
  // Physical lines longer than FAR's buffer, reported once each.
  std::size_t start = 0;
  int lineNo = 1;
  while (start < bytes.size()) {
    std::size_t nl = bytes.find('\n', start);
    std::size_t end = nl == std::string::npos ? bytes.size() : nl;
    std::string physical = TrimTrailing(bytes.substr(start, end - start));
    if (physical.size() > kLngMaxLine)
      file.problems.push_back("line " + std::to_string(lineNo) + " is " +
                              std::to_string(physical.size()) + " characters long (at most " +
                              std::to_string(kLngMaxLine) + ")");
    if (nl == std::string::npos) break;
    start = nl + 1;
    ++lineNo;
  }

  for (const std::string& line : SplitLngLines(bytes)) {
    if (!file.hasLanguageLine && StartsWithNoCase(line, ".Language=")) {
      std::string value = line.substr(10);
      std::size_t comma = value.find(',');
      if (comma != std::string::npos) {
        file.description = TrimTrailing(value.substr(comma + 1));
        value.resize(comma);
      }
      file.language = TrimTrailing(value);
      file.hasLanguageLine = true;
      continue;
    }
    if (!line.empty() && line[0] == '"') file.messages.push_back(DecodeLngMessage(line));
  }
  return file;
}

bool ReadLngFile(const std::string& path, LangFile& out, std::string& error) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes, error)) return false;
  out = ParseLngText(bytes);
  out.path = path;
  return true;
}

std::string LngLanguageOf(const std::string& path) {
  LangFile file;
  std::string error;
  if (!ReadLngFile(path, file, error)) return std::string();
  return file.language;
}

bool LoadLngForLanguage(const std::string& folder, const std::string& language, LangFile& out,
                        std::string& error) {
  std::string dir = folder;
  if (!dir.empty() && dir.back() != '\\' && dir.back() != '/') dir += '\\';

  WIN32_FIND_DATAA fd;
  std::unique_ptr<void, FindCloser> find(FindFirstFileA((dir + "*.lng").c_str(), &fd));
  if (find.get() == INVALID_HANDLE_VALUE) {
    find.release();
    error = "no .lng file in " + folder;
    return false;
  }
  std::string chosen, english, last;
  do {
    if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::string path = dir + fd.cFileName;
    LangFile probe;
    std::string readError;
    if (!ReadLngFile(path, probe, readError)) continue;
    if (probe.hasLanguageLine && EqualNoCase(probe.language, language)) {
      chosen = path;
      break;
    }
    if (probe.hasLanguageLine && EqualNoCase(probe.language, "English")) english = path;
    last = path;
  } while (FindNextFileA(find.get(), &fd));

  if (chosen.empty()) chosen = !english.empty() ? english : last;
  if (chosen.empty()) {
    error = "no readable .lng file in " + folder;
    return false;
  }
  return ReadLngFile(chosen, out, error);
}
