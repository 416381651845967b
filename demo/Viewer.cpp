// FAR 1.75's viewer as it first shows a file: wrapped text, the status line on top.
#include "Viewer.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "Layout.h"

namespace {

std::string ReadFileBytes(const std::string& path) {
  std::string bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f == INVALID_HANDLE_VALUE) return bytes;
  bytes.resize(256 * 1024);
  DWORD got = 0;
  if (!ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
  bytes.resize(got);
  CloseHandle(f);
  return bytes;
}

// The viewer starts in the Windows code page ("Win" on its status line).
wchar_t FromAnsi(char c) {
  wchar_t w = L'?';
  MultiByteToWideChar(CP_ACP, 0, &c, 1, &w, 1);
  return w < 32 ? L' ' : w;
}

// The text as screen rows: tabs expanded, long lines wrapped at `width`.
std::vector<std::wstring> Rows(const std::string& bytes, int width) {
  std::vector<std::wstring> rows(1);
  for (char c : bytes) {
    if (c == '\n') {
      rows.emplace_back();
      continue;
    }
    if (c == '\r') continue;
    if (static_cast<int>(rows.back().size()) >= width) rows.emplace_back();
    if (c == '\t')
      rows.back().append(8 - rows.back().size() % 8, L' ');
    else
      rows.back() += FromAnsi(c);
  }
  return rows;
}

// The name in ScrX-43 columns (at least 20), cut as a path, then the code page, size, column and
// percentage; all of it cut to the screen's width.
std::wstring StatusLine(const std::string& path, size_t size, int percent, int width) {
  const int nameLength = std::max(20, width - 1 - 43);
  wchar_t tail[64];
  swprintf(tail, 64, L"%10.10ls %13llu %7.7ls %-4d  %3d%%", L"Win",
           static_cast<unsigned long long>(size), L"Col", 0, percent);
  return (Fit(TruncPath(FromOem(path), nameLength), nameLength) + L" " + tail).substr(0, width);
}

}  // namespace

void ShowViewer(ModalHost& host, int width, int height, const std::string& path) {
  std::string bytes = ReadFileBytes(path);
  std::vector<std::wstring> rows = Rows(bytes, width);
  // FAR's viewer labels as the viewer starts: wrapped text, the Windows code page.
  static const wchar_t* const labels[12] = {L"Help", L"Unwrap", L"Quit",    L"Hex",
                                            L"",     L"Edit",   L"Search",  L"DOS",
                                            L"",     L"Quit",   L"Plugins", L"Screen"};
  int top = 0;
  for (;;) {
    Screen s(width, height);
    s.Clear(Color::Viewer);
    const int shown = s.H - 2, last = std::max(0, static_cast<int>(rows.size()) - shown);
    top = std::max(0, std::min(top, last));
    int percent =
        top >= last ? 100 : static_cast<int>(top * 100 / std::max<size_t>(1, rows.size()));
    s.Put(0, 0, StatusLine(path, bytes.size(), percent, s.W), Color::ViewerStatus);
    for (int r = 0; r < shown && top + r < static_cast<int>(rows.size()); ++r)
      s.Put(0, 1 + r, rows[top + r], Color::Viewer, s.W);
    DrawKeyBar(s, [](int n) { return std::wstring(labels[n - 1]); });
    Key k = host.Read(s);
    if (k.kind == Key::End) return;
    if (k.kind != Key::Press || k.control) continue;
    if (k.vk == VK_ESCAPE || k.vk == VK_F3 || k.vk == VK_F10) return;
    if (k.vk == VK_UP) --top;
    if (k.vk == VK_DOWN) ++top;
    if (k.vk == VK_PRIOR) top -= shown;
    if (k.vk == VK_NEXT) top += shown;
    if (k.vk == VK_HOME) top = 0;
    if (k.vk == VK_END) top = last;
  }
}
