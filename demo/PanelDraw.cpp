// One of FAR's panels as FAR 1.75 draws it.
#include "PanelDraw.h"

#include <algorithm>

int PanelRows(const Rect& r) { return r.y2 - r.y1 - 4; }

std::wstring ItemCell(const HostItem& item, const Column& c, bool caseFold, const PanelSizes* sizes) {
  const FolderSize* counted = c.type == 'S' && sizes ? sizes->Find(item.name) : nullptr;
  if (!counted) return CellText(item, c, caseFold);
  HostItem asFile = item;  // FAR writes the count as it writes a file's size
  asFile.attributes &= ~FILE_ATTRIBUTE_DIRECTORY;
  asFile.fileSize = counted->bytes;
  if (!counted->reread) return CellText(asFile, c, caseFold);
  Column rest = c;
  rest.width = std::max(0, c.width - 1);
  return L"~" + CellText(asFile, rest, caseFold);
}

namespace {

// The first column of each stripe: a second name column starts a new stripe.
std::vector<size_t> StripeStarts(const std::vector<Column>& cols) {
  std::vector<size_t> starts{0};
  bool named = false;
  for (size_t c = 0; c < cols.size(); ++c) {
    if (cols[c].type != 'N') continue;
    if (named) starts.push_back(c);
    named = true;
  }
  return starts;
}

WORD ItemColour(const HostItem& item, bool cursor) {
  bool folder = item.IsDirectory() && item.name != "..";
  if (item.attributes & FILE_ATTRIBUTE_HIDDEN) return cursor ? Color::CursorHidden : Color::Hidden;
  if (folder) return cursor ? Color::CursorFolder : Color::Folder;
  return cursor ? Color::Cursor : Color::PanelText;
}

std::wstring Footer(const std::vector<HostItem>& items) {
  unsigned long long bytes = 0;
  int files = 0;
  for (const HostItem& i : items)
    if (!i.IsDirectory()) bytes += i.fileSize, ++files;
  return L" " + WithThousands(bytes) + L" bytes in " + std::to_wstring(files) +
         (files == 1 ? L" file " : L" files ");
}

}  // namespace

int PanelPage(const Rect& r, const std::vector<Column>& columns) {
  return PanelRows(r) * static_cast<int>(StripeStarts(columns).size());
}

char SortLetter(int sortMode) {
  static const char letters[] = "nunxmcasdopl";  // SM_DEFAULT .. SM_NUMLINKS
  return sortMode >= 0 && sortMode < 12 ? letters[sortMode] : 'n';
}

namespace {

// One stripe from column x: each row an item (its cells and the separators between them in the
// item's colour), the headers, and the separators between stripes down to the status line.
int DrawStripe(Screen& s, const Rect& r, const PanelView& v, size_t first, size_t end, int x,
               int firstItem) {
  const std::vector<HostItem>& items = *v.items;
  const int count = static_cast<int>(items.size());
  for (int row = 0; row < PanelRows(r); ++row) {
    int i = firstItem + row, cx = x;
    bool has = i < count, cursor = has && v.active && i == v.current;
    WORD attr = has ? ItemColour(items[i], cursor) : WORD(Color::PanelText);
    for (size_t c = first; c < end; ++c) {
      const Column& col = v.columns[c];
      int room = std::min(col.width, r.x2 - cx);
      if (room <= 0) break;
      std::wstring text = has ? ItemCell(items[i], col, v.caseFold, v.sizes) : Fit(L"", col.width);
      s.Put(cx, r.y1 + 2 + row, text, attr, room);
      cx += col.width;
      if (c + 1 < end && cx < r.x2) s.Fill(cx++, r.y1 + 2 + row, 1, Glyph::SV, attr);
    }
  }
  for (size_t c = first; c < end; ++c) {
    const Column& col = v.columns[c];
    s.Put(x, r.y1 + 1, Centre(ColumnTitle(col), col.width), Color::ColumnTitle,
          std::max(0, std::min(col.width, r.x2 - x)));
    x += col.width;
    if (c + 1 == v.columns.size() || x >= r.x2) continue;
    s.Fill(x, r.y1 + 1, 1, Glyph::SV, Color::PanelFrame);
    if (c + 1 == end)
      for (int y = r.y1 + 2; y < r.y2 - 2; ++y) s.Fill(x, y, 1, Glyph::SV, Color::PanelFrame);
    ++x;
  }
  return x;
}

// FAR cuts a text to a width from its end, with "..." in the last three places.
std::wstring TruncEnd(const std::wstring& text, int width) {
  if (static_cast<int>(text.size()) <= width) return text;
  return width > 3 ? text.substr(0, width - 3) + L"..." : text.substr(0, std::max(0, width));
}

// The title centred in the top border (clear of the clock in the screen's top right corner), the
// footer in the bottom one.
void DrawBorderTexts(Screen& s, const Rect& r, const PanelView& v) {
  const bool byClock = r.x2 >= s.W - 5;
  int titleX2 = byClock ? s.W - 5 : r.x2;
  const int room = titleX2 - r.x1 - 3;
  std::wstring dir = v.pathTitle ? TruncPath(v.title, room - 2) : TruncStart(v.title, room - 2);
  std::wstring title = dir.empty() ? L"" : L" " + dir + L" ";
  const int length = static_cast<int>(title.size());
  if (byClock) titleX2 = s.W - 1;
  int x = r.x1 + (titleX2 - r.x1 + 1 - length) / 2;
  if (byClock) x -= std::max(0, x + length - titleX2 + 5);
  s.Put(x, r.y1, title, v.active ? Color::ActiveTitle : Color::PanelFrame);
  std::wstring footer = TruncEnd(Footer(*v.items), r.x2 - r.x1 - 1);
  s.Put(r.x1 + (r.x2 - r.x1 + 1 - static_cast<int>(footer.size())) / 2, r.y2, footer,
        Color::PanelFrame);
}

}  // namespace

void DrawPanel(Screen& s, const Rect& r, const PanelView& v) {
  const int rows = PanelRows(r), sepY = r.y2 - 2;
  const int count = static_cast<int>(v.items->size());
  s.Box(r.x1, r.y1, r.x2, r.y2, Color::PanelFrame, true);
  std::vector<size_t> stripes = StripeStarts(v.columns);
  const int page = rows * static_cast<int>(stripes.size());
  int& top = *v.top;  // the cursor stays in sight
  if (v.current < top) top = v.current;
  if (v.current >= top + page) top = v.current - page + 1;
  top = std::max(0, std::min(top, std::max(0, count - page)));
  int x = r.x1 + 1;
  for (size_t st = 0; st < stripes.size(); ++st) {
    size_t end = st + 1 < stripes.size() ? stripes[st + 1] : v.columns.size();
    x = DrawStripe(s, r, v, stripes[st], end, x, top + static_cast<int>(st) * rows);
  }
  s.Put(r.x1 + 1, r.y1 + 1, std::wstring(1, v.sortLetter), Color::ColumnTitle);
  s.Separator(r.x1, r.x2, sepY, Color::PanelFrame);
  for (int cx = r.x1 + 1; cx < r.x2; ++cx)  // column lines meet both borders
    if (s.CharAt(cx, r.y1 + 1) == Glyph::SV)
      s.SetChar(cx, sepY, Glyph::SUp), s.SetChar(cx, r.y1, Glyph::DTopTee);
  if (v.current >= 0 && v.current < count) {
    std::wstring line;
    for (const Column& c : v.status)
      line += (line.empty() ? L"" : L" ") + ItemCell((*v.items)[v.current], c, false, v.sizes);
    s.Put(r.x1 + 1, r.y2 - 1, line, Color::PanelText, r.x2 - r.x1 - 1);
  }
  DrawBorderTexts(s, r, v);
}
