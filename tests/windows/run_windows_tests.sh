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

# A GUI program of the bitness, importing system DLLs only, the three services directly.
executable() {
  local exe=build-win$1/$program objdump=$2 headers dlls
  headers=$("$objdump" -f -p "$exe") || return 1
  grep -q "file format $3\$" <<<"$headers" && grep -Eq 'Subsystem.*\(Windows GUI\)' <<<"$headers" || return 1
  dlls=$(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers" | tr '[:upper:]' '[:lower:]' | sort -u)
  ! grep -Evxq 'user32|comdlg32|comctl32|dsound|kernel32|msvcrt|advapi32' <<<"${dlls//.dll/}" &&
    [ "$(grep -cxE 'user32.dll|comdlg32.dll|dsound.dll' <<<"$dlls")" -eq 3 ]
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
    E2E_WINDOWS_PATHS=1 E2E_START_POLLS=1200 tests/e2e/run_under_xvfb.sh timeout 600 tests/e2e/scenario.sh "$wine" "build-win64/$program"
  local result=$?
  timeout 30 wineserver -k 2>/dev/null
  return $result
}

# wineboot makes the prefix; its services go on after it returns, until wineserver is idle.
new_prefix() {
  local output
  output=$(timeout 300 tests/e2e/run_under_xvfb.sh bash -c '"$1" wineboot --init && timeout 120 wineserver --wait' _ "$1" 2>&1) &&
    return 0
  echo "not ok - a new Wine prefix: wineboot or wineserver --wait failed (exit status $?)"
  sed 's/^/  wine: /' <<<"$output"
  return 1
}

check "32-bit program: PE32 GUI, system DLLs only" executable 32 i686-w64-mingw32-objdump pei-i386
check "64-bit program: PE32+ GUI, system DLLs only" executable 64 x86_64-w64-mingw32-objdump pei-x86-64
check "both hold icon group 105" eval "icon 32 && icon 64"
check "32-bit wave generators use SSE float arithmetic" generators_use_sse
check "the end-to-end scenario drives the 64-bit program under wine64" scenario_under_wine
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
