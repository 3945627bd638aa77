// brivola-syn run as a user runs it, through bash in a scratch folder: rows of command lines,
// each command's exit code and all they write to standard error and output checked, then the
// samples convert writes held against values worked out here, independently of the program.
#include <pwd.h>
#include <unistd.h>

#include <cmath>
#include <complex>

#include "support.h"

namespace {

// Runs the lines with bash -o pipefail in the folder, with $T for brivola-syn, $S for the
// sample files s0.pcm to s6.pcm, "exited N" complaining unless the command before it exited with N,
// and "runs N" printing a wave's first sample, its first N run lengths of one sign, and their
// count. Returns what was written to standard error and output, in one.
std::string Bash(const TempFolder& folder, const std::string& lines) {
  const std::string script = "T=" BRIVOLA_SYN R"(; cd $(dirname $0); S=$(echo s?.pcm)
exited() { s=$?; [ $s = $1 ] || echo "exited $s, not $1"; }
runs() { od -An -td2 -w2 -v | uniq -c |
  awk -v n=$1 'NR == 1 {print $2} {r = r " " $1} NR == n {print r} END {print NR}'; }
)" + lines;
  const std::string path = folder.Write(".lines", Bytes(script.begin(), script.end()));
  EXPECT_NE(std::system(("bash -o pipefail " + path + " >" + path + ".out 2>&1").c_str()), -1);
  const Bytes output = ReadBytes(path + ".out");
  return std::string(output.begin(), output.end());
}

// A 16-bit WAV file of a 1 kHz sine per channel at these amplitudes (of full scale). Its
// 44-byte header: "RIFF", its size, "WAVE", "fmt ", 16 bytes of format (PCM, channels,
// rate, byte rate, frame size, bits), "data", its size; 0xFFFFFFFF sizes for a stream.
Bytes SineWave(uint32_t rate, uint32_t frames, std::vector<double> amplitudes, bool streamed) {
  const auto channels = static_cast<uint32_t>(amplitudes.size()), data = frames * channels * 2;
  Bytes file;
  for (uint32_t word :
       {0x46464952u, streamed ? ~0u : 36 + data, 0x45564157u, 0x20746d66u, 16u, 1u | channels << 16,
        rate, rate * channels * 2, channels * 2 | 16u << 16, 0x61746164u, streamed ? ~0u : data}) {
    PutLength(file, word);
  }
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
  for (size_t i = from; i < from + count; ++i)
    sum += samples[i] / 32768.0 * std::polar(1.0, 2 * M_PI * 1000 * i / 44100);
  return 2 * std::abs(sum) / count;
}

}  // namespace

// The command lines, then the samples convert writes.
TEST(SynthTool, CommandLines) {
  TempFolder folder;
  // Seven samples around the block limit whose sum makes N odd, and their Synth file
  // laid out here: 2,013,899 bytes, the count and seven lengths and the samples' first
  // 524,288 bytes.
  std::vector<Bytes> samples;
  for (size_t size : {0, 1, 2, 441001, 524287, 524288, 600001})
    samples.push_back(RandomBytes(size, static_cast<uint32_t>(samples.size())));
  for (size_t i = 0; i < samples.size(); ++i)
    folder.Write("s" + std::to_string(i) + ".pcm", samples[i]);
  folder.Write("good.syn", SynthFileOf(samples));
  folder.Write("native.wav", SineWave(44100, 1000, {0.5}, false));
  folder.Write("one.wav", SineWave(1, 8192, {0.5}, false));
  folder.Write("silence.wav", SineWave(44100, 220500, {0}, false));
  // As root, the folder the user cannot write is tried as the user "nobody".
  const bool skip = geteuid() == 0 && getpwnam("nobody") == nullptr;
  if (skip) std::printf("Skipped the folder the user cannot write: no user \"nobody\"\n");
  // Malformed Synth files: info and extract give the same message and write nothing. Each
  // body holds blocks of these lengths, grown or cut at its end by some bytes.
  auto file = [](const std::vector<uint32_t>& lengths, int change) {
    Bytes body;
    for (uint32_t length : lengths) {
      PutLength(body, length);
      body.resize(body.size() + length, static_cast<uint8_t>(length));
    }
    body.resize(body.size() + change);
    return SynthFileOfBody(body);
  };
  Bytes countTooLarge = file({2, 0, 4, 0, 6, 0, 8}, 0);
  countTooLarge.pop_back();
  const std::vector<std::pair<Bytes, std::string>> malformed = {
      {{}, "truncated: 0 bytes, too short for the count at byte 0"},
      {countTooLarge, "the count at byte 0 says 48 bytes follow, but 47 do"},
      {file({2, 0, 4, 0, 6, 0, 8}, 3), "3 bytes left over after the seventh block, from byte 52"},
      {file({2, 0, 4, 0, 6, 0, 0}, -2),
       "truncated: the file ends at byte 42, inside block 7 (Noise Wave #2)'s length at byte 40"},
      {file({2, 0, 4, 0, 6, 0, 8}, -3),
       "block 7 (Noise Wave #2) at byte 40 claims 8 bytes, running 3 bytes past the end of the "
       "file"},
      {file({2, 0, 524289, 0, 6, 0, 8}, 0),
       "block 3 (Pulse Wave #3) at byte 14 claims 524289 bytes, more than the 524288 a block "
       "holds"},
      {Bytes(4 + 7 * 524292 + 1), "it is longer than the 3670048 bytes of the largest one"},
  };
  std::string messages;
  for (size_t i = 0; i < malformed.size(); ++i) {
    messages += "      2 brivola-syn: '" +
                folder.Write("bad" + std::to_string(i) + ".syn", malformed[i].first) +
                "' is not a well-formed Synth file: " + malformed[i].second + "\n";
  }
  // Each row's commands end in "exited N". Pulse waves: a +2000 sample, then runs of
  // alternating sign whose lengths carry the fraction of 44,100 / 440 samples; 4,401 runs in
  // five seconds. extract refuses to replace files, then replaces them with --force.
  std::vector<std::pair<std::string, std::string>> cases = {
      {R"($T render pulse50 --seconds=0.5 -o a.pcm && $T render --seconds 0.5 pulse50 \
--output=b.pcm && $T render pulse50 --seconds 0.5 -oc.pcm && cmp a.pcm b.pcm && cmp a.pcm c.pcm &&
stat -c%s a.pcm && $T render pulse12 -o - | runs 9 && $T render pulse50 -o t.WAV &&
$T render pulse50 --wav -o - | cmp - t.WAV && cmp -n44 t.WAV silence.wav && tail -c +45 t.WAV |
runs 10 && $T info -h | head -1 && $T --version && $T --help | sed -n 6,7p && $T render noise --seconds 600 -o - | wc -c &&
$T build -o - $S | cmp - good.syn && $T build -o b.syn $S && cmp b.syn good.syn &&
cat native.wav | $T convert - - | cmp - <(tail -c 2000 native.wav) &&
cat good.syn | $T info - | sed -n 1,7p; exited 0
mkdir e && touch e/pulse2.pcm e/noise1.pcm && $T extract good.syn -d e; exited 1; ls e &&
cat good.syn | $T extract - --directory=e --force && cat e/pulse?.pcm e/tri*.pcm e/noi* |
  cmp - <(cat s0.pcm s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm; head -c 524288 s6.pcm); exited 0)",
       "44100\n2000\n 1 12 88 12 88 12 88 13 87\n4401\n2000\n 1 50 50 50 50 50 50 50 50 51\n"
       "4401\nUsage: brivola-syn info FILE.syn\nbrivola-syn " BRIVOLA_VERSION
       "\n  build -o OUT.syn "
       "P1 P2 P3 P4 TRI N1 N2\n      bundle seven sample files into a Synth file\n52920000\n"
       "-: a well-formed Synth file of 2013899 bytes\nrow  caption          bytes  seconds\n"
       "1    Pulse Wave #1        0    0.000\n2    Pulse Wave #2        1    0.000\n"
       "3    Pulse Wave #3        2    0.000\n4    Pulse Wave #4   441001    5.000\n"
       "5    Triangle Wave   524287    5.944\nbrivola-syn: 'e/pulse2.pcm', 'e/noise1.pcm' "
       "already there; nothing was written (--force replaces)\nnoise1.pcm\npulse2.pcm\n"},
      // Usage errors: the message, then the command's usage. Writes refused by a closed or
      // full standard output, a pipe closed early, a file size limit of 0 (stderr piped out from
      // under it); files missing or not readable. "uniq -c" counts repeated messages.
      {R"(printf '%s\n' "Usage: brivola-syn render WAVE [-o OUT] [--seconds S] [--wav]" \
  "Try 'brivola-syn render --help'." >usage; $T --bogus; exited 2
for a in "info a b" "convert a" ""; do $T $a 2>&1 | sed -n 1p; exited 2; done
for a in "-- -o" "pulse50 --loud" "pulse50 --wav=yes" "pulse50 --seconds" "noise --seconds 601" \
  "noise --seconds 0.00001" "pulse50 --wav -o y.pcm"
do $T render $a 2>&1 | { read -r m; echo "$m"; cmp - usage; }; exited 2; done
$T --version >&-; exited 1; $T render noise -o - | head -c 1 >/dev/null; exited 1
for out in "render pulse50 -o -" "info good.syn" "build -o - $S"; do
  $T $out >/dev/full; exited 1; done 2>&1 | uniq -c
$T convert native.wav - 2>&1 >/dev/full | grep -o '^.*output: '; exited 1
mkdir -p x/pulse1.pcm; $T extract -f good.syn -d x; exited 1
$T render pulse50 -o no/x.pcm; exited 1
(trap '' XFSZ; ulimit -f 0; $T render pulse50 -o big.pcm; exited 1; $T extract good.syn -d f) 2>&1 |
  cat; exited 1; test ! -e big.pcm && for c in info extract; do $T $c no.syn; exited 1; done 2>&1 |
  uniq -c; $T info - </; exited 1; $T convert one.wav x.pcm; exited 1
$T build -o b.syn no.pcm ${S#s0.pcm}; exited 1; $T build -o b.syn ${S% s6.pcm} no.pcm; exited 1)",
       "brivola-syn: unknown option '--bogus'\nUsage: brivola-syn COMMAND [ARGUMENTS]\n"
       "Try 'brivola-syn --help'.\nbrivola-syn: info takes 1 file or name, not 2\nbrivola-syn: "
       "convert takes 2 files or names, not 1\nUsage: brivola-syn COMMAND "
       "[ARGUMENTS]\nbrivola-syn: unknown wave '-o'; the waves are "
       "pulse12, "
       "pulse25, pulse50, pulse75, triangle, noise and looped-noise\nbrivola-syn: unknown option "
       "'--loud'\nbrivola-syn: --wav takes no value\nbrivola-syn: --seconds needs a value\n"
       "brivola-syn: --seconds takes a number above 0 and at most 600, not '601'\n"
       "brivola-syn: --seconds 0.00001 is shorter than one sample at 44,100 Hz\n"
       "brivola-syn: --wav writes a WAV file, but 'y.pcm' does not end in .wav\n"
       "brivola-syn: cannot write to standard output: Bad file descriptor\n"
       "brivola-syn: cannot write to standard output: Broken pipe\n      3 brivola-syn: cannot "
       "write to standard output: No space left on device\nbrivola-syn: converting 'native.wav': "
       "cannot write standard output: \nbrivola-syn: cannot write 'x/pulse1.pcm': it is not a "
       "regular file; no sample file was changed\nbrivola-syn: cannot write 'no/x.pcm': No such "
       "file or directory\nbrivola-syn: cannot write 'big.pcm': File too large\n"
       "brivola-syn: cannot write 'f/pulse2.pcm', 'f/pulse3.pcm', 'f/pulse4.pcm', "
       "'f/triangle.pcm', 'f/noise1.pcm', 'f/noise2.pcm': File too large; no sample file was "
       "changed\n      2 brivola-syn: cannot open 'no.syn': it is missing, unreadable or not a "
       "regular file: No such file or directory\nbrivola-syn: cannot read standard input: Is a "
       "directory\nbrivola-syn: converting 'one.wav': its rate of 1 Hz is outside the 1000 to "
       "768000 Hz that convert takes\nbrivola-syn: cannot open 'no.pcm' (Pulse Wave #1): it is "
       "missing, unreadable or not a regular file: No such file or directory\nbrivola-syn: cannot "
       "open 'no.pcm' (Noise Wave #2): it is missing, unreadable or not a regular file: No such "
       "file or directory\n"},
      {skip ? "" : R"([ $(id -u) = 0 ] && as="setpriv --reuid=nobody --regid=nogroup --clear-groups"
chmod 755 . && mkdir -m 555 locked && $as $T render pulse50 -o locked/x.pcm; exited 1)",
       skip ? "" : "brivola-syn: cannot write 'locked/x.pcm': Permission denied\n"},
      {R"(for f in "$PWD"/bad?.syn; do for c in info "extract -d m"; do $T $c "$f"; exited 1
done 2>&1 | uniq -c; done; test ! -e m; exited 0)",
       messages},
  };
  for (const auto& [lines, expected] : cases) EXPECT_EQ(Bash(folder, lines), expected) << lines;
  // Sines at 1 kHz made into 44,100 Hz mono: the mean of the channels, as long as the
  // input, the signal to the last sample. 24,576 frames are three chunks of 8,192.
  const std::vector<std::tuple<uint32_t, uint32_t, std::vector<double>, std::string>> inputs = {
      {48000, 24576, {0.8, 0.4}, "$T convert in.wav out.pcm"},
      {22050, 10001, {0.6}, "$T convert in.wav out.wav && tail -c +45 out.wav >out.pcm"},
      {32000, 9000, {0.3, 0.9}, "cat in.wav | $T convert - - >out.pcm"},
  };
  for (const auto& [rate, frames, amplitudes, line] : inputs) {
    folder.Write("in.wav", SineWave(rate, frames, amplitudes, line[0] == 'c'));
    ASSERT_EQ(Bash(folder, line + "; exited 0"), "") << line;
    const std::vector<int16_t> out = Samples(ReadBytes(folder.Path("out.pcm")));
    ASSERT_EQ(out.size(), static_cast<size_t>(std::llround(frames * 44100.0 / rate))) << line;
    EXPECT_NEAR(AmplitudeAt1kHz(out, 441, out.size() - 882), 0.6, 0.003) << line;
    EXPECT_NEAR(AmplitudeAt1kHz(out, out.size() - 441, 441), 0.6, 0.01) << line;
  }
}
