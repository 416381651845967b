// Quenby's demo: a terminal stand-in for FAR 1.63 built on the host library. It loads quenby.dll,
// opens the example list as FAR does on Enter on LIST.VFS, and draws the plugin panel, FAR's
// message boxes, the configuration dialog and a small viewer. Interactive on a console; with a
// script (or without a console) every screen is printed as text after each key.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include "FarHost.h"
#include "Screen.h"
#include "example/ExampleTree.h"

namespace {

// Open, enter the mail folder, view a message, put its name on the command line, watch a new
// message arrive on FAR's idle refresh, climb back, the About box, close the panel, quit.
const char* const DefaultPlay =
    "Down Enter Down Enter Esc CtrlEnter Esc Create:mail\\msg004.msg Wait Home Enter F8 Enter "
    "Home Enter F10";

const char* const FarKeyLabels[12] = {"Help", "UserMn", "View",   "Edit",   "Copy",   "RenMov",
                                      "MkFold", "Delete", "ConfMn", "Quit", "Plugin", "Screen"};

std::wstring Fit(const std::wstring& text, int width, bool right = false) {
  std::wstring t = text.substr(0, std::max(0, width));
  return right ? std::wstring(width - t.size(), L' ') + t : t + std::wstring(width - t.size(), L' ');
}

std::wstring Centre(const std::wstring& text, int width) {
  std::wstring t = text.substr(0, std::max(0, width));
  int left = (width - static_cast<int>(t.size())) / 2;
  return std::wstring(left, L' ') + t + std::wstring(width - left - t.size(), L' ');
}

std::string FolderOf(const std::string& path) {  // "C:\X\Y" -> "C:\X", "C:\Y" -> "C:\"
  size_t slash = path.rfind('\\');
  if (slash == std::string::npos) return path;
  return path.substr(0, slash == 2 && path[1] == ':' ? 3 : slash);
}

std::string NameOf(const std::string& path) {
  size_t cut = path.find_last_of("\\:");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

// One column of a panel view mode: a type letter with its modifiers, and a width.
struct Column {
  char type;
  std::string modifiers;
  int width;
};

std::vector<Column> Columns(const std::string& types, const std::string& widths, int room) {
  std::vector<Column> cols;
  size_t t = 0, w = 0;
  while (t <= types.size() && !types.empty()) {
    size_t te = types.find(',', t), we = widths.find(',', w);
    std::string type = types.substr(t, te == std::string::npos ? std::string::npos : te - t);
    std::string width = w <= widths.size()
                            ? widths.substr(w, we == std::string::npos ? std::string::npos : we - w)
                            : "0";
    if (!type.empty()) cols.push_back(Column{type[0], type.substr(1), atoi(width.c_str())});
    if (te == std::string::npos) break;
    t = te + 1;
    w = we == std::string::npos ? widths.size() + 1 : we + 1;
  }
  // A width of 0 is the type's default, except for names and descriptions, which share the rest.
  int fixed = 0, flexible = 0;
  for (Column& c : cols) {
    if (c.width == 0 && c.type != 'N' && c.type != 'Z')
      c.width = c.type == 'T' ? 5 : c.type == 'D' ? 8 : 8;
    if (c.width == 0) ++flexible;
    fixed += c.width;
  }
  int rest = room - fixed - static_cast<int>(cols.size()) + 1;
  for (Column& c : cols)
    if (c.width == 0) c.width = std::max(1, rest / flexible), rest -= c.width, --flexible;
  return cols;
}

std::wstring ColumnTitle(const Column& c) {
  switch (c.type) {
    case 'N': return L"Name";
    case 'Z': return L"Description";
    case 'S': return L"Size";
    case 'D': return L"Date";
    case 'T': return L"Time";
    default: return L"";
  }
}

std::wstring CellText(const HostItem& item, const Column& c) {
  SYSTEMTIME st{};
  FILETIME local;
  bool hasTime = (item.lastWriteTime.dwLowDateTime | item.lastWriteTime.dwHighDateTime) != 0 &&
                 FileTimeToLocalFileTime(&item.lastWriteTime, &local) &&
                 FileTimeToSystemTime(&local, &st);
  wchar_t buf[32];
  switch (c.type) {
    case 'N': {
      std::wstring name = FromOem(c.modifiers.find('O') != std::string::npos && item.name != ".."
                                      ? NameOf(item.name) : item.name);
      if (static_cast<int>(name.size()) <= c.width) return Fit(name, c.width);
      if (c.modifiers.find('R') != std::string::npos)  // FAR shows the end of a long name
        return L"{" + name.substr(name.size() - (c.width - 1));
      return name.substr(0, c.width - 1) + L"}";
    }
    case 'Z': return Fit(FromOem(item.description), c.width);
    case 'S':
      if (item.IsDirectory()) return Fit(item.name == ".." ? L"<Up>" : L"<Folder>", c.width, true);
      return Fit(std::to_wstring(item.fileSize), c.width, true);
    case 'D':
      if (!hasTime) return Fit(L"", c.width);
      if (c.width >= 10)
        swprintf(buf, 32, L"%02d.%02d.%04d", st.wDay, st.wMonth, st.wYear);
      else
        swprintf(buf, 32, L"%02d.%02d.%02d", st.wDay, st.wMonth, st.wYear % 100);
      return Fit(buf, c.width, true);
    case 'T':
      if (!hasTime) return Fit(L"", c.width);
      swprintf(buf, 32, L"%02d:%02d", st.wHour, st.wMinute);
      return Fit(buf, c.width, true);
    default: return Fit(L"", c.width);
  }
}

class Demo {
 public:
  Demo(FarHost& host, Terminal& term, const ExampleTree& tree)
      : host_(host), term_(term), tree_(tree) {}
  bool Open();  // FAR's file panel on the example, then Enter on LIST.VFS
  int Run();
  int MessageBox(const MessageCall& m);
  int Dialog(std::vector<FarDialogItem>& items);

 private:
  FarHost& host_;
  Terminal& term_;
  const ExampleTree& tree_;
  std::wstring note_;  // FAR's answer to a key the demo only describes
  std::string caption_ = "open";
  std::string shownDir_;
  bool quit_ = false;
  DWORD lastUpdate_ = GetTickCount(), lastIdle_ = 0;

  FarHost::Panel* Active() {
    FarHost::Panel* p = host_.activePanel;
    return p && !p->closed ? p : nullptr;
  }
  Key Read(const Screen& s, DWORD timeout = INFINITE) {
    term_.Show(s, caption_);
    Key k = term_.Next(timeout);
    if (k.kind != Key::Idle || !term_.interactive) caption_ = k.name;
    if (k.kind == Key::End) quit_ = true;
    return k;
  }
  Screen Blank() const { return Screen(term_.Width(), term_.Height()); }
  void DrawPanel(Screen& s);
  void DrawFrame(Screen& s, const std::wstring& title, const std::vector<Column>& cols,
                 const std::vector<HostItem>& items, int current, int& top,
                 const std::vector<Column>& status);
  int Menu(const std::wstring& title, const std::vector<std::string>& items);
  void Viewer(const std::string& path);
  void LoadFilePanel();
  void PluginsMenu();
  void ConfigMenu();
  void ExampleFileEvent(const Key& k);
  bool CommonKey(const Key& k, bool& keepGoing);
  bool PanelKey(FarHost::Panel& p, const Key& k);
  bool FileKey(const Key& k);
};

// ---------------------------------------------------------------------------------------------
// Drawing

void Demo::DrawFrame(Screen& s, const std::wstring& title, const std::vector<Column>& cols,
                     const std::vector<HostItem>& items, int current, int& top,
                     const std::vector<Column>& status) {
  const int W = s.W, H = s.H, rows = H - 7;
  s.Box(0, 0, W - 1, H - 3, Color::Panel, true);
  if (current < top) top = current;
  if (current >= top + rows) top = current - rows + 1;
  int x = 1;
  for (size_t c = 0; c < cols.size(); ++c) {
    s.Put(x, 1, Centre(ColumnTitle(cols[c]), cols[c].width), Color::PanelTitle, W - 1 - x);
    for (int r = 0; r < rows; ++r) {
      int i = top + r;
      if (i < 0 || i >= static_cast<int>(items.size())) continue;
      const HostItem& item = items[i];
      WORD attr = i == current ? Color::Cursor
                  : (item.attributes & FILE_ATTRIBUTE_HIDDEN) ? Color::Hidden
                  : item.IsDirectory() ? Color::Folder : Color::Panel;
      std::wstring text = CellText(item, cols[c]);
      if (term_.printScreens && cols[c].type == 'N' && (item.attributes & FILE_ATTRIBUTE_HIDDEN))
        text = Glyph::Shade + text.substr(0, text.size() - 1);  // no colour in print: a mark
      s.Put(x, 2 + r, text, attr, std::min(cols[c].width, W - 1 - x));
      if (i == current && term_.printScreens) s.SetChar(0, 2 + r, Glyph::Pointer);
    }
    x += cols[c].width;
    if (c + 1 < cols.size() && x < W - 1) {
      s.Fill(x, 0, 1, Glyph::DTDown, Color::Panel);
      for (int r = 1; r < H - 5; ++r) s.Fill(x, r, 1, Glyph::SV, Color::Panel);
      ++x;
    }
  }
  s.Put((W - std::min<int>(title.size(), W - 4)) / 2, 0, title, Color::Cursor, W - 4);
  s.Separator(0, W - 1, H - 5, Color::Panel);
  for (int c = 1; c < W - 1; ++c)
    if (s.CharAt(c, H - 6) == Glyph::SV) s.SetChar(c, H - 5, Glyph::SUp);
  if (current >= 0 && current < static_cast<int>(items.size())) {
    std::wstring line;
    for (const Column& c : status) line += (line.empty() ? L"" : L" ") + CellText(items[current], c);
    s.Put(1, H - 4, line, Color::Panel, W - 2);
  }
  if (!note_.empty()) s.Put(2, H - 3, L" " + note_ + L" ", Color::PanelTitle, W - 4);
}

void Demo::DrawPanel(Screen& s) {
  const int W = s.W, H = s.H;
  s.Clear(Color::CommandLine);
  FarHost::Panel* p = Active();
  std::string prompt;
  if (p) {
    const OpenInfo& info = p->info;
    int mode = info.startPanelMode >= '0' && info.startPanelMode <= '9' ? info.startPanelMode - '0'
                                                                        : 2;
    OpenInfo::Mode m;
    if (mode < static_cast<int>(info.panelModes.size()) && info.panelModes[mode].hasColumns)
      m = info.panelModes[mode];
    else
      m.columnTypes = "N,S,D,T", m.columnWidths = "0,8,8,5";
    if (!m.hasStatusColumns) m.statusColumnTypes = "N,S,D,T", m.statusColumnWidths = "0,8,8,5";
    p->pageSize = H - 7;
    DrawFrame(s, FromOem(info.panelTitle), Columns(m.columnTypes, m.columnWidths, W - 2), p->items,
              p->currentItem, p->topPanelItem,
              Columns(m.statusColumnTypes, m.statusColumnWidths, W - 2));
    prompt = info.curDir;  // FAR's prompt is the plugin's CurDir, also with real names
  } else {
    FarHost::FilePanel& f = host_.filePanel;
    prompt = FarHost::PanelDirectory(f.curDir);
    DrawFrame(s, L" " + FromOem(prompt) + L" ", Columns("N,S,D,T", "0,8,8,5", W - 2), f.items,
              f.currentItem, f.topPanelItem, Columns("N,S,D,T", "0,8,8,5", W - 2));
  }
  std::wstring cmd = FromOem(prompt) + L">" + FromOem(host_.commandLine);
  if (static_cast<int>(cmd.size()) > W - 1) cmd = cmd.substr(cmd.size() - (W - 1));
  s.Put(0, H - 2, cmd, Color::CommandLine);
  for (int n = 1; n <= 12; ++n) {
    std::optional<std::string> label;
    if (p) label = p->info.KeyLabel(OpenInfo::Plain, n);  // NULL keeps FAR's own label
    std::wstring num = std::to_wstring(n);
    int x = (n - 1) * W / 12, slot = n * W / 12 - x - static_cast<int>(num.size());
    s.Put(x, H - 1, num, Color::KeyNumber);
    s.Put(x + static_cast<int>(num.size()), H - 1,
          Fit(label ? FromOem(*label) : Widen(FarKeyLabels[n - 1]), slot), Color::KeyLabel);
  }
}

int Demo::Menu(const std::wstring& title, const std::vector<std::string>& items) {
  int focus = 0;
  for (;;) {
    Screen s = Blank();
    DrawPanel(s);
    int w = static_cast<int>(title.size()) + 8;
    for (const std::string& i : items) w = std::max(w, static_cast<int>(i.size()) + 10);
    int h = static_cast<int>(items.size()) + 4, x = (s.W - w) / 2, y = (s.H - h) / 2;
    s.Box(x, y, x + w - 1, y + h - 1, Color::Box, false);
    s.Box(x + 2, y + 1, x + w - 3, y + h - 2, Color::Box, true);
    s.Put(x + (w - static_cast<int>(title.size()) - 2) / 2, y + 1, L" " + title + L" ", Color::Box);
    for (size_t i = 0; i < items.size(); ++i) {
      s.Put(x + 3, y + 2 + static_cast<int>(i), L" " + Fit(FromOem(items[i]), w - 8) + L" ",
            static_cast<int>(i) == focus ? Color::Focus : Color::Box);
      if (static_cast<int>(i) == focus && term_.printScreens)
        s.SetChar(x + 3, y + 2 + static_cast<int>(i), Glyph::Pointer);
    }
    Key k = Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || k.control) continue;
    int n = static_cast<int>(items.size());
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN) return n ? focus : -1;
    if (k.vk == VK_UP || k.vk == VK_HOME) focus = k.vk == VK_HOME ? 0 : std::max(0, focus - 1);
    if (k.vk == VK_DOWN || k.vk == VK_END) focus = k.vk == VK_END ? n - 1 : std::min(n - 1, focus + 1);
  }
}

void Demo::Viewer(const std::string& path) {
  std::string bytes;
  HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                         OPEN_EXISTING, 0, nullptr);
  if (f != INVALID_HANDLE_VALUE) {
    bytes.resize(64 * 1024);
    DWORD got = 0;
    if (!ReadFile(f, &bytes[0], static_cast<DWORD>(bytes.size()), &got, nullptr)) got = 0;
    bytes.resize(got);
    CloseHandle(f);
  }
  std::vector<std::wstring> lines(1);
  for (char c : bytes) {
    if (c == '\n') lines.emplace_back();
    else if (c == '\t') lines.back().append(8 - lines.back().size() % 8, L' ');
    else if (c != '\r') lines.back() += FromOem(std::string(1, c));
  }
  int top = 0;
  for (;;) {
    Screen s = Blank();
    s.Clear(Color::Viewer);
    int rows = s.H - 2, last = std::max(0, static_cast<int>(lines.size()) - rows);
    top = std::max(0, std::min(top, last));
    s.Fill(0, 0, s.W, L' ', Color::ViewerTitle);
    s.Put(0, 0, FromOem(path), Color::ViewerTitle, s.W - 12);
    s.Put(s.W - 11, 0, Widen("Line " + std::to_string(top + 1)), Color::ViewerTitle);
    for (int r = 0; r < rows && top + r < static_cast<int>(lines.size()); ++r)
      s.Put(0, 1 + r, lines[top + r], Color::Viewer, s.W);
    s.Fill(0, s.H - 1, s.W, L' ', Color::KeyLabel);
    s.Put(0, s.H - 1, L"Viewer: Esc, F3 or F10 closes it", Color::KeyLabel);
    Key k = Read(s);
    if (k.kind == Key::End || (k.kind == Key::Press && !k.control &&
                               (k.vk == VK_ESCAPE || k.vk == VK_F3 || k.vk == VK_F10)))
      return;
    if (k.kind != Key::Press) continue;
    if (k.vk == VK_UP) --top;
    if (k.vk == VK_DOWN) ++top;
    if (k.vk == VK_PRIOR) top -= rows;
    if (k.vk == VK_NEXT) top += rows;
    if (k.vk == VK_HOME) top = 0;
    if (k.vk == VK_END) top = last;
  }
}

// ---------------------------------------------------------------------------------------------
// FAR's message box and dialog, answered with keys

int Demo::MessageBox(const MessageCall& m) {
  std::vector<std::string> lines = m.Lines(), buttons = m.Buttons();
  int focus = 0;
  for (;;) {
    Screen s = Blank();
    DrawPanel(s);
    std::wstring row;  // the buttons, one after another
    std::vector<int> at;
    for (size_t b = 0; b < buttons.size(); ++b) {
      at.push_back(static_cast<int>(row.size()));
      bool f = static_cast<int>(b) == focus && term_.printScreens;
      row += (b ? L" " : L"") + std::wstring(f ? L"{ " : L"[ ") + FromOem(buttons[b]) +
             (f ? L" }" : L" ]");
    }
    for (int& a : at) a += a ? 1 : 0;
    int w = std::max<int>(row.size(), m.Title().size() + 2);
    for (const std::string& l : lines) w = std::max<int>(w, l.size());
    w = std::min(w + 10, s.W);
    int h = static_cast<int>(lines.size()) + (buttons.empty() ? 4 : 5);
    int x = (s.W - w) / 2, y = (s.H - h) / 2;
    WORD attr = (m.flags & FMSG_WARNING) ? Color::Warning : Color::Box;
    s.Box(x, y, x + w - 1, y + h - 1, attr, false);
    s.Box(x + 3, y + 1, x + w - 4, y + h - 2, attr, true);
    std::wstring title = FromOem(m.Title());
    if (!title.empty()) s.Put(x + (w - static_cast<int>(title.size()) - 2) / 2, y + 1, L" " + title + L" ", attr);
    for (size_t i = 0; i < lines.size(); ++i) {
      int ly = y + 2 + static_cast<int>(i);
      if (!lines[i].empty() && lines[i][0] == '\x01') {
        s.Separator(x + 3, x + w - 4, ly, attr, FromOem(lines[i].substr(1)));
        continue;
      }
      std::wstring t = FromOem(lines[i]).substr(0, w - 10);
      s.Put((m.flags & FMSG_LEFTALIGN) ? x + 5 : x + (w - static_cast<int>(t.size())) / 2, ly, t, attr);
    }
    int bx = x + (w - static_cast<int>(row.size())) / 2, by = y + h - 3;
    s.Put(bx, by, row, attr);
    if (!buttons.empty())
      s.Paint(bx + at[focus], by, static_cast<int>(buttons[focus].size()) + 4, Color::Focus);
    if (buttons.empty()) {  // FAR leaves such a box on the screen and returns at once
      term_.Show(s, caption_);
      return -1;
    }
    Key k = Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || (k.control & ~PKF_SHIFT)) continue;
    int n = static_cast<int>(buttons.size());
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN || k.vk == VK_SPACE) return focus;
    if (k.vk == VK_RIGHT || (k.vk == VK_TAB && !k.control)) focus = (focus + 1) % n;
    if (k.vk == VK_LEFT || (k.vk == VK_TAB && k.control)) focus = (focus + n - 1) % n;
  }
}

int Demo::Dialog(std::vector<FarDialogItem>& items) {
  auto focusable = [&](size_t i) {
    int t = items[i].Type;
    return t == DI_EDIT || t == DI_FIXEDIT || t == DI_PSWEDIT || t == DI_CHECKBOX ||
           t == DI_RADIOBUTTON || t == DI_BUTTON;
  };
  auto text = [](const FarDialogItem& it) {
    std::string t(it.Data, strnlen(it.Data, sizeof it.Data));
    if (!(it.Flags & DIF_SHOWAMPERSAND) && it.Type != DI_EDIT && it.Type != DI_FIXEDIT)
      t.erase(std::remove(t.begin(), t.end(), '&'), t.end());
    return FromOem(t);
  };
  const int n = static_cast<int>(items.size());
  int focus = -1, boxIndex = -1, w = 0, h = 0;
  for (int i = 0; i < n; ++i) {
    if (focus < 0 && items[i].Focus && focusable(i)) focus = i;
    if (boxIndex < 0 && (items[i].Type == DI_DOUBLEBOX || items[i].Type == DI_SINGLEBOX)) boxIndex = i;
    w = std::max(w, items[i].X2 + 4);
    h = std::max(h, std::max(items[i].Y1, items[i].Y2) + 2);
  }
  for (int i = 0; i < n && focus < 0; ++i)
    if (focusable(i)) focus = i;
  bool fresh = true;  // the first character typed into a field replaces its text
  for (;;) {
    Screen s = Blank();
    DrawPanel(s);
    w = std::min(w, s.W), h = std::min(h, s.H);
    const int ox = (s.W - w) / 2, oy = (s.H - h) / 2;
    for (int y = 0; y < h; ++y) s.Fill(ox, oy + y, w, L' ', Color::Box);
    for (int i = 0; i < n; ++i) {
      const FarDialogItem& it = items[i];
      int x = ox + it.X1, y = oy + it.Y1;
      std::wstring t = text(it);
      bool f = i == focus;
      switch (it.Type) {
        case DI_DOUBLEBOX:
        case DI_SINGLEBOX:
          s.Box(x, y, ox + it.X2, oy + it.Y2, Color::Box, it.Type == DI_DOUBLEBOX);
          if (!t.empty()) s.Put(ox + (it.X1 + it.X2 - static_cast<int>(t.size())) / 2, y, L" " + t + L" ", Color::Box);
          break;
        case DI_TEXT:
          if (it.Flags & DIF_SEPARATOR) {
            const FarDialogItem* b = boxIndex >= 0 ? &items[boxIndex] : nullptr;
            s.Separator(ox + (b ? b->X1 : 0), ox + (b ? b->X2 : w - 1), y, Color::Box, t);
          } else {
            s.Put(it.X1 < 0 ? ox + (w - static_cast<int>(t.size())) / 2 : x, y, t, Color::Box);
          }
          break;
        case DI_CHECKBOX:
          s.Put(x, y, std::wstring(it.Selected ? L"[x] " : L"[ ] ") + t, f ? Color::Focus : Color::Box);
          break;
        case DI_RADIOBUTTON:
          s.Put(x, y, std::wstring(it.Selected ? L"(*) " : L"( ) ") + t, f ? Color::Focus : Color::Box);
          break;
        case DI_EDIT:
        case DI_FIXEDIT:
        case DI_PSWEDIT: {
          int fw = std::max(1, it.X2 - it.X1 + 1);
          if (it.Type == DI_PSWEDIT) t.assign(t.size(), L'*');
          if (static_cast<int>(t.size()) > fw) t = t.substr(t.size() - fw);
          s.Put(x, y, Fit(t, fw), Color::Field);
          break;
        }
        case DI_BUTTON: {
          bool brace = f && term_.printScreens;
          std::wstring b = (it.Flags & DIF_NOBRACKETS) ? t
                           : std::wstring(brace ? L"{ " : L"[ ") + t + (brace ? L" }" : L" ]");
          s.Put(x, y, b, f ? Color::Focus : Color::Box);
          break;
        }
        default: break;
      }
      if (f && term_.printScreens && it.Type != DI_BUTTON) s.SetChar(x - 1, y, Glyph::Pointer);
    }
    Key k = Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || focus < 0) continue;
    FarDialogItem& it = items[focus];
    bool edit = it.Type == DI_EDIT || it.Type == DI_FIXEDIT || it.Type == DI_PSWEDIT;
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN && !k.control) {
      if (it.Type == DI_BUTTON) return focus;
      for (int i = 0; i < n; ++i)
        if (items[i].DefaultButton) return i;
      return focus;
    }
    int step = (k.vk == VK_TAB && !(k.control & PKF_SHIFT)) || k.vk == VK_DOWN ? 1
               : (k.vk == VK_TAB || k.vk == VK_UP) ? -1 : 0;
    if (step) {
      do focus = (focus + step + n) % n; while (!focusable(focus));
      fresh = true;
      continue;
    }
    if (k.vk == VK_SPACE && !edit) {
      if (it.Type == DI_CHECKBOX) it.Selected = !it.Selected;
      if (it.Type == DI_RADIOBUTTON) it.Selected = 1;
      if (it.Type == DI_BUTTON) return focus;
      continue;
    }
    if (!edit) continue;
    size_t len = strnlen(it.Data, sizeof it.Data);
    size_t limit = it.Type == DI_FIXEDIT ? std::max(1, it.X2 - it.X1 + 1) : sizeof it.Data - 1;
    if (k.vk == VK_BACK) {
      if (len) it.Data[len - 1] = 0;
    } else if (k.ch && !(k.control & (PKF_CONTROL | PKF_ALT))) {
      if (fresh) len = 0;
      if (len < limit) it.Data[len++] = k.ch;
      it.Data[len] = 0;
    } else if (k.vk == 'Y' && k.control == PKF_CONTROL) {
      it.Data[0] = 0;
    }
    fresh = false;
  }
}

// ---------------------------------------------------------------------------------------------
// Keys

void Demo::LoadFilePanel() {
  FarHost::FilePanel& f = host_.filePanel;
  const HostItem* cur = f.currentItem >= 0 && f.currentItem < static_cast<int>(f.items.size())
                            ? &f.items[f.currentItem] : nullptr;
  std::string keep = cur && f.curDir == shownDir_ ? cur->name : std::string();
  std::vector<HostItem> folders, files;
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((f.curDir + "\\*").c_str(), &d);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      if (!strcmp(d.cFileName, ".")) continue;
      HostItem item = HostItem::Make(d.cFileName, d.dwFileAttributes);
      item.lastWriteTime = d.ftLastWriteTime;
      item.fileSize = (static_cast<unsigned long long>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
      (item.IsDirectory() ? folders : files).push_back(item);
    } while (FindNextFileA(h, &d));
    FindClose(h);
  }
  auto byName = [](const HostItem& a, const HostItem& b) {
    return a.name == ".." || (b.name != ".." && lstrcmpiA(a.name.c_str(), b.name.c_str()) < 0);
  };
  std::sort(folders.begin(), folders.end(), byName);
  std::sort(files.begin(), files.end(), byName);
  folders.insert(folders.end(), files.begin(), files.end());
  f.items = folders;
  if (!keep.empty())
    for (size_t i = 0; i < f.items.size(); ++i)
      if (f.items[i].name == keep) f.currentItem = static_cast<int>(i);
  f.currentItem = std::max(0, std::min<int>(f.currentItem, f.items.size() - 1));
  shownDir_ = f.curDir;
}

void Demo::PluginsMenu() {
  host_.GetPluginInfo();
  int i = Menu(L"Plugin commands", host_.pluginInfo.pluginMenuStrings);
  if (i < 0) return;
  if (FarHost::Panel* p = Active())
    if (!p->Close()) return;
  LoadFilePanel();
  host_.OpenPlugin(OPEN_PLUGINSMENU, i);
}

void Demo::ConfigMenu() {
  host_.GetPluginInfo();
  int i = Menu(L"Plugins configuration", host_.pluginInfo.pluginConfigStrings);
  if (i >= 0) host_.Configure(i);
}

void Demo::ExampleFileEvent(const Key& k) {
  std::string path = tree_.root + "\\" + k.arg;
  bool ok = k.kind == Key::Create
                ? WriteExampleFile(tree_, k.arg, "From: dan@example.org\r\nSubject: New!\r\n")
                : DeleteFileA(path.c_str()) != FALSE;
  note_ = FromOem((ok ? (k.kind == Key::Create ? "Created " : "Deleted ")
                      : "Could not change ") + k.arg);
}

// Keys FAR takes before any panel sees them. False when the key is not one of them.
bool Demo::CommonKey(const Key& k, bool& keepGoing) {
  keepGoing = true;
  if (k.vk == VK_F10 && !k.control) return keepGoing = false, true;
  if (k.vk == VK_F11 && !k.control) return PluginsMenu(), true;
  if (k.vk == VK_F9 && (!k.control || k.control == (PKF_ALT | PKF_SHIFT))) return ConfigMenu(), true;
  std::string& cmd = host_.commandLine;
  if (!cmd.empty() && !k.control && (k.vk == VK_ESCAPE || k.vk == VK_RETURN || k.vk == VK_BACK)) {
    if (k.vk == VK_RETURN) note_ = L"FAR would run: " + FromOem(cmd);
    if (k.vk == VK_BACK) cmd.pop_back();
    else cmd.clear();
    return true;
  }
  // Typed characters go to FAR's command line (a blank only once something is there).
  if (k.ch && !(k.control & (PKF_CONTROL | PKF_ALT)) && (k.ch != ' ' || !cmd.empty()))
    return cmd += k.ch, true;
  return false;
}

bool Demo::PanelKey(FarHost::Panel& p, const Key& k) {
  bool keepGoing;
  if (CommonKey(k, keepGoing)) return keepGoing;
  const HostItem* cur = p.Current();
  std::string name = cur ? cur->name : std::string();
  bool file = cur && !cur->IsDirectory();
  if (p.Key(k.vk, k.control) || p.closed || k.control) return true;
  // The plugin left the key to FAR: its own action on the real file.
  static const char* const actions[] = {"opens %s in its editor", "copies %s",
                                        "renames or moves %s", "makes a folder", "deletes %s"};
  if ((k.vk == VK_RETURN || k.vk == VK_F3) && file) {
    Viewer(name);
  } else if (k.vk >= VK_F4 && k.vk <= VK_F8 && !name.empty()) {
    std::string a = actions[k.vk - VK_F4];
    if (a.find("%s") != std::string::npos) a.replace(a.find("%s"), 2, NameOf(name));
    note_ = L"F" + std::to_wstring(k.vk - VK_F1 + 1) + L": FAR " + FromOem(a);
  }
  return true;
}

bool Demo::FileKey(const Key& k) {
  bool keepGoing;
  if (CommonKey(k, keepGoing)) return keepGoing;
  FarHost::FilePanel& f = host_.filePanel;
  int n = static_cast<int>(f.items.size()), rows = term_.Height() - 7;
  if (k.control || n == 0) return true;
  const HostItem& cur = f.items[f.currentItem];
  std::string full = f.curDir + (f.curDir.back() == '\\' ? "" : "\\") + cur.name;
  switch (k.vk) {
    case VK_UP: --f.currentItem; break;
    case VK_DOWN: ++f.currentItem; break;
    case VK_HOME: f.currentItem = 0; break;
    case VK_END: f.currentItem = n - 1; break;
    case VK_PRIOR: f.currentItem -= rows - 1; break;
    case VK_NEXT: f.currentItem += rows - 1; break;
    case VK_F3:
      if (!cur.IsDirectory()) Viewer(full);
      break;
    case VK_RETURN:
      if (cur.name == "..") {
        f.curDir = FolderOf(f.curDir), f.currentItem = 0;
      } else if (cur.IsDirectory()) {
        f.curDir = full, f.currentItem = 0;
      } else if (!host_.OpenFilePlugin(full)) {
        note_ = L"No plugin opens " + FromOem(cur.name) + L": FAR would run it";
      }
      break;
    default: break;
  }
  f.currentItem = std::max(0, std::min(f.currentItem, n - 1));
  return true;
}

bool Demo::Open() {
  LoadFilePanel();
  FarHost::FilePanel& f = host_.filePanel;
  for (size_t i = 0; i < f.items.size(); ++i)
    if (f.items[i].name == NameOf(tree_.listFile)) f.currentItem = static_cast<int>(i);
  return host_.OpenFilePlugin(tree_.listFile) != nullptr;
}

int Demo::Run() {
  for (;;) {
    FarHost::Panel* p = Active();
    if (p) p->ProcessEvent(FE_REDRAW, nullptr);  // FAR tells the plugin before each redraw,
    if ((p = Active())) p->GetOpenPluginInfo();   // then asks for its title, modes and key bar
    if (!(p = Active())) LoadFilePanel();
    Screen s = Blank();
    DrawPanel(s);
    DWORD timeout = INFINITE;
    if (term_.interactive) {  // FE_IDLE: 2 s after the last update, then every 1.3 s
      DWORD now = GetTickCount();
      DWORD due = lastIdle_ > lastUpdate_ ? lastIdle_ + 1300 : lastUpdate_ + 2000;
      timeout = p ? (due > now ? due - now : 0) : 1000;
    }
    Key k = Read(s, timeout);
    if (k.kind == Key::End || quit_) return 0;
    if (k.kind == Key::Idle) {
      if ((p = Active())) p->ProcessEvent(FE_IDLE, nullptr);
      lastIdle_ = GetTickCount();
      continue;
    }
    note_.clear();
    lastUpdate_ = GetTickCount();
    if (k.kind == Key::Create || k.kind == Key::Remove) {
      ExampleFileEvent(k);
      continue;
    }
    if (!((p = Active()) ? PanelKey(*p, k) : FileKey(k)) || quit_) return 0;
  }
}

void Usage() {
  std::printf(
      "Usage: quenby_demo [--script \"KEYS\" | --play] [--dll PATH] [--lang English|Russian]\n"
      "                   [--size WxH]\n"
      "Runs quenby.dll in a terminal FAR stand-in on an example list. Interactive on a console;\n"
      "with --script, --play, or keys on standard input, every screen is printed as text.\n"
      "Keys: Up Down PgUp PgDn Home End Enter CtrlEnter Esc Tab ShiftTab Space BS F1..F12, any of\n"
      "them with Ctrl/Alt/Shift (AltShiftF9), \"text\" to type, Wait (FAR's idle event),\n"
      "Create:PATH and Remove:PATH (a file below the example tree changes).\n"
      "On the panel: F8 About, F9 or Alt+Shift+F9 configuration, F11 plugins menu, F10 quit.\n"
      "Without keys --play runs: %s\n",
      DefaultPlay);
}

}  // namespace

int main(int argc, char** argv) {
  std::string dll = FarHost::DllInFolder(QUENBY_PLUGIN_DIR), language = "English", script;
  bool haveScript = false;
  int width = 80, height = 25;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    bool more = i + 1 < argc;
    if (a == "--script" && more) script = argv[++i], haveScript = true;
    else if (a == "--play") script = DefaultPlay, haveScript = true;
    else if (a == "--dll" && more) dll = argv[++i];
    else if (a == "--lang" && more) language = argv[++i];
    else if (a == "--size" && more) std::sscanf(argv[++i], "%dx%d", &width, &height);
    else return Usage(), a == "--help" || a == "-h" ? 0 : 2;
  }
  Terminal term;
  if (!haveScript && !term.interactive) {  // keys on standard input, the default play if none
    HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
    char buf[4096];
    DWORD got = 0;
    while (in != INVALID_HANDLE_VALUE && ReadFile(in, buf, sizeof buf, &got, nullptr) && got)
      script.append(buf, got);
    if (script.find_first_not_of(" \t\r\n") == std::string::npos) script = DefaultPlay;
    haveScript = true;
  }
  if (haveScript) {
    term.SetScript(script);
    term.SetSize(std::max(60, std::min(width, 200)), std::max(20, std::min(height, 100)));
  }

  const std::string keyParent = "Software\\QuenbyDemo";
  RemoveStaleExamples(keyParent);
  FarHost::Options options;
  options.dllPath = dll;
  options.rootKey = keyParent + "\\" + std::to_string(GetCurrentProcessId()) + "\\Plugins";
  options.language = language;
  FarHost host(options);
  char startDir[MAX_PATH] = "";
  GetCurrentDirectoryA(MAX_PATH, startDir);
  ExampleTree tree;
  int rc = 0;
  if (!MakeExampleTree(tree)) {
    std::fprintf(stderr, "Cannot write the example tree below the temporary folder\n");
    rc = 1;
  } else {
    // What the user would have set in the configuration dialog: Enter on a .VFS file opens it,
    // and entries without content show as hidden folders.
    host.WriteString("FileSystemFile", tree.listFile);
    host.WriteValue("FileSystemExt", REG_BINARY, "VFS", 3);  // the setting is a 3-byte block
    host.WriteDword("ShowAllFolders", 1);
    if (!host.LoadAndStart()) {
      std::fprintf(stderr, "Cannot load %s: %s\n", dll.c_str(), host.lastError.c_str());
      rc = 1;
    } else {
      Demo demo(host, term, tree);
      host.onMessage = [&demo](MessageCall& m) {
        try {
          m.answer = demo.MessageBox(m);
        } catch (...) {
          m.answer = -1;
        }
      };
      // FAR's error box when a close text names no folder; the panel stays where it was.
      host.onChangeDirError = [&demo](const std::string& text, const std::string& reason) {
        MessageCall box;
        box.flags = FMSG_WARNING;
        box.items = {"Error", reason, text, "Ok"};
        box.buttonsNumber = 1;
        try {
          demo.MessageBox(box);
        } catch (...) {
        }
      };
      host.dialogAnswer = [&demo](std::vector<FarDialogItem>& items) {
        try {
          return demo.Dialog(items);
        } catch (...) {
          return -1;
        }
      };
      host.GetPluginInfo();
      host.filePanel.curDir = tree.root;
      if (!demo.Open()) {
        std::fprintf(stderr, "The plugin did not open %s\n", tree.listFile.c_str());
        rc = 1;
      } else {
        rc = demo.Run();
      }
      host.Shutdown();
    }
  }
  term.Restore();
  SetCurrentDirectoryA(startDir);
  RemoveExampleTree(tree);
  host.DeleteRootKey();
  for (const std::string& f : host.failures) std::fprintf(stderr, "host check failed: %s\n", f.c_str());
  return host.failures.empty() ? rc : 3;
}
