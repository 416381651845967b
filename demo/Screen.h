// The demo's screen of FAR-coloured cells, shown on the console or printed, and its keys.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

#include "KeyScript.h"

// FAR 1.75's default colours (background << 4 | foreground).
namespace Color {
enum : WORD {
  PanelText = 0x1B,
  PanelFrame = 0x1B,
  ColumnTitle = 0x1E,
  Folder = 0x1F,
  Hidden = 0x13,
  Cursor = 0x30,
  CursorFolder = 0x3F,
  CursorHidden = 0x38,
  ActiveTitle = 0x30,
  Clock = 0x30,
  CommandLine = 0x07,
  KeyNumber = 0x07,
  KeyLabel = 0x30,
  Dialog = 0x70,
  DialogButton = 0x30,
  DialogEdit = 0x30,
  Warning = 0x4F,
  WarningButton = 0x70,
  Menu = 0x3F,
  MenuHotkey = 0x3E,
  MenuSelected = 0x0F,
  MenuSelectedHotkey = 0x0E,
  Viewer = 0x1B,
  ViewerStatus = 0x30,
  Help = 0x30,
  HelpBold = 0x3F,
  HelpLink = 0x3E,
  HelpLinkSelected = 0x0F,
  HelpFrame = 0x30
};
}

// Box-drawing characters; all of them exist in the OEM code pages 437 and 866.
namespace Glyph {
const wchar_t DV = L'\x2551', DH = L'\x2550', DTL = L'\x2554', DTR = L'\x2557', DBL = L'\x255A',
              DBR = L'\x255D', SV = L'\x2502', SH = L'\x2500', DSepL = L'\x255F', DSepR = L'\x2562',
              SUp = L'\x2534', DTopTee = L'\x2564', STL = L'\x250C', STR = L'\x2510',
              SBL = L'\x2514', SBR = L'\x2518';
}

std::wstring FromOem(const std::string& text);  // OEM bytes (FAR's texts) to characters
std::wstring Widen(const std::string& ascii);

class Screen {
 public:
  Screen(int width, int height);
  int W, H;
  void Clear(WORD attr);
  void Put(int x, int y, const std::wstring& text, WORD attr, int maxLength = -1);
  void Fill(int x, int y, int count, wchar_t ch, WORD attr);
  void Paint(int x, int y, int count, WORD attr);                   // colour only
  void Frame(int x1, int y1, int x2, int y2, WORD attr, bool dbl);  // the border alone
  void Box(int x1, int y1, int x2, int y2, WORD attr, bool dbl);    // border over a filled area
  // FAR's shadow: the characters stay, their colour turns dark (the foreground's low bits).
  void Shadow(int x1, int y1, int x2, int y2);
  void Separator(int x1, int x2, int y, WORD attr, const std::wstring& text = L"");
  wchar_t CharAt(int x, int y) const;
  WORD AttrAt(int x, int y) const;
  void SetChar(int x, int y, wchar_t ch);

 private:
  struct Cell {
    wchar_t ch;
    WORD attr;
  };
  std::vector<Cell> cells_;
  bool In(int x, int y) const { return x >= 0 && y >= 0 && x < W && y < H; }
};

class Terminal {
 public:
  // Interactive when there is no script and both standard handles are a console.
  Terminal();
  bool interactive = false;
  bool printScreens = false;                // every screen printed as text, one after another
  bool printColours = false;                // printed screens carry the colours as terminal escapes
  void SetScript(const std::string& text);  // key names separated by blanks (see ParseScript)
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int w, int h) { width_ = w, height_ = h; }
  // Shows a screen: printed as text with a caption, or drawn where it differs from the last one.
  void Show(const Screen& screen, const std::string& caption);
  // Next key; a Key of kind Idle when timeoutMs passes without one (interactive only), kind End
  // when the script has run out.
  Key Next(DWORD timeoutMs);
  void Restore();  // puts the console back as it was

 private:
  HANDLE in_, out_;
  bool outConsole_ = false;
  int width_ = 80, height_ = 25;
  std::deque<Key> script_;
  std::vector<std::wstring> shownText_;
  std::vector<std::vector<WORD>> shownAttr_;
  DWORD savedInMode_ = 0;
  int step_ = 0;
  void Write(const std::string& bytes);
  void WriteLine(const std::wstring& line);
  void Print(const Screen& s);
};
