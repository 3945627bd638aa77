#include <set>

#include "fakes.h"

namespace fake {
namespace {

std::map<std::string, int> counts;
std::set<std::pair<std::string, int>> failures;
// Filled while the fakes are initialised, so made on first use.
std::vector<void (*)()>& Clearers() {
  static std::vector<void (*)()> clearers;
  return clearers;
}

}  // namespace

std::vector<std::string>& Log() {
  static std::vector<std::string> log;
  return log;
}

std::vector<std::string> LogOf(const std::string& prefix) {
  std::vector<std::string> lines;
  for (const std::string& line : Log()) {
    if (line.rfind(prefix, 0) == 0) lines.push_back(line);
  }
  return lines;
}

void FailCall(const std::string& name, int occurrence) { failures.insert({name, occurrence}); }
bool Failing(const std::string& name) { return failures.count({name, ++counts[name]}) > 0; }

int OnReset(void (*clear)()) {
  Clearers().push_back(clear);
  return 0;
}

void Reset() {
  Log().clear();
  counts.clear();
  failures.clear();
  for (auto clear : Clearers()) clear();
}

}  // namespace fake
