// FAR's screen layout, its column formats and its key bar, as FAR 1.75 draws them.
#include "Layout.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

std::wstring Fit(const std::wstring& text, int width, bool right) {
  width = std::max(0, width);
  std::wstring t = text.substr(0, width);
  std::wstring pad(width - t.size(), L' ');
  return right ? pad + t : t + pad;
}

std::wstring Centre(const std::wstring& text, int width) {
  std::wstring t = text.substr(0, std::max(0, width));
  int left = (width - static_cast<int>(t.size())) / 2;
  return std::wstring(left, L' ') + t + std::wstring(width - left - t.size(), L' ');
}

std::wstring WithThousands(unsigned long long n) {
  std::wstring digits = std::to_wstring(n), out;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i && (digits.size() - i) % 3 == 0) out += L',';
    out += digits[i];
  }
  return out;
}

std::string NameOf(const std::string& path) {
  size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

namespace {

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts(1);
  for (char c : text) {
    if (c == ',')
      parts.emplace_back();
    else
      parts.back() += c;
  }
  return parts;
}

}  // namespace

std::vector<Column> ParseColumns(const std::string& types, const std::string& widths, int room) {
  std::vector<std::string> t = SplitAtCommas(types), w = SplitAtCommas(widths);
  std::vector<Column> cols;
  for (size_t i = 0; i < t.size(); ++i)
    if (!t[i].empty())
      cols.push_back(Column{t[i][0], t[i].substr(1), i < w.size() ? atoi(w[i].c_str()) : 0});
  int fixed = 0, flexible = 0;
  for (Column& c : cols) {
    if (c.width == 0 && c.type != 'N' && c.type != 'Z')  // FAR's default widths
      c.width = c.type == 'T' ? 5 : c.type == 'D' ? 8 : 6;
    if (c.width == 0) ++flexible;
    fixed += c.width;
  }
  int rest = room - fixed - static_cast<int>(cols.size()) + 1;  // names share what is left
  for (Column& c : cols)
    if (c.width == 0) c.width = std::max(1, rest / flexible), rest -= c.width, --flexible;
  // Too wide for the panel: the last column narrows to what is left, or goes.
  for (;;) {
    int total = static_cast<int>(cols.size()) - 1;
    for (const Column& c : cols) total += c.width;
    if (total <= room || cols.empty()) break;
    if (cols.size() == 1) {
      cols[0].width = room;
    } else if (room >= total - cols.back().width) {
      cols.back().width = room - (total - cols.back().width);
      break;
    } else {
      cols.pop_back();
    }
  }
  return cols;
}

std::wstring ColumnTitle(const Column& c) {
  switch (c.type) {
    case 'N':
      return L"Name";
    case 'Z':
      return L"Description";
    case 'S':
      return L"Size";
    case 'D':
      return L"Date";
    case 'T':
      return L"Time";
    case 'O':
      return L"Owner";
    default:
      return L"";
  }
}

namespace {

// The user's date order and separators, as FAR reads them from the system's locale.
std::wstring FormatDate(const SYSTEMTIME& st, bool fullYear) {
  char order[8] = "0", sep[8] = "/";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_IDATE, order, sizeof order);
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SDATE, sep, sizeof sep);
  wchar_t year[8], month[4], day[4];
  swprintf(year, 8, fullYear ? L"%04d" : L"%02d", fullYear ? st.wYear : st.wYear % 100);
  swprintf(month, 4, L"%02d", st.wMonth);
  swprintf(day, 4, L"%02d", st.wDay);
  std::wstring s = Widen(sep);
  if (order[0] == '1') return std::wstring(day) + s + month + s + year;  // day month year
  if (order[0] == '2') return std::wstring(year) + s + month + s + day;  // year month day
  return std::wstring(month) + s + day + s + year;                       // month day year
}

std::wstring FormatTime(const SYSTEMTIME& st) {
  char sep[8] = ":";
  GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STIME, sep, sizeof sep);
  wchar_t buf[32];
  swprintf(buf, 32, L"%02d%ls%02d", st.wHour, Widen(sep).c_str(), st.wMinute);
  return buf;
}

bool AllCapitals(const std::string& name) {
  bool upper = false;
  for (char c : name) {
    if (IsCharLowerA(c)) return false;
    upper = upper || IsCharUpperA(c);
  }
  return upper;
}

}  // namespace

std::wstring CellText(const HostItem& item, const Column& c, bool caseFold) {
  SYSTEMTIME st{};
  FILETIME local;
  bool hasTime = (item.lastWriteTime.dwLowDateTime | item.lastWriteTime.dwHighDateTime) != 0 &&
                 FileTimeToLocalFileTime(&item.lastWriteTime, &local) &&
                 FileTimeToSystemTime(&local, &st);
  switch (c.type) {
    case 'N': {
      std::string raw = c.modifiers.find('O') != std::string::npos && item.name != ".."
                            ? NameOf(item.name)
                            : item.name;
      if (caseFold && AllCapitals(raw)) CharLowerBuffA(&raw[0], static_cast<DWORD>(raw.size()));
      std::wstring name = FromOem(raw);
      if (static_cast<int>(name.size()) <= c.width) return Fit(name, c.width);
      if (c.modifiers.find('R') != std::string::npos)  // the end of a long name
        return L"{" + name.substr(name.size() - (c.width - 1));
      return name.substr(0, c.width - 1) + L"}";
    }
    case 'Z':
      return Fit(FromOem(item.description), c.width);
    case 'S': {
      if (!item.IsDirectory())
        return Fit(c.modifiers.find('C') != std::string::npos ? WithThousands(item.fileSize)
                                                              : std::to_wstring(item.fileSize),
                   c.width, true);
      std::wstring label = item.name == ".." ? L"  Up  " : L"Folder";
      if (static_cast<int>(label.size()) <= c.width - 2) label = L"<" + label + L">";
      return Fit(label, c.width, true);
    }
    case 'D':
      return Fit(hasTime ? FormatDate(st, c.width >= 10) : L"", c.width, true);
    case 'T':
      return Fit(hasTime ? FormatTime(st) : L"", c.width, true);
    default:
      return Fit(L"", c.width);
  }
}

Rect PanelRect(const Screen& s, bool right) {
  int half = (s.W - 1) / 2;  // the left panel takes the middle column of an odd width
  return right ? Rect{half + 1, 0, s.W - 1, s.H - 3} : Rect{0, 0, half, s.H - 3};
}

std::wstring TruncStart(const std::wstring& text, int width) {
  width = std::max(0, width);
  if (static_cast<int>(text.size()) <= width) return text;
  if (width <= 3) return text.substr(0, width);
  return L"..." + text.substr(text.size() - (width - 3));
}

std::wstring TruncPath(const std::wstring& path, int width) {
  if (static_cast<int>(path.size()) <= width) return path;
  size_t root = 0;
  if (path.size() > 2 && path[1] == L':' && path[2] == L'\\') {
    root = 3;
  } else if (path.compare(0, 2, L"\\\\") == 0) {  // \\server\share\ stays
    size_t share = path.find(L'\\', 2);
    size_t end = share == std::wstring::npos ? share : path.find(L'\\', share + 1);
    root = end == std::wstring::npos ? 0 : end + 1;
  }
  if (root == 0 || static_cast<int>(root) > width - 5) return TruncStart(path, width);
  return path.substr(0, root) + L"..." + path.substr(root + 3 + (path.size() - width));
}

std::wstring FarKeyLabel(unsigned control, int fkey) {
  static const char* const plain[12] = {"Help",   "UserMn", "View",   "Edit", "Copy",   "RenMov",
                                        "MkFold", "Delete", "ConfMn", "Quit", "Plugin", "Screen"};
  static const char* const alt[12] = {"Left", "Right",  "View..", "Edit..", "Print",  "MkLink",
                                      "Find", "Histry", "Video",  "Tree",   "ViewHs", "FoldHs"};
  static const char* const ctrl[12] = {"Left",   "Right",  "Name",   "Extens", "Modifn", "Size",
                                       "Unsort", "Creatn", "Access", "Descr",  "Owner",  "Sort"};
  static const char* const shift[12] = {"Add", "Extrct", "ArcCmd", "Edit..", "Copy",  "Rename",
                                        "",    "Delete", "Save",   "Last",   "Group", "SelUp"};
  static const char* const altShift[12] = {"", "", "", "", "", "", "", "", "ConfPl", "", "", ""};
  static const char* const ctrlShift[12] = {"", "", "View", "Edit", "", "", "", "", "", "", "", ""};
  const char* const* row = plain;
  if (control == PKF_ALT)
    row = alt;
  else if (control == PKF_CONTROL)
    row = ctrl;
  else if (control == PKF_SHIFT)
    row = shift;
  else if (control == (PKF_ALT | PKF_SHIFT))
    row = altShift;
  else if (control == (PKF_CONTROL | PKF_SHIFT))
    row = ctrlShift;
  else if (control)
    return L"";
  return Widen(row[fkey - 1]);
}

void DrawKeyBar(Screen& s, const std::function<std::wstring(int)>& label) {
  const int y = s.H - 1, x2 = s.W - 1;
  const int labelWidth = std::max(8, (x2 - 1) / 12) - 2;
  int x = 0;
  for (int n = 1; n <= 12 && x + labelWidth < x2; ++n) {
    std::wstring num = std::to_wstring(n);
    s.Put(x, y, num, Color::KeyNumber);
    x += static_cast<int>(num.size());
    s.Put(x, y, Fit(label(n), labelWidth), Color::KeyLabel);
    x += labelWidth;
    if (n < 12) s.Fill(x++, y, 1, L' ', Color::KeyNumber);  // the key bar's own background
  }
  if (x <= x2) s.Fill(x, y, x2 - x + 1, L' ', Color::KeyLabel);  // the last label runs on
}

void DrawCommandLine(Screen& s, const std::string& prompt, const std::string& text) {
  std::wstring line = FromOem(prompt) + L">" + FromOem(text);
  if (static_cast<int>(line.size()) > s.W - 1) line = line.substr(line.size() - (s.W - 1));
  s.Fill(0, s.H - 2, s.W, L' ', Color::CommandLine);
  s.Put(0, s.H - 2, line, Color::CommandLine);
}

void DrawClock(Screen& s) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  wchar_t buf[8];
  swprintf(buf, 8, L"%02d:%02d", now.wHour, now.wMinute);
  s.Put(s.W - 5, 0, buf, Color::Clock);
}
