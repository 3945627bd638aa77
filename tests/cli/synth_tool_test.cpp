// brivola-syn run as a user runs it, through bash in a scratch folder: one row per
// command line with its exit code, its standard error and standard output, then the
// files it writes held against values worked out here, independently of the program.
#include <pwd.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cmath>
#include <complex>

#include "support.h"

namespace {

// Runs the command line with bash -o pipefail in the folder, $T standing for brivola-syn.
// Returns the exit code and what it wrote to standard error and output, in one.
std::pair<int, std::string> Bash(const TempFolder& folder, const std::string& line) {
  folder.Write(".line", Bytes(line.begin(), line.end()));
  const int status = std::system(
      ("cd " + folder.Path("") + " && T=" BRIVOLA_SYN " bash -o pipefail .line >.output 2>&1")
          .c_str());
  const Bytes output = ReadBytes(folder.Path(".output"));
  return {WEXITSTATUS(status), std::string(output.begin(), output.end())};
}

// The 44-byte header of a 16-bit PCM WAV file; 0xFFFFFFFF sizes for a stream. In order:
// "RIFF", its size, "WAVE", "fmt ", 16 bytes of format (PCM, channels, rate, byte rate,
// frame size, bits), "data", its size.
Bytes WaveHeader(uint32_t rate, uint32_t channels, uint32_t dataBytes, bool streamed) {
  Bytes header;
  for (uint32_t word : {0x46464952u, streamed ? ~0u : 36 + dataBytes, 0x45564157u, 0x20746d66u, 16u,
                        1u | channels << 16, rate, rate * channels * 2, channels * 2 | 16u << 16,
                        0x61746164u, streamed ? ~0u : dataBytes}) {
    PutLength(header, word);
  }
  return header;
}

// A 16-bit WAV file of a 1 kHz sine per channel at these amplitudes (of full scale).
Bytes SineWave(uint32_t rate, uint32_t frames, std::vector<double> amplitudes, bool streamed) {
  const auto channels = static_cast<uint32_t>(amplitudes.size());
  Bytes file = WaveHeader(rate, channels, frames * channels * 2, streamed);
  for (uint32_t frame = 0; frame < frames; ++frame) {
    for (double amplitude : amplitudes) {
      const auto sample = std::lround(amplitude * 32767 * std::sin(2 * M_PI * 1000 * frame / rate));
      file.insert(file.end(), {static_cast<uint8_t>(sample), static_cast<uint8_t>(sample >> 8)});
    }
  }
  return file;
}

// The amplitude, as a fraction of full scale, of the samples' component at 1 kHz.
double AmplitudeAt1kHz(const std::vector<int16_t>& samples, size_t from, size_t count) {
  std::complex<double> sum = 0;
  for (size_t i = from; i < from + count; ++i) {
    sum += static_cast<double>(samples[i]) *
           std::polar(1.0, 2 * M_PI * 1000 * static_cast<double>(i) / 44100);
  }
  return 2 * std::abs(sum) / static_cast<double>(count) / 32768;
}

}  // namespace

TEST(SynthTool, CommandLines) {
  TempFolder folder;
  // Seven samples around the block limit whose sum makes N odd, and their Synth file
  // laid out here.
  const std::string sampleNames = " s0.pcm s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm s6.pcm";
  std::vector<Bytes> samples;
  for (size_t size : {0, 1, 2, 441001, 524287, 524288, 600001}) {
    samples.push_back(RandomBytes(size, static_cast<uint32_t>(samples.size())));
    folder.Write("s" + std::to_string(samples.size() - 1) + ".pcm", samples.back());
  }
  folder.Write("good.syn", SynthFileOf(samples));
  folder.Write("native.wav", SineWave(44100, 1000, {0.5}, false));
  folder.Write("one.wav", SineWave(1, 8192, {0.5}, false));
  folder.Write("header.wav", WaveHeader(44100, 1, 441000, false));
  // Pulse waves: a +2000 sample, then runs of alternating sign whose lengths carry the
  // fraction of 44,100 / 440 samples; 4,401 runs in five seconds.
  auto runs = [](int count) {
    return " | od -An -td2 -w2 -v | uniq -c | awk 'NR == 1 {print $2} {r = r \" \" $1} NR == " +
           std::to_string(count) + " {print r} END {print NR}'";
  };
  // As root, the folder the user cannot write is tried as the user "nobody".
  const bool root = geteuid() == 0, skip = root && getpwnam("nobody") == nullptr;
  if (skip) std::printf("Skipped the folder the user cannot write: no user \"nobody\"\n");
  const std::string locked =
      skip ? ""
           : "chmod 755 . && mkdir -m 555 locked && " +
                 std::string(root ? "setpriv --reuid=nobody --regid=nogroup --clear-groups " : "") +
                 "$T render pulse50 -o locked/x.pcm";
  const std::string usage =
      "\nUsage: brivola-syn render WAVE [-o OUT] [--seconds S] [--wav]\n"
      "Try 'brivola-syn render --help'.\n";
  const std::string noSpace =
      "brivola-syn: cannot write to standard output: No space left on device\n";
  const std::string missing =
      ": it is missing, unreadable or not a regular file: No such file or directory\n";
  // The exit code and what the user reads: all of it, or its start when it has no "\n".
  std::vector<std::tuple<std::string, int, std::string>> cases = {
      {"$T render pulse50 --seconds=0.5 -o a.pcm && $T render --seconds 0.5 pulse50 --output=b.pcm "
       "&& $T render pulse50 --seconds 0.5 -oc.pcm && cmp a.pcm b.pcm && cmp a.pcm c.pcm && "
       "stat -c%s a.pcm",
       0, "44100\n"},
      {"$T render pulse12 -o -" + runs(9), 0, "2000\n 1 12 88 12 88 12 88 13 87\n4401\n"},
      {"$T render pulse50 --wav -o - | tail -c +45" + runs(10), 0,
       "2000\n 1 50 50 50 50 50 50 50 50 51\n4401\n"},
      {"$T --version >&-; $T render noise -o - | head -c 1 >/dev/null", 1,
       "brivola-syn: cannot write to standard output: Bad file descriptor\nbrivola-syn: cannot "
       "write to standard output: Broken pipe\n"},
      {"$T render -- -o", 2, "brivola-syn: unknown wave '-o'"},
      {"$T --bogus", 2,
       "brivola-syn: unknown option '--bogus'\nUsage: brivola-syn COMMAND [ARGUMENTS]\n"
       "Try 'brivola-syn --help'.\n"},
      {"$T render pulse50 --loud; $T render pulse50 --wav=yes; $T render pulse50 --seconds", 2,
       "brivola-syn: unknown option '--loud'" + usage + "brivola-syn: --wav takes no value" +
           usage + "brivola-syn: --seconds needs a value" + usage},
      {"$T info -h | head -1 && $T --version", 0,
       "Usage: brivola-syn info FILE.syn\nbrivola-syn " BRIVOLA_VERSION "\n"},
      {"$T render noise --seconds 600 -o - | wc -c", 0, "52920000\n"},
      {"$T render noise --seconds 601", 2,
       "brivola-syn: --seconds takes a number above 0 and at most 600, not '601'" + usage},
      {"$T render noise --seconds 0.00001", 2,
       "brivola-syn: --seconds 0.00001 is shorter than one sample at 44,100 Hz" + usage},
      {"$T render pulse50 --wav -o y.pcm", 2,
       "brivola-syn: --wav writes a WAV file, but 'y.pcm' does not end in .wav" + usage},
      {"$T render pulse50 -o t.WAV && $T render pulse50 --wav -o - | cmp - t.WAV && "
       "head -c44 t.WAV | cmp - header.wav",
       0, ""},
      {"$T build -o - " + sampleNames + " | cmp - good.syn && $T build -o b.syn" + sampleNames +
           " && cmp b.syn good.syn",
       0, ""},
      {"cat good.syn | $T info -", 0,
       "-: a well-formed Synth file of " + std::to_string(SynthFileOf(samples).size()) +
           " bytes\nrow  caption          bytes  seconds\n1    Pulse Wave #1        0    0.000\n"
           "2    Pulse Wave #2        1    0.000\n3    Pulse Wave #3        2    0.000\n"
           "4    Pulse Wave #4   441001    5.000\n5    Triangle Wave   524287    5.944"},
      {"cat native.wav | $T convert - - | cmp - <(tail -c 2000 native.wav)", 0, ""},
      {"$T render pulse50 -o - >/dev/full; $T info good.syn >/dev/full; $T build -o -" +
           sampleNames + " >/dev/full",
       1, noSpace + noSpace + noSpace},
      {"$T convert native.wav - >/dev/full", 1,
       "brivola-syn: converting 'native.wav': cannot write standard output: "},
      // Writes refused by a file size limit of 0, stderr piped out from under it.
      {"mkdir -p x/pulse1.pcm; $T extract -f good.syn -d x; $T render pulse50 -o no/x.pcm; "
       "(trap '' XFSZ; ulimit -f 0; $T render pulse50 -o big.pcm; echo $?; $T extract good.syn "
       "-d f) 2>&1 | cat; test $? = 1 -a ! -e big.pcm",
       0,
       "brivola-syn: cannot write 'x/pulse1.pcm': it is not a regular file\nbrivola-syn: cannot "
       "write 'no/x.pcm': No such file or directory\nbrivola-syn: cannot write 'big.pcm': File "
       "too large\n1\nbrivola-syn: cannot write 'f/pulse2.pcm': File too large\n"},
      {"$T info no.syn; $T extract no.syn; $T info - </", 1,
       "brivola-syn: cannot open 'no.syn'" + missing + "brivola-syn: cannot open 'no.syn'" +
           missing + "brivola-syn: cannot read standard input: Is a directory\n"},
      {"$T build -o b.syn no.pcm" + sampleNames.substr(7), 1,
       "brivola-syn: cannot open 'no.pcm' (Pulse Wave #1)" + missing},
      {"mkdir e && touch e/pulse2.pcm e/noise1.pcm && $T extract good.syn -d e || ls e", 0,
       "brivola-syn: 'e/pulse2.pcm', 'e/noise1.pcm' already there; nothing was written (--force "
       "replaces)\nnoise1.pcm\npulse2.pcm\n"},
      {"cat good.syn | $T extract - --directory=e --force && cat e/pulse?.pcm e/tri*.pcm e/noi* | "
       "cmp - <(cat s0.pcm s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm; head -c 524288 s6.pcm)",
       0, ""},
      {"$T convert one.wav x.pcm", 1,
       "brivola-syn: converting 'one.wav': its rate of 1 Hz is outside the 1000 to 768000 Hz "
       "that convert takes\n"},
      {locked, 1, "brivola-syn: cannot write 'locked/x.pcm': Permission denied\n"},
  };
  // Malformed Synth files: info and extract give the same message and write nothing.
  auto body = [](const std::vector<uint32_t>& lengths, size_t cut) {
    Bytes bytes;
    for (size_t block = 0; block < lengths.size(); ++block) {
      PutLength(bytes, lengths[block]);
      bytes.insert(bytes.end(), lengths[block], static_cast<uint8_t>(block));
    }
    return Bytes(bytes.begin(), bytes.end() - static_cast<std::ptrdiff_t>(cut));
  };
  const std::vector<uint32_t> good = {2, 0, 4, 0, 6, 0, 8};
  Bytes countTooLarge = SynthFileOfBody(body(good, 0)), leftOver = body(good, 0);
  countTooLarge.pop_back();
  leftOver.insert(leftOver.end(), {1, 2, 3});
  const std::vector<std::pair<Bytes, std::string>> malformed = {
      {{}, "truncated: 0 bytes, too short for the count at byte 0"},
      {countTooLarge, "the count at byte 0 says 48 bytes follow, but 47 do"},
      {SynthFileOfBody(leftOver), "3 bytes left over after the seventh block, from byte 52"},
      {SynthFileOfBody(body({2, 0, 4, 0, 6, 0, 0}, 2)),
       "truncated: the file ends at byte 42, inside block 7 (Noise Wave #2)'s length at byte 40"},
      {SynthFileOfBody(body(good, 3)),
       "block 7 (Noise Wave #2) at byte 40 claims 8 bytes, running 3 bytes past the end of the "
       "file"},
      {SynthFileOfBody(body({2, 0, 524289, 0, 6, 0, 8}, 0)),
       "block 3 (Pulse Wave #3) at byte 14 claims 524289 bytes, more than the 524288 a block "
       "holds"},
      {Bytes(4 + 7 * (4 + 524288) + 1, 0),
       "it is longer than the 3670048 bytes of the largest one"},
  };
  for (size_t i = 0; i < malformed.size(); ++i) {
    const std::string name = "bad" + std::to_string(i) + ".syn";
    const std::string message = "brivola-syn: '" + name +
                                "' is not a well-formed Synth file: " + malformed[i].second + "\n";
    folder.Write(name, malformed[i].first);
    cases.emplace_back("$T info " + name + "; $T extract " + name + " -d m || test ! -e m", 0,
                       message + message);
  }
  for (const auto& [line, exitCode, expected] : cases) {
    if (line.empty()) continue;
    const auto [exit, output] = Bash(folder, line);
    EXPECT_EQ(exit, exitCode) << line << "\n" << output;
    const bool whole = expected.empty() || expected.back() == '\n';
    EXPECT_EQ(whole ? output : output.substr(0, expected.size()), expected) << line;
  }
}

TEST(SynthTool, WrittenSamples) {
  TempFolder folder;
  // Sines at 1 kHz made into 44,100 Hz mono: the mean of the channels, as long as the
  // input, the signal to the last sample. 24,576 frames are three chunks of 8,192.
  const std::vector<std::tuple<uint32_t, uint32_t, std::vector<double>, std::string>> inputs = {
      {48000, 24576, {0.8, 0.4}, "$T convert in.wav out.pcm"},
      {22050, 10001, {0.6}, "$T convert in.wav out.wav && tail -c +45 out.wav >out.pcm"},
      {32000, 9000, {0.3, 0.9}, "cat in.wav | $T convert - - >out.pcm"},
  };
  for (const auto& [rate, frames, amplitudes, line] : inputs) {
    folder.Write("in.wav", SineWave(rate, frames, amplitudes, line[0] == 'c'));
    ASSERT_EQ(Bash(folder, line).first, 0) << line;
    const std::vector<int16_t> out = Samples(ReadBytes(folder.Path("out.pcm")));
    ASSERT_EQ(out.size(), static_cast<size_t>(std::llround(frames * 44100.0 / rate))) << line;
    EXPECT_NEAR(AmplitudeAt1kHz(out, 441, out.size() - 882), 0.6, 0.003) << line;
    EXPECT_NEAR(AmplitudeAt1kHz(out, out.size() - 441, 441), 0.6, 0.01) << line;
  }
}
