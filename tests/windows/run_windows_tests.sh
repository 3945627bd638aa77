#!/usr/bin/env bash
# Checks the Windows programs that ./dev windows built: their file format and imports,
# the icon, the float arithmetic of the 32-bit build, the dialogs and the file backend
# as Windows runs them, and the 64-bit program itself, all under wine64 on a virtual
# display. Fails when any check fails; ends with "N passed, M failed".
set -uo pipefail
cd "$(dirname "$0")/../.."
root=$(pwd)
win32=$root/build-win32
win64=$root/build-win64
program=brivola-composer.exe
wait_seconds=120

passed=0
failed=0
pass() { echo "PASS: $1"; passed=$((passed + 1)); }
fail() { echo "FAIL: $1"; failed=$((failed + 1)); }
check() {
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

objdump_for() { [ "$1" = "$win32" ] && echo i686-w64-mingw32-objdump || echo x86_64-w64-mingw32-objdump; }

# ---- The executables ---------------------------------------------------------------

# pe_format <build dir> <bfd format> <optional-header magic>: a GUI program of that kind.
pe_format() {
  local exe=$1/$program headers
  [ -f "$exe" ] || { echo "  missing $exe"; return 1; }
  headers=$("$(objdump_for "$1")" -f -p "$exe") || return 1
  grep -q "file format $2\$" <<<"$headers" &&
    grep -Eq "^Magic[[:space:]]+$3" <<<"$headers" &&
    grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers"
}

# Every imported DLL is one Windows ships, and the three services are linked directly.
system_imports_only() {
  local dlls unexpected
  dlls=$("$(objdump_for "$1")" -p "$1/$program" | sed -n 's/^[[:space:]]*DLL Name: //p' |
    tr '[:upper:]' '[:lower:]' | sort -u)
  echo "  imports: $(tr '\n' ' ' <<<"$dlls")"
  unexpected=$(grep -Evx 'user32\.dll|comdlg32\.dll|dsound\.dll|kernel32\.dll|msvcrt\.dll|advapi32\.dll' <<<"$dlls")
  [ -z "$unexpected" ] || { echo "  unexpected: $unexpected"; return 1; }
  for needed in user32.dll comdlg32.dll dsound.dll; do grep -qx "$needed" <<<"$dlls" || return 1; done
}

hex_bytes() { od -An -v -tx1 "$@" | tr -s ' \n' ' '; }

# Icon group 105 holds one 32 x 32, 16-colour image, and that image is composer.ico's.
icon_group() {
  local resources
  resources=$(x86_64-w64-mingw32-windres -i "$1/$program" -O rc) || return 1
  grep -A3 '^105 14 /\* RT_GROUP_ICON \*/' <<<"$resources" | grep -q '^   0, 1, 1,' &&
    grep -A5 '^105 14 /\* RT_GROUP_ICON \*/' <<<"$resources" |
    grep -Fq '"\040\040\020\000", 1, 4,' &&
    [[ "$(hex_bytes "$1/$program")" == *"$(hex_bytes -j 22 src/resources/composer.ico)"* ]]
}

icon_reproducible() {
  local regenerated
  regenerated=$(mktemp -d)
  src/resources/make_composer_icon.sh "$regenerated/composer.ico" "$regenerated/composer.svg" &&
    cmp -s "$regenerated/composer.ico" src/resources/composer.ico &&
    cmp -s "$regenerated/composer.svg" src/resources/composer.svg
  local result=$?
  rm -rf "$regenerated"
  return $result
}

# The 32-bit wave generators round every float step to float: SSE arithmetic, no x87.
generators_use_sse() {
  local code
  code=$(i686-w64-mingw32-objdump -d --no-show-raw-insn "$win32/libsynth_core.a" |
    awk '/^[0-9a-f]+ <__Z1[0-9]Generate/ { inside = 1 } inside && /^$/ { inside = 0 } inside')
  [ -n "$code" ] && grep -Eq '\s(subss|addss|mulss)\s' <<<"$code" &&
    ! grep -Eq '^\s+[0-9a-f]+:\s+f[a-z0-9]*(\s|$)' <<<"$code"
}

check "32-bit program is a PE32 i386 GUI executable" pe_format "$win32" pei-i386 010b
check "64-bit program is a PE32+ x86-64 GUI executable" pe_format "$win64" pei-x86-64 020b
check "32-bit program imports only system DLLs" system_imports_only "$win32"
check "64-bit program imports only system DLLs" system_imports_only "$win64"
check "32-bit program holds icon group 105" icon_group "$win32"
check "64-bit program holds icon group 105" icon_group "$win64"
check "the icon script reproduces composer.ico and composer.svg" icon_reproducible
check "32-bit wave generators use SSE float arithmetic" generators_use_sse

# ---- Under wine64 ------------------------------------------------------------------

# No Mono or Gecko install, no menu entries written into the user's home.
export WINEPREFIX=$win64/wineprefix WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
wine=$(command -v wine64 || command -v wine || echo /usr/lib/wine/wine64)
xvfb_pid=""

stop_wine() { timeout 30 wineserver -k >/dev/null 2>&1; timeout 30 wineserver -w >/dev/null 2>&1; }
cleanup() {
  stop_wine
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

# Starts Xvfb on a display it picks itself and exports DISPLAY once it accepts clients.
start_display() {
  local number_file
  number_file=$(mktemp)
  Xvfb -displayfd 3 -nolisten tcp -screen 0 1024x768x24 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    sleep 0.1
  done
  export DISPLAY=:$(head -n1 "$number_file")
  rm -f "$number_file"
  [ "$DISPLAY" != ":" ]
}

# A new prefix each run, so that nothing a previous run left behind is read.
prepare_prefix() {
  rm -rf "$WINEPREFIX"
  timeout 300 "$wine" wineboot --init >/dev/null 2>&1
  timeout 60 wineserver -w
  [ -f "$WINEPREFIX/system.reg" ]
}

# Runs a console check program; its output is indented, ALSA's complaints left out.
run_console_check() {
  timeout "$wait_seconds" "$wine" "$win64/$1" "${@:2}" 2>&1 | sed '/^ALSA lib/d; s/\r$//; s/^/  /'
}

# Wine's ALSA driver alone, its default device a file: a sound device on any machine.
audio_with_device() {
  local home=$win64/wine-audio-home
  mkdir -p "$home"
  printf 'pcm.!default { type file; slave.pcm "null"; file "%s"; format "raw" }\n' \
    "$home/played.raw" >"$home/.asoundrc"
  HOME=$home WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winepulse.drv,wineoss.drv=d" \
    run_console_check audio_check.exe device
  local result=$?
  rm -f "$home/played.raw"
  return $result
}

# No audio driver at all: no device on any machine.
audio_without_device() {
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winealsa.drv,winepulse.drv,wineoss.drv=d" \
    run_console_check audio_check.exe none
}

# The same user session as the Linux program's, typing chooser paths as Windows paths.
run_scenario() {
  E2E_WINDOWS_PATHS=1 timeout 900 tests/e2e/run_under_xvfb.sh tests/e2e/scenario.sh \
    "$wine" "$win64/$program"
}

if ! start_display; then
  fail "a virtual display starts"
elif ! prepare_prefix; then
  fail "a Wine prefix is set up in $WINEPREFIX"
else
  check "dialogs as Windows builds them match their templates" run_console_check dialog_template_check.exe
  check "the open-file chooser as Windows runs it" run_console_check chooser_check.exe
  check "the file backend on a Windows file system" run_console_check files_check.exe
  check "a preview plays through DirectSound" audio_with_device
  check "with no sound device the preview is silent and releases everything" audio_without_device
  stop_wine  # the scenario's display is a new one: no Wine process may hold the old
  check "the end-to-end scenario drives the 64-bit program" run_scenario
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
