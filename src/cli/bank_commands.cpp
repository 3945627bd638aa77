// build, info and extract: Synth files made from sample files and taken apart again.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/synth_tool.h"
#include "platform/files.h"
#include "storage/replacement_file.h"
#include "synth/wave_generators.h"
#include "synthfile/synth_format.h"

namespace {

// The names extract gives the samples, in row order.
constexpr const char* kSampleFileNames[kRowCount] = {"pulse1.pcm", "pulse2.pcm",   "pulse3.pcm",
                                                     "pulse4.pcm", "triangle.pcm", "noise1.pcm",
                                                     "noise2.pcm"};

// Reads and decodes a Synth file; on failure reports it and returns false.
bool LoadSynthFile(const std::string& path, std::vector<uint8_t>* bytes,
                   SynthBlock (&blocks)[kRowCount]) {
  const int handle = platform::OpenFileForReading(path.c_str());
  platform::FileStamp stamp;
  if (handle < 0 || platform::StampFile(handle, &stamp) != 0) {
    if (handle >= 0) platform::CloseFile(handle);
    ReportFailure(CannotOpenMessage(Quoted(path)));
    return false;
  }
  // One byte more than the largest Synth file tells a file that is too long.
  bytes->resize(kLargestSynthFile + 1);
  const int32_t count = platform::ReadFile(handle, bytes->data(), kLargestSynthFile + 1);
  const bool unchanged = FileUnchangedSince(handle, stamp);
  platform::CloseFile(handle);
  if (count < 0) {
    ReportFailure("cannot read " + Quoted(path));
    return false;
  }
  if (!unchanged) {
    ReportFailure(ChangedWhileReadMessage(Quoted(path)));
    return false;
  }
  bytes->resize(static_cast<size_t>(count));
  std::string problem;
  if (bytes->size() > kLargestSynthFile) {
    problem =
        "it is longer than the " + std::to_string(kLargestSynthFile) + " bytes of the largest one";
  } else if (DecodeSynthFile(bytes->data(), bytes->size(), blocks, &problem) == 0) {
    return true;
  }
  ReportFailure(Quoted(path) + " is not a well-formed Synth file: " + problem);
  return false;
}

std::string WriteFailureMessage(const SynthWriteFailure& failure,
                                const std::vector<std::string>& samples,
                                const std::string& target) {
  const std::string sample =
      failure.row >= 0 && failure.row < kRowCount
          ? Quoted(samples[failure.row]) + " (" + kRowCaptions[failure.row] + ")"
          : "";
  switch (failure.fault) {
    case kSampleNotOpened:
      return CannotOpenMessage(sample);
    case kSampleNotRead:
      return "cannot read " + sample;
    case kNoMemory:
      return "out of memory";
    case kTargetNotWritten:
      break;
  }
  return "cannot write " + Quoted(target) +
         ": its folder must exist and be writable, and a file already there must be a "
         "writable regular file, or a link that leads to one; nothing was changed";
}

}  // namespace

int RunBuild(const CommandArguments& arguments) {
  const std::string& target = arguments.options.at("-o");
  const char* samplePaths[kRowCount];
  for (int row = 0; row < kRowCount; ++row) samplePaths[row] = arguments.operands[row].c_str();
  SynthWriteFailure failure{};
  if (WriteSynthFile(samplePaths, target.c_str(), &failure) != 0) {
    return ReportFailure(WriteFailureMessage(failure, arguments.operands, target));
  }
  return kExitDone;
}

int RunInfo(const CommandArguments& arguments) {
  const std::string& path = arguments.operands[0];
  std::vector<uint8_t> bytes;
  SynthBlock blocks[kRowCount];
  if (!LoadSynthFile(path, &bytes, blocks)) return kExitFailed;
  std::printf("%s: a well-formed Synth file of %zu bytes\n", path.c_str(), bytes.size());
  std::printf("%-4s %-14s %7s %8s\n", "row", "caption", "bytes", "seconds");
  for (int row = 0; row < kRowCount; ++row) {
    const double seconds =
        (blocks[row].length / kBytesPerSample) / static_cast<double>(kSamplesPerSecond);
    std::printf("%-4d %-14s %7u %8.3f\n", row + 1, kRowCaptions[row], blocks[row].length, seconds);
  }
  return kExitDone;
}

int RunExtract(const CommandArguments& arguments) {
  const std::string& path = arguments.operands[0];
  const auto folderOption = arguments.options.find("-d");
  const std::filesystem::path folder =
      folderOption != arguments.options.end() ? folderOption->second : ".";
  std::vector<uint8_t> bytes;
  SynthBlock blocks[kRowCount];
  if (!LoadSynthFile(path, &bytes, blocks)) return kExitFailed;

  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder)) {
    return ReportFailure("cannot make the folder " + Quoted(folder.string()));
  }
  std::string samplePaths[kRowCount];
  FileToWrite samples[kRowCount];
  for (int row = 0; row < kRowCount; ++row) {
    samplePaths[row] = (folder / kSampleFileNames[row]).string();
    samples[row] = {samplePaths[row].c_str(), bytes.data() + blocks[row].offset, blocks[row].length,
                    false};
  }
  if (WriteFilesTogether(samples, kRowCount)) return kExitDone;
  std::string failed;
  for (int row = 0; row < kRowCount; ++row) {
    if (samples[row].failed) failed += (failed.empty() ? "" : ", ") + Quoted(samplePaths[row]);
  }
  return ReportFailure("cannot write " + failed + "; no sample file was changed");
}
