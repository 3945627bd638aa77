#!/usr/bin/env bash
# Installs the build into a fresh prefix, as `cmake --install` does for a user, and
# checks what landed there against the freedesktop layout; then starts the installed
# composer on the display it is given (run_under_xvfb.sh gives one).
#   install_test.sh BUILD_DIR
set -uo pipefail
build=$1
readonly title="Brivola Synthesis Composer"
readonly start_polls=200  # 10 s of 50 ms polls for the main window

work=$(mktemp -d)
composer_pid=
cleanup() {
  [ -n "$composer_pid" ] && kill "$composer_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
failures=0
check() {  # check DESCRIPTION COMMAND...
  local description=$1
  shift
  if "$@"; then echo "ok - $description"; else echo "not ok - $description"; failures=$((failures + 1)); fi
}

# A prefix with a space: nothing may depend on /usr/local or on a simple path.
prefix="$work/pre fix"
cmake --install "$build" --prefix "$prefix" >"$work/install.log" || { cat "$work/install.log"; exit 1; }

entry="$prefix/share/applications/brivola-composer.desktop"
icon="$prefix/share/icons/hicolor/scalable/apps/brivola-composer.svg"
expected=$(printf '%s\n' "bin/brivola-composer" "bin/brivola-syn" \
  "share/applications/brivola-composer.desktop" \
  "share/icons/hicolor/scalable/apps/brivola-composer.svg")
check "exactly the programs, the menu entry and the icon are installed" \
  test "$(cd "$prefix" && find . -type f | sed 's|^\./||' | sort)" = "$expected"
check "the programs are executable" test -x "$prefix/bin/brivola-composer" -a -x "$prefix/bin/brivola-syn"
check "the menu entry is a valid desktop entry" desktop-file-validate "$entry"
check "the entry starts the installed composer" \
  grep -qxF "Exec=\"$prefix/bin/brivola-composer\"" "$entry"
check "the entry is an application named as the main window" \
  grep -qxF "Name=$title" "$entry"
check "the entry's icon is the installed icon's name" \
  test "$(sed -n 's/^Icon=//p' "$entry")" = "$(basename "$icon" .svg)"
check "the icon is a 32 x 32 SVG picture" python3 -c '
import sys, xml.dom.minidom
svg = xml.dom.minidom.parse(sys.argv[1]).documentElement
assert svg.tagName == "svg" and svg.getAttribute("viewBox") == "0 0 32 32"
assert len(svg.getElementsByTagName("rect")) > 100' "$icon"
check "the installed brivola-syn runs" \
  test "$("$prefix/bin/brivola-syn" --version)" = "brivola-syn $(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"

# The installed composer starts and shows its main window.
"$prefix/bin/brivola-composer" >"$work/composer.log" 2>&1 &
composer_pid=$!
shown=
for ((i = 0; i < start_polls; i++)); do
  if xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; then shown=1; break; fi
  kill -0 "$composer_pid" 2>/dev/null || break
  sleep 0.05
done
check "the installed composer starts and shows its main window" test -n "$shown"
check "it is still running with the window up" kill -0 "$composer_pid"
[ -z "$shown" ] && cat "$work/composer.log"

echo "$failures failed"
[ "$failures" -eq 0 ]
