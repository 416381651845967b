// What the host records while it plays FAR: the ordered call log and the failures it found.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace farhost {

class CallLog {
 public:
  void Fail(const std::string& what);  // records a failure and calls onFailure
  void Log(const std::string& event) { log.push_back(event); }
  // Entries equal to `event` or starting with `event` + "(".
  int Count(const std::string& event) const;
  std::vector<std::string> LogSince(std::size_t mark) const;

  std::vector<std::string> failures;                  // must stay empty in a passing test
  std::function<void(const std::string&)> onFailure;  // e.g. ADD_FAILURE in tests
  std::vector<std::string> log;  // ordered plugin calls and service calls
};

}  // namespace farhost
