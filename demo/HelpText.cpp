// Topics of a FAR .hlf help file, read and reflowed for a window's width as FAR 1.75 does.
#include "HelpText.h"

#include <windows.h>

#include <algorithm>
#include <fstream>

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

// The header's ".PluginContents=" names the help in the window's title.
std::string PluginContents(const std::vector<std::string>& file) {
  const std::string key = ".PluginContents=";
  for (const std::string& l : file) {
    if (!l.empty() && l[0] == '@') break;
    if (l.compare(0, key.size(), key) == 0) return l.substr(key.size());
  }
  return "";
}

bool Doubled(const std::string& s, size_t i) {
  char c = s[i];
  return (c == '~' || c == '#' || c == '@') && i + 1 < s.size() && s[i + 1] == c;
}

// From the '@' opening a link's target to the character after the one closing it.
size_t SkipTarget(const std::string& s, size_t i) {
  for (++i; i < s.size(); ++i)
    if (s[i] == '@' && s[i - 1] != '@') break;
  return std::min(i + 1, s.size());
}

// The columns a line of markup takes on the screen.
int ShownLength(const std::string& s) {
  int n = 0;
  for (size_t i = 0; i < s.size();) {
    if (Doubled(s, i)) {
      ++n, i += 2;
    } else if (s[i] == '@') {
      i = SkipTarget(s, i);
    } else {
      n += s[i] != '#' && s[i] != '~';
      ++i;
    }
  }
  return n;
}

namespace {

// A line holding an odd number of '#' goes on bold from the line before.
void CarryBold(std::string& s) {
  if (std::count(s.begin(), s.end(), '#') % 2 && (s.empty() || s[0] != '$')) s.insert(0, "#");
}

void Tidy(std::string& s) {
  for (size_t tab; (tab = s.find('\t')) != std::string::npos;) {
    s[tab] = ' ';
    s.insert(tab + 1, 8 - (tab + 1) % 8, ' ');  // FAR's default tab size
  }
  s.erase(s.find_last_not_of(" \t\r\n") + 1);
}

// FAR's reflow: a paragraph gathers lines until a blank line, a line starting with a blank or an
// unformatted (@-) line, and is cut at blanks outside links into lines shorter than the window.
class TopicReader {
 public:
  TopicReader(const std::vector<std::string>& file, int width) : file_(file), max_(width) {}
  HelpText Read(const std::string& topic);

 private:
  enum class Step { Next, Again, Fall };
  const std::vector<std::string>& file_;
  const int max_;
  HelpText out_;
  std::string read_, split_;
  bool formatting_ = true, nearTopic_ = false, repeat_ = false, breaking_ = false;
  char prev_ = 0;
  void Add(const std::string& l) { out_.lines.push_back(l); }
  Step Paragraph();
  void Cut();
};

HelpText TopicReader::Read(const std::string& topic) {
  size_t next = 0;
  for (bool stop = false; !stop;) {
    if (!repeat_ && !breaking_) {
      if (next >= file_.size()) {
        if (ShownLength(split_) >= max_) {
          read_.clear(), repeat_ = true;
          continue;
        }
        if (!split_.empty()) Add(split_);
        break;
      }
      read_ = file_[next++];
    }
    repeat_ = false;
    Tidy(read_);
    if (out_.found) CarryBold(read_);
    if (!read_.empty() && read_[0] == '@' && !breaking_) {
      if (!out_.found) {
        if (lstrcmpiA(read_.c_str() + 1, topic.c_str()) == 0) out_.found = nearTopic_ = true;
        prev_ = '@';
        continue;
      }
      if (read_ == "@+" || read_ == "@-") {
        formatting_ = read_ == "@+", prev_ = 0;
        continue;
      }
      if (split_.empty()) break;  // the next topic
      breaking_ = true, read_.clear(), prev_ = 0;
    }
    for (;;) {
      if (read_.empty() && breaking_ && split_.empty()) {
        stop = true;
        break;
      }
      Step step = out_.found ? Paragraph() : Step::Fall;
      if (step == Step::Again) continue;
      if (step == Step::Next) break;
      if (breaking_ && !split_.empty()) continue;
      stop = breaking_;
      prev_ = read_.empty() ? 0 : read_[0];
      break;
    }
  }
  Add("");
  return out_;
}

TopicReader::Step TopicReader::Paragraph() {
  if (!read_.empty() && read_[0] == '$' && nearTopic_ && (prev_ == '$' || prev_ == '@')) {
    Add(read_.substr(1));
    ++out_.fixed;
    return Step::Fall;
  }
  nearTopic_ = false;
  if (read_.empty() || !formatting_) {
    if (!split_.empty()) {
      if (ShownLength(split_) < max_) {
        Add(split_), split_.clear();
        if (ShownLength(read_) < max_) return Add(read_), Step::Next;
      } else {
        repeat_ = true;
      }
    } else if (read_.empty() || ShownLength(read_) < max_) {
      return Add(read_), Step::Next;
    }
  }
  if (!read_.empty() && read_[0] == ' ' && formatting_) {
    if (ShownLength(split_) < max_) {
      if (!split_.empty()) Add(split_);
      split_ = read_, read_.clear();
      return Step::Next;
    }
    repeat_ = true;
  }
  if (!repeat_) split_ += (split_.empty() ? "" : " ") + read_;
  if (ShownLength(split_) < max_) return read_.empty() && breaking_ ? Step::Again : Step::Next;
  Cut();
  return Step::Fall;
}

// The longest head that fits, cut at a blank outside a link; the rest starts with a blank.
void TopicReader::Cut() {
  for (int i = static_cast<int>(split_.size()) - 1; i > 0; --i) {
    if (split_[i] == '~' && split_[i - 1] == '~') {
      --i;
    } else if (split_[i] == '~') {
      do --i;
      while (i > 0 && split_[i] != '~');
    } else if (split_[i] == ' ' && ShownLength(split_.substr(0, i)) < max_) {
      Add(split_.substr(0, i));
      split_ = " " + split_.substr(i + 1);
      CarryBold(split_);
      return;
    }
  }
  Add(split_), split_.clear();
}

}  // namespace

HelpText ReadTopic(const std::vector<std::string>& file, const std::string& topic, int width) {
  return TopicReader(file, width).Read(topic);
}
