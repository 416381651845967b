// The help window, reading the plugin's .hlf as FAR 1.64 does (raw OEM bytes, FAR's markup).
#include "HelpViewer.h"

#include <windows.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <vector>

#include "Layout.h"

namespace {

struct Cell {
  wchar_t ch;
  WORD attr;
  int link;  // index into the topic's links, -1 for none
};
using Line = std::vector<Cell>;

struct Topic {
  std::vector<Line> title, body;
  std::vector<std::string> links;  // target topic of each link
};

std::vector<std::string> HelpFileLines(const std::string& folder, const std::string& language) {
  WIN32_FIND_DATAA d;
  HANDLE h = FindFirstFileA((folder + "\\*.hlf").c_str(), &d);
  std::vector<std::string> chosen;
  if (h == INVALID_HANDLE_VALUE) return chosen;
  do {
    std::ifstream in(folder + "\\" + d.cFileName, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
      if (!l.empty() && l.back() == '\r') l.pop_back();
      lines.push_back(l);
    }
    if (!lines.empty() && lines[0].compare(0, 10 + language.size(), ".Language=" + language) == 0)
      chosen = lines;
  } while (chosen.empty() && FindNextFileA(h, &d));
  FindClose(h);
  return chosen;
}

// One line of markup as cells; `bold` carries an unclosed '#' over to the next line.
Line Markup(const std::string& text, Topic& topic, bool& bold) {
  Line out;
  std::wstring w = FromOem(text);
  for (size_t i = 0; i < w.size(); ++i) {
    wchar_t c = w[i];
    if ((c == L'#' || c == L'~' || c == L'@') && i + 1 < w.size() && w[i + 1] == c) {
      out.push_back({c, bold ? Color::HelpBold : Color::Help, -1});
      ++i;
    } else if (c == L'#') {
      bold = !bold;
    } else if (c == L'~') {
      size_t end = w.find(L'~', i + 1),
             at = end == std::wstring::npos ? end : w.find(L'@', end + 2);
      if (end == std::wstring::npos || end + 1 >= w.size() || w[end + 1] != L'@' ||
          at == std::wstring::npos) {
        continue;
      }
      int link = static_cast<int>(topic.links.size());
      topic.links.push_back(text.substr(end + 2, at - end - 2));
      for (size_t k = i + 1; k < end; ++k) out.push_back({w[k], Color::HelpLink, link});
      i = at;
    } else {
      out.push_back({c, bold ? Color::HelpBold : Color::Help, -1});
    }
  }
  return out;
}

void Wrap(const Line& para, int width, std::vector<Line>& out) {
  size_t start = 0;
  while (start < para.size()) {
    size_t end = std::min(para.size(), start + width);
    if (end < para.size()) {
      size_t cut = end;
      while (cut > start && para[cut].ch != L' ') --cut;
      if (cut > start) end = cut;
    }
    out.emplace_back(para.begin() + start, para.begin() + end);
    start = end;
    while (start < para.size() && para[start].ch == L' ' && start != 0) ++start;
  }
  if (para.empty()) out.emplace_back();
}

Topic LoadTopic(const std::vector<std::string>& file, const std::string& name, int width) {
  Topic t;
  size_t i = 0;
  for (; i < file.size(); ++i)
    if (file[i].size() > 1 && file[i][0] == '@' &&
        lstrcmpiA(file[i].c_str() + 1, name.c_str()) == 0)
      break;
  bool bold = false, reflow = true;
  Line para;
  bool inPara = false;
  auto flush = [&] {
    if (inPara) Wrap(para, width, t.body);
    para.clear(), inPara = false;
  };
  for (++i; i < file.size(); ++i) {
    const std::string& l = file[i];
    if (l == "@-" || l == "@+") {
      flush();
      reflow = l == "@+";
      continue;
    }
    if (!l.empty() && l[0] == '@') break;
    if (!l.empty() && l[0] == '$' && t.body.empty() && !inPara) {
      t.title.push_back(Markup(l.substr(1), t, bold));
      continue;
    }
    Line cells = Markup(l, t, bold);
    if (!reflow) {
      flush();
      Wrap(cells, width, t.body);
    } else if (l.empty()) {
      flush();
      t.body.emplace_back();
    } else if (l[0] == ' ' || !inPara) {
      flush();
      para = cells, inPara = true;
    } else {
      para.push_back({L' ', Color::Help, -1});
      para.insert(para.end(), cells.begin(), cells.end());
    }
  }
  flush();
  return t;
}

}  // namespace

void ShowHelp(ModalHost& host, const std::string& folder, const std::string& language,
              const std::string& first) {
  std::vector<std::string> file = HelpFileLines(folder, language);
  std::vector<std::string> history{first.empty() ? "Contents" : first};
  int top = 0, selected = -1;
  for (;;) {
    Screen s = host.Background();
    const int x1 = 4, y1 = 2, x2 = s.W - 5, y2 = s.H - 3, inner = x2 - x1 - 3;
    Topic t = LoadTopic(file, history.back(), inner);
    WindowBackground(s, x1, y1, x2, y2, Color::Help);
    s.Frame(x1, y1, x2, y2, Color::HelpFrame, true);
    s.Put(x1 + (x2 - x1 + 1 - 6) / 2, y1, L" Help ", Color::HelpFrame);
    int y = y1 + 1;
    for (const Line& l : t.title) {
      for (size_t c = 0; c < l.size() && static_cast<int>(c) < inner; ++c)
        s.Put(x1 + 2 + static_cast<int>(c), y, std::wstring(1, l[c].ch), l[c].attr);
      ++y;
    }
    if (!t.title.empty()) s.Separator(x1, x2, y++, Color::HelpFrame);
    const int rows = y2 - y;
    top = std::max(0, std::min(top, std::max(0, static_cast<int>(t.body.size()) - rows)));
    for (int r = 0; r < rows && top + r < static_cast<int>(t.body.size()); ++r) {
      const Line& l = t.body[top + r];
      for (size_t c = 0; c < l.size() && static_cast<int>(c) < inner; ++c) {
        WORD attr =
            l[c].link >= 0 && l[c].link == selected ? WORD(Color::HelpLinkSelected) : l[c].attr;
        s.Put(x1 + 2 + static_cast<int>(c), y + r, std::wstring(1, l[c].ch), attr);
      }
    }
    if (file.empty()) s.Put(x1 + 2, y, L"The plugin's help file was not found", Color::Help);
    Key k = host.Read(s);
    if (k.kind == Key::End) return;
    if (k.kind != Key::Press) continue;
    int links = static_cast<int>(t.links.size());
    if (k.vk == VK_ESCAPE || k.vk == VK_F10) return;
    if (k.vk == VK_TAB && links) {  // the next link, or with Shift the one before
      bool back = (k.control & PKF_SHIFT) != 0;
      selected =
          selected < 0 ? (back ? links - 1 : 0) : (selected + (back ? links - 1 : 1)) % links;
    }
    if (k.vk == VK_RETURN && selected >= 0 && selected < links) {
      history.push_back(t.links[selected]);
      top = 0, selected = -1;
    }
    if (k.vk == VK_BACK && history.size() > 1) history.pop_back(), top = 0, selected = -1;
    if (k.vk == VK_UP) --top;
    if (k.vk == VK_DOWN) ++top;
    if (k.vk == VK_PRIOR) top -= rows;
    if (k.vk == VK_NEXT) top += rows;
    if (k.vk == VK_HOME) top = 0;
  }
}
