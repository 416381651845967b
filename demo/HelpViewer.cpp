// FAR 1.75's help window on the plugin's .hlf file: its reflow, frame, scroll bar, key bar and the
// cursor that walks from link to link.
#include "HelpViewer.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "HelpText.h"
#include "Layout.h"

namespace {

const char* const kHelpKeys[12] = {"Help", "", "", "", "Zoom", "", "", "", "", "Quit", "", ""};

// The window: a cursor (curX, curY) within the text's rows; the link under it is the selected one.
class HelpWindow {
 public:
  HelpWindow(ModalHost& host, std::vector<std::string> file)
      : host_(host), file_(std::move(file)), title_(FromOem(PluginContents(file_))) {}
  bool Open(const std::string& topic);
  void Run();

 private:
  struct Place {
    std::string topic, selected;
    int top = 0, curX = 0, curY = 0;
  };
  ModalHost& host_;
  std::vector<std::string> file_;
  std::wstring title_;
  HelpText text_;
  Place at_;
  std::vector<Place> back_;
  int x1_ = 0, y1_ = 0, x2_ = 0, y2_ = 0;
  static bool fullScreen_;  // F5: FAR keeps the choice for the next help window

  int Fix() const { return text_.fixed + (text_.fixed != 0); }
  int Count() const { return static_cast<int>(text_.lines.size()); }
  int Right() const { return x2_ - x1_ - 2; }
  int Bottom() const { return y2_ - y1_ - 2 - Fix(); }  // the cursor's last row
  void SetPosition(const Screen& s);
  bool Load(const std::string& topic, bool fresh);
  void Jump(const std::string& topic, bool fresh);
  void Correct();
  bool LinkOnCursorRow();
  void Render(Screen* s);
  void OutString(Screen* s, const std::string& str, int x, int y);
  void DrawFrame(Screen& s);
  void MoveToReference(bool forward, bool thisScreen);
  bool Key(const ::Key& k);
};

bool HelpWindow::fullScreen_ = false;

void HelpWindow::SetPosition(const Screen& s) {
  if (fullScreen_)
    x1_ = 0, y1_ = 0, x2_ = s.W - 1, y2_ = s.H - 1;
  else
    x1_ = 4, y1_ = 2, x2_ = s.W - 5, y2_ = s.H - 3;
}

bool HelpWindow::Load(const std::string& topic, bool fresh) {
  text_ = ReadTopic(file_, topic, x2_ - x1_ - 1);
  if (fresh) at_.top = at_.curX = at_.curY = 0;
  return text_.found;
}

// A topic missing from the file shows the file's Contents.
void HelpWindow::Jump(const std::string& topic, bool fresh) {
  at_.selected = at_.topic = topic;
  if (!Load(topic, fresh)) Load(at_.topic = "Contents", fresh);
  if (fresh) MoveToReference(true, true);
  if (at_.selected.empty()) MoveToReference(true, true);
}

bool HelpWindow::Open(const std::string& topic) {
  SetPosition(host_.Background());
  at_.topic = topic;
  if (!Load(topic, true)) Load(at_.topic = "Contents", true);
  if (!text_.found) {
    MessageCall box;
    box.flags = FMSG_WARNING;
    box.items = {"Help", "Requested help topic not found:", topic, "OK"};
    box.buttonsNumber = 1;
    ShowMessage(host_, box);
    return false;
  }
  MoveToReference(true, true);
  return true;
}

void HelpWindow::Correct() {
  at_.curX = std::max(0, std::min(at_.curX, Right()));
  if (at_.curY > Bottom()) at_.top += at_.curY - Bottom(), at_.curY = Bottom();
  if (at_.curY < 0) at_.top += at_.curY, at_.curY = 0;
  at_.top = std::min(at_.top, Count() - text_.fixed - (y2_ - y1_ - 1 - Fix()));
  at_.top = std::max(at_.top, 0);
}

bool HelpWindow::LinkOnCursorRow() {
  Correct();
  int row = text_.fixed + at_.top + at_.curY;
  if (row >= Count()) return false;
  const std::string& l = text_.lines[row];
  return l.find('@') != std::string::npos && l.find('~') != std::string::npos;
}

// One line at (x, y); a link under the cursor is drawn selected and becomes the selected topic.
// Without a screen only the selection is worked out.
void HelpWindow::OutString(Screen* s, const std::string& str, int x, int y) {
  std::string part;
  bool bold = false, link = false;
  size_t linkStart = 0;
  for (size_t i = 0;;) {
    char c = i < str.size() ? str[i] : 0;
    if (c && Doubled(str, i)) {
      part += c, i += 2;
      continue;
    }
    if (c == '~' || (c == '#' && !link) || c == 0) {
      WORD attr = bold ? Color::HelpBold : Color::Help;
      if (link) {
        int cx = x1_ + at_.curX + 1, cy = y1_ + at_.curY + Fix() + 1;
        int length = static_cast<int>(i - linkStart) - 1;
        bool under = y == cy && cx >= x && cx < x + length;
        attr = under ? Color::HelpLinkSelected : Color::HelpLink;
        if (under && i + 1 < str.size() && str[i + 1] == '@') {
          size_t end = SkipTarget(str, i + 1);
          at_.selected = str.substr(i + 2, end - i - 3);
        }
      }
      part.resize(std::min<size_t>(part.size(), std::max(0, x2_ - x)));
      if (s) s->Put(x, y, FromOem(part), attr);
      x += static_cast<int>(part.size());
      part.clear();
    }
    if (c == 0) break;
    if (c == '~') {
      if (!link) linkStart = i;
      link = !link, ++i;
    } else if (c == '@') {
      i = SkipTarget(str, i);
    } else if (c == '#') {
      bold = !bold, ++i;
    } else {
      part += c, ++i;
    }
  }
  if (s && x < x2_) s->Fill(x, y, x2_ - x, L' ', Color::Help);
}

void HelpWindow::DrawFrame(Screen& s) {
  for (int y = y1_; y <= y2_; ++y) s.Fill(x1_, y, x2_ - x1_ + 1, L' ', Color::Help);
  s.Frame(x1_, y1_, x2_, y2_, Color::HelpFrame, true);
  std::wstring title = L"Help - " + (title_.empty() ? L"FAR" : title_);
  size_t room = std::max(0, x2_ - x1_ - 3);
  if (title.size() > room) title = title.substr(0, room > 3 ? room - 3 : 0) + L"...";
  title.resize(std::min(title.size(), room));
  s.Put(x1_ + (x2_ - x1_ + 1 - static_cast<int>(title.size()) - 2) / 2, y1_, L" " + title + L" ",
        Color::HelpFrame);
}

// The title lines, a separator, the rows from `top`, the scroll bar in the right frame.
void HelpWindow::Render(Screen* s) {
  if (s) DrawFrame(*s);
  Correct();
  at_.selected.clear();
  for (int i = 0; i < y2_ - y1_ - 1; ++i) {
    int row = i, y = y1_ + i + 1;
    if (i == text_.fixed && text_.fixed > 0) {
      if (s) s->Separator(x1_, x2_, y, Color::HelpFrame);
      continue;
    }
    if (i >= text_.fixed) row = i + at_.top - (text_.fixed > 0);
    if (row >= Count()) continue;
    const std::string& l = text_.lines[row];
    if (!l.empty() && l[0] == '^')
      OutString(s, l.substr(1), x1_ + (x2_ - x1_ + 1 - ShownLength(l)) / 2, y);
    else
      OutString(s, l, x1_ + 1, y);
  }
  const int length = y2_ - y1_ - Fix() - 1, hidden = Count() - text_.fixed - length;
  if (!s || hidden <= 0 || length < 3) return;
  int thumb = std::min(length - 3, (length - 2) * at_.top / hidden);
  const int y = y1_ + Fix() + 1;
  s->Fill(x2_, y, 1, L'\x25B2', Color::Help);
  for (int i = 1; i < length - 1; ++i)
    s->Fill(x2_, y + i, 1, i == thumb + 1 ? L'\x2593' : L'\x2591', Color::Help);
  s->Fill(x2_, y + length - 1, 1, L'\x25BC', Color::Help);
}

// The cursor steps through the text (on this screen only, or scrolling it) to the next link, or
// the one before; it stays where it was when there is none.
void HelpWindow::MoveToReference(bool forward, bool thisScreen) {
  bool fromLink = !at_.selected.empty();
  const int curX = at_.curX, curY = at_.curY, top = at_.top;
  at_.selected.clear();
  while (at_.selected.empty()) {
    bool link = LinkOnCursorRow();
    if (forward) {
      if (at_.curX == 0 && !link) at_.curX = Right();
      if (++at_.curX >= Right()) {
        fromLink = false, at_.curX = 0, ++at_.curY;
        if (at_.top + at_.curY >= Count() - text_.fixed || (thisScreen && at_.curY > Bottom()))
          break;
      }
    } else {
      if (at_.curX == Right() && !link) at_.curX = 0;
      if (--at_.curX < 0) {
        fromLink = false, at_.curX = Right(), --at_.curY;
        if (at_.top + at_.curY < 0 || (thisScreen && at_.curY < 0)) break;
      }
    }
    Render(nullptr);
    if (at_.selected.empty() || (link && thisScreen)) fromLink = false;
    if (fromLink) at_.selected.clear();  // still on the link it started from
  }
  if (at_.selected.empty()) at_.curX = curX, at_.curY = curY, at_.top = top;
  Render(nullptr);
}

// FAR's keys of the help window; false when it closes.
bool HelpWindow::Key(const ::Key& k) {
  if (at_.selected.empty()) at_.curX = at_.curY = 0;
  const unsigned shift = PKF_SHIFT, ctrl = PKF_CONTROL;
  if (k.Is(VK_ESCAPE) || k.Is(VK_F10)) return false;
  if (k.Is(VK_F5)) {  // zoom: the whole screen, or back to the window
    fullScreen_ = !fullScreen_;
    SetPosition(host_.Background());
    Load(at_.topic, false);
    --at_.curX;
    MoveToReference(true, true);
  } else if (k.Is(VK_HOME) || k.Is(VK_HOME, ctrl) || k.Is(VK_PRIOR, ctrl)) {
    at_.curX = at_.curY = at_.top = 0;
    Render(nullptr);
    if (at_.selected.empty()) MoveToReference(true, true);
  } else if (k.Is(VK_END) || k.Is(VK_END, ctrl) || k.Is(VK_NEXT, ctrl)) {
    at_.curX = at_.curY = 0, at_.top = Count();
    Render(nullptr);
    if (at_.selected.empty()) at_.curX = 0, at_.curY = Bottom(), MoveToReference(false, true);
  } else if (k.Is(VK_UP)) {
    if (at_.top <= 0) return MoveToReference(false, false), true;
    --at_.top;
    if (at_.curY < Bottom()) at_.curX = Right(), ++at_.curY;
    Render(nullptr);
    if (at_.selected.empty()) MoveToReference(false, true);
  } else if (k.Is(VK_DOWN)) {
    if (at_.top >= Count() - text_.fixed - (y2_ - y1_ - 1 - Fix()))
      return MoveToReference(true, false), true;
    ++at_.top;
    if (at_.curY > 0) --at_.curY;
    at_.curX = 0;
    Render(nullptr);
    if (at_.selected.empty()) MoveToReference(true, true);
  } else if (k.Is(VK_PRIOR)) {
    at_.curX = at_.curY = 0, at_.top -= Bottom();
    Render(nullptr);
    if (at_.selected.empty()) at_.curX = at_.curY = 0, MoveToReference(true, true);
  } else if (k.Is(VK_NEXT)) {
    int before = at_.top;
    at_.top += Bottom();
    Render(nullptr);
    if (at_.top == before) {  // at the end already: as Ctrl+PgDn
      ::Key end = k;
      end.vk = VK_END, end.control = ctrl;
      return Key(end);
    }
    at_.curX = at_.curY = 0;
    MoveToReference(true, true);
  } else if (k.Is(VK_TAB) || k.Is(VK_RIGHT)) {
    MoveToReference(true, false);
  } else if (k.Is(VK_TAB, shift) || k.Is(VK_LEFT)) {
    MoveToReference(false, false);
  } else if (k.Is(VK_F1, shift) && lstrcmpiA(at_.topic.c_str(), "Contents") != 0) {
    back_.push_back(at_);
    Jump("Contents", true);
  } else if (k.Is(VK_F1, PKF_ALT) || k.Is(VK_BACK)) {  // the topic before, or out
    if (back_.empty()) return false;
    at_ = back_.back();
    back_.pop_back();
    Jump(at_.topic, false);
  } else if (k.Is(VK_RETURN) && !at_.selected.empty() &&
             lstrcmpiA(at_.selected.c_str(), at_.topic.c_str()) != 0) {  // not to itself
    back_.push_back(at_);
    Jump(at_.selected, true);
  }
  return true;
}

void HelpWindow::Run() {
  for (;;) {
    Screen s = host_.Background();
    Render(&s);
    if (!fullScreen_) DrawKeyBar(s, [](int n) { return Widen(kHelpKeys[n - 1]); });
    ::Key k = host_.Read(s);
    if (k.kind == ::Key::End) return;
    if (k.kind == ::Key::Press && !Key(k)) return;
  }
}

}  // namespace

void ShowHelp(ModalHost& host, const std::string& folder, const std::string& language,
              const std::string& topic) {
  std::vector<std::string> file = HelpFileLines(folder, language);
  if (file.empty()) {
    MessageCall box;
    box.flags = FMSG_WARNING;
    box.items = {"Help", "Cannot open the file", "*.hlf", "OK"};
    box.buttonsNumber = 1;
    ShowMessage(host, box);
    return;
  }
  HelpWindow w(host, std::move(file));
  if (w.Open(topic.empty() ? "Contents" : topic)) w.Run();
}
