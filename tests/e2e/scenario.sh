#!/usr/bin/env bash
# A user's session with the composer on an X display, driven with the mouse and the
# keyboard only and reading what the windows show, so that the same script drives the
# Linux program and the Windows program under Wine:
#   scenario.sh build/brivola-composer
#   E2E_WINDOWS_PATHS=1 E2E_BRIVOLA_SYN=build/brivola-syn scenario.sh wine64 build-win64/brivola-composer.exe
# Needs DISPLAY (run_under_xvfb.sh gives one), xdotool, xwininfo, xwd, xmodmap, xclip,
# sndfile-convert, python3, and brivola-syn (beside the Linux program). Every wait polls
# with a bound.
set -uo pipefail
# The paths hold a non-ASCII letter, which xdotool types only under a UTF-8 locale;
# C.UTF-8 is built into the C library, so it exists on every machine.
export LC_ALL=C.UTF-8
here=$(cd "$(dirname "$0")" && pwd)
# Polls of 50 ms: for a window or a file; for the first window, as Wine may set itself up
# first; in which no second message box may come up.
readonly wait_polls=200 start_polls=${E2E_START_POLLS:-600} quiet_polls=20
readonly no_device_line="brivola-composer: no sound device: OpenAL Soft could not open a playback device, so previews are silent (BRIVOLA_VERBOSE=1 shows the sound system's messages)"
# A space in every path, and letters of three scripts, outside any one ANSI code page.
work=$(mktemp -d "${TMPDIR:-/tmp}/brivola e2e жук 音.XXXXXX")
syn=${E2E_BRIVOLA_SYN:-$(dirname "$1")/brivola-syn}
program_pid= passed=0 step=

finish() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null && wait "$program_pid"
  echo "$passed passed, $1 failed"
  [ "$1" -eq 0 ] && rm -rf "$work" || echo "kept for a look: $work"
  exit "$1"
}
# Says what failed and what the display showed at that moment in the output itself, as
# CI keeps no files: the windows shown with their titles, the program's last lines.
fail() {
  echo "not ok - $step: $*"
  xdotool search --onlyvisible --name . getwindowname %@ 2>/dev/null | sed 's/.*/  window: "&"/' | grep . ||
    echo "  window: none shown"
  tail -n 30 "$work/program.log" 2>/dev/null | sed 's/^/  program: /'
  xwd -root -silent >"$work/failure.xwd"
  finish 1
}
# A caller's time limit stops the scenario with TERM: say in which step, and in which
# command, it waited.
trap 'fail "stopped by the time limit after $SECONDS s, in: $BASH_COMMAND"' TERM
# Passes the step under way, if any, and starts the next one.
next_step() { [ -z "$step" ] || { echo "ok - $step" && passed=$((passed + 1)); } && step=${1:-}; }

# ---- Windows and input ------------------------------------------------------------

windows_titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
shown() { [ -n "$(windows_titled "$1")" ]; }
gone() { ! shown "$1"; }
# poll N COMMAND...: true once the command is, within N polls.
poll() { local i && for ((i = 0; i < $1; i++)); do "${@:2}" && return 0 || sleep 0.05; done && return 1; }
stays_away() { ! poll "$quiet_polls" shown "$1"; }
wait_gone() { poll "$wait_polls" gone "$1" || fail "\"$1\" stayed after $2"; }
# wait_window VARIABLE TITLE [POLLS]: sets the variable to the window's id once it is shown.
first_shown() { found=$(windows_titled "$1" | head -n1) && [ -n "$found" ]; }
wait_window() { poll "${3:-$wait_polls}" first_shown "$2" && printf -v "$1" %s "$found" || fail "no \"$2\" window"; }

# Sets left top width height to the window's place and size on the screen, and its base
# units from the size of its template in dialog units: a unit is a quarter of base x, an
# eighth of base y. Rounds to the nearest pixel.
measure() {
  read -r left top width height < <(xwininfo -id "$1" |
    awk '/Absolute upper-left [XY]:|Width:|Height:/ {printf "%s ", $NF} END {print ""}')
  base_x=$(((8 * width + $2) / (2 * $2))) base_y=$(((16 * height + $3) / (2 * $3)))
}
# Pixels of dialog units across and down the window measured last, to the nearest one.
across() { echo $((($1 * base_x + 2) / 4)); }
down() { echo $((($1 * base_y + 4) / 8)); }
# Clicks the middle of a control given as x y width height in dialog units.
click_units() {
  xdotool mousemove $((left + $(across "$1") + $(across "$3") / 2)) \
    $((top + $(down "$2") + $(down "$4") / 2)) click 1
}

# Keys go to the focused window: wait for the window to have the focus, and click a
# spot of its margin where a user would when it does not get it by itself.
# Wine without a window manager leaves the focus to the pointer: a click moves it there.
# (mousemove --sync could wait for ever where the pointer is already.)
focus_is() { focused=$(xdotool getwindowfocus 2>/dev/null) && [ "$focused" = "$1" ]; }
focus_on() {
  local i
  for ((i = 0; i < 20; i++)); do
    focus_is "$1" && return 0
    [ -n "$focused" ] || break  # the pointer's
    sleep 0.05
  done
  xdotool mousemove --window "$1" 3 3 click 1
}
key() { xdotool key --clearmodifiers "$@"; }

# Replaces the focused field's text with the path, in the form the program takes, then
# reads it back through an emptied clipboard and retypes it until the field holds it:
# a busy machine now and then loses a letter.
enter_path() {
  local wanted=$1 held attempt
  [ "${E2E_WINDOWS_PATHS:-0}" = 1 ] && wanted="Z:${1//\//\\}"
  for attempt in 1 2 3; do
    key Home shift+End && xdotool type --delay 8 -- "$wanted"
    xclip -selection clipboard -i /dev/null >/dev/null 2>&1
    key Home shift+End ctrl+c
    # The clipboard's owner is the program: a reading waits for its answer, so bound it.
    poll 40 eval 'held=$(timeout 2 xclip -o -selection clipboard 2>/dev/null) && [ -n "$held" ]'
    [ "$held" = "$wanted" ] && return 0
  done
  fail "the field holds \"$held\", not \"$wanted\""
}

# In the chooser with this title, enters the path and presses Enter, or presses Escape
# for no path; waits until the chooser is gone.
answer_chooser() {
  wait_window chooser "$1" && focus_on "$chooser"
  if [ -n "${2:-}" ]; then enter_path "$2" && key Return; else key Escape; fi
  wait_gone "$1" "the answer"
}

# Expects the one message box with the title, presses its OK, and checks that no
# second one follows.
expect_message_once() {
  wait_window box "$1"
  [ "$(windows_titled "$1" | wc -l)" -eq 1 ] || fail "more than one \"$1\" message"
  focus_on "$box"
  key Return && wait_gone "$1" OK
  stays_away "$1" || fail "a second \"$1\" message came up"
}

# ---- The composer's windows, by their templates' dialog units ----------------------

on_main() { measure "$main" 202 127; }
# The rows stand 10 units apart from y = 20.
click_row_button() { on_main && click_units "$1" $((20 + 10 * $2)) 15 10; }

# "PCM" has several times the dark pixels of "-"; dash_pixels holds each row's "-".
label_dark_pixels() {
  on_main && xwd -id "$main" -silent >"$work/main.xwd" && python3 "$here/../test_tools.py" dark \
    "$work/main.xwd" "$(across 85)" "$(down $((20 + 10 * $1)))" "$(across 30)" "$(down 10)"
}
label_is() {
  shown=- && [ "$(label_dark_pixels "$1")" -gt $((3 * dash_pixels[$1] + 12)) ] && shown=PCM
  [ "$shown" = "$2" ]
}
label_reads() { poll "$wait_polls" label_is "$@" || fail "row $1 does not read $2"; }

# "..." of the row, then "..." of Channel Properties: the chooser is left to answer.
browse() { click_row_button 130 "$1" && wait_window properties "Channel Properties" && measure "$properties" 217 46 && click_units 190 5 15 10; }
# OK, clicked again as a user would when a click that comes just as the chooser closes is lost.
press_properties_ok() {
  measure "$properties" 217 46 && poll 10 eval 'click_units 75 25 50 14 && poll 20 gone "Channel Properties"' ||
    fail "Channel Properties stayed after OK"
}
# The row's chooser answered with the path (none cancels), then OK.
attach() { browse "$1" && answer_chooser "Open Wave..." "${2:-}" && press_properties_ok; }
save_as() { on_main && click_units 35 105 60 15 && answer_chooser "Synth File..." "${1:-}"; }

# ---- The session -------------------------------------------------------------------

# The paths' letters beyond ASCII get keys of their own first, as on a keyboard that has
# them: the key that xdotool would borrow for each on the fly races with the program's
# reading of the keyboard map, and Wine now and then loses the letter.
letters=(udiaeresis U0436 U0443 U043A U97F3)  # ü ж у к 音
free_keycodes=($(xmodmap -pke | awk 'NF == 3 {print $2}' | tail -n ${#letters[@]}))
for i in "${!letters[@]}"; do
  xmodmap -e "keycode ${free_keycodes[i]:-0} = ${letters[i]}" || fail "no key for ${letters[i]}"
done

# Row 0 takes a sample file of an odd length, so that the first byte after the count stays
# untransformed; the others a sound file of each kind: 44,100 Hz mono WAV, AIFF and FLAC,
# decoded exactly, then a 48 kHz stereo WAV longer than a block may be, Ogg Vorbis and
# MP3, resampled or decoded in floating point.
samples[0]="$work/take 0 ü.pcm" && head -c 5 /dev/urandom >"${samples[0]}"
python3 "$here/../test_tools.py" sine "$work/mono.wav" 44100 30000 0.5 &&
  python3 "$here/../test_tools.py" sine "$work/stereo.wav" 48000 300000 0.7 0.2 || fail "no sines"
for row_kind in "1 mono wav" "2 mono aiff" "3 mono flac" "4 stereo wav" "5 stereo ogg" "6 stereo mp3"; do
  read -r row sine kind <<<"$row_kind" && samples[row]="$work/take $row ü.$kind"
  sndfile-convert "$work/$sine.wav" "${samples[row]}" || fail "no $kind"
done
target="$work/bank ü.syn"
"$syn" build -o "$work/expected.bank" "${samples[@]}" || fail "no bank from $syn"
# The bank holds what brivola-syn builds on Linux: the same bytes, but where the Windows
# program decodes in floating point, within 1 of each sample.
[ "${E2E_WINDOWS_PATHS:-0}" = 1 ] && apart='^0 0 0 0 [01] [01] [01]$' || apart='^0 0 0 0 0 0 0$'
holds_bank() {
  blocks_apart=$(python3 "$here/../test_tools.py" apart "$1" "$work/expected.bank") && [[ "$blocks_apart" =~ $apart ]]
}
# Paths of 210 bytes, past the 199 that fit, within what Windows takes; and a copy of the
# first sample under a name shorter than its own.
long_name="$work/$(printf 'l%.0s' $(seq $((206 - ${#work}))))"
cp "${samples[0]}" "$long_name.pcm" && cp "${samples[0]}" "$work/0.pcm"

# The chooser keeps its history in the user's settings: keep this session's apart.
# In a session of its own, the program outlives a time limit that stops the scenario,
# which then shows its windows.
start_program() { XDG_CONFIG_HOME="$work/settings" setsid "$@" >"$work/program.log" 2>&1 & program_pid=$!; }
start_program "$@"

next_step "a. the main window appears at the top-left of the screen, with a title bar, a window menu and a close box"
wait_window main "Brivola Synthesis Composer" "$start_polls"
# The client area lies inside the frame by at most a border and a caption.
on_main && [ "$left" -le 8 ] && [ "$top" -le 40 ] || fail "its client area is at $left,$top"
# On Linux it asks the window manager for a title bar, a window menu and a close box, and
# no minimise or maximise box: Motif hints of functions 0x26 and decorations 0x1e.
[ "${E2E_WINDOWS_PATHS:-0}" = 1 ] || [ "$(xprop -id "$main" _MOTIF_WM_HINTS)" = \
  "_MOTIF_WM_HINTS(_MOTIF_WM_HINTS) = 0x3, 0x26, 0x1e, 0x0, 0x0" ] || fail "$(xprop -id "$main" _MOTIF_WM_HINTS)"
for row in 0 1 2 3 4 5 6; do
  dash_pixels[row]=$(label_dark_pixels "$row") || fail "no screenshot of the main window"
done

next_step "b. \"N\" opens Sound Preview, the main window takes nothing meanwhile, Enter is OK"
click_row_button 170 1 && wait_window preview "Sound Preview"
click_row_button 130 0
stays_away "Channel Properties" || fail "the main window took a click under the preview"
focus_on "$preview"
key Return && wait_gone "Sound Preview" Enter

next_step "c. a file chosen in Channel Properties makes the label read PCM, a cancelled chooser -"
# OK has the focus, Escape does nothing, Tab and Tab reach "...", which Enter presses.
click_row_button 130 0 && wait_window properties "Channel Properties"
focus_on "$properties"
key Escape && sleep 1 && shown "Channel Properties" || fail "Escape closed Channel Properties"
key Tab Tab Return && answer_chooser "Open Wave..." "${samples[0]}" && press_properties_ok
label_reads 0 PCM
attach 0 && label_reads 0 -

next_step "d. a path too long is refused with a message, the user chooses again (a shorter path than the last), nothing is saved"
browse 0 && answer_chooser "Open Wave..." "$long_name.pcm"
expect_message_once "Path Too Long"
answer_chooser "Open Wave..." "$work/0.pcm" && press_properties_ok && label_reads 0 PCM
save_as "$long_name.syn" && expect_message_once "Path Too Long"
answer_chooser "Synth File..."

next_step "e. sound files of each kind attach, \"S\" plays one, \"Save...\" writes the bank brivola-syn builds"
for row in 1 2 3 4 5 6; do attach "$row" "${samples[row]}" && label_reads "$row" PCM; done
click_row_button 150 6 && wait_window preview "Sound Preview" && focus_on "$preview"
key Return && wait_gone "Sound Preview" Enter
save_as "$target"
poll "$wait_polls" holds_bank "$target" || fail "its blocks lie apart from brivola-syn's by: $blocks_apart"
echo "  its blocks lie apart from brivola-syn's by: $blocks_apart" && cp "$target" "$work/saved.bank"

next_step "f. \"Exit\" ends the program with exit code 0"
on_main && click_units 101 105 60 14
poll "$wait_polls" eval '! kill -0 "$program_pid" 2>/dev/null' || fail "the program is still running"
wait "$program_pid" && program_pid= || fail "exit code $?"
# Nothing printed, but where there is no sound device the one line that says so, once.
[ "${E2E_WINDOWS_PATHS:-0}" = 1 ] || [ ! -s "$work/program.log" ] ||
  [ "$(cat "$work/program.log")" = "$no_device_line" ] || fail "it printed: $(cat "$work/program.log")"
next_step "g. the bank of e named on the command line (relative, on Linux) fills every row and saves as it was, to a new name and over itself"
bank=$(realpath --relative-to=. "$target") && [ "${E2E_WINDOWS_PATHS:-0}" = 1 ] && bank="Z:${target//\//\\}"
start_program "$@" "$bank" && wait_window main "Brivola Synthesis Composer" "$start_polls"
save_as "$work/copy ü.syn" && poll "$wait_polls" cmp -s "$work/copy ü.syn" "$work/saved.bank" || fail "the copy differs"
replaced=$(stat -c %i "$target") && save_as "$target"
poll "$wait_polls" eval '[ "$(stat -c %i "$target")" != "$replaced" ]' && cmp -s "$target" "$work/saved.bank" || fail "not saved over itself as it was"
next_step && finish 0  # ends the program
