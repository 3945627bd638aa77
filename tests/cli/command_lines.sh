#!/usr/bin/env bash
# brivola-syn run as a user runs it. Each row is a command line run by bash in a fresh copy
# of the fixture folder; the row gives its exit status and everything it writes to standard
# output and error, and may name a check of the folder afterwards (`unchanged`: every file
# that was there is still there byte for byte, links included). No row may leave a
# temporary file behind.
#   command_lines.sh BRIVOLA-SYN FAULTY-BRIVOLA-SYN
# The faulty tool is brivola-syn over a file layer that fails on request: FAIL_WRITE=N
# makes its N-th write fall short as on a full disk, FAIL_STAMP=N makes its N-th look at a
# file being read find it changed.
set -uo pipefail
syn=$1 faulty=$2 tools=$(cd "$(dirname "$0")/.." && pwd)/test_tools.py
work=$(mktemp -d) passed=0 failed=0
trap 'rm -rf "$work"' EXIT
chmod 755 "$work"  # the row run as another user reaches its folder

# The fixture: seven samples around the block limit (an odd total, so the first byte after
# the count stays untransformed) and their Synth file laid out independently; recordings to
# convert; older files for the commands to replace or keep.
mkdir -p "$work/fixture/old" && cd "$work/fixture" || exit 1
sizes=(0 1 2 441001 524287 524288 600001)
for row in "${!sizes[@]}"; do head -c "${sizes[row]}" /dev/urandom >"s$row.pcm"; done
S="s0.pcm s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm s6.pcm"
python3 "$tools" synth good.syn $S &&
  python3 "$tools" sine one.wav 1 8192 0.5 &&
  python3 "$tools" sine take.wav 8000 48000 0.5 && echo old >old.pcm && mkfifo fifo ||
  { echo "not ok - the fixture"; exit 1; }
for name in pulse1 pulse2 pulse3 pulse4 triangle noise1 noise2; do echo "old $name" >"old/$name.pcm"; done
for change in 0 3 -3; do python3 "$tools" body "grown$change.syn" "$change" 2 0 4 0 6 0 8; done
python3 "$tools" body cut.syn -2 2 0 4 0 6 0 0 && python3 "$tools" body long.syn 0 2 0 524289 0 6 0 8
head -c 48 grown0.syn >short.syn && head -c 3670049 /dev/zero >huge.syn && : >empty.syn

# Every name with its type and link, and every regular file's digest.
snapshot() {
  find . -mindepth 1 -printf '%y %p -> %l\n' | sort
  find . -type f -exec sha256sum {} + | sort -k2
}
unchanged() { diff <(echo "$before") <(snapshot); }
# A wave's first sample, the lengths of its first N runs of one value, and its count of runs.
runs() {
  od -An -td2 -w2 -v | uniq -c |
    awk -v n="$1" 'NR == 1 {print $2} {r = r " " $1} NR == n {print r} END {print NR}'
}
# Starts a long render onto old.pcm and sends the signal once its temporary file is there.
signal_mid_write() {
  "$syn" render noise --seconds 600 -o old.pcm &
  until compgen -G 'old.pcm.*.tmp' >/dev/null || ! kill -0 $! 2>/dev/null; do :; done
  kill "-$1" $! && wait $!
}

# [setup=COMMANDS] row NAME STATUS COMMAND OUTPUT [CHECK]
row() {
  local name=$1 status=$2 command=$3 expected=$4 check=${5:-true} output actual problems=()
  rm -rf "$work/row" && cp -a "$work/fixture" "$work/row" && cd "$work/row" &&
    eval "${setup:-true}" || { echo "not ok - the fixture for $name"; exit 1; }
  before=$(snapshot)
  output=$(eval "$command" 2>&1)
  actual=$?
  [ "$actual" -eq "$status" ] || problems+=("exit status $actual, not $status")
  [ "$output" = "$expected" ] || problems+=("it wrote:" "$output" "not:" "$expected")
  [ -z "$(find . -name '*.tmp')" ] || problems+=("left behind: $(find . -name '*.tmp')")
  held=$(eval "$check" 2>&1) || problems+=("not as expected after $check: $held")
  if [ ${#problems[@]} -eq 0 ]; then
    echo "ok - $name" && passed=$((passed + 1))
  else
    echo "not ok - $name" && printf '  %s\n' "${problems[@]}" && failed=$((failed + 1))
  fi
}
cannot_open="it is missing, unreadable or not a regular file"

# ---- Help, version and usage errors: the message, then the usage of what was meant ----
row "--version names the program and its version" 0 '$syn --version' "brivola-syn $BRIVOLA_VERSION"
row "a command's -h starts with its usage" 0 '$syn info -h | head -1' "Usage: brivola-syn info FILE.syn"
row "no command prints the usage" 2 '$syn 2>&1 | head -1' "Usage: brivola-syn COMMAND [ARGUMENTS]"
row "an unknown option" 2 '$syn --bogus' "brivola-syn: unknown option '--bogus'
Usage: brivola-syn COMMAND [ARGUMENTS]
Try 'brivola-syn --help'."
row "one operand too many" 2 '$syn info a b 2>&1 | head -1' "brivola-syn: info takes 1 file or name, not 2"
render_usage_errors=(
  "-- -o|unknown wave '-o'; the waves are pulse12, pulse25, pulse50, pulse75, triangle, noise and looped-noise"
  "pulse50 --loud|unknown option '--loud'"
  "pulse50 --wav=yes|--wav takes no value"
  "pulse50 --seconds|--seconds needs a value"
  "pulse50 --seconds 1 --seconds=2|--seconds given twice"
  "noise --seconds 601|--seconds takes a number above 0 and at most 600, not '601'"
  "noise --seconds 0.00001|--seconds 0.00001 is shorter than one sample at 44,100 Hz"
  "pulse50 --wav -o y.pcm|--wav writes a WAV file, but 'y.pcm' does not end in .wav"
)
for arguments_message in "${render_usage_errors[@]}"; do
  IFS='|' read -r arguments message <<<"$arguments_message"
  row "render $arguments" 2 "\$syn render $arguments" "brivola-syn: $message
Usage: brivola-syn render WAVE [-o OUT] [--seconds S] [--wav]
Try 'brivola-syn render --help'."
done

# ---- render: the waves as a preview makes them ----
row "--seconds=S, --seconds S, --output=, -oOUT give the same file of S seconds" 0 \
  '$syn render pulse50 --seconds=0.5 -o a.pcm && $syn render --seconds 0.5 pulse50 --output=b.pcm &&
   $syn render pulse50 --seconds 0.5 -oc.pcm && cmp a.pcm b.pcm && cmp a.pcm c.pcm && stat -c%s a.pcm' "44100"
row "pulse12: +2000, then runs carrying the fraction of 44,100 / 440; 4,401 runs in 5 s" 0 \
  '$syn render pulse12 -o - | runs 9' "2000
 1 12 88 12 88 12 88 13 87
4401"
row "pulse25: the high runs grow first" 0 '$syn render pulse25 -o - | runs 12' "2000
 1 25 75 25 75 25 75 25 75 25 76 25
4401"
row "pulse75: low for three quarters" 0 '$syn render pulse75 -o - | runs 10' "2000
 1 75 25 75 25 75 25 75 25 76
4401"
row "triangle: 0, then 17 levels of 256 up and down, each held 10 samples (the first 9)" 0 \
  '$syn render triangle -o - | runs 4 && $syn render triangle -o - | od -An -td2 -w2 -v | sed -n "151p;160p;161p;311p;321p"' "0
 1 9 10 10
22051
   4096
   4096
   3840
      0
    256"
row "noise starts where the random source starts" 0 '$syn render noise --seconds 0.001 -o - | od -An -td2 -N16 -w16' \
  "      0    576    192    768    576    448    320    896"
row "looped noise: the same first draws, repeated every 128 samples" 0 \
  '$syn render looped-noise -o l.pcm && cmp <(tail -c +257 l.pcm) <(head -c -256 l.pcm) && od -An -td2 -N16 -w16 l.pcm' \
  "      0    576    192    768    576    448    320    896"
row "a .wav name (any case) gets a WAV header; its samples are those of the wave" 0 \
  '$syn render pulse50 -o t.WAV && tail -c +45 t.WAV | runs 10' "2000
 1 50 50 50 50 50 50 50 50 51
4401"
row "the WAV header is the 44 bytes of 16-bit mono at 44,100 Hz, also in a file named just .wav" 0 \
  'python3 $tools sine silent.wav 44100 441 0 && $syn render pulse50 --seconds 0.01 -o .wav && cmp -n 44 .wav silent.wav' ""
row "600 seconds of noise" 0 '$syn render noise --seconds 600 -o - | wc -c' "52920000"

# ---- build, info, extract ----
row "build writes the Synth file of the seven samples" 0 '$syn build -o b.syn $S && cmp b.syn good.syn' ""
setup="cp good.syn GOOD.SYN" row "build takes a Synth file's rows (under .SYN too) as stored and a sound file as convert makes it" 0 \
  '$syn build -o new.syn good.syn good.syn take.wav good.syn good.syn good.syn GOOD.SYN && $syn convert take.wav t.pcm &&
   $syn build -o expected.syn s0.pcm s1.pcm t.pcm s3.pcm s4.pcm s5.pcm s6.pcm && cmp new.syn expected.syn && stat -c%s t.pcm' "529200"
row "a .pcm name (.PCM too, even just .PCM) is read as it is, whatever it holds" 0 \
  'cp take.wav .PCM && $syn build -o b.syn .PCM s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm s6.pcm && $syn extract b.syn -d x && cmp x/pulse1.pcm <(head -c 524288 take.wav)' ""
row "a Synth file built from its own rows stays as it was" 0 \
  '$syn build -o good.syn good.syn good.syn good.syn good.syn good.syn good.syn good.syn' "" unchanged
row "info lists the blocks, their lengths and durations" 0 '$syn info good.syn | sed -n "1,3p;6p;9p"' "good.syn: a well-formed Synth file of 2013899 bytes
row  caption          bytes  seconds
1    Pulse Wave #1        0    0.000
4    Pulse Wave #4   441001    5.000
7    Noise Wave #2   524288    5.944"
row "extract writes the seven samples back, each cut at 524,288 bytes" 0 \
  '$syn extract good.syn -d e && cat e/pulse?.pcm e/triangle.pcm e/noise?.pcm |
   cmp - <(cat s0.pcm s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm; head -c 524288 s6.pcm)' ""
setup="mkdir e && touch e/pulse2.pcm e/noise1.pcm" \
  row "extract into the current folder replaces no file without --force, naming those there" 1 'cd e && $syn extract ../good.syn' \
  "brivola-syn: './pulse2.pcm', './noise1.pcm' already there; nothing was written (--force replaces)" unchanged
row "extract - --directory= --force replaces them" 0 \
  'cat good.syn | $syn extract - --directory=old --force && cmp old/noise2.pcm <(head -c 524288 s6.pcm)' ""

# ---- convert: 1 kHz sines made into 44,100 Hz mono samples as long as the input, the
# amplitude the mean of the channels' ----
row "44,100 Hz stereo over three chunks, read to the end as its sizes are unknown: the mean of each frame's two samples, exactly" 0 \
  'python3 $tools sine in.wav 44100 20000 0.9 -0.4 --streamed && $syn convert in.wav - | cmp - <(python3 $tools mix in.wav)' ""
row "48 kHz stereo over three chunks of 8,192 frames" 0 \
  'python3 $tools sine in.wav 48000 24576 0.8 0.4 && $syn convert in.wav out.pcm && python3 $tools tone out.pcm' \
  "22579 0.60 0.60"
row "22,050 Hz mono into a .wav" 0 \
  'python3 $tools sine in.wav 22050 10001 0.6 && $syn convert in.wav out.wav && tail -c +45 out.wav >out.pcm &&
   python3 $tools tone out.pcm' "20002 0.60 0.60"
row "a streamed 32 kHz WAV from standard input" 0 \
  'python3 $tools sine in.wav 32000 9000 0.3 0.9 --streamed && cat in.wav | $syn convert - - >out.pcm &&
   python3 $tools tone out.pcm' "12403 0.60 0.60"
# A float WAV of 1.5, -1.5 and 1.0.
row "float samples past full scale are held at the 16-bit limits" 0 'python3 -c "import struct, sys; d = struct.pack(\"<3f\", 1.5, -1.5, 1.0); sys.stdout.buffer.write(b\"RIFF\" + struct.pack(\"<I4s4sIHHIIHH4sI\", 36 + len(d), b\"WAVE\", b\"fmt \", 16, 3, 1, 44100, 176400, 4, 32, b\"data\", len(d)) + d)" >f.wav &&
  $syn convert f.wav - | od -An -td2' "  32767 -32768  32767"
row "the lowest and the highest rate convert takes" 0 'python3 $tools sine low.wav 1000 1000 0.5 &&
  python3 $tools sine high.wav 768000 7680 0.5 && $syn convert low.wav - | wc -c && $syn convert high.wav - | wc -c' "88200
882"
row "a rate convert does not take" 1 '$syn convert one.wav x.pcm' \
  "brivola-syn: converting 'one.wav': its rate of 1 Hz is outside the 1000 to 768000 Hz that convert takes" unchanged

# ---- Files that cannot be read, and writes that fail ----
row "a missing Synth file" 1 '$syn info no.syn' \
  "brivola-syn: cannot open 'no.syn': $cannot_open: No such file or directory"
row "a FIFO is not read" 1 '$syn info fifo' "brivola-syn: cannot open 'fifo': $cannot_open"
row "a folder as standard input" 1 '$syn info - </' "brivola-syn: cannot read standard input: Is a directory"
row "build names the row of a missing sample" 1 '$syn build -o b.syn s0.pcm s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm no.pcm' \
  "brivola-syn: cannot open 'no.pcm' (Noise Wave #2): $cannot_open: No such file or directory" unchanged
row "build takes no FIFO, folder or device as a sample" 1 '$syn build -o b.syn fifo old /dev/zero s3.pcm s4.pcm s5.pcm s6.pcm' \
  "brivola-syn: cannot open 'fifo' (Pulse Wave #1): $cannot_open" unchanged
setup="printf 'RIFF....WAVE' >corrupt.wav" row "build takes no sound file it cannot decode" 1 \
  '$syn build -o good.syn corrupt.wav s1.pcm s2.pcm s3.pcm s4.pcm s5.pcm s6.pcm' \
  "brivola-syn: cannot read 'corrupt.wav' (Pulse Wave #1): cannot read it as audio: Error in WAV file. No 'data' chunk marker." unchanged
setup="sndfile-convert take.wav t.flac && head -c 20000 t.flac >cut.flac" row "nor one that stops decoding midway" 1 \
  '$syn build -o good.syn s0.pcm cut.flac s2.pcm s3.pcm s4.pcm s5.pcm s6.pcm' \
  "brivola-syn: cannot read 'cut.flac' (Pulse Wave #2): cannot decode it: Error : flac decoder lost sync." unchanged
row "nor a malformed Synth file" 1 '$syn build -o good.syn s0.pcm empty.syn s2.pcm s3.pcm s4.pcm s5.pcm s6.pcm' \
  "brivola-syn: cannot read 'empty.syn' (Pulse Wave #2): it is not a well-formed Synth file: truncated: 0 bytes, too short for the count at byte 0" unchanged
row "a closed standard output" 1 '$syn --version >&-' "brivola-syn: cannot write to standard output: Bad file descriptor"
row "a pipe closed early" 1 '$syn render noise -o - | head -c 1 >/dev/null' \
  "brivola-syn: cannot write to standard output: Broken pipe"
row "a render to a missing folder" 1 '$syn render pulse50 -o no/x.pcm' \
  "brivola-syn: cannot write 'no/x.pcm': No such file or directory" unchanged
setup="mkdir -p x/pulse1.pcm" row "extract onto a folder" 1 '$syn extract -f good.syn -d x' \
  "brivola-syn: cannot write 'x/pulse1.pcm': it is not a regular file; no sample file was changed" unchanged
row "a file size limit stops a render" 1 '(trap "" XFSZ; ulimit -f 0; $syn render pulse50 -o big.pcm)' \
  "brivola-syn: cannot write 'big.pcm': File too large" unchanged
row "and an extract, naming every file it could not write" 1 \
  '(trap "" XFSZ; ulimit -f 0; $syn extract good.syn -d old -f)' \
  "brivola-syn: cannot write 'old/pulse2.pcm', 'old/pulse3.pcm', 'old/pulse4.pcm', 'old/triangle.pcm', 'old/noise1.pcm', 'old/noise2.pcm': File too large; no sample file was changed" unchanged
if [ "$(id -u)" != 0 ]; then as=; elif getent passwd nobody >/dev/null; then
  as="setpriv --reuid=nobody --regid=nogroup --clear-groups"; else as=skip; fi
[ "$as" = skip ] && echo "skipped: a folder the user cannot write (no user \"nobody\")" ||
  setup="chmod 755 . && mkdir -m 555 locked" row "a folder the user cannot write" 1 \
    '$as $syn render pulse50 -o locked/x.pcm' "brivola-syn: cannot write 'locked/x.pcm': Permission denied" unchanged

# ---- Malformed Synth files: info and extract say what is wrong and where, and write nothing ----
malformed=(
  "empty.syn|truncated: 0 bytes, too short for the count at byte 0"
  "short.syn|the count at byte 0 says 48 bytes follow, but 44 do"
  "grown3.syn|3 bytes left over after the seventh block, from byte 52"
  "cut.syn|truncated: the file ends at byte 42, inside block 7 (Noise Wave #2)'s length at byte 40"
  "grown-3.syn|block 7 (Noise Wave #2) at byte 40 claims 8 bytes, running 3 bytes past the end of the file"
  "long.syn|block 3 (Pulse Wave #3) at byte 14 claims 524289 bytes, more than the 524288 a block holds"
  "huge.syn|it is longer than the 3670048 bytes of the largest one"
)
for file_problem in "${malformed[@]}"; do
  IFS='|' read -r file problem <<<"$file_problem"
  for command in info "extract -d old -f"; do
    row "$command: $file" 1 "\$syn $command $file" \
      "brivola-syn: '$file' is not a well-formed Synth file: $problem" unchanged
  done
done

# ---- File faults: nothing that was there is lost ----
setup="chmod 444 old/pulse4.pcm" row "a read-only member file" 1 '$syn extract -f good.syn -d old' \
  "brivola-syn: cannot write 'old/pulse4.pcm': Permission denied; no sample file was changed" unchanged
setup="chmod 444 old.pcm" row "a read-only target" 1 '$syn render pulse25 -o old.pcm' \
  "brivola-syn: cannot write 'old.pcm': Permission denied" unchanged
row "a full disk at the third sample" 1 'FAIL_WRITE=3 $faulty extract -f good.syn -d old' \
  "brivola-syn: cannot write 'old/pulse3.pcm': No space left on device; no sample file was changed" unchanged
row "a full disk in a convert" 1 '(trap "" XFSZ; ulimit -f 0; $syn convert take.wav old.pcm)' \
  "brivola-syn: converting 'take.wav': cannot write 'old.pcm': System error : File too large." unchanged
setup="ln -s missing.pcm d.pcm" row "a dangling link" 1 '$syn render pulse12 -o d.pcm' \
  "brivola-syn: cannot write 'd.pcm': No such file or directory" unchanged
setup="ln -s gone/missing.syn d.syn" row "a dangling link saved onto" 1 '$syn build -o d.syn old/*.pcm' \
  "brivola-syn: cannot write 'd.syn': its folder must exist and be writable, and a file already there must be a writable regular file, or a link that leads to one; nothing was changed: No such file or directory" unchanged
setup="ln -s l2 l1; ln -s l1 l2" row "a link loop" 1 '$syn render pulse12 -o l1' \
  "brivola-syn: cannot write 'l1': it is not a regular file" unchanged
setup="chmod 604 old.pcm" row "a replaced file keeps its permissions" 0 '$syn render pulse12 -o old.pcm && stat -c %a old.pcm' "604"
row "a new file gets those the umask leaves" 0 '(umask 022; $syn render pulse12 -o new.pcm) && stat -c %a new.pcm' "644"
setup="ln -s old.pcm live.pcm" row "a live link: the file it leads to is replaced" 0 \
  '$syn render pulse75 -o live.pcm && $syn render pulse75 -o - | cmp - old.pcm && test -L live.pcm' ""
row "SIGTERM mid-write" 143 'signal_mid_write TERM' "" unchanged
row "SIGHUP mid-write" 129 'signal_mid_write HUP' "" unchanged
row "closed standard input, output and error" 0 \
  '$syn render noise -o new.pcm <&- >&- 2>&- && $syn render noise -o - | cmp - new.pcm' ""
long_name=$(printf 'n%.0s' {1..251}).pcm  # 255 bytes, the longest name a folder takes
row "a 255-byte name, new then updated" 0 \
  '$syn render pulse12 -o $long_name && $syn render triangle -o $long_name && $syn render triangle -o - | cmp - $long_name' ""
row "a file rewritten during an info" 1 'FAIL_STAMP=2 $faulty info good.syn' \
  "brivola-syn: 'good.syn' changed while it was read: another program is writing it; nothing was written" unchanged
row "a file rewritten during a convert" 1 'FAIL_STAMP=2 $faulty convert take.wav old.pcm' \
  "brivola-syn: converting 'take.wav': it changed while it was read: another program is writing it; nothing was written" unchanged

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
