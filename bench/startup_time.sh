#!/usr/bin/env bash
# Start-up time of the composer: from the process start to its main window shown
# (mapped, found by its title) on a fresh Xvfb display; the median of repeated runs.
# It prints figures and asserts nothing.
#   bench/startup_time.sh [PROGRAM [RUNS]]     (default build/brivola-composer, 11 runs)
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
program=$(realpath "${1:-$root/build/brivola-composer}")
runs=${2:-11}
readonly title_pattern='^Brivola Synthesis Composer$'
readonly give_up_ms=20000
# Each poll is a new X client: polling faster floods Xvfb with connections. The figures
# are thus up to one poll late.
readonly poll_seconds=0.02

# A display of its own, so that nothing else on it slows the program down.
if [ -z "${STARTUP_BENCH_ON_XVFB:-}" ]; then
  exec env STARTUP_BENCH_ON_XVFB=1 "$root/tests/e2e/run_under_xvfb.sh" "$0" "$program" "$runs"
fi

now_ms() { echo $(($(date +%s%N) / 1000000)); }

# When its last client leaves, an X server resets and drops the connections that arrive
# meanwhile: the next composer would find no display. One client stays connected.
xprop -root -spy >/dev/null 2>&1 &
keeper_pid=$!
trap 'kill "$keeper_pid" 2>/dev/null || true' EXIT

times=()
for ((run = 0; run < runs; run++)); do
  start=$(now_ms)
  "$program" >/dev/null 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "$title_pattern" >/dev/null 2>&1; do
    if [ $(($(now_ms) - start)) -gt "$give_up_ms" ]; then
      kill "$pid" 2>/dev/null || true
      echo "startup_time: no main window within ${give_up_ms} ms" >&2
      exit 1
    fi
    sleep "$poll_seconds"
  done
  times+=($(($(now_ms) - start)))
  kill "$pid"
  wait "$pid" 2>/dev/null || true
done

mapfile -t sorted < <(printf '%s\n' "${times[@]}" | sort -n)
cpu=$(awk -F': ' '/^model name/ {print $2; exit}' /proc/cpuinfo)
echo "machine: $(nproc) cores, ${cpu:-unknown CPU}"
echo "startup to main window shown: median ${sorted[runs / 2]} ms over $runs runs" \
  "(fastest ${sorted[0]} ms, slowest ${sorted[runs - 1]} ms)"
