// FAR's message box, dialog and menu, placed, coloured and shadowed as FAR 1.75 does.
#include "Boxes.h"

#include <algorithm>
#include <cstring>

#include "Dialog.h"
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

// FAR's Message as far/message.cpp builds it: a dialog as wide as its longest line, the lines
// centred (or from column 5), the buttons a centred group without brackets, the first focused.
std::vector<DialogItem> MessageItems(const MessageCall& m, int scrX, int scrY, DialogLook& look) {
  const std::vector<std::string> lines = m.Lines(), buttons = m.Buttons();
  const std::string title = m.Title();
  const int count = static_cast<int>(lines.size());
  int maxLength = 0;
  for (const std::string& b : buttons) {
    maxLength += static_cast<int>(b.size() - std::count(b.begin(), b.end(), '&')) + 2;
  }
  for (const std::string& l : lines) maxLength = std::max<int>(maxLength, l.size());
  if (!title.empty()) maxLength = std::max<int>(maxLength, title.size() + 2);
  maxLength = std::min(maxLength, scrX - 13);
  int x1 = (scrX - maxLength) / 2 - 4, x2 = x1 + maxLength + 9;
  int y1 = std::max(0, (scrY - count) / 2 - 2);
  if (m.flags & FMSG_DOWN) {
    int down = scrY / 2 - 4;
    y1 = y1 + count + 3 < scrY && down > y1 + 2 ? down : y1 + 2;
  }
  int y2 = y1 + count + 3 + (buttons.empty() ? 0 : 1);
  look.x1 = x1, look.y1 = y1, look.width = x2 - x1 + 1, look.height = y2 - y1 + 1;
  look.warning = (m.flags & FMSG_WARNING) != 0;
  look.hasHelp = !m.helpTopicNull, look.helpTopic = m.helpTopic;

  std::vector<DialogItem> items(1);
  items[0].type = DI_DOUBLEBOX;
  items[0].x1 = 3, items[0].y1 = 1, items[0].x2 = x2 - x1 - 3, items[0].y2 = y2 - y1 - 1;
  items[0].data = title;
  for (int i = 0; i < count; ++i) {
    DialogItem t;
    t.x1 = (m.flags & FMSG_LEFTALIGN) ? 5 : -1, t.y1 = i + 2;
    t.flags = DIF_SHOWAMPERSAND;
    t.data = lines[i].substr(0, maxLength);
    if (!t.data.empty() && (t.data[0] == '\x01' || t.data[0] == '\x02')) {
      t.flags |= DIF_BOXCOLOR | DIF_SEPARATOR;
      t.data.erase(0, 1);
    }
    items.push_back(t);
  }
  for (size_t b = 0; b < buttons.size(); ++b) {
    DialogItem button;
    button.type = DI_BUTTON;
    button.y1 = y2 - y1 - 2;
    button.flags = DIF_CENTERGROUP | DIF_NOBRACKETS;
    button.data = " " + buttons[b] + " ";
    button.focus = button.defaultButton = b == 0;
    items.push_back(button);
  }
  return items;
}

}  // namespace

int ShowMessage(ModalHost& host, const MessageCall& m) {
  Screen s = host.Background();
  DialogLook look;
  std::vector<DialogItem> items = MessageItems(m, s.W - 1, s.H - 1, look);
  if (m.Buttons().empty()) {  // FAR leaves such a box on the screen and returns at once
    DrawDialog(s, items, look);
    host.Show(s);
    return -1;
  }
  int chosen = RunDialog(host, items, look);
  int first = static_cast<int>(items.size() - m.Buttons().size());
  return chosen < 0 ? -1 : chosen - first;
}

// ---------------------------------------------------------------------------------------------
// Dialog

int ShowDialog(ModalHost& host, std::vector<FarDialogItem>& items, int x1, int y1, int x2, int y2,
               const std::string& helpTopic) {
  std::vector<DialogItem> dialog = FromPlugin(items);
  DialogLook look;
  look.x1 = x1, look.y1 = y1;  // FAR's SetPosition: each of them -1 to centre that way
  look.width = x1 >= 0 ? x2 - x1 + 1 : x2, look.height = y1 >= 0 ? y2 - y1 + 1 : y2;
  look.helpTopic = helpTopic, look.hasHelp = true;
  int chosen = RunDialog(host, dialog, look);
  ToPlugin(dialog, items);
  return chosen;
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
    // FAR's VMenu: MaxLength (at most ScrX - 8) plus two blanks and the frame on either side,
    // X1 = (ScrX - MaxLength - 4) / 2.
    const int maxLength = std::min(textWidth, s.W - 9);
    const int fw = maxLength + 5, fh = n + 2, scrX = s.W - 1;
    int x1 = menu.x < 0 ? (s.W - fw) / 2 : menu.x, x2 = x1 + fw - 1;
    if (menu.x >= 0 && x2 > scrX - 4 + (menu.shortBox ? 2 : 0)) {  // FAR moves it left
      x1 += scrX - 4 - x2, x2 = scrX - 4;
      if (x1 < 2) x1 = 2, x2 = scrX - 2;
    }
    const int y1 = menu.y < 0 ? (s.H - 1 - fh) / 2 : menu.y, y2 = y1 + fh - 1;
    if (menu.shortBox)
      WindowBackground(s, x1, y1, x2, y2, Color::Menu);
    else
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
      bool checked = i < static_cast<int>(menu.checked.size()) && menu.checked[i];
      s.Put(x1 + 1, y, (checked ? L"\x221A " : L"  ") + Fit(lines[i].text, maxLength) + L" ",
            sel ? Color::MenuSelected : Color::Menu);
      if (lines[i].hot >= 0)
        s.Paint(x1 + 3 + lines[i].hot, y, 1, sel ? Color::MenuSelectedHotkey : Color::MenuHotkey);
    }
    Key k = host.Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || k.control) continue;
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return -1;
    if (k.vk == VK_RETURN) return n ? focus : -1;
    if (k.vk == VK_F4 && menu.f4Item && n) return *menu.f4Item = focus, -1;
    if ((k.vk == VK_LEFT || k.vk == VK_RIGHT) && menu.side)
      return *menu.side = k.vk == VK_LEFT ? -1 : 1, -1;
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
