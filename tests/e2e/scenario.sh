#!/usr/bin/env bash
# A user's session with the composer on an X display, driven with the mouse and the
# keyboard only and reading what the windows show, so that the same script drives the
# Linux program and the Windows program under Wine:
#   scenario.sh build/brivola-composer
#   E2E_WINDOWS_PATHS=1 scenario.sh wine64 build-win64/brivola-composer.exe
# Needs DISPLAY (run_under_xvfb.sh gives one), xdotool, xwininfo, xwd, xmodmap and
# python3.
# Every wait polls with a bound; the whole session takes well under a minute.
set -uo pipefail
# The paths hold a non-ASCII letter, which xdotool types only under a UTF-8 locale;
# C.UTF-8 is built into the C library, so it exists on every machine.
export LC_ALL=C.UTF-8

here=$(cd "$(dirname "$0")" && pwd)
readonly wait_polls=200        # 10 s of 50 ms polls for a window or a file
readonly start_polls=${E2E_START_POLLS:-600}  # the first window: Wine may set itself up first
readonly quiet_polls=20        # 1 s in which no second message box may come up
readonly max_frame_side=8      # pixels of a window's frame left of its client area
readonly max_frame_top=40      # and above it, caption included
# Lengths of the seven sample files: odd ones, a single byte, one longer than a block
# may be, and an odd total, so that the first byte after the count stays untransformed.
readonly sample_lengths=(5 1 1001 4096 777 3 524291)

work=
program_pid=
passed=0
current_step=

# ---- Reporting -------------------------------------------------------------------

finish() {
  local status=$1
  if [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; then
    kill "$program_pid" 2>/dev/null
    wait "$program_pid" 2>/dev/null
  fi
  echo "$passed passed, $status failed"
  if [ "$status" -eq 0 ]; then rm -rf "$work"; else echo "kept for a look: $work"; fi
  exit "$status"
}

step() { current_step=$1; }

ok() {
  echo "ok - $current_step"
  passed=$((passed + 1))
}

fail() {
  echo "not ok - $current_step: $*"
  xwd -root -silent >"$work/failure.xwd" 2>/dev/null &&
    python3 "$here/xwd_pixels.py" png "$work/failure.xwd" "$work/failure.png" &&
    echo "screen at the failure: $work/failure.png"
  sed 's/^/  program: /' "$work/program.log" 2>/dev/null | tail -n 20
  finish 1
}

# ---- Windows ---------------------------------------------------------------------

title_pattern() { printf '^%s$' "$(printf '%s' "$1" | sed 's/[][\.*^$+?(){}|]/\\&/g')"; }

windows_titled() { xdotool search --onlyvisible --name "$(title_pattern "$1")" 2>/dev/null; }

# Prints the id of the shown window with the title once there is one; gives up at
# once when the program has ended.
wait_window() {
  local title=$1 polls=${2:-$wait_polls} id i
  for ((i = 0; i < polls; i++)); do
    id=$(windows_titled "$title" | head -n1)
    if [ -n "$id" ]; then
      echo "$id"
      return 0
    fi
    kill -0 "$program_pid" 2>/dev/null || return 1
    sleep 0.05
  done
  return 1
}

wait_gone() {
  local i
  for ((i = 0; i < wait_polls; i++)); do
    [ -z "$(windows_titled "$1")" ] && return 0
    sleep 0.05
  done
  return 1
}

# True when no window with the title shows up within the polls.
stays_away() {
  local i
  for ((i = 0; i < $2; i++)); do
    [ -n "$(windows_titled "$1")" ] && return 1
    sleep 0.05
  done
  return 0
}

# Sets left top width height to the window's place and size on the screen.
read_geometry() {
  read -r left top width height < <(xwininfo -id "$1" | awk '
    /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
    /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}')
}

# Sets the window's geometry and its base units from its size in pixels and the size
# of its template in dialog units: a dialog unit is a quarter of base x, an eighth of y.
measure() {
  read_geometry "$1"
  base_x=$(awk -v w="$width" -v units="$2" 'BEGIN {printf "%d", w * 4 / units + 0.5}')
  base_y=$(awk -v h="$height" -v units="$3" 'BEGIN {printf "%d", h * 8 / units + 0.5}')
}

# Pixels in the measured window of a rectangle in dialog units: "x y width height".
unit_rect() {
  awk -v bx="$base_x" -v by="$base_y" -v x="$1" -v y="$2" -v w="$3" -v h="$4" \
    'BEGIN {printf "%d %d %d %d", x * bx / 4 + 0.5, y * by / 8 + 0.5, w * bx / 4 + 0.5, h * by / 8 + 0.5}'
}

# Clicks the middle of a control given in dialog units of the window measured last.
click_units() {
  local x y w h
  read -r x y w h < <(unit_rect "$@")
  xdotool mousemove --sync $((left + x + w / 2)) $((top + y + h / 2)) click 1
}

# Keys go to the focused window: wait for the window to have the focus, and click a
# spot of its margin where a user would when it does not get it by itself.
focus_on() {
  local i
  for ((i = 0; i < 40; i++)); do
    [ "$(xdotool getwindowfocus 2>/dev/null)" = "$1" ] && return 0
    if [ "$i" -eq 20 ]; then
      read_geometry "$1"
      xdotool mousemove --sync $((left + 3)) $((top + 3)) click 1
    fi
    sleep 0.05
  done
}

press() {
  focus_on "$1"
  xdotool key --clearmodifiers "$2"
}

# ---- The composer's windows, by their templates' dialog units --------------------

readonly main_title="Brivola Synthesis Composer"

row_top() { echo $((20 + 10 * $1)); }

on_main() { measure "$main" 202 127; }
click_properties_button() { on_main; click_units 130 "$(row_top "$1")" 15 10; }
click_synth_button() { on_main; click_units 170 "$(row_top "$1")" 15 10; }
click_save() { on_main; click_units 35 105 60 15; }
click_exit() { on_main; click_units 101 105 60 14; }

label_dark_pixels() {
  on_main
  xwd -id "$main" -silent >"$work/main.xwd" || return 1
  python3 "$here/xwd_pixels.py" dark "$work/main.xwd" $(unit_rect 85 "$(row_top "$1")" 30 10)
}

# "PCM" has several times the dark pixels of "-"; dash_pixels holds each row's "-".
label_reads() {
  local row=$1 expected=$2 count shown i
  for ((i = 0; i < wait_polls; i++)); do
    count=$(label_dark_pixels "$row")
    shown="-"
    [ "$count" -gt $((3 * dash_pixels[row] + 12)) ] && shown=PCM
    [ "$shown" = "$expected" ] && return 0
    sleep 0.05
  done
  echo "row $row reads $shown ($count dark pixels, \"-\" has ${dash_pixels[row]})"
  return 1
}

typed_path() {
  if [ "${E2E_WINDOWS_PATHS:-0}" = 1 ]; then
    local windows=${1//\//\\}
    printf 'Z:%s' "$windows"
  else
    printf '%s' "$1"
  fi
}

# Types the text; each "ü" is pressed on its own key, with a pause around it, since
# Wine now and then loses it when xdotool types it among other letters.
type_text() {
  local rest=$1 piece
  while [[ $rest == *ü* ]]; do
    piece=${rest%%ü*}
    rest=${rest#*ü}
    xdotool type --delay 8 -- "$piece"
    sleep 0.05
    xdotool key --delay 50 udiaeresis
    sleep 0.05
  done
  xdotool type --delay 8 -- "$rest"
}

# In the chooser with this title: replaces the filled-in name with the path and presses
# Enter (or presses Escape for no path); waits until the chooser is gone.
answer_chooser() {
  local title=$1 path=${2:-} chooser
  chooser=$(wait_window "$title") || fail "no \"$title\" window"
  focus_on "$chooser"
  if [ -z "$path" ]; then
    xdotool key --clearmodifiers Escape
  else
    xdotool key --clearmodifiers Home shift+End
    type_text "$(typed_path "$path")"
    xdotool key --clearmodifiers Return
  fi
  wait_gone "$title" || fail "\"$title\" stayed after the answer"
}

# "..." of the row, "..." of Channel Properties answered with the path (none cancels),
# then OK of Channel Properties.
attach() {
  local row=$1 path=${2:-} properties
  click_properties_button "$row"
  properties=$(wait_window "Channel Properties") || fail "no Channel Properties for row $row"
  measure "$properties" 217 46
  click_units 190 5 15 10
  answer_chooser "Open Wave..." "$path"
  measure "$properties" 217 46
  click_units 75 25 50 14
  wait_gone "Channel Properties" || fail "Channel Properties stayed after OK"
}

# "Save..." with the target; returns once the chooser is gone.
save_as() {
  click_save
  answer_chooser "Synth File..." "$1"
}

# Expects the one "Error" message, presses its OK, and checks that no second one follows.
expect_error_once() {
  local box
  box=$(wait_window "Error") || fail "no \"Error\" message"
  [ "$(windows_titled "Error" | wc -l)" -eq 1 ] || fail "more than one \"Error\" message"
  press "$box" Return
  wait_gone "Error" || fail "\"Error\" stayed after OK"
  stays_away "Error" "$quiet_polls" || fail "a second \"Error\" message came up"
}

wait_for_file_size() {
  local i
  for ((i = 0; i < wait_polls; i++)); do
    [ -f "$1" ] && [ "$(stat -c %s "$1")" -eq "$2" ] && return 0
    sleep 0.05
  done
  return 1
}

# ---- The session -------------------------------------------------------------------

[ $# -gt 0 ] || { echo "usage: scenario.sh PROGRAM [ARGUMENT...]" >&2; exit 2; }
[ -n "${DISPLAY:-}" ] || { echo "scenario.sh: no DISPLAY; run it through run_under_xvfb.sh" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/brivola e2e.XXXXXX")  # a space in every path

# The paths' "ü" gets a key of its own first, as on a keyboard that has one: the key
# that xdotool would borrow for it on the fly races with the program's reading of the
# keyboard map, and Wine now and then loses the letter.
free_keycode=$(xmodmap -pke | awk 'NF == 3 {free = $2} END {print free}')
xmodmap -e "keycode $free_keycode = udiaeresis Udiaeresis" || fail "no key for ü"

samples=()
for row in "${!sample_lengths[@]}"; do
  samples[row]="$work/take $row ü.pcm"
  python3 -c 'import random, sys; sys.stdout.buffer.write(random.Random(int(sys.argv[1])).randbytes(int(sys.argv[2])))' \
    "$row" "${sample_lengths[row]}" >"${samples[row]}"
done
target="$work/bank ü.syn"
python3 "$here/synth_bytes.py" "$work/expected.syn" "${samples[@]}"

# The chooser keeps its history in the user's settings: keep this session's apart.
XDG_CONFIG_HOME="$work/settings" "$@" >"$work/program.log" 2>&1 &
program_pid=$!

step "a. the main window appears at the top-left of the screen"
main=$(wait_window "$main_title" "$start_polls") || fail "no window titled \"$main_title\""
read_geometry "$main"
# The frame is at the corner: the client area lies inside it by at most a border and a
# caption (Wine draws no frame of its own when no window manager runs, Qt has none).
[ "$left" -le "$max_frame_side" ] && [ "$top" -le "$max_frame_top" ] ||
  fail "its client area is at $left,$top"
dash_pixels=()
for row in "${!sample_lengths[@]}"; do
  dash_pixels[row]=$(label_dark_pixels "$row") || fail "no screenshot of the main window"
done
ok

step "b. \"N\" opens Sound Preview, the main window takes nothing meanwhile, OK closes it"
click_synth_button 1
preview=$(wait_window "Sound Preview") || fail "no Sound Preview"
click_properties_button 0
stays_away "Channel Properties" "$quiet_polls" || fail "the main window took a click under the preview"
measure "$preview" 62 23
click_units 10 5 40 15
wait_gone "Sound Preview" || fail "Sound Preview stayed after OK"
ok

step "c. a file chosen in Channel Properties makes the label read PCM, a cancelled chooser -"
attach 0 "${samples[0]}"
label_reads 0 PCM || fail "after attaching"
attach 0
label_reads 0 - || fail "after cancelling the chooser"
ok

step "d. \"Save...\" writes the seven files as the Synth file layout says"
for row in "${!samples[@]}"; do
  attach "$row" "${samples[row]}"
  label_reads "$row" PCM || fail "after attaching row $row"
done
save_as "$target"
wait_for_file_size "$target" "$(stat -c %s "$work/expected.syn")" || fail "no file of the expected size"
cmp -s "$target" "$work/expected.syn" || fail "$(cmp "$target" "$work/expected.syn" 2>&1)"
ok

step "e. a failing save shows \"Error\" once and leaves the target as it was"
# While every row has its file, the missing folder alone makes the save fail.
save_as "$work/no such folder/bank.syn"
expect_error_once
[ ! -e "$work/no such folder" ] || fail "the missing folder was made"
attach 3
label_reads 3 - || fail "after emptying row 3"
save_as "$target"
expect_error_once
cmp -s "$target" "$work/expected.syn" || fail "the target changed"
ok

step "f. \"Exit\" ends the program with exit code 0"
click_exit
for ((i = 0; i < wait_polls; i++)); do
  kill -0 "$program_pid" 2>/dev/null || break
  sleep 0.05
done
kill -0 "$program_pid" 2>/dev/null && fail "the program is still running"
wait "$program_pid"
exit_code=$?
program_pid=
[ "$exit_code" -eq 0 ] || fail "exit code $exit_code"
ok

finish 0
