#!/usr/bin/env bash
# Makes the packages with `./dev package` and checks what a user gets: the Debian package's
# files and declared dependencies, lintian's verdict on it, its file type and menu entry on
# a desktop, the Windows zip's two programs with their libraries and licences, the archive
# of those libraries' source beside it; and that a failing package build leaves no package
# behind.
set -uo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passes=0 failures=0
# check DESCRIPTION COMMAND...
check() { if "${@:2}"; then echo "ok - $1" && passes=$((passes + 1)); else echo "not ok - $1" && failures=$((failures + 1)); fi; }

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/CMakeCache.txt)
deb=$work/made/brivola-composer_${version}_amd64.deb
zip=$work/made/brivola-composer-$version-windows.zip
sources=$work/made/brivola-composer-$version-windows-library-sources.tar
./dev package "$work/made" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
check "the folder holds the two packages and the libraries' source alone" test "$(ls -A "$work/made")" = "$(basename "$sources")
$(basename "$zip")
$(basename "$deb")"
check "the Debian package holds the programs, their manual pages, the menu entry, the icons, \
the file type, the AppStream metadata, the README, the copyright and the changelog" test \
  "$(dpkg-deb -c "$deb" | awk '!/^d/ {print $6}')" = "./usr/bin/brivola-composer
./usr/bin/brivola-syn
./usr/share/applications/brivola-composer.desktop
./usr/share/doc/brivola-composer/README.md
./usr/share/doc/brivola-composer/changelog.gz
./usr/share/doc/brivola-composer/copyright
./usr/share/icons/hicolor/scalable/apps/brivola-composer.svg
./usr/share/icons/hicolor/scalable/mimetypes/application-x-brivola-synth.svg
./usr/share/man/man1/brivola-composer.1.gz
./usr/share/man/man1/brivola-syn.1.gz
./usr/share/metainfo/org.brivola.composer.metainfo.xml
./usr/share/mime/packages/brivola-composer.xml"
check "lintian finds no error and no warning in it" lintian --fail-on error,warning "$deb"
dpkg-deb -x "$deb" "$work/root"
share=$work/root/usr/share
check "the menu entry starts /usr/bin/brivola-composer with the file it opens" \
  grep -qxF 'Exec="/usr/bin/brivola-composer" %f' "$share/applications/brivola-composer.desktop"
check "the AppStream metadata is valid" \
  appstreamcli validate --no-net --no-color "$share/metainfo/org.brivola.composer.metainfo.xml"

# A desktop that knows only what the package installs.
update-mime-database "$share/mime" 2>/dev/null && update-desktop-database "$share/applications"
on_desktop() {
  env -i PATH="$PATH" HOME="$work/home" XDG_DATA_DIRS="$share" XDG_DATA_HOME="$work/home/data" "$@"
}
check "the package's one file type is the Synth file, known by *.syn alone" \
  test "$(grep -v '^#' "$share/mime/globs2")" = "50:application/x-brivola-synth:*.syn"
printf '\7\0\0\0' >"$work/bank.syn"
check "a .syn is a Synth file to the desktop" \
  test "$(on_desktop xdg-mime query filetype "$work/bank.syn")" = application/x-brivola-synth
check "and the composer's menu entry opens it" \
  test "$(on_desktop xdg-mime query default application/x-brivola-synth)" = brivola-composer.desktop
depends=$(dpkg-deb -f "$deb" Depends | tr -d ' ' | tr ',' '\n' | sed 's/(.*//' | sort | tr '\n' ' ')
check "it depends on Qt, its X11 plugin, a font, OpenAL, libsndfile and libsoxr" test \
  "$depends" = "fonts-dejavu-core libc6 libgcc-s1 libopenal1 libqt6core6 libqt6gui6 libqt6widgets6 libsndfile1 libsoxr0 libstdc++6 qt6-qpa-plugins "
top=brivola-composer-$version-windows && python3 -m zipfile -e "$zip" "$work/zip"
check "the zip holds the 32-bit and the 64-bit program, each in its folder, and how to run them" test \
  "$(cd "$work/zip" && file -N $(find . -type f -not -name '*.dll' -not -path '*/licenses/*' | sort) | cut -d, -f1)" = "./$top/32-bit/brivola-composer.exe: PE32 executable (GUI) Intel 80386 (stripped to external PDB)
./$top/64-bit/brivola-composer.exe: PE32+ executable (GUI) x86-64 (stripped to external PDB)
./$top/README.txt: ASCII text"
for bits in 32 64; do
  check "beside the $bits-bit program, the sound libraries' DLLs it was built with" test \
    "$(cd "$work/zip/$top/$bits-bit" && ls *.dll)" = "$(cd "build-win$bits" && ls *.dll)"
done
# The source packages of the Linux program's libraries, at the very versions it links.
linux_sources=$(dpkg-query -W -f='${source:Package}_${source:Version}\n' libsndfile1 libsoxr0 libflac12 \
  libogg0 libvorbis0a libopus0 libmpg123-0 libmp3lame0 | sed 's/_[0-9]*:/_/' | sort)
check "the zip holds a licence of each library" test "$(ls "$work/zip/$top/licenses")" = "$(sed 's/_.*//' <<<"$linux_sources")"
check "the archive beside it holds the source packages they were built from" test \
  "$(tar -tf "$sources" | sed -n 's|^\(\./\)\{0,1\}\(.*\)\.dsc$|\2|p' | sort)" = "$linux_sources"

# dpkg-shlibdeps failing half-way through the Debian package.
mkdir "$work/bin" && printf '#!/bin/sh\nexit 1\n' >"$work/bin/dpkg-shlibdeps" && chmod +x "$work/bin/dpkg-shlibdeps"
check "a failed package build fails" bash -c '! PATH="$1:$PATH" ./dev package "$2" >/dev/null 2>&1' _ "$work/bin" "$work/failed"
check "and leaves nothing behind" test -z "$(ls -A "$work/failed")"

echo "$passes passed, $failures failed"
[ "$failures" -eq 0 ]
