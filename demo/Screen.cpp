// The demo's screen grid, its two outputs (console cells or printed UTF-8 text) and its keys.
#include "Screen.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "far163.h"

std::wstring FromOem(const std::string& text) {
  if (text.empty()) return std::wstring();
  std::wstring out(text.size(), L' ');
  int n = MultiByteToWideChar(CP_OEMCP, 0, text.data(), static_cast<int>(text.size()), &out[0],
                              static_cast<int>(out.size()));
  out.resize(n > 0 ? n : 0);
  for (wchar_t& c : out)
    if (c < 32) c = L' ';
  return out;
}

std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

namespace {
std::string Encode(const std::wstring& text, UINT codePage) {
  if (text.empty()) return std::string();
  int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                              nullptr, nullptr);
  std::string out(n > 0 ? n : 0, '?');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                        nullptr, nullptr);
  return out;
}
}  // namespace

// ---------------------------------------------------------------------------------------------
// Screen

Screen::Screen(int width, int height) : W(width), H(height), cells_(width * height) { Clear(0x07); }

void Screen::Clear(WORD attr) {
  for (Cell& c : cells_) c = Cell{L' ', attr};
}

void Screen::Put(int x, int y, const std::wstring& text, WORD attr, int maxLength) {
  int n = static_cast<int>(text.size());
  if (maxLength >= 0) n = std::min(n, maxLength);
  for (int i = 0; i < n; ++i)
    if (In(x + i, y)) cells_[y * W + x + i] = Cell{text[i], attr};
}

void Screen::Fill(int x, int y, int count, wchar_t ch, WORD attr) {
  for (int i = 0; i < count; ++i)
    if (In(x + i, y)) cells_[y * W + x + i] = Cell{ch, attr};
}

void Screen::Paint(int x, int y, int count, WORD attr) {
  for (int i = 0; i < count; ++i)
    if (In(x + i, y)) cells_[y * W + x + i].attr = attr;
}

void Screen::Box(int x1, int y1, int x2, int y2, WORD attr, bool dbl) {
  for (int y = y1; y <= y2; ++y) Fill(x1, y, x2 - x1 + 1, L' ', attr);
  Frame(x1, y1, x2, y2, attr, dbl);
}

void Screen::Shadow(int x1, int y1, int x2, int y2) {
  for (int y = y1; y <= y2; ++y)
    for (int x = x1; x <= x2; ++x)
      if (In(x, y)) cells_[y * W + x].attr &= 0x07;
}

void Screen::Frame(int x1, int y1, int x2, int y2, WORD attr, bool dbl) {
  wchar_t h = dbl ? Glyph::DH : Glyph::SH, v = dbl ? Glyph::DV : Glyph::SV;
  Fill(x1, y1, x2 - x1 + 1, h, attr);
  Fill(x1, y2, x2 - x1 + 1, h, attr);
  for (int y = y1; y <= y2; ++y) {
    Fill(x1, y, 1, v, attr);
    Fill(x2, y, 1, v, attr);
  }
  Fill(x1, y1, 1, dbl ? Glyph::DTL : Glyph::STL, attr);
  Fill(x2, y1, 1, dbl ? Glyph::DTR : Glyph::STR, attr);
  Fill(x1, y2, 1, dbl ? Glyph::DBL : Glyph::SBL, attr);
  Fill(x2, y2, 1, dbl ? Glyph::DBR : Glyph::SBR, attr);
}

void Screen::Separator(int x1, int x2, int y, WORD attr, const std::wstring& text) {
  Fill(x1, y, x2 - x1 + 1, Glyph::SH, attr);
  Fill(x1, y, 1, Glyph::DSepL, attr);
  Fill(x2, y, 1, Glyph::DSepR, attr);
  if (!text.empty()) {
    std::wstring t = L" " + text + L" ";
    int room = x2 - x1 - 1;
    Put(x1 + 1 + std::max(0, (room - static_cast<int>(t.size())) / 2), y, t, attr, room);
  }
}

wchar_t Screen::CharAt(int x, int y) const { return In(x, y) ? cells_[y * W + x].ch : L' '; }
WORD Screen::AttrAt(int x, int y) const { return In(x, y) ? cells_[y * W + x].attr : 0; }
void Screen::SetChar(int x, int y, wchar_t ch) {
  if (In(x, y)) cells_[y * W + x].ch = ch;
}

// ---------------------------------------------------------------------------------------------
// Terminal

Terminal::Terminal() : in_(GetStdHandle(STD_INPUT_HANDLE)), out_(GetStdHandle(STD_OUTPUT_HANDLE)) {
  DWORD mode = 0;
  outConsole_ = GetConsoleMode(out_, &mode) != FALSE;
  bool inConsole = GetConsoleMode(in_, &savedInMode_) != FALSE;
  interactive = inConsole && outConsole_;
  printScreens = !interactive;
  CONSOLE_SCREEN_BUFFER_INFO info;
  if (interactive && GetConsoleScreenBufferInfo(out_, &info)) {
    width_ = std::max(60, info.srWindow.Right - info.srWindow.Left + 1);
    height_ = std::max(20, info.srWindow.Bottom - info.srWindow.Top + 1);
  }
  if (interactive) {
    SetConsoleMode(in_, ENABLE_EXTENDED_FLAGS);  // raw keys: no line editing, no echo
    CONSOLE_CURSOR_INFO cursor{25, FALSE};
    SetConsoleCursorInfo(out_, &cursor);
  }
}

void Terminal::Restore() {
  if (!interactive) return;
  SetConsoleTextAttribute(out_, 0x07);
  COORD bottom{0, static_cast<SHORT>(height_ - 1)};
  SetConsoleCursorPosition(out_, bottom);
  Write("\r\n");
  SetConsoleMode(in_, savedInMode_);
  CONSOLE_CURSOR_INFO cursor{25, TRUE};
  SetConsoleCursorInfo(out_, &cursor);
}

void Terminal::SetScript(const std::string& text) {
  interactive = false;
  printScreens = true;
  std::vector<std::string> unknown;
  script_ = ParseScript(text, unknown);
  for (const std::string& u : unknown)
    WriteLine(L"(unknown key name \"" + Widen(u) + L"\" skipped)");
}

void Terminal::Write(const std::string& bytes) {
  DWORD done = 0;
  if (outConsole_)
    WriteConsoleA(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  else
    WriteFile(out_, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
}

void Terminal::WriteLine(const std::wstring& line) {
  Write(Encode(line, outConsole_ ? GetConsoleOutputCP() : CP_UTF8) + "\n");
}

void Terminal::Show(const Screen& s, const std::string& caption) {
  if (printScreens) {
    WriteLine(L"=== " + std::to_wstring(step_++) + L": " + Widen(caption) + L" ===");
    Print(s);
    return;
  }
  shownText_.resize(s.H);
  shownAttr_.resize(s.H);
  UINT cp = GetConsoleOutputCP();
  for (int y = 0; y < s.H; ++y) {
    int w = y == s.H - 1 ? s.W - 1 : s.W;  // the last cell would scroll the screen
    std::wstring text;
    std::vector<WORD> attrs;
    for (int x = 0; x < w; ++x) {
      text += s.CharAt(x, y);
      attrs.push_back(s.AttrAt(x, y));
    }
    if (text == shownText_[y] && attrs == shownAttr_[y]) continue;
    shownText_[y] = text;
    shownAttr_[y] = attrs;
    SetConsoleCursorPosition(out_, COORD{0, static_cast<SHORT>(y)});
    for (int x = 0; x < w;) {
      int end = x;
      while (end < w && attrs[end] == attrs[x]) ++end;
      SetConsoleTextAttribute(out_, attrs[x]);
      Write(Encode(text.substr(x, end - x), cp));
      x = end;
    }
  }
}

Key Terminal::Next(DWORD timeoutMs) {
  if (!interactive) {
    if (script_.empty()) return Key();
    Key k = script_.front();
    script_.pop_front();
    return k;
  }
  for (;;) {
    // Wine's console reads the terminal only while a program waits on the input handle, so
    // wait, not poll (tools/demo.sh puts the terminal in raw mode first).
    if (WaitForSingleObject(in_, timeoutMs) == WAIT_TIMEOUT) {
      Key idle;
      idle.kind = Key::Idle;
      return idle;
    }
    INPUT_RECORD record;
    DWORD got = 0;
    if (!ReadConsoleInputA(in_, &record, 1, &got) || got == 0) return Key();
    if (record.EventType != KEY_EVENT || !record.Event.KeyEvent.bKeyDown) continue;
    const KEY_EVENT_RECORD& e = record.Event.KeyEvent;
    WORD vk = e.wVirtualKeyCode;
    if (vk == VK_SHIFT || vk == VK_CONTROL || vk == VK_MENU) continue;
    Key k;
    k.kind = Key::Press;
    k.vk = vk;
    DWORD s = e.dwControlKeyState;
    if (s & (LEFT_CTRL_PRESSED | RIGHT_CTRL_PRESSED)) k.control |= PKF_CONTROL;
    if (s & (LEFT_ALT_PRESSED | RIGHT_ALT_PRESSED)) k.control |= PKF_ALT;
    if (s & SHIFT_PRESSED) k.control |= PKF_SHIFT;
    unsigned char c = static_cast<unsigned char>(e.uChar.AsciiChar);
    if (c >= 32 && !(k.control & (PKF_CONTROL | PKF_ALT))) k.ch = static_cast<char>(c);
    if (vk == 0 && k.ch == 0) continue;
    return k;
  }
}

namespace {
// A console colour as a terminal escape: the grey-on-black default is the terminal's own.
std::string ColourCode(WORD attr, bool background) {
  static const int ansi[8] = {0, 4, 2, 6, 1, 5, 3, 7};  // console bit order to ANSI order
  if ((attr & 0xFF) == 0x07) return background ? "49" : "39";
  int c = background ? (attr >> 4) & 0x0F : attr & 0x0F;
  int base = background ? ((c & 8) ? 100 : 40) : ((c & 8) ? 90 : 30);
  return std::to_string(base + ansi[c & 7]);
}
}  // namespace

// Each row without its trailing blanks; with colours, an escape wherever the foreground or the
// background changes, even where only blanks follow.
void Terminal::Print(const Screen& s) {
  std::string fg, bg;
  for (int y = 0; y < s.H; ++y) {
    std::wstring row;
    for (int x = 0; x < s.W; ++x) {
      if (printColours) {
        std::string f = ColourCode(s.AttrAt(x, y), false), b = ColourCode(s.AttrAt(x, y), true);
        if (f != fg) row += Widen("\x1b[" + f + "m"), fg = f;
        if (b != bg) row += Widen("\x1b[" + b + "m"), bg = b;
      }
      row += s.CharAt(x, y);
    }
    row.erase(row.find_last_not_of(L' ') + 1);
    WriteLine(row);
  }
}
