// One of FAR's panels drawn: frame, title, columns, items in colour, status line, footer.
#pragma once

#include <string>
#include <vector>

#include "FarHost.h"
#include "FolderSizes.h"
#include "Layout.h"
#include "Screen.h"

struct PanelView {
  std::wstring title;           // shown with a blank on each side
  bool pathTitle = false;       // a folder's path: cut keeping its root, as FAR's own panel does
  char sortLetter = 'n';        // 'n' by name, 'u' unsorted...
  std::vector<Column> columns;  // the view mode; every name column starts a stripe
  std::vector<Column> status;   // the status line's columns
  const std::vector<HostItem>* items = nullptr;
  int current = 0;
  int* top = nullptr;     // first item shown; moved to keep the cursor in sight
  bool active = false;    // the cursor and the highlighted title
  bool caseFold = false;  // FAR's own panel: all-capital names in small letters
  const PanelSizes* sizes = nullptr;  // folder sizes counted with F3, shown for <Folder>
};

// One cell as FAR's ShowList writes it: a folder's counted size in the size column, after "~"
// when it was carried over a reread.
std::wstring ItemCell(const HostItem& item, const Column& c, bool caseFold, const PanelSizes* sizes);
// Rows of items a panel shows per stripe.
int PanelRows(const Rect& r);
// Items a panel shows at once: rows times stripes.
int PanelPage(const Rect& r, const std::vector<Column>& columns);
void DrawPanel(Screen& s, const Rect& r, const PanelView& v);
// The sort-mode letter FAR writes in the header's corner.
char SortLetter(int sortMode);
