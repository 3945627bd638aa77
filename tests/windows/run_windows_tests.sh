#!/usr/bin/env bash
# Checks the Windows programs that ./dev windows built: what they are and import, the
# icon, the 32-bit build's float arithmetic, and the 64-bit program driven through the
# end-to-end scenario under wine64 on a virtual display. Ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/../.."
program=brivola-composer.exe
passed=0 failed=0
# check DESCRIPTION COMMAND...
check() { if "${@:2}"; then echo "PASS: $1" && passed=$((passed + 1)); else echo "FAIL: $1" && failed=$((failed + 1)); fi; }

# The DLLs a file imports, in lower case.
imports() { "$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p' | tr '[:upper:]' '[:lower:]' | sort -u; }
# A GUI program of the bitness, importing the three services directly, and otherwise
# only what Windows ships and the sound libraries beside it, which in turn import only
# what Windows ships and each other.
executable() {
  local exe=build-win$1/$program objdump=$2 headers beside system dll
  headers=$("$objdump" -f -p "$exe") || return 1
  grep -q "file format $3\$" <<<"$headers" && grep -Eq 'Subsystem.*\(Windows GUI\)' <<<"$headers" || return 1
  beside=$(cd "build-win$1" && ls *.dll | tr '[:upper:]' '[:lower:]') || return 1
  system='(user32|gdi32|comdlg32|comctl32|dsound|kernel32|msvcrt|advapi32|shell32|shlwapi|ole32|ws2_32)\.dll'
  [ "$(imports "$objdump" "$exe" | grep -cxE 'user32.dll|comdlg32.dll|dsound.dll')" -eq 3 ] || return 1
  for dll in "$exe" "build-win$1"/*.dll; do
    [ -z "$(imports "$objdump" "$dll" | grep -Evx "$system" | grep -Fvx "$beside")" ] || return 1
  done
  return 0
}

# Both programs start with the manifest: resource 1 of type 24 holds its very bytes.
manifest() {
  local resources
  resources=$(x86_64-w64-mingw32-windres -i "build-win$1/$program" -O rc) || return 1
  grep -q '^1 24 /\* RT_MANIFEST \*/' <<<"$resources" &&
    [[ "$(od -An -v -tx1 "build-win$1/$program" | tr -d ' \n')" == *"$(od -An -v -tx1 src/resources/composer.manifest | tr -d ' \n')"* ]]
}

# Icon group 105 holds composer.ico's one 32 x 32, 16-colour image.
icon() {
  local resources
  resources=$(x86_64-w64-mingw32-windres -i "build-win$1/$program" -O rc) || return 1
  grep -A5 '^105 14 /\* RT_GROUP_ICON \*/' <<<"$resources" | grep -Fq '"\040\040\020\000", 1, 4,' &&
    [[ "$(od -An -v -tx1 "build-win$1/$program" | tr -d ' \n')" == *"$(od -An -v -tx1 -j 22 src/resources/composer.ico | tr -d ' \n')"* ]]
}

# The 32-bit wave generators round every float step to float: SSE arithmetic, no x87.
generators_use_sse() {
  local code
  code=$(i686-w64-mingw32-objdump -d --no-show-raw-insn build-win32/libsynth_core.a |
    awk '/^[0-9a-f]+ <__Z1[0-9]Generate/ { inside = 1 } inside && /^$/ { inside = 0 } inside')
  grep -Eq '\s(subss|addss|mulss)\s' <<<"$code" && ! grep -Eq '^\s+[0-9a-f]+:\s+f[a-z0-9]*(\s|$)' <<<"$code"
}

# A new Wine prefix without Mono, Gecko or menu entries, set up to the end before the
# program starts, on a display of its own; Wine's errors go to the program's output.
# Stopped after ten minutes, the scenario says in which step and command it waited.
scenario_under_wine() {
  export WINEPREFIX=$PWD/build-win64/wineprefix WINEDEBUG=fixme-all
  export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  local wine
  wine=$(command -v wine64 || command -v wine)
  rm -rf "$WINEPREFIX"
  new_prefix "$wine" &&
    E2E_WINDOWS_PATHS=1 E2E_START_POLLS=1200 E2E_BRIVOLA_SYN=$PWD/build/brivola-syn \
      tests/e2e/run_under_xvfb.sh timeout 600 tests/e2e/scenario.sh "$wine" "build-win64/$program"
  local result=$?
  end_wine
  return $result
}

# Ends the prefix's programs and waits until its server is gone: a server still stopping
# fails the next start in the same folder.
end_wine() { timeout 30 wineserver -k 2>/dev/null; timeout 30 wineserver -w 2>/dev/null; }

# wineboot makes the prefix; its services go on after it returns, until wineserver is idle.
new_prefix() {
  local output
  output=$(timeout 300 tests/e2e/run_under_xvfb.sh bash -c '"$1" wineboot --init && timeout 120 wineserver --wait' _ "$1" 2>&1) &&
    return 0
  echo "not ok - a new Wine prefix: wineboot or wineserver --wait failed (exit status $?)"
  sed 's/^/  wine: /' <<<"$output"
  return 1
}

check "32-bit program: PE32 GUI, system DLLs and the sound libraries beside it only" executable 32 i686-w64-mingw32-objdump pei-i386
check "64-bit program: PE32+ GUI, system DLLs and the sound libraries beside it only" executable 64 x86_64-w64-mingw32-objdump pei-x86-64
check "both hold icon group 105" eval "icon 32 && icon 64"
check "both hold the manifest" eval "manifest 32 && manifest 64"
check "32-bit wave generators use SSE float arithmetic" generators_use_sse
# Two files dropped through XDND, as a file manager drops them, on the middle of row 2
# (Pulse Wave #3, rows counted from 0). Wine's stub of SetHwndPropStr prints what a
# screen reader would get: every control's name (PROPID_ACC_NAME), then each label's
# description as it changes, the last two being the dropped files on rows 2 and 3.
drop_under_wine() {
  local -x WINEPREFIX=$PWD/build-win64/wineprefix WINEDEBUG=fixme+oleacc
  local -x WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  local wine work row names=() described=() acc_name=608d3df8-8128-4aa7-a428-f55e49267291
  wine=$(command -v wine64 || command -v wine)
  [ -f "$WINEPREFIX/system.reg" ] || new_prefix "$wine" || return 1
  work=$(mktemp -d "${TMPDIR:-/tmp}/brivola drop.XXXXXX") && touch "$work/a b.pcm" "$work/c d.pcm"
  tests/e2e/run_under_xvfb.sh timeout 120 bash -c '"$1" "$2" >"$3/log" 2>&1 & for i in {1..300}; do
      w=$(xdotool search --onlyvisible --name "^Brivola Synthesis Composer\$") && break || sleep 0.2; done
    read -r width height < <(xwininfo -id "$w" | awk "/Width:|Height:/ { printf \"%s \", \$NF }")
    tests/e2e/xdnd_drop.py "$w" $((97 * width / 202)) $((45 * height / 127)) "$3/a b.pcm" "$3/c d.pcm" &&
      for i in {1..50}; do [ "$(grep -c "L\"Z:" "$3/log")" -ge 2 ] && break || sleep 0.1; done' _ "$wine" "build-win64/$program" "$work"
  end_wine
  for row in "Pulse Wave #"{1..4} "Triangle Wave" "Noise Wave #"{1,2}; do
    names+=("Play the built-in $row" "Play the sample of $row" "Choose the sample of $row" "Sample file of $row")
    described+=("Sample file of $row: No sample file")
  done
  local win=Z:${work//\//\\\\}  # as Wine prints it, backslashes doubled
  described+=("Sample file of Pulse Wave #3: $win\\\\a b.pcm" "Sample file of Pulse Wave #4: $win\\\\c d.pcm")
  sed -n 's/.*SetHwndPropStr (\([0-9A-F]*\) 4294967292 0 {\([0-9a-f-]*\)} L"\(.*\)")$/\1\t\2\t\3/p' "$work/log" >"$work/said"
  diff <(printf '%s\n' "${names[@]}" | sort) <(awk -F'\t' -v n=$acc_name '$2 == n { print $3 }' "$work/said" | sort) &&
    diff <(printf '%s\n' "${described[@]}") <(awk -F'\t' -v n=$acc_name '$2 == n { of[$1] = $3; next } { print of[$1] ": " $3 }' "$work/said") &&
    rm -rf "$work" || { echo "  kept for a look: $work"; false; }
}

# The sample chooser of row 1's "..." in Channel Properties, in a folder of one raw take,
# whose words reach the pane's description once the take is selected in the list.
pane_under_wine() {
  local -x WINEPREFIX=$PWD/build-win64/wineprefix WINEDEBUG=fixme+oleacc
  local -x WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
  local wine work acc_description=4d48dfe4-bd3f-491f-a648-492d6f20c588
  wine=$(command -v wine64 || command -v wine)
  work=$(mktemp -d "${TMPDIR:-/tmp}/brivola pane.XXXXXX") && head -c 9702 /dev/zero >"$work/take.pcm"
  tests/e2e/run_under_xvfb.sh timeout 120 bash -c '"$1" "$2" >"$3/log" 2>&1 &
    at() {  # at TITLE X Y WIDTH HEIGHT: clicks the point X, Y of a window of that size in dialog units
      for i in {1..300}; do w=$(xdotool search --onlyvisible --name "^$1\$") && break || sleep 0.2; done
      read -r left top width height < <(xwininfo -id "$w" | awk "/Absolute upper-left [XY]:|Width:|Height:/ { printf \"%s \", \$NF }")
      xdotool mousemove $((left + $2 * width / $4)) $((top + $3 * height / $5)) click 1; }
    at "Brivola Synthesis Composer" 137 25 202 127 && at "Channel Properties" 197 10 217 46 &&
      at "Open Wave..." 1 1 100 100 && xdotool type "Z:${3//\//\\}\\" && xdotool key Return && sleep 1 &&
      xdotool key shift+Tab Home &&  # the list, and its first file
      for i in {1..50}; do grep -q "L\"PCM, " "$3/log" && break || sleep 0.1; done' _ "$wine" "build-win64/$program" "$work"
  end_wine
  grep -q "{$acc_description} L\"PCM, 44,100 Hz, mono, 0.11 s\")\$" "$work/log" && rm -rf "$work" ||
    { echo "  kept for a look: $work"; false; }
}

check "the sample chooser's pane under wine64 describes the take selected" pane_under_wine
check "a drop on the 64-bit program under wine64 attaches two rows through WM_DROPFILES, and a screen reader's words reach SetHwndPropStr" drop_under_wine
check "the end-to-end scenario drives the 64-bit program under wine64" scenario_under_wine
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
