// The real POSIX file calls with a fault injected on request.
#include <set>

#include "fakes.h"
#include "platform/files.h"
#include "platform/posix/posix_files.h"

namespace fake {
namespace {

std::map<FileCall, int> counts;
std::set<std::pair<FileCall, int>> failures;

const int cleared = OnReset([] {
  counts.clear();
  failures.clear();
});

bool Fails(FileCall call) { return failures.count({call, ++counts[call]}) > 0; }

}  // namespace

void FailFileCall(FileCall call, int occurrence) { failures.insert({call, occurrence}); }

}  // namespace fake

namespace platform {

using fake::FileCall;

int OpenFileForReading(const char* path) {
  return fake::Fails(FileCall::OpenForReading) ? -1 : posix::OpenFileForReading(path);
}

int OpenReplacementFile(const char* target, char* temporaryPath, size_t capacity) {
  return fake::Fails(FileCall::OpenReplacement)
             ? -1
             : posix::OpenReplacementFile(target, temporaryPath, capacity);
}

int32_t ReadFile(int handle, void* bytes, uint32_t count) {
  return fake::Fails(FileCall::Read) ? -1 : posix::ReadFile(handle, bytes, count);
}

int32_t WriteFile(int handle, const void* bytes, uint32_t count) {
  if (fake::Fails(FileCall::Write)) {
    posix::WriteFile(handle, bytes, count / 2);
    return -1;
  }
  return posix::WriteFile(handle, bytes, count);
}

int FlushFile(int handle) { return fake::Fails(FileCall::Flush) ? -1 : posix::FlushFile(handle); }

int CloseFile(int handle) {
  const bool fails = fake::Fails(FileCall::Close);
  return posix::CloseFile(handle) != 0 || fails ? -1 : 0;
}

int RenameFile(const char* from, const char* to) {
  return fake::Fails(FileCall::Rename) ? -1 : posix::RenameFile(from, to);
}

int RemoveFile(const char* path) {
  return fake::Fails(FileCall::Remove) ? -1 : posix::RemoveFile(path);
}

}  // namespace platform
