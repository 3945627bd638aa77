// Checks the Windows file backend on a real file system (under Wine): binary reads,
// sharing, refusing what is not a disk file without blocking, and replacing a file
// through a temporary one beside it. Prints each mismatch and a closing count.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/files.h"
#include "tests/windows/check_support.h"

namespace {

constexpr size_t kPathCapacity = 232;

void WriteWholeFile(const std::string& path, const std::string& bytes) {
  std::FILE* file = std::fopen(path.c_str(), "wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::string ReadWholeFile(const std::string& path) {
  std::string bytes;
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "<missing>";
  for (int c; (c = std::fgetc(file)) != EOF;) bytes.push_back(static_cast<char>(c));
  std::fclose(file);
  return bytes;
}

bool Exists(const std::string& path) {
  return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

int CountEntries(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search == INVALID_HANDLE_VALUE) return 0;
  int count = 0;
  do {
    if (std::strcmp(entry.cFileName, ".") != 0 && std::strcmp(entry.cFileName, "..") != 0) ++count;
  } while (FindNextFileA(search, &entry));
  FindClose(search);
  return count;
}

void CheckReading(const std::string& folder) {
  const std::string path = folder + "\\sample.pcm";
  const std::string bytes("\x0D\x0A\x1A\x00\xFF\x0A", 6);  // text mode would change these
  WriteWholeFile(path, bytes);
  const int handle = platform::OpenFileForReading(path.c_str());
  check::Expect(handle > 0, "a regular file opens for reading");
  char read[16] = {};
  check::Expect(platform::ReadFile(handle, read, sizeof read) == 6 && std::string(read, 6) == bytes,
         "the file's bytes read as they are, the count short at the end");
  check::Expect(platform::ReadFile(handle, read, sizeof read) == 0, "nothing more at the end");

  // Other programs may write the file while it is open here.
  const HANDLE writer = CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  check::Expect(writer != INVALID_HANDLE_VALUE, "another writer may open the file meanwhile");
  CloseHandle(writer);
  check::Expect(platform::CloseFile(handle) == 0, "closing succeeds");
}

void CheckRefusals(const std::string& folder) {
  check::Expect(platform::OpenFileForReading((folder + "\\missing.pcm").c_str()) == -1,
         "a missing file is refused");
  check::Expect(platform::OpenFileForReading(folder.c_str()) == -1, "a folder is refused");
  check::Expect(platform::OpenFileForReading("NUL") == -1, "the NUL device is refused");
  const std::string pipeName = "\\\\.\\pipe\\brivola-files-check-" + std::to_string(GetCurrentProcessId());
  const HANDLE pipe = CreateNamedPipeA(pipeName.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                       0, 0, 0, nullptr);
  check::Expect(platform::OpenFileForReading(pipeName.c_str()) == -1,
         "a pipe with no data is refused, not waited on");
  CloseHandle(pipe);
}

void CheckReplacing(const std::string& folder) {
  const std::string target = folder + "\\song.syn";
  WriteWholeFile(target, "old");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN);
  char temporary[kPathCapacity];
  const int handle = platform::OpenReplacementFile(target.c_str(), temporary, sizeof temporary);
  check::Expect(handle > 0, "a replacement opens beside an existing target");
  check::Expect(std::string(temporary).rfind(target + ".", 0) == 0 && ReadWholeFile(temporary).empty(),
         "the replacement \"%s\" is new and empty, in the target's folder", temporary);
  char second[kPathCapacity];
  const int secondHandle = platform::OpenReplacementFile(target.c_str(), second, sizeof second);
  check::Expect(secondHandle > 0 && std::strcmp(second, temporary) != 0,
         "each replacement gets a name of its own");
  platform::CloseFile(secondHandle);
  check::Expect(platform::RemoveFile(second) == 0 && !Exists(second), "a file is removed");
  check::Expect(platform::RemoveFile(second) == -1, "removing a missing file fails");

  check::Expect(platform::WriteFile(handle, "new!", 4) == 4 && platform::FlushFile(handle) == 0 &&
             platform::CloseFile(handle) == 0,
         "the replacement is written, flushed and closed");
  check::Expect(ReadWholeFile(target) == "old", "the target is unchanged until it is replaced");
  check::Expect(platform::RenameFile(temporary, target.c_str()) == 0, "the target is replaced");
  check::Expect(ReadWholeFile(target) == "new!" && !Exists(temporary),
         "the target holds the new content and the replacement's name is gone");
  check::Expect((GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0,
         "the replaced target keeps its attributes");
}

void CheckNewTarget(const std::string& folder) {
  const std::string target = folder + "\\new.syn";
  char temporary[kPathCapacity];
  const int handle = platform::OpenReplacementFile(target.c_str(), temporary, sizeof temporary);
  platform::WriteFile(handle, "abc", 3);
  platform::CloseFile(handle);
  check::Expect(platform::RenameFile(temporary, target.c_str()) == 0 && ReadWholeFile(target) == "abc",
         "a missing target is created by the move");
}

void CheckRefusedReplacements(const std::string& folder) {
  const std::string target = folder + "\\locked.syn";
  WriteWholeFile(target, "keep");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
  const int entries = CountEntries(folder);
  char temporary[kPathCapacity];
  check::Expect(platform::OpenReplacementFile(target.c_str(), temporary, sizeof temporary) == -1,
         "a read-only target is refused");
  char tooSmall[8];
  check::Expect(platform::OpenReplacementFile((folder + "\\other.syn").c_str(), tooSmall,
                                       sizeof tooSmall) == -1,
         "a temporary name longer than its buffer is refused");
  check::Expect(CountEntries(folder) == entries && ReadWholeFile(target) == "keep",
         "a refused replacement creates nothing and leaves the target as it was");
  SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
}

void RemoveFolder(const std::string& folder) {
  WIN32_FIND_DATAA entry;
  const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const std::string path = folder + "\\" + entry.cFileName;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    } while (FindNextFileA(search, &entry));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

}  // namespace

int main() {
  check::Start();
  char temporaryFolder[MAX_PATH];
  GetTempPathA(MAX_PATH, temporaryFolder);
  const std::string folder =
      std::string(temporaryFolder) + "brivola-files-check-" + std::to_string(GetCurrentProcessId());
  CreateDirectoryA(folder.c_str(), nullptr);
  CheckReading(folder);
  CheckRefusals(folder);
  CheckReplacing(folder);
  CheckNewTarget(folder);
  CheckRefusedReplacements(folder);
  RemoveFolder(folder);
  return check::Finish("files");
}
