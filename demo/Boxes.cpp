// FAR's message box, dialog and menu, placed, coloured and shadowed as FAR 1.75 does.
#include "Boxes.h"

#include <algorithm>
#include <cstring>

#include "Layout.h"

void WindowBackground(Screen& s, int x1, int y1, int x2, int y2, WORD attr) {
  for (int y = y1; y <= y2; ++y) s.Fill(x1, y, x2 - x1 + 1, L' ', attr);
  s.Shadow(x2 + 1, y1 + 1, x2 + 2, y2 + 1);
  s.Shadow(x1 + 2, y2 + 1, x2, y2 + 1);
}

namespace {

void PutTitle(Screen& s, int x1, int x2, int y, const std::wstring& text, WORD attr) {
  if (text.empty()) return;
  std::wstring t = L" " + text + L" ";
  s.Put(x1 + (x2 - x1 + 1 - static_cast<int>(t.size())) / 2, y, t, attr);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Message

namespace {

// FAR's message box: as wide as its longest line, centred, the buttons on the last row.
struct MessageLayout {
  std::vector<std::string> lines, buttons;
  std::wstring row;     // the buttons: a blank on either side of each, one blank between them
  std::vector<int> at;  // where each button starts in the row

  explicit MessageLayout(const MessageCall& m) : lines(m.Lines()), buttons(m.Buttons()) {
    for (size_t b = 0; b < buttons.size(); ++b) {
      if (b) row += L" ";
      at.push_back(static_cast<int>(row.size()));
      row += L" " + FromOem(buttons[b]) + L" ";
    }
  }

  void Draw(Screen& s, const MessageCall& m, int focus) const {
    const bool warning = (m.flags & FMSG_WARNING) != 0;
    const WORD attr = warning ? Color::Warning : Color::Dialog;
    int maxLength = std::max<int>(row.size(), m.Title().size() + 2);
    for (const std::string& l : lines) maxLength = std::max<int>(maxLength, l.size());
    maxLength = std::min(maxLength, s.W - 16);
    int h = static_cast<int>(lines.size()) + (buttons.empty() ? 4 : 5);
    int x1 = (s.W - 1 - maxLength) / 2 - 4, x2 = x1 + maxLength + 9;
    int y1 = (s.H - 1 - h) / 2, y2 = y1 + h - 1;
    WindowBackground(s, x1, y1, x2, y2, attr);
    s.Frame(x1 + 3, y1 + 1, x2 - 3, y2 - 1, attr, true);
    PutTitle(s, x1 + 3, x2 - 3, y1 + 1, FromOem(m.Title()), attr);
    const int inner = x1 + 4, width = maxLength + 2;
    for (size_t i = 0; i < lines.size(); ++i) {
      int y = y1 + 2 + static_cast<int>(i);
      if (!lines[i].empty() && lines[i][0] == '\x01') {  // a separator, with a text or without
        s.Separator(x1 + 3, x2 - 3, y, attr, FromOem(lines[i].substr(1)));
        continue;
      }
      std::wstring t = FromOem(lines[i]).substr(0, width);
      bool left = (m.flags & FMSG_LEFTALIGN) != 0;
      s.Put(left ? inner + 1 : inner + (width - static_cast<int>(t.size())) / 2, y, t, attr);
    }
    if (buttons.empty()) return;
    int bx = inner + (width - static_cast<int>(row.size())) / 2, by = y2 - 2;
    s.Put(bx, by, row, attr);
    s.Paint(bx + at[focus], by, static_cast<int>(FromOem(buttons[focus]).size()) + 2,
            warning ? Color::WarningButton : Color::DialogButton);
  }
};

}  // namespace

int ShowMessage(ModalHost& host, const MessageCall& m) {
  const MessageLayout box(m);
  const int n = static_cast<int>(box.buttons.size());
  int focus = 0;
  for (;;) {
    Screen s = host.Background();
    box.Draw(s, m, focus);
    if (n == 0) {  // FAR leaves such a box on the screen and returns at once
      host.Show(s);
      return -1;
    }
    Key k = host.Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || (k.control & ~PKF_SHIFT)) continue;
    if (k.vk == VK_F1 && !m.helpTopicNull) host.Help(m.helpTopic);
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN || k.vk == VK_SPACE) return focus;
    if (k.vk == VK_RIGHT || (k.vk == VK_TAB && !k.control)) focus = (focus + 1) % n;
    if (k.vk == VK_LEFT || (k.vk == VK_TAB && k.control)) focus = (focus + n - 1) % n;
  }
}

// ---------------------------------------------------------------------------------------------
// Dialog

namespace {

bool Focusable(const FarDialogItem& it) {
  int t = it.Type;
  return t == DI_EDIT || t == DI_FIXEDIT || t == DI_PSWEDIT || t == DI_CHECKBOX ||
         t == DI_RADIOBUTTON || t == DI_BUTTON;
}

bool IsEdit(const FarDialogItem& it) {
  return it.Type == DI_EDIT || it.Type == DI_FIXEDIT || it.Type == DI_PSWEDIT;
}

std::wstring ItemText(const FarDialogItem& it) {
  std::string t(it.Data, strnlen(it.Data, sizeof it.Data));
  if (!(it.Flags & DIF_SHOWAMPERSAND) && !IsEdit(it))
    t.erase(std::remove(t.begin(), t.end(), '&'), t.end());
  return FromOem(t);
}

void DrawItem(Screen& s, const std::vector<FarDialogItem>& items, int i, int ox, int oy, int width,
              bool focused) {
  const FarDialogItem& it = items[i];
  int x = ox + it.X1, y = oy + it.Y1;
  std::wstring t = ItemText(it);
  switch (it.Type) {
    case DI_DOUBLEBOX:
    case DI_SINGLEBOX:
      s.Frame(x, y, ox + it.X2, oy + it.Y2, Color::Dialog, it.Type == DI_DOUBLEBOX);
      PutTitle(s, x, ox + it.X2, y, t, Color::Dialog);
      break;
    case DI_TEXT:
      if (it.Flags & DIF_SEPARATOR) {
        const FarDialogItem* box = nullptr;
        for (const FarDialogItem& b : items)
          if (!box && (b.Type == DI_DOUBLEBOX || b.Type == DI_SINGLEBOX)) box = &b;
        s.Separator(ox + (box ? box->X1 : 0), ox + (box ? box->X2 : width - 1), y, Color::Dialog,
                    t);
      } else {
        s.Put(it.X1 < 0 ? ox + (width - static_cast<int>(t.size())) / 2 : x, y, t, Color::Dialog);
      }
      break;
    case DI_CHECKBOX:
      s.Put(x, y, std::wstring(it.Selected ? L"[x] " : L"[ ] ") + t, Color::Dialog);
      break;
    case DI_RADIOBUTTON:
      s.Put(x, y, std::wstring(it.Selected ? L"(\x2022) " : L"( ) ") + t, Color::Dialog);
      break;
    case DI_EDIT:
    case DI_FIXEDIT:
    case DI_PSWEDIT: {
      int fw = std::max(1, it.X2 - it.X1 + 1);
      if (it.Type == DI_PSWEDIT) t.assign(t.size(), L'*');
      if (static_cast<int>(t.size()) > fw) t = t.substr(t.size() - fw);
      s.Put(x, y, Fit(t, fw), Color::DialogEdit);
      break;
    }
    case DI_BUTTON: {
      std::wstring b = (it.Flags & DIF_NOBRACKETS) ? t : L"[ " + t + L" ]";
      s.Put(x, y, b, focused ? Color::DialogButton : Color::Dialog);
      break;
    }
    default:
      break;
  }
}

// An edit key on the focused field; `fresh`: the first character typed replaces the text.
void EditKey(FarDialogItem& it, const Key& k, bool& fresh) {
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

}  // namespace

int ShowDialog(ModalHost& host, std::vector<FarDialogItem>& items, int x1, int y1, int x2, int y2,
               const std::string& helpTopic) {
  const int n = static_cast<int>(items.size());
  int focus = -1;
  for (int i = 0; i < n; ++i)
    if (focus < 0 && items[i].Focus && Focusable(items[i])) focus = i;
  for (int i = 0; i < n && focus < 0; ++i)
    if (Focusable(items[i])) focus = i;
  bool fresh = true;
  for (;;) {
    Screen s = host.Background();
    int w = x1 < 0 ? x2 : x2 - x1 + 1, h = y1 < 0 ? y2 : y2 - y1 + 1;
    w = std::min(w, s.W), h = std::min(h, s.H);
    const int ox = x1 < 0 ? (s.W - w) / 2 : x1, oy = y1 < 0 ? (s.H - h) / 2 : y1;
    WindowBackground(s, ox, oy, ox + w - 1, oy + h - 1, Color::Dialog);
    for (int i = 0; i < n; ++i) DrawItem(s, items, i, ox, oy, w, i == focus);
    Key k = host.Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || focus < 0) continue;
    FarDialogItem& it = items[focus];
    if (k.vk == VK_F1 && !k.control) {
      host.Help(helpTopic);
      continue;
    }
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN && !k.control) {
      if (it.Type == DI_BUTTON) return focus;
      for (int i = 0; i < n; ++i)
        if (items[i].DefaultButton) return i;
      return focus;
    }
    int step = (k.vk == VK_TAB && !(k.control & PKF_SHIFT)) || k.vk == VK_DOWN ? 1
               : (k.vk == VK_TAB || k.vk == VK_UP)                             ? -1
                                                                               : 0;
    if (step) {
      do focus = (focus + step + n) % n;
      while (!Focusable(items[focus]));
      fresh = true;
      continue;
    }
    if (k.vk == VK_SPACE && !IsEdit(it)) {
      if (it.Type == DI_CHECKBOX) it.Selected = !it.Selected;
      if (it.Type == DI_RADIOBUTTON) it.Selected = 1;
      if (it.Type == DI_BUTTON) return focus;
      continue;
    }
    if (IsEdit(it)) EditKey(it, k, fresh);
  }
}

// ---------------------------------------------------------------------------------------------
// Menu

namespace {

struct MenuLine {
  std::wstring text;  // without the '&'
  int hot = -1;       // index of the hot key character
  bool separator = false;
};

MenuLine ParseItem(const std::wstring& item, bool autoHighlight) {
  MenuLine l;
  if (item == L"-") return l.separator = true, l;
  for (size_t i = 0; i < item.size(); ++i) {
    if (item[i] == L'&' && i + 1 < item.size() && l.hot < 0) {
      l.hot = static_cast<int>(l.text.size());
      continue;
    }
    l.text += item[i];
  }
  if (l.hot < 0 && autoHighlight)
    for (size_t i = 0; i < l.text.size() && l.hot < 0; ++i)
      if (iswalnum(l.text[i])) l.hot = static_cast<int>(i);
  return l;
}

}  // namespace

int ShowMenu(ModalHost& host, const MenuSpec& menu) {
  std::vector<MenuLine> lines;
  int textWidth = std::max<int>(menu.title.size(), menu.bottom.size()) + 2;
  for (const std::wstring& item : menu.items) {
    lines.push_back(ParseItem(item, menu.autoHighlight));
    textWidth = std::max<int>(textWidth, lines.back().text.size());
  }
  const int n = static_cast<int>(lines.size());
  int focus = std::max(0, std::min(menu.selected, n - 1));
  for (;;) {
    Screen s = host.Background();
    const int fw = textWidth + 5, fh = n + 2;
    const int x1 = menu.x < 0 ? (s.W - 1 - fw) / 2 : menu.x;
    const int y1 = menu.y < 0 ? (s.H - 1 - fh) / 2 : menu.y;
    const int x2 = x1 + fw - 1, y2 = y1 + fh - 1;
    WindowBackground(s, x1 - 2, y1 - 1, x2 + 2, y2 + 1, Color::Menu);
    s.Frame(x1, y1, x2, y2, Color::Menu, true);
    PutTitle(s, x1, x2, y1, menu.title, Color::Menu);
    PutTitle(s, x1, x2, y2, menu.bottom, Color::Menu);
    for (int i = 0; i < n; ++i) {
      int y = y1 + 1 + i;
      if (lines[i].separator) {
        s.Separator(x1, x2, y, Color::Menu);
        for (int x = x1 + 1; x < x2; ++x)
          if (i > 0 && s.CharAt(x, y - 1) == Glyph::SV) s.SetChar(x, y, Glyph::SUp);
        continue;
      }
      bool sel = i == focus;
      s.Put(x1 + 1, y, L"  " + Fit(lines[i].text, textWidth) + L" ",
            sel ? Color::MenuSelected : Color::Menu);
      if (lines[i].hot >= 0)
        s.Paint(x1 + 3 + lines[i].hot, y, 1, sel ? Color::MenuSelectedHotkey : Color::MenuHotkey);
    }
    Key k = host.Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || k.control) continue;
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN) return n ? focus : -1;
    int step = k.vk == VK_UP ? -1 : k.vk == VK_DOWN ? 1 : 0;
    if (k.vk == VK_HOME) focus = 0, step = 0;
    if (k.vk == VK_END) focus = n - 1, step = 0;
    if (step)
      for (int tries = 0; tries < n; ++tries) {
        focus = (focus + step + n) % n;
        if (!lines[focus].separator) break;
      }
    for (int i = 0; i < n && k.ch; ++i)  // a hot key chooses its item at once
      if (lines[i].hot >= 0 &&
          towupper(lines[i].text[lines[i].hot]) == towupper(static_cast<wchar_t>(k.ch)))
        return i;
  }
}
