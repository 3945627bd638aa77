// build, info and extract: Synth files made from sample files and taken apart again.
#include <cerrno>
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
  // One byte more than the largest Synth file tells a file that is too long.
  if (!ReadInput(path, kLargestSynthFile + 1, bytes)) return false;
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

constexpr char kOutOfMemory[] = "out of memory";

// Why a row's samples could not be read, naming the file and its row.
std::string SampleFailureMessage(const SampleReadFailure& failure, const std::string& sample) {
  switch (failure.fault) {
    case kSamplesNotOpened:
      return CannotOpenMessage(sample, failure.error);
    case kSamplesNotRead:
      return WithReason("cannot read " + sample, failure.error);
    case kSamplesMalformed:
      return "cannot read " + sample + ": " + failure.problem;
    case kSamplesChanged:
      return ChangedWhileReadMessage(sample);
    case kSamplesNoMemory:
      break;
  }
  return kOutOfMemory;
}

std::string WriteFailureMessage(const SynthWriteFailure& failure,
                                const std::vector<std::string>& samples, const std::string& target,
                                int error) {
  switch (failure.fault) {
    case kSampleNotRead:
      return SampleFailureMessage(
          failure.sample, Quoted(samples[failure.row]) + " (" + kRowCaptions[failure.row] + ")");
    case kNoMemory:
      return kOutOfMemory;
    case kTargetNotWritten:
      break;
  }
  return WithReason("cannot write " + Quoted(target) +
                        ": its folder must exist and be writable, and a file already there must "
                        "be a writable regular file, or a link that leads to one; nothing was "
                        "changed",
                    error);
}

// The paths of the seven files extract writes into the folder.
std::vector<std::string> SamplePaths(const std::filesystem::path& folder) {
  std::vector<std::string> paths;
  for (const char* name : kSampleFileNames) paths.push_back((folder / name).string());
  return paths;
}

}  // namespace

int RunBuild(const CommandArguments& arguments) {
  const std::string& target = arguments.options.at("output");
  const char* samplePaths[kRowCount];
  for (int row = 0; row < kRowCount; ++row) samplePaths[row] = arguments.operands[row].c_str();
  SynthWriteFailure failure{};
  errno = 0;
  int result = 0;
  if (target == kStandardStream) {
    std::vector<uint8_t> file(kLargestSynthFile);
    uint32_t size = 0;
    result = AssembleSynthFile(samplePaths, file.data(), &size, &failure);
    if (result == 0) return WriteOutput(target, file.data(), size) ? kExitDone : kExitFailed;
  } else {
    result = WriteSynthFile(samplePaths, target.c_str(), &failure);
  }
  if (result != 0) {
    return ReportFailure(WriteFailureMessage(failure, arguments.operands, target, errno));
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
  const auto folderOption = arguments.options.find("directory");
  const std::filesystem::path folder =
      folderOption != arguments.options.end() ? folderOption->second : ".";
  std::vector<uint8_t> bytes;
  SynthBlock blocks[kRowCount];
  if (!LoadSynthFile(path, &bytes, blocks)) return kExitFailed;

  const std::vector<std::string> samplePaths = SamplePaths(folder);
  if (arguments.options.count("force") == 0) {
    std::string existing;
    std::error_code error;
    for (const std::string& samplePath : samplePaths) {
      if (std::filesystem::symlink_status(samplePath, error).type() !=
          std::filesystem::file_type::not_found) {
        existing += (existing.empty() ? "" : ", ") + Quoted(samplePath);
      }
    }
    if (!existing.empty()) {
      return ReportFailure(existing + " already there; nothing was written (--force replaces)");
    }
  }
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (error || !std::filesystem::is_directory(folder)) {
    return ReportFailure(WithReason("cannot make the folder " + Quoted(folder.string()),
                                    error ? error.value() : ENOTDIR));
  }
  FileToWrite samples[kRowCount];
  for (int row = 0; row < kRowCount; ++row) {
    samples[row] = {samplePaths[row].c_str(), bytes.data() + blocks[row].offset, blocks[row].length,
                    false, 0};
  }
  if (WriteFilesTogether(samples, kRowCount)) return kExitDone;
  std::vector<std::string> failed;
  int reason = 0;  // the first failure's
  for (int row = 0; row < kRowCount; ++row) {
    if (!samples[row].failed) continue;
    if (failed.empty()) reason = samples[row].error;
    failed.push_back(samplePaths[row]);
  }
  return ReportFailure(CannotWriteMessage(failed, reason) + "; no sample file was changed");
}
