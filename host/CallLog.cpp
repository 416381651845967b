// The host's record of calls and failures.
#include "CallLog.h"

namespace farhost {

void CallLog::Fail(const std::string& what) {
  failures.push_back(what);
  Log("FAILURE:" + what);
  if (onFailure) onFailure(what);
}

int CallLog::Count(const std::string& event) const {
  int n = 0;
  for (const std::string& e : log)
    if (e == event || (e.size() > event.size() && e.compare(0, event.size(), event) == 0 &&
                       e[event.size()] == '('))
      ++n;
  return n;
}

std::vector<std::string> CallLog::LogSince(std::size_t mark) const {
  if (mark >= log.size()) return {};
  return std::vector<std::string>(log.begin() + static_cast<std::ptrdiff_t>(mark), log.end());
}

}  // namespace farhost
