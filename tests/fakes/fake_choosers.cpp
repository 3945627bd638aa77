#include <cstring>
#include <deque>

#include <gtest/gtest.h>

#include "fakes.h"

namespace fake {
namespace {

std::deque<std::optional<std::string>> answers;
std::vector<ChooserRecord> choosers;

std::vector<std::string> SplitFilter(const char* filter) {
  std::vector<std::string> parts;
  for (const char* part = filter; part != nullptr && *part != '\0'; part += std::strlen(part) + 1) {
    parts.emplace_back(part);
  }
  return parts;
}

}  // namespace

void Choose(std::optional<std::string> path) { answers.push_back(std::move(path)); }

const std::vector<ChooserRecord>& Choosers() { return choosers; }

void ResetChoosers() {
  answers.clear();
  choosers.clear();
}

}  // namespace fake

namespace platform {

int RunOpenFileChooser(OpenFileRequest& request) {
  auto* owner = static_cast<fake::Window*>(request.owner);
  fake::choosers.push_back({request, owner,
                            fake::SplitFilter(request.filter), request.file,
                            request.title ? request.title : "",
                            request.defaultExtension ? request.defaultExtension : ""});
  if (fake::answers.empty()) {
    ADD_FAILURE() << "a chooser opened that the test did not expect";
    return 0;
  }
  const std::optional<std::string> answer = fake::answers.front();
  fake::answers.pop_front();
  if (!answer || answer->size() + 1 > request.maxFile) return 0;
  std::memcpy(request.file, answer->c_str(), answer->size() + 1);
  return 1;
}

}  // namespace platform
