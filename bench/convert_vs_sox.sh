#!/usr/bin/env bash
# Prints brivola-syn's convert and render beside sox doing the same work in the same run:
# the best wall time of a few runs each, and for convert the signal to noise and
# distortion of both outputs on one minute of 48 kHz stereo 24-bit FLAC holding two sines.
#   bench/convert_vs_sox.sh BRIVOLA_SYN BRIVOLA_SINAD
set -euo pipefail
tool=$(realpath "$1")
sinad=$(realpath "$2")
runs=5
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# The best of $runs wall times of the command, in seconds.
best_time() {
  local best=
  for _ in $(seq "$runs"); do
    local start end
    start=$(date +%s.%N)
    "$@" 2>/dev/null
    end=$(date +%s.%N)
    best=$(echo "$start $end ${best:-1e9}" | awk '{ t = $2 - $1; print (t < $3 ? t : $3) }')
  done
  printf '%.3f' "$best"
}

sox -n -r 48000 -b 24 -c 2 input.flac synth 60 sine 1000 sine 3000
ours=$(best_time "$tool" convert input.flac ours.pcm)
theirs=$(best_time sox -D input.flac -r 44100 -c 1 -b 16 sox.raw rate -v)
echo "convert, 60 s of 48 kHz stereo 24-bit FLAC to 44,100 Hz mono 16-bit (best of $runs):"
echo "  brivola-syn convert                        ${ours} s   SINAD $("$sinad" ours.pcm 1000 3000) dB"
echo "  sox -D ... rate -v                         ${theirs} s   SINAD $("$sinad" sox.raw 1000 3000) dB"
if [ -x /usr/bin/time ]; then
  echo "  brivola-syn convert peak memory: $(/usr/bin/time -f %M "$tool" convert input.flac ours.pcm 2>&1) KB"
fi

ours=$(best_time "$tool" render pulse50 --seconds 5 -o render.pcm)
theirs=$(best_time sox -n -r 44100 -b 16 -c 1 -e signed sox-render.raw synth 5 square 440)
echo "render, 5 s of a 440 Hz square wave, 44,100 Hz mono 16-bit (best of $runs):"
echo "  brivola-syn render pulse50 --seconds 5     ${ours} s"
echo "  sox -n ... synth 5 square 440              ${theirs} s"
