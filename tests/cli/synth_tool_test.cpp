// brivola-syn run as a user runs it: a separate process, its exit code, its messages and
// the files it leaves, held against the composer's own code run in this process.
#include <fcntl.h>
#include <sndfile.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "app/composer.h"
#include "preview/sound_preview.h"
#include "synthfile/synth_file.h"
#include "test_support.h"

namespace {

struct ToolRun {
  int exitCode;
  std::string out;
  std::string err;
};

std::string ReadText(const std::string& path) {
  const Bytes bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

// Runs brivola-syn with the arguments, its output and errors caught in files.
ToolRun RunTool(const std::vector<std::string>& arguments) {
  TempFolder streams;
  const std::string outPath = streams.Path("out"), errPath = streams.Path("err");
  const pid_t child = fork();
  if (child == 0) {
    const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(out, STDOUT_FILENO);
    dup2(err, STDERR_FILENO);
    std::vector<char*> argv{const_cast<char*>(BRIVOLA_SYN)};
    for (const std::string& argument : arguments) {
      argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    execv(BRIVOLA_SYN, argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadText(outPath), ReadText(errPath)};
}

// The wave the generators make in a fresh process, where the random source has drawn
// nothing yet, as in a new brivola-syn.
Bytes FreshlyGenerated(WaveKind kind, uint32_t byteCount) {
  void* shared =
      mmap(nullptr, byteCount, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  const pid_t child = fork();
  if (child == 0) {
    GenerateWave(kind, shared, byteCount);
    _exit(0);
  }
  waitpid(child, nullptr, 0);
  const auto* start = static_cast<const uint8_t*>(shared);
  Bytes bytes(start, start + byteCount);
  munmap(shared, byteCount);
  return bytes;
}

const std::vector<std::string> kExtractedNames = {"noise1.pcm",  "noise2.pcm", "pulse1.pcm",
                                                  "pulse2.pcm",  "pulse3.pcm", "pulse4.pcm",
                                                  "triangle.pcm"};

class SynthTool : public ComposerTest {
 protected:
  TempFolder folder;
};

}  // namespace

TEST_F(SynthTool, BuildEqualsTheComposersSaveAndExtractGivesTheSamplesBack) {
  // Sizes around the block limit; their sum makes N odd.
  const std::vector<size_t> sizes = {0, 1, 2, 441001, 524287, 524288, 600001};
  std::vector<Bytes> samples;
  std::vector<std::string> arguments = {"build", "-o", folder.Path("tool.syn")};
  for (int row = 0; row < kRowCount; ++row) {
    samples.push_back(RandomBytes(sizes[row], 100 + row));
    arguments.push_back(folder.Write("take " + std::to_string(row) + ".pcm", samples[row]));
    Attach(row, arguments.back());
  }
  const ToolRun build = RunTool(arguments);
  EXPECT_EQ(build.exitCode, 0) << build.err;
  EXPECT_EQ(build.err, "");

  fake::Choose(folder.Path("composer.syn"));
  ASSERT_EQ(SaveSynthFile(nullptr), 0);
  const Bytes built = ReadBytes(folder.Path("tool.syn"));
  EXPECT_EQ(built, ReadBytes(folder.Path("composer.syn")));
  EXPECT_EQ(built, ExpectedSynthFile(samples));
  EXPECT_EQ((built.size() - 4) % 2, 1u);

  const std::string extracted = folder.Path("new folder/samples");
  const ToolRun extract = RunTool({"extract", folder.Path("tool.syn"), "-d", extracted});
  EXPECT_EQ(extract.exitCode, 0) << extract.err;
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(extracted)) {
    names.push_back(entry.path().filename());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, kExtractedNames);
  const char* rowNames[kRowCount] = {"pulse1",   "pulse2", "pulse3", "pulse4",
                                     "triangle", "noise1", "noise2"};
  for (int row = 0; row < kRowCount; ++row) {
    const Bytes& sample = samples[row];
    const Bytes expected(sample.begin(), sample.begin() + std::min<size_t>(sample.size(), 524288));
    EXPECT_EQ(ReadBytes(extracted + "/" + rowNames[row] + ".pcm"), expected) << rowNames[row];
  }

  const ToolRun info = RunTool({"info", folder.Path("tool.syn")});
  EXPECT_EQ(info.exitCode, 0) << info.err;
  EXPECT_NE(info.out.find("well-formed"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("6    Noise Wave #1   524288    5.944"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("4    Pulse Wave #4   441001    5.000"), std::string::npos) << info.out;
  EXPECT_NE(info.out.find("2    Pulse Wave #2        1    0.000"), std::string::npos) << info.out;

  // A missing sample: the existing target stays as it was, and the message names the row.
  arguments[6] = folder.Path("missing.pcm");
  const ToolRun failed = RunTool(arguments);
  EXPECT_EQ(failed.exitCode, 1);
  EXPECT_EQ(failed.err, "brivola-syn: cannot open '" + arguments[6] +
                            "' (Pulse Wave #4): it is missing, unreadable or not a regular file\n");
  EXPECT_EQ(ReadBytes(folder.Path("tool.syn")), built);
  // A target that cannot be made.
  arguments[6] = folder.Path("take 3.pcm");
  arguments[2] = folder.Path("no such folder/x.syn");
  EXPECT_EQ(RunTool(arguments).exitCode, 1);
}

TEST_F(SynthTool, RenderEqualsTheGeneratorsAndThePreview) {
  const std::vector<std::pair<std::string, WaveKind>> waves = {
      {"pulse12", Pulse125},        {"pulse25", Pulse25},   {"pulse50", Pulse50},
      {"pulse75", Pulse75},         {"triangle", Triangle}, {"noise", Noise},
      {"looped-noise", LoopedNoise}};
  for (const auto& [name, kind] : waves) {
    const std::string output = folder.Path(name + ".pcm");
    const ToolRun render = RunTool({"render", name, "-o", output, "--seconds", "1.5"});
    EXPECT_EQ(render.exitCode, 0) << render.err;
    EXPECT_EQ(ReadBytes(output), FreshlyGenerated(kind, 1.5 * 44100 * 2)) << name;
  }

  // Five seconds by default: the very buffer a preview of that row plays.
  const std::string pulse = folder.Path("pulse75 default.pcm");
  ASSERT_EQ(RunTool({"render", "pulse75", "-o", pulse}).exitCode, 0);
  currentWaveKind = Pulse75;
  PreviewSynth(nullptr);
  ASSERT_EQ(fake::PlayedSounds().size(), 1u);
  EXPECT_EQ(ReadBytes(pulse), fake::PlayedSounds()[0].bytes);
  EXPECT_EQ(ReadBytes(pulse).size(), kPreviewBytes);

  // As WAV, read back by libsndfile: 16-bit mono at 44,100 Hz, the same samples.
  const std::string wave = folder.Path("triangle.wav");
  ASSERT_EQ(RunTool({"render", "triangle", "--wav", "-o", wave, "--seconds", "0.25"}).exitCode, 0);
  SF_INFO format{};
  SNDFILE* file = sf_open(wave.c_str(), SFM_READ, &format);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  EXPECT_EQ(format.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
  EXPECT_EQ(format.channels, 1);
  EXPECT_EQ(format.samplerate, 44100);
  std::vector<int16_t> samples(static_cast<size_t>(format.frames));
  sf_readf_short(file, samples.data(), format.frames);
  sf_close(file);
  EXPECT_EQ(samples, Samples(FreshlyGenerated(Triangle, 11025 * 2)));

  // Without -o the file is named after the wave, in the current folder.
  const auto here = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path(""));
  const ToolRun named = RunTool({"render", "looped-noise", "--seconds", "0.01", "--wav"});
  std::filesystem::current_path(here);
  EXPECT_EQ(named.exitCode, 0) << named.err;
  EXPECT_EQ(ReadBytes(folder.Path("looped-noise.wav")).size(), 44u + 441 * 2);
}

namespace {

// Writes a 16-bit WAV file of these interleaved samples.
void WriteWave(const std::string& path, int rate, int channels,
               const std::vector<int16_t>& samples) {
  SF_INFO format{};
  format.samplerate = rate;
  format.channels = channels;
  format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_16;
  SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &format);
  ASSERT_NE(file, nullptr) << sf_strerror(nullptr);
  sf_writef_short(file, samples.data(), static_cast<sf_count_t>(samples.size() / channels));
  sf_close(file);
}

// The amplitude of the samples' component at this frequency (a single DFT bin).
double Amplitude(const std::vector<int16_t>& samples, double frequency, double rate) {
  double re = 0, im = 0;
  for (size_t i = 0; i < samples.size(); ++i) {
    const double angle = 2 * M_PI * frequency * static_cast<double>(i) / rate;
    re += samples[i] * std::cos(angle);
    im += samples[i] * std::sin(angle);
  }
  return 2 * std::hypot(re, im) / static_cast<double>(samples.size());
}

}  // namespace

TEST_F(SynthTool, ConvertMakesA44100HzMonoSample) {
  // One second of 1 kHz at 48,000 Hz: the left channel at 0.8 of full scale, the right
  // at 0.4, so that the mix to mono is their mean, 0.6.
  constexpr int kRate = 48000;
  std::vector<int16_t> stereo;
  for (int i = 0; i < kRate; ++i) {
    const double sine = std::sin(2 * M_PI * 1000 * i / kRate);
    stereo.push_back(static_cast<int16_t>(std::lround(0.8 * 32767 * sine)));
    stereo.push_back(static_cast<int16_t>(std::lround(0.4 * 32767 * sine)));
  }
  const std::string input = folder.Path("sine 48k.wav");
  WriteWave(input, kRate, 2, stereo);
  const std::string output = folder.Path("sine.pcm");
  const ToolRun convert = RunTool({"convert", input, output});
  EXPECT_EQ(convert.exitCode, 0) << convert.err;
  const std::vector<int16_t> samples = Samples(ReadBytes(output));
  EXPECT_EQ(samples.size(), 44100u) << "one second, as the input";
  EXPECT_EQ(ReadBytes(output).size() % 2, 0u);
  // Away from the resampler's edges: the sine, at 1 kHz and 0.6 of full scale.
  const std::vector<int16_t> middle(samples.begin() + 1000, samples.end() - 1000);
  EXPECT_NEAR(Amplitude(middle, 1000, 44100), 0.6 * 32767, 0.01 * 32767);
  EXPECT_LT(Amplitude(middle, 1088.5, 44100), 0.01 * 32767)
      << "1 kHz is not where 48 kHz would leave it";
  EXPECT_LT(Amplitude(middle, 919, 44100), 0.01 * 32767);

  // A 44,100 Hz mono 16-bit input passes through unchanged.
  const Bytes noise = RandomBytes(44100, 7);
  const std::string native = folder.Path("native.wav");
  WriteWave(native, 44100, 1, Samples(noise));
  ASSERT_EQ(RunTool({"convert", native, folder.Path("native.pcm")}).exitCode, 0);
  EXPECT_EQ(ReadBytes(folder.Path("native.pcm")), noise);

  // Inputs that are not audio: a clear error, exit 1 and no output file.
  const std::string text = folder.Write("notes.txt", Bytes(100, 'a'));
  const std::vector<std::pair<std::string, std::string>> unreadable = {
      {text, "brivola-syn: cannot read '" + text + "' as audio: "},
      {folder.Path("missing.wav"), "brivola-syn: cannot open '" + folder.Path("missing.wav") + "'"},
      {folder.Path(""), "brivola-syn: cannot open '" + folder.Path("") + "'"}};
  for (const auto& [path, message] : unreadable) {
    const ToolRun failed = RunTool({"convert", path, folder.Path("out.pcm")});
    EXPECT_EQ(failed.exitCode, 1) << path;
    EXPECT_EQ(failed.err.rfind(message, 0), 0u) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(folder.Path("out.pcm")));
  }
  const ToolRun unwritable = RunTool({"convert", input, folder.Path("no such folder/out.pcm")});
  EXPECT_EQ(unwritable.exitCode, 1);
  EXPECT_NE(unwritable.err.find("cannot create"), std::string::npos) << unwritable.err;
}

TEST_F(SynthTool, MalformedFilesAreRefusedWithTheirOwnMessage) {
  // A body of seven blocks of these lengths, each filled with its own byte.
  auto body = [](const std::vector<uint32_t>& lengths) {
    Bytes bytes;
    for (size_t block = 0; block < lengths.size(); ++block) {
      PutLength(bytes, lengths[block]);
      bytes.insert(bytes.end(), std::min<uint32_t>(lengths[block], 600000),
                   static_cast<uint8_t>(block));
    }
    return bytes;
  };
  const std::vector<uint32_t> good = {2, 0, 4, 0, 6, 0, 8};
  Bytes countTooLarge = SynthFileOf(body(good));
  countTooLarge.pop_back();
  Bytes leftOver = body(good);
  leftOver.insert(leftOver.end(), {1, 2, 3});
  Bytes lengthCut = body({2, 0, 4, 0, 6, 0});
  lengthCut.insert(lengthCut.end(), {0, 0});
  Bytes pastEnd = body({2, 0, 4, 0, 6, 0, 8});
  pastEnd.resize(pastEnd.size() - 3);
  Bytes tooLong = body({2, 0, 524289, 0, 6, 0, 8});

  const std::vector<std::pair<Bytes, std::string>> cases = {
      {{}, "truncated: 0 bytes, too short for the count at byte 0"},
      {{1, 0, 0}, "truncated: 3 bytes, too short for the count at byte 0"},
      {countTooLarge, "the count at byte 0 says 48 bytes follow, but 47 do"},
      {SynthFileOf(leftOver), "3 bytes left over after the seventh block, from byte 52"},
      {SynthFileOf(lengthCut),
       "truncated: the file ends at byte 42, inside block 7 (Noise Wave #2)'s length at byte 40"},
      {SynthFileOf(pastEnd),
       "block 7 (Noise Wave #2) at byte 40 claims 8 bytes, running 3 bytes past the end of the "
       "file"},
      {SynthFileOf(tooLong),
       "block 3 (Pulse Wave #3) at byte 14 claims 524289 bytes, more than the 524288 a block "
       "holds"},
  };
  std::set<std::string> messages;
  for (size_t i = 0; i < cases.size(); ++i) {
    const std::string path = folder.Write("bad " + std::to_string(i) + ".syn", cases[i].first);
    const std::string expected =
        "brivola-syn: '" + path + "' is not a well-formed Synth file: " + cases[i].second + "\n";
    const ToolRun info = RunTool({"info", path});
    EXPECT_EQ(info.exitCode, 1);
    EXPECT_EQ(info.err, expected);
    EXPECT_EQ(info.out, "");
    const std::string target = folder.Path("out " + std::to_string(i));
    const ToolRun extract = RunTool({"extract", path, "-d", target});
    EXPECT_EQ(extract.exitCode, 1);
    EXPECT_EQ(extract.err, expected);
    EXPECT_FALSE(std::filesystem::exists(target)) << "nothing is written";
    messages.insert(info.err);
  }
  EXPECT_EQ(messages.size(), cases.size()) << "each fault has its own message";

  // The well-formed neighbour of these files is read, and its blocks extracted.
  const std::string goodPath = folder.Write("good.syn", SynthFileOf(body(good)));
  EXPECT_EQ(RunTool({"extract", goodPath, "-d", folder.Path("good")}).exitCode, 0);
  EXPECT_EQ(ReadBytes(folder.Path("good/noise2.pcm")), Bytes(8, 6));

  // Longer than any Synth file can be, and a file that is not a regular file.
  const std::string huge = folder.Write("huge.syn", Bytes(4 + 7 * (4 + 524288) + 1, 0));
  const ToolRun hugeInfo = RunTool({"info", huge});
  EXPECT_EQ(hugeInfo.exitCode, 1);
  EXPECT_EQ(hugeInfo.err, "brivola-syn: '" + huge +
                              "' is not a well-formed Synth file: it is longer than the 3670048 "
                              "bytes of the largest one\n");
  EXPECT_EQ(RunTool({"extract", folder.Path(""), "-d", folder.Path("x")}).exitCode, 1);
  EXPECT_FALSE(std::filesystem::exists(folder.Path("x")));
}

TEST_F(SynthTool, HelpVersionAndUsageErrors) {
  const ToolRun help = RunTool({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  for (const char* command :
       {"build -o OUT.syn P1 P2 P3 P4 TRI N1 N2", "info FILE.syn", "extract FILE.syn [-d DIR]",
        "render WAVE [-o OUT] [--seconds S] [--wav]", "convert IN OUT.pcm"}) {
    EXPECT_NE(help.out.find(command), std::string::npos) << command;
  }
  for (const char* command : {"build", "info", "extract", "render", "convert"}) {
    const ToolRun commandHelp = RunTool({command, "--help"});
    EXPECT_EQ(commandHelp.exitCode, 0);
    EXPECT_EQ(commandHelp.out.rfind(std::string("Usage: brivola-syn ") + command + " ", 0), 0u);
  }
  const ToolRun version = RunTool({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, "brivola-syn " BRIVOLA_VERSION "\n");

  const std::vector<std::pair<std::vector<std::string>, std::string>> misuses = {
      {{}, "Usage: brivola-syn COMMAND"},
      {{"bundle"}, "brivola-syn: unknown command 'bundle'\nTry 'brivola-syn --help'.\n"},
      {{"build", "a", "b", "c", "d", "e", "f", "g"}, "brivola-syn: build needs -o\n"},
      {{"build", "-o", "x.syn", "a"}, "brivola-syn: build takes 7 files or names, not 1\n"},
      {{"info"}, "brivola-syn: info takes 1 file or name, not 0\n"},
      {{"extract", "a.syn", "-d"}, "brivola-syn: -d needs a value\n"},
      {{"render", "sine"}, "brivola-syn: unknown wave 'sine'"},
      {{"render", "noise", "--seconds", "0"},
       "brivola-syn: --seconds takes a number above 0 and at most 600, not '0'\n"},
      {{"render", "noise", "--seconds", "601"},
       "brivola-syn: --seconds takes a number above 0 and at most 600, not '601'\n"},
      {{"render", "noise", "--seconds", "2s"},
       "brivola-syn: --seconds takes a number above 0 and at most 600, not '2s'\n"},
      {{"render", "noise", "--loud"}, "brivola-syn: unknown option --loud\n"},
      {{"render", "noise", "--wav", "--wav"}, "brivola-syn: --wav given twice\n"},
  };
  for (const auto& [arguments, message] : misuses) {
    const ToolRun misuse = RunTool(arguments);
    EXPECT_EQ(misuse.exitCode, 2) << message;
    EXPECT_EQ(misuse.err.rfind(message, 0), 0u) << misuse.err;
    EXPECT_EQ(misuse.out, "");
  }
  EXPECT_TRUE(folder.Names().empty()) << "a usage error writes nothing";
}
