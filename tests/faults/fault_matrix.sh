#!/usr/bin/env bash
# Each row runs one brivola-syn command (build is what the composer's "Save..." writes
# through) against one file fault, in a fresh copy of the fixture folder, then checks the
# exit status, the message, that every file that was there is still there byte for byte
# (links included) unless the row says what changes, and that no temporary file is left.
#   fault_matrix.sh BRIVOLA-SYN FAULTY-BRIVOLA-SYN
set -uo pipefail
syn=$1 faulty=$2 work=$(mktemp -d) failures=0
trap 'rm -rf "$work"' EXIT
long_name=$(printf 'n%.0s' {1..251}).pcm  # 255 bytes, the longest name a folder takes

# The files every row starts with: a Synth file, the seven samples an extract writes,
# each holding something else, an older render, a recording to convert.
mkdir -p "$work/fixture/old" && cd "$work/fixture" || exit 1
"$syn" render triangle --seconds 0.01 -o part.pcm &&
  "$syn" build -o good.syn part.pcm part.pcm part.pcm part.pcm part.pcm part.pcm part.pcm &&
  "$syn" render pulse50 --seconds 0.5 --wav -o take.wav && rm part.pcm && echo old >old.pcm ||
  { echo "not ok - the fixture"; exit 1; }
for name in pulse1 pulse2 pulse3 pulse4 triangle noise1 noise2; do echo "old $name" >"old/$name.pcm"; done

# Every name with its type and link, and every regular file's digest.
snapshot() {
  find . -mindepth 1 -printf '%y %p -> %l\n' | sort
  find . -type f -exec sha256sum {} + | sort -k2
}
unchanged() { diff <(echo "$before") <(snapshot); }
expected_render() { "$syn" render "$1" -o "$work/expected.pcm" && cmp "$2" "$work/expected.pcm"; }

# Starts a long render onto old.pcm and sends the signal once its temporary file is there.
signal_mid_write() {
  "$syn" render noise --seconds 600 -o old.pcm &
  until compgen -G 'old.pcm.*.tmp' >/dev/null || ! kill -0 $! 2>/dev/null; do :; done
  kill "-$1" $! && wait $!
}

# fault | setup | command, both run in the row's folder | status | message (a pattern) |
# what must hold after (a check; by default every file unchanged)
rows=(
  "read-only member file|chmod 444 old/pulse4.pcm|\$syn extract -f good.syn -d old|1|cannot write 'old/pulse4.pcm': Permission denied; no sample file was changed|"
  "read-only target|chmod 444 old.pcm|\$syn render pulse25 -o old.pcm|1|cannot write 'old.pcm'|"
  "full disk at the third sample||FAIL_WRITE=3 \$faulty extract -f good.syn -d old|1|cannot write 'old/pulse3.pcm'.*; no sample|"
  "full disk in a render||FAIL_WRITE=1 \$faulty render pulse12 -o old.pcm|1|cannot write 'old.pcm'|"
  "full disk in a save||FAIL_WRITE=2 \$faulty build -o good.syn old/*.pcm|1|cannot write 'good.syn'|"
  "full disk in a convert||(trap '' XFSZ; ulimit -f 0; \$syn convert take.wav old.pcm)|1|converting 'take.wav': cannot write 'old.pcm'.*File too large|"
  "dangling link|ln -s missing.pcm d.pcm|\$syn render pulse12 -o d.pcm|1|cannot write 'd.pcm'|"
  "dangling link saved onto|ln -s gone/missing.syn d.syn|\$syn build -o d.syn old/*.pcm|1|cannot write 'd.syn'|"
  "link loop|ln -s l2 l1; ln -s l1 l2|\$syn render pulse12 -o l1|1|cannot write 'l1'|"
  "live link|ln -s old.pcm live.pcm|\$syn render pulse75 -o live.pcm|0||expected_render pulse75 old.pcm && [ -L live.pcm ]"
  "SIGTERM mid-write||signal_mid_write TERM|143||"
  "SIGHUP mid-write||signal_mid_write HUP|129||"
  "closed stdin||\$syn info good.syn <&-|0|a well-formed Synth file of 6206 bytes|"
  "closed stdin, stdout and stderr||\$syn render noise -o new.pcm <&- >&- 2>&-|0||expected_render noise new.pcm"
  "a 255-byte name, new then updated||\$syn render pulse12 -o \$long_name && \$syn render triangle -o \$long_name|0||expected_render triangle \$long_name"
  "a file rewritten during an info||FAIL_STAMP=2 \$faulty info good.syn|1|'good.syn' changed while it was read|"
  "a file rewritten during an extract||FAIL_STAMP=2 \$faulty extract -f good.syn -d old|1|'good.syn' changed while it was read.*nothing was written|"
  "a file rewritten during a convert||FAIL_STAMP=2 \$faulty convert take.wav old.pcm|1|converting 'take.wav': it changed while it was read|"
)

for row in "${rows[@]}"; do
  IFS='|' read -r fault setup command status message after <<<"$row"
  rm -rf "$work/row" && cp -a "$work/fixture" "$work/row" && cd "$work/row" && eval "$setup" ||
    { echo "not ok - the fixture for $fault"; exit 1; }
  before=$(snapshot)
  output=$(eval "$command" 2>&1)
  actual=$? problems=()
  [ "$actual" -eq "$status" ] || problems+=("exit status $actual, not $status")
  grep -Eq -- "$message" <<<"$output" || problems+=("message: $output")
  leftovers=$(find . -name '*.tmp' -o -name '*.??????')
  [ -z "$leftovers" ] || problems+=("left behind: $leftovers")
  held=$(eval "${after:-unchanged}" 2>&1) || problems+=("not as expected after ${after:-unchanged}: $held")
  [ ${#problems[@]} -eq 0 ] && echo "ok - $fault" && continue
  failures=$((failures + 1)) && echo "not ok - $fault" && printf '  %s\n' "${problems[@]}"
done
echo "$((${#rows[@]} - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
