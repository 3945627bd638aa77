#include "fakes.h"

namespace fake {
namespace {

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
    if (line.compare(0, prefix.size(), prefix) == 0) lines.push_back(line);
  }
  return lines;
}

int OnReset(void (*clear)()) {
  Clearers().push_back(clear);
  return 0;
}

void Reset() {
  Log().clear();
  for (auto clear : Clearers()) clear();
}

}  // namespace fake
