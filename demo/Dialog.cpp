// FAR's dialog as far/dialog.cpp draws it and answers keys, in FAR 1.75's default colours.
#include "Dialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "Layout.h"

namespace {

// FAR 1.75's dialog palette: the normal and the warning style.
struct Palette {
  WORD text, hot, button, focusedButton, focusedHot, disabled;
};
const Palette Normal{0x70, 0x7E, 0x70, 0x30, 0x3E, 0x78};
const Palette Warning{0x4F, 0x4E, 0x4F, 0x70, 0x7E, 0x48};
const WORD EditText = 0x30, EditUnchanged = 0x38, EditDisabled = 0x38;

bool IsEdit(int type) {
  return type == DI_EDIT || type == DI_FIXEDIT || type == DI_PSWEDIT || type == DialogItem::Combo;
}

bool Focusable(const DialogItem& it) {
  int t = it.type;
  bool kind = IsEdit(t) || t == DI_CHECKBOX || t == DI_RADIOBUTTON || t == DI_BUTTON;
  return kind && !it.disabled && !it.hidden;
}

// FAR's HiStrlen: the length shown, a single '&' not counted.
int ShownLength(const DialogItem& it, const std::string& text) {
  if (it.flags & DIF_SHOWAMPERSAND) return static_cast<int>(text.size());
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i, ++n)
    if (text[i] == '&' && i + 1 < text.size()) ++i;
  return n;
}

// FAR's HiText: the character after '&' in the hot colour ("&&" is one '&'). Returns the width.
int PutHot(Screen& s, int x, int y, const std::string& text, WORD attr, WORD hot, bool plain) {
  int n = 0;
  for (size_t i = 0; i < text.size(); ++i, ++n) {
    bool mark = !plain && text[i] == '&' && i + 1 < text.size();
    if (mark) ++i;
    s.Put(x + n, y, FromOem(text.substr(i, 1)), mark && text[i] != '&' ? hot : attr);
  }
  return n;
}

// Brackets FAR adds to a button, as InitDialogObjects does.
std::string ButtonText(const DialogItem& it) {
  if ((it.flags & DIF_NOBRACKETS) || (!it.data.empty() && it.data[0] == '[')) return it.data;
  return "[ " + it.data + " ]";
}

// Consecutive DIF_CENTERGROUP items on one row are centred together (ProcessCenterGroup): a
// bracketed button or a check box keeps two blanks from its neighbour.
void CentreGroups(std::vector<DialogItem>& items, int width) {
  auto gap = [](const DialogItem& it) {
    if (!it.data.empty() && it.data[0] == ' ') return 0;
    return it.type == DI_BUTTON ? 2 : (it.type == DI_CHECKBOX || it.type == DI_RADIOBUTTON) ? 5 : 0;
  };
  auto length = [](const DialogItem& it) {
    return ShownLength(it, it.type == DI_BUTTON ? ButtonText(it) : it.data);
  };
  const size_t n = items.size();
  for (size_t i = 0; i < n; ++i) {
    const DialogItem& first = items[i];
    if (!(first.flags & DIF_CENTERGROUP)) continue;
    if (i > 0 && (items[i - 1].flags & DIF_CENTERGROUP) && items[i - 1].y1 == first.y1) continue;
    size_t end = i;
    int total = 0;
    for (; end < n && (items[end].flags & DIF_CENTERGROUP) && items[end].y1 == first.y1; ++end)
      total += length(items[end]) + gap(items[end]);
    if (first.type == DI_BUTTON) total -= gap(first);
    int x = std::max(0, (width - total) / 2);
    for (size_t j = i; j < end; ++j) {
      items[j].x1 = x;
      x += length(items[j]) + gap(items[j]);
      items[j].x2 = x - 1;
    }
  }
}

void DrawEdit(Screen& s, const DialogItem& it, int x, int y, const Palette& p) {
  int width = std::max(1, it.x2 - it.x1 + 1);
  std::wstring t = FromOem(it.data);
  if (it.type == DI_PSWEDIT) t.assign(t.size(), L'*');
  if (static_cast<int>(t.size()) > width)  // the cursor at the end of a focused one
    t = it.focus ? t.substr(t.size() - width) : t.substr(0, width);
  WORD attr = it.textColour ? p.text : it.disabled ? EditDisabled : EditText;
  s.Put(x, y, Fit(L"", width), attr);
  bool grey = it.disabled || (it.unchanged && it.type != DI_FIXEDIT);
  s.Put(x, y, t, it.textColour ? p.text : grey ? EditUnchanged : EditText);
  if (it.history || it.type == DialogItem::Combo) s.Put(x + width, y, L"\x2193", p.text);
}

void DrawItem(Screen& s, const DialogItem& it, int ox, int oy, int w, const Palette& pal) {
  const bool plain = (it.flags & DIF_SHOWAMPERSAND) != 0;
  const WORD text = it.disabled ? pal.disabled : pal.text;
  const WORD hot = it.disabled ? pal.disabled : pal.hot;
  int x = ox + it.x1, y = oy + it.y1;
  switch (it.type) {
    case DI_DOUBLEBOX:
    case DI_SINGLEBOX: {
      s.Frame(x, y, ox + it.x2, oy + it.y2, text, it.type == DI_DOUBLEBOX);
      if (it.data.empty()) break;
      std::string t = " " + it.data + " ";
      int cw = it.x2 - it.x1 + 1;
      PutHot(s, x + (cw - ShownLength(it, t)) / 2, y, t, text, hot, plain);
      break;
    }
    case DI_TEXT: {
      int len = ShownLength(it, it.data);
      bool separator = (it.flags & DIF_SEPARATOR) != 0;
      if (separator) s.Separator(ox + 3, ox + w - 4, y, text);
      int tx = it.x1 == -1 || separator ? ox + (w - len) / 2 : x;
      if (it.centreText && !separator) tx = x + (it.x2 - it.x1 + 1 - len) / 2;
      PutHot(s, tx, y, it.data, text, hot, plain);
      break;
    }
    case DI_CHECKBOX:
    case DI_RADIOBUTTON: {
      std::wstring mark = it.type == DI_CHECKBOX ? (it.selected ? L"[x]" : L"[ ]")
                                                 : (it.selected ? L"(\x2022)" : L"( )");
      if (!it.data.empty()) mark += L" ";
      s.Put(x, y, mark, text);
      PutHot(s, x + static_cast<int>(mark.size()), y, it.data, text, hot, plain);
      break;
    }
    case DI_BUTTON:
      PutHot(s, x, y, ButtonText(it),
             it.focus      ? pal.focusedButton
             : it.disabled ? pal.disabled
                           : pal.button,
             it.focus ? pal.focusedHot : hot, plain);
      break;
    case DI_EDIT:
    case DI_FIXEDIT:
    case DI_PSWEDIT:
    case DialogItem::Combo:
      DrawEdit(s, it, x, y, pal);
      break;
    default:
      break;
  }
}

// An edit key on the focused field: the first character typed replaces an unchanged text.
void EditKey(DialogItem& it, const Key& k) {
  size_t limit = it.type == DI_FIXEDIT ? std::max(1, it.x2 - it.x1 + 1) : 511;
  if (it.type == DialogItem::Combo || it.readOnly) return;  // a drop-down list takes no typing
  if (k.vk == VK_BACK && !k.control) {
    if (!it.data.empty()) it.data.pop_back();
  } else if (k.vk == 'Y' && k.control == PKF_CONTROL) {
    it.data.clear();
  } else if (k.ch && !(k.control & (PKF_CONTROL | PKF_ALT))) {
    if (it.unchanged) it.data.clear();
    if (it.data.size() < limit) it.data += k.ch;
  } else {
    return;  // cursor keys keep the text, and FAR's clear flag with it
  }
  it.unchanged = false;
}

// FAR's ChangeFocus: the next item in order that takes the focus; Tab passes over the radio
// buttons of a group that are not chosen.
int Step(const std::vector<DialogItem>& items, int from, int step, bool skipGroup = false) {
  const int n = static_cast<int>(items.size());
  int i = from;
  for (int tries = 0; tries < n; ++tries) {
    i = (i + step + n) % n;
    bool passed = skipGroup && items[i].type == DI_RADIOBUTTON && !items[i].selected;
    if (Focusable(items[i]) && !passed) return i;
  }
  return from;
}

// Left and Right off an edit: the nearest edit, check box or radio button on the same row that
// way, as FAR looks for it; -1 when there is none (FAR then moves as Up and Down do).
int Beside(const std::vector<DialogItem>& items, int from, int direction) {
  int best = -1, bestDistance = 1000;
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const DialogItem& it = items[i];
    bool kind = IsEdit(it.type) || it.type == DI_CHECKBOX || it.type == DI_RADIOBUTTON;
    int distance = (it.x1 - items[from].x1) * direction;
    if (i != from && kind && !it.disabled && it.y1 == items[from].y1 && distance > 0 &&
        distance < bestDistance)
      best = i, bestDistance = distance;
  }
  return best;
}

// Space on a radio button: it is chosen, the others of its group (from a DIF_GROUP item on,
// through the radio buttons that follow) are not.
void ChooseRadio(std::vector<DialogItem>& items, int i) {
  int first = i;
  while (first > 0 && !(items[first].flags & DIF_GROUP) && items[first - 1].type == DI_RADIOBUTTON)
    --first;
  for (int j = first; j < static_cast<int>(items.size()) && items[j].type == DI_RADIOBUTTON; ++j) {
    if (j > first && (items[j].flags & DIF_GROUP)) break;
    items[j].selected = j == i;
  }
}

// FAR's ProcessHighlighting: the item whose hot key is `letter`; a text or frame hands the focus
// to the item after it (to the edit before it when it stands on the edit's row). -1 for none.
int HotItem(const std::vector<DialogItem>& items, char letter) {
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const DialogItem& it = items[i];
    if ((IsEdit(it.type) && it.type != DialogItem::Combo) || it.disabled || it.hidden ||
        (it.flags & DIF_SHOWAMPERSAND))
      continue;
    size_t amp = it.data.find('&');
    if (amp == std::string::npos || amp + 1 >= it.data.size()) continue;
    if (toupper(static_cast<unsigned char>(it.data[amp + 1])) != letter) continue;
    bool label = it.type == DI_TEXT || it.type == DI_SINGLEBOX || it.type == DI_DOUBLEBOX;
    if (!label) return i;
    bool afterEdit = i > 0 && IsEdit(items[i - 1].type) && items[i - 1].y1 == it.y1;
    return Step(items, i, afterEdit ? -1 : 1);
  }
  return -1;
}

int DefaultButton(const std::vector<DialogItem>& items) {
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].defaultButton) return static_cast<int>(i);
  return -1;
}

}  // namespace

// FAR checks the coordinates twice (Dialog::InitDialog): the first pass centres, and the items
// are placed against it; the second, with x1 and y1 set, gives the size back to the rectangle.
Rect PlaceDialog(const DialogLook& look, int screenW, int screenH, int* groupWidth) {
  const int scrX = screenW - 1, scrY = screenH - 1;
  int x1 = look.x1, y1 = look.y1;
  int x2 = x1 >= 0 ? x1 + look.width - 1 : look.width;
  int y2 = y1 >= 0 ? y1 + look.height - 1 : look.height;
  if (x2 > scrX && x1 != -1 && x2 - x1 + 1 < scrX) {  // moved left onto the screen
    int d = x2 - scrX;
    x1 -= d, x2 -= d;
  }
  if (x1 < 0) {  // centred: x2 holds the width
    x1 = (scrX - x2 + 1) / 2;
    if (x1 <= 0)
      x1 = 0;  // x2 keeps the width: one column more until the second pass
    else
      x2 += x1 - 1;
  }
  if (y1 < 0) {
    y1 = (scrY - y2 + 1) / 2;
    if (y1 > 5) --y1;  // centred low, a row higher (all but FAR's "small" dialogs, none here)
    if (y1 < 0) y1 = 0;
  }
  if (groupWidth) *groupWidth = x2 - x1 + 1;
  return Rect{x1, y1, x1 + look.width - 1, y1 + look.height - 1};
}

Rect DrawDialog(Screen& s, std::vector<DialogItem>& items, const DialogLook& look) {
  int groupWidth = look.width;
  const Rect r = PlaceDialog(look, s.W, s.H, &groupWidth);
  CentreGroups(items, groupWidth);
  const Palette& pal = look.warning ? Warning : Normal;
  WindowBackground(s, r.x1, r.y1, r.x2, r.y2, pal.text);
  for (const DialogItem& it : items)
    if (!it.hidden) DrawItem(s, it, r.x1, r.y1, look.width, pal);
  return r;
}

int RunDialog(ModalHost& host, std::vector<DialogItem>& items, const DialogLook& look) {
  const int n = static_cast<int>(items.size());
  int focus = -1;
  for (int i = 0; i < n && focus < 0; ++i)
    if (items[i].focus && Focusable(items[i])) focus = i;
  for (int i = 0; i < n && focus < 0; ++i)
    if (Focusable(items[i])) focus = i;
  for (;;) {
    for (int i = 0; i < n; ++i) items[i].focus = i == focus;
    Screen s = host.Background();
    DrawDialog(s, items, look);
    Key k = host.Read(s);
    if (k.kind == Key::End) return -1;
    if (k.kind != Key::Press || focus < 0) continue;
    DialogItem& it = items[focus];
    const bool edit = IsEdit(it.type);
    if (k.Is(VK_F1)) {
      if (look.hasHelp) host.Help(look.helpTopic);
      continue;
    }
    if (k.Is(VK_ESCAPE) || (k.Is(VK_F10) && !look.f10Taken)) return -1;
    if (k.Is(VK_RETURN) || k.Is(VK_RETURN, PKF_CONTROL)) {
      int chosen = it.type == DI_BUTTON && k.control == 0 ? focus : DefaultButton(items);
      if (chosen < 0) chosen = focus;
      if (items[chosen].type == DI_BUTTON && items[chosen].noClose) continue;
      return chosen;
    }
    // Hot keys: with Alt, or alone while no edit has the focus.
    bool named = (k.vk >= 'A' && k.vk <= 'Z') || (k.vk >= '0' && k.vk <= '9');
    char letter = static_cast<char>(toupper(static_cast<unsigned char>(k.ch)));
    if (!k.ch && named) letter = static_cast<char>(k.vk);
    bool hotKey = isalnum(static_cast<unsigned char>(letter)) &&
                  (k.control == PKF_ALT || (!edit && (k.control & ~PKF_SHIFT) == 0));
    if (hotKey && HotItem(items, letter) >= 0) {
      focus = HotItem(items, letter);
      DialogItem& hot = items[focus];
      if (hot.type == DI_CHECKBOX) hot.selected = !hot.selected;
      if (hot.type == DI_RADIOBUTTON) ChooseRadio(items, focus);
      if (hot.type == DI_BUTTON && !hot.noClose) return focus;
      continue;
    }
    if (k.Is(VK_TAB) || k.Is(VK_TAB, PKF_SHIFT)) {
      focus = Step(items, focus, k.control ? -1 : 1, true);
      continue;
    }
    int side = edit ? 0 : k.Is(VK_RIGHT) ? 1 : k.Is(VK_LEFT) ? -1 : 0;
    if (side && Beside(items, focus, side) >= 0) {
      focus = Beside(items, focus, side);
      continue;
    }
    int step = k.Is(VK_DOWN) || side > 0 ? 1 : k.Is(VK_UP) || side < 0 ? -1 : 0;
    if (step) {
      focus = Step(items, focus, step);
      continue;
    }
    if (!edit && k.Is(VK_HOME)) {  // FAR: the first item that takes the focus
      focus = Step(items, n - 1, 1);
      continue;
    }
    if (!edit && (k.Is(VK_END) || k.Is(VK_NEXT))) {  // FAR: the default button
      if (DefaultButton(items) >= 0) focus = DefaultButton(items);
      continue;
    }
    if (k.Is(VK_SPACE) && !(edit && it.type != DialogItem::Combo)) {
      if (it.type == DI_CHECKBOX) it.selected = !it.selected;
      if (it.type == DI_RADIOBUTTON) ChooseRadio(items, focus);
      if (it.type == DI_BUTTON && !it.noClose) return focus;
      continue;
    }
    if (edit) EditKey(it, k);
  }
}

std::vector<DialogItem> FromPlugin(const std::vector<FarDialogItem>& items) {
  std::vector<DialogItem> out;
  for (const FarDialogItem& f : items) {
    DialogItem d;
    d.type = f.Type, d.x1 = f.X1, d.y1 = f.Y1, d.x2 = f.X2, d.y2 = f.Y2;
    d.focus = f.Focus != 0, d.selected = f.Selected, d.flags = f.Flags;
    d.defaultButton = f.DefaultButton != 0;
    d.data.assign(f.Data, strnlen(f.Data, sizeof f.Data));
    d.history = (f.Flags & DIF_HISTORY) && f.Selected != 0;  // Selected holds the history name
    out.push_back(d);
  }
  return out;
}

void ToPlugin(const std::vector<DialogItem>& from, std::vector<FarDialogItem>& items) {
  for (size_t i = 0; i < items.size() && i < from.size(); ++i) {
    const DialogItem& d = from[i];
    if (items[i].Type == DI_CHECKBOX || items[i].Type == DI_RADIOBUTTON)
      items[i].Selected = d.selected;
    if (IsEdit(items[i].Type)) {
      std::memset(items[i].Data, 0, sizeof items[i].Data);
      std::strncpy(items[i].Data, d.data.c_str(), sizeof items[i].Data - 1);
    }
    items[i].Focus = d.focus;
  }
}
