// The demo's text screen and keyboard: a grid of cells drawn the way FAR draws its screen, shown
// on the console in its OEM code page, or printed as UTF-8 text when the output is not a console;
// keys come from the console or from a script of key names.
#pragma once

#include <windows.h>

#include <deque>
#include <string>
#include <vector>

// FAR's default colours (background << 4 | foreground).
namespace Color {
enum : WORD {
  Panel = 0x1B, PanelTitle = 0x1E, Folder = 0x1F, Hidden = 0x13, Cursor = 0x30,
  Box = 0x70, Warning = 0x4F, Field = 0x30, Focus = 0x30, KeyNumber = 0x07, KeyLabel = 0x30,
  CommandLine = 0x07, Viewer = 0x1B, ViewerTitle = 0x30
};
}

// Box-drawing characters; all of them exist in the OEM code pages 437 and 866.
namespace Glyph {
const wchar_t DV = L'\x2551', DH = L'\x2550', DTL = L'\x2554', DTR = L'\x2557', DBL = L'\x255A',
              DBR = L'\x255D', SV = L'\x2502', SH = L'\x2500', DTDown = L'\x2564',
              DSepL = L'\x255F', DSepR = L'\x2562', SUp = L'\x2534', STL = L'\x250C',
              STR = L'\x2510', SBL = L'\x2514', SBR = L'\x2518', Shade = L'\x2591';
// Marks used only in printed screens, where no colour shows the cursor or the focus.
const wchar_t Pointer = L'\x25BA';
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
  void Paint(int x, int y, int count, WORD attr);  // colour only
  void Box(int x1, int y1, int x2, int y2, WORD attr, bool dbl);  // frame over a filled area
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

// A key press as FAR sees it, or one of the script's own steps.
struct Key {
  enum Kind { Press, Idle, Create, Remove, End } kind = End;
  WORD vk = 0;
  unsigned control = 0;  // PKF_* bits
  char ch = 0;           // the typed character (OEM), 0 for none
  std::string arg;       // Create/Remove: a path below the example tree
  std::string name;      // how the step is named in printed screens
};

class Terminal {
 public:
  // Interactive when there is no script and both standard handles are a console.
  Terminal();
  bool interactive = false;
  bool printScreens = false;  // every screen printed as text, one after another
  void SetScript(const std::string& text);  // key names separated by blanks (see ParseKey)
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetSize(int w, int h) { width_ = w, height_ = h; }
  // Shows a screen: printed as text with a caption, or drawn where it differs from the last one.
  void Show(const Screen& screen, const std::string& caption);
  // Next key; a Key of kind Idle when timeoutMs passes without one (interactive only), kind End
  // when the script has run out.
  Key Next(DWORD timeoutMs);
  void Restore();  // puts the console back as it was
  static bool ParseKey(const std::string& token, Key& key);

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
};
