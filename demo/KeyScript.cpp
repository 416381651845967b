// Key names as the demo's scripts write them, turned into the key presses FAR would see.
#include "KeyScript.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "far163.h"

bool ParseKey(const std::string& token, Key& key) {
  key = Key();
  key.kind = Key::Press;
  key.name = token;
  auto starts = [&](const char* p) { return token.compare(0, strlen(p), p) == 0; };
  if (token == "Wait") return key.kind = Key::Idle, true;
  if (starts("Create:") || starts("Remove:")) {
    key.kind = starts("Create:") ? Key::Create : Key::Remove;
    key.arg = token.substr(7);
    return !key.arg.empty();
  }
  std::string rest = token;
  for (bool more = true; more;) {
    more = false;
    for (auto m : {std::make_pair("Ctrl", PKF_CONTROL), std::make_pair("Alt", PKF_ALT),
                   std::make_pair("Shift", PKF_SHIFT)}) {
      size_t n = strlen(m.first);
      if (rest.size() > n && rest.compare(0, n, m.first) == 0) {
        key.control |= m.second;
        rest.erase(0, n);
        more = true;
      }
    }
  }
  static const std::pair<const char*, WORD> names[] = {
      {"Up", VK_UP},        {"Down", VK_DOWN},  {"Left", VK_LEFT}, {"Right", VK_RIGHT},
      {"PgUp", VK_PRIOR},   {"PgDn", VK_NEXT},  {"Home", VK_HOME}, {"End", VK_END},
      {"Enter", VK_RETURN}, {"Esc", VK_ESCAPE}, {"Tab", VK_TAB},   {"Space", VK_SPACE},
      {"BS", VK_BACK},      {"Del", VK_DELETE}, {"Ins", VK_INSERT}};
  for (auto& n : names)
    if (rest == n.first) {
      key.vk = n.second;
      if (key.vk == VK_SPACE && !key.control) key.ch = ' ';
      return true;
    }
  if (rest.size() >= 2 && rest[0] == 'F' && isdigit(static_cast<unsigned char>(rest[1]))) {
    int f = atoi(rest.c_str() + 1);
    if (f >= 1 && f <= 12) return key.vk = static_cast<WORD>(VK_F1 + f - 1), true;
  }
  if (rest.size() == 1 && key.control) {  // Ctrl+R and the like
    key.vk = static_cast<WORD>(toupper(static_cast<unsigned char>(rest[0])));
    return true;
  }
  return false;
}

std::deque<Key> ParseScript(const std::string& text, std::vector<std::string>& unknown) {
  std::deque<Key> keys;
  size_t i = 0;
  while (i < text.size()) {
    if (isspace(static_cast<unsigned char>(text[i]))) {
      ++i;
      continue;
    }
    if (text[i] == '"') {  // "text" types its characters
      size_t end = text.find('"', i + 1);
      if (end == std::string::npos) end = text.size();
      for (size_t c = i + 1; c < end; ++c) {
        Key k;
        k.kind = Key::Press;
        k.ch = text[c];
        k.vk = static_cast<WORD>(toupper(static_cast<unsigned char>(text[c])));
        k.name = std::string("\"") + text[c] + "\"";
        keys.push_back(k);
      }
      i = end + 1;
      continue;
    }
    size_t end = i;
    while (end < text.size() && !isspace(static_cast<unsigned char>(text[end]))) ++end;
    std::string token = text.substr(i, end - i);
    Key k;
    if (ParseKey(token, k))
      keys.push_back(k);
    else
      unknown.push_back(token);
    i = end;
  }
  return keys;
}
