#!/bin/bash
# Builds, once per machine, the sound libraries that the Windows programs link:
# libsndfile and libsoxr with the codec libraries behind them, as DLLs for
# 32-bit and 64-bit Windows. They come from Debian's own source packages, at
# the very versions the Linux program links, so both programs decode alike.
#
#   windows-libraries.sh build        build both targets unless already cached
#   windows-libraries.sh prefix 32|64 print the target's prefix (building first)
#   windows-libraries.sh sources      print the folder of the fetched sources
#   windows-libraries.sh packages     print the Debian packages this needs
#
# The cache lives outside the checkout, in a folder named after a hash of the
# versions, the cross-compilers and this script, so that a change of any of
# them builds anew while the older builds stay usable by other checkouts.
set -euo pipefail

script=$(readlink -f "${BASH_SOURCE[0]}")
cache_root=${XDG_CACHE_HOME:-$HOME/.cache}/brivola-composer/windows-libraries

# The Linux program's libraries; their source packages give what we build.
linux_packages=(libsndfile1 libsoxr0 libflac12 libogg0 libvorbis0a libopus0
  libmpg123-0 libmp3lame0)

# What this script needs beyond the toolchain, cmake, make, pkg-config and
# dpkg-dev that the project installs anyway. The keyring is what apt checks
# the source index against. Ninja halves CMake's configure checks against
# make's. No autotools: every build below runs from the tarballs' own
# generated files.
needed_packages=(debian-archive-keyring ninja-build)

jobs_per_target=2

log() { echo "windows-libraries: $*" >&2; }
die() {
  log "error: $*"
  exit 1
}

# "name=version" of each source package, sorted so the key is stable.
source_versions() {
  local versions
  versions=$(dpkg-query -W -f='${source:Package}=${source:Version}\n' "${linux_packages[@]}" 2>/dev/null) &&
    [[ $versions != *=$'\n'* && $versions != *= ]] ||
    die "the Linux libraries are not all installed (${linux_packages[*]})"
  sort -u <<<"$versions"
}

cache_key() {
  {
    source_versions
    x86_64-w64-mingw32-gcc --version | head -n 1
    i686-w64-mingw32-gcc --version | head -n 1
    cat "$script"
  } | sha256sum | cut -c 1-16
}

# ---------------------------------------------------------------- fetching

# apt with a state, cache and source list of its own, so the machine's apt
# setup is neither used for deb-src nor changed.
apt_private() {
  local dir=$cache_root/apt
  apt-get -q \
    -o Dir::Etc::SourceList="$dir/debian.sources" \
    -o Dir::Etc::SourceParts=/nonexistent \
    -o Dir::State="$dir/state" \
    -o Dir::Cache="$dir/cache" \
    -o APT::Sandbox::User="$(id -un)" \
    "$@"
}

write_apt_sources() {
  local dir=$cache_root/apt
  mkdir -p "$dir/state/lists/partial" "$dir/cache/archives/partial"
  cat >"$dir/debian.sources" <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg

Types: deb-src
URIs: http://deb.debian.org/debian-security
Suites: bookworm-security
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
}

# Downloads the source packages into $1 and checks every file against the
# hash that the signed index gives for it. apt itself stops short when a
# mirror lacks an upstream signature (.asc) that a .dsc lists: those only
# vouch for the upstream tarball, whose hash the index already pins, so a
# missing one is let go while every other file must be there and match.
fetch_sources() {
  local into=$1 list=$2 spec uri name size hash
  local apt_log=$cache_root/last-fetch.log
  : >"$apt_log"
  write_apt_sources
  apt_private update >>"$apt_log" 2>&1 || die "apt-get update failed (see $apt_log)"
  mkdir -p "$into"
  # --print-uris lists what is still missing from the current folder, so it
  # runs in an empty one to list everything.
  (cd "$into" && apt_private source --print-uris $(source_versions)) 2>>"$apt_log" |
    grep "^'" >"$list" || die "apt-get cannot find the source packages (see $apt_log)"
  (cd "$into" && apt_private source --download-only $(source_versions)) >>"$apt_log" 2>&1 || true
  while read -r uri name size hash; do
    if [[ ! -f $into/$name ]]; then
      [[ $name == *.asc ]] || die "could not fetch $name (see $apt_log)"
      log "the mirror has no $name; going on without it"
      continue
    fi
    case $hash in
      SHA512:*) spec=sha512sum ;;
      SHA256:*) spec=sha256sum ;;
      *) die "no usable hash for $name: $hash" ;;
    esac
    echo "${hash#*:}  $into/$name" | $spec --check --quiet >/dev/null 2>&1 ||
      die "$name does not match the hash in Debian's signed index"
  done <"$list"
}

# Unpacks each source package with Debian's patches applied, into $2/NAME.
# --no-check: the hashes were checked above against the signed index, and
# dpkg-source would otherwise insist on the upstream signature file too.
unpack_sources() {
  local from=$1 into=$2 dsc name
  mkdir -p "$into"
  for dsc in "$from"/*.dsc; do
    name=$(basename "$dsc")
    name=${name%%_*}
    dpkg-source --no-check -x "$dsc" "$into/$name" >/dev/null 2>&1 ||
      die "dpkg-source cannot unpack $dsc"
  done
}

# Changes the sources need before any build, done once for both targets.
prepare_sources() {
  local src=$1
  # The .def files' LIBRARY lines name DLLs that these builds do not make
  # (ogg.dll, where the file is libogg.dll), and a bare one is a syntax error
  # to GNU ld; without them each DLL is known by its real name.
  sed -i '/^LIBRARY\b/d' "$src"/libogg/win32/*.def "$src"/libvorbis/win32/*.def
  # lame 3.100 lists lame_init_old among its exports though it no longer
  # defines it; ELF linkers pass over that, the DLL's export list does not.
  sed -i '/^lame_init_old$/d' "$src/lame/include/libmp3lame.sym"
  # Opus 1.3.1's tarball lacks a file its CMakeLists.txt includes; all it
  # does is pick a default build type, and the build here names one.
  : >"$src/opus/opus_buildtype.cmake"
}

# -------------------------------------------------------------- per target

# Sets what each build below uses: host triplet, flags, prefix, pkg-config.
use_target() {
  bits=$1
  prefix=$2
  build_root=$3
  case $bits in
    32)
      host=i686-w64-mingw32
      cpu=x86
      # The 32-bit program computes with SSE2, as the 64-bit one does.
      cflags="-O2 -pipe -msse2 -mfpmath=sse"
      ;;
    64)
      host=x86_64-w64-mingw32
      cpu=AMD64
      cflags="-O2 -pipe"
      ;;
  esac
  # A static libgcc keeps libgcc_s_*.dll out of what must ship.
  ldflags="-static-libgcc"
  export PKG_CONFIG=pkg-config
  export PKG_CONFIG_LIBDIR=$prefix/lib/pkgconfig
  unset PKG_CONFIG_PATH PKG_CONFIG_SYSROOT_DIR
  mkdir -p "$prefix/lib/pkgconfig"
}

# Runs an autotools configure out of the source tree (both targets share it).
# Configure scripts spend their time starting processes: under dash rather
# than bash they take a third less, and so does libtool, which inherits it.
# -static-libgcc goes with the compiler's name, since these tarballs' libtool
# drops it from LDFLAGS, and 32-bit DLLs then import libgcc_s_dw2-1.dll.
autotools_configure() {
  local name=$1
  shift
  mkdir -p "$build_root/$name"
  cd "$build_root/$name"
  CONFIG_SHELL=/bin/dash dash "$src_root/$name/configure" \
    --host="$host" --prefix="$prefix" \
    --enable-shared --disable-static --disable-dependency-tracking \
    CC="$host-gcc $ldflags" CFLAGS="$cflags" LDFLAGS="$ldflags" "$@"
  echo "== $name configured at $SECONDS s"
}

# Configures NAME with CMake, builds only the given targets (most of these
# projects build helpers and benchmarks otherwise) and installs.
cmake_build() {
  local name=$1 targets=$2
  shift 2
  cmake -S "$src_root/$name" -B "$build_root/$name" -G Ninja \
    -DCMAKE_SYSTEM_NAME=Windows \
    -DCMAKE_SYSTEM_PROCESSOR="$cpu" \
    -DCMAKE_C_COMPILER="$host-gcc" \
    -DCMAKE_CXX_COMPILER="$host-g++" \
    -DCMAKE_RC_COMPILER="$host-windres" \
    -DCMAKE_FIND_ROOT_PATH="$prefix;/usr/$host" \
    -DCMAKE_FIND_ROOT_PATH_MODE_PROGRAM=NEVER \
    -DCMAKE_FIND_ROOT_PATH_MODE_LIBRARY=ONLY \
    -DCMAKE_FIND_ROOT_PATH_MODE_INCLUDE=ONLY \
    -DCMAKE_FIND_ROOT_PATH_MODE_PACKAGE=ONLY \
    -DCMAKE_PREFIX_PATH="$prefix" \
    -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DCMAKE_INSTALL_LIBDIR=lib \
    -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_FLAGS="$cflags" \
    -DCMAKE_C_FLAGS_RELEASE="-DNDEBUG" \
    -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
    -DBUILD_SHARED_LIBS=ON \
    "$@"
  echo "== $name configured at $SECONDS s"
  cmake --build "$build_root/$name" -j "$jobs_per_target" --target $targets
  cmake --install "$build_root/$name"
}

build_libogg() {
  cmake_build libogg ogg -DINSTALL_DOCS=OFF
}

# Exports what its .def files list, as the upstream Windows builds do. The
# flags are those its configure adds on Linux, where Debian builds it: with
# them Vorbis decodes bit for bit as in the Linux program. (Encoding still
# differs a little: the encoder's many log and exp calls meet another libm.)
build_libvorbis() {
  local cflags="$cflags -ffast-math -fsigned-char"
  cmake_build libvorbis "vorbis vorbisenc vorbisfile"
}

# CMake rather than autotools: Debian patches a Makefile.am here, and the
# autotools build would then want automake to regenerate it. Stack
# protection and fortified calls would need libssp-0.dll.
build_flac() {
  cmake_build flac FLAC \
    -DBUILD_CXXLIBS=OFF -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
    -DBUILD_TESTING=OFF -DBUILD_DOCS=OFF -DINSTALL_MANPAGES=OFF \
    -DWITH_FORTIFY_SOURCE=OFF -DWITH_STACK_PROTECTOR=OFF -DWITH_OGG=ON
  # It installs libFLAC++'s headers even when libFLAC++ is not built.
  rm -rf "$prefix/include/FLAC++"
}

# Custom modes as in Debian's build. CMake rather than autotools: libtool's
# wrapping of each of its many files costs as much as compiling them. No
# stack protection: that would need libssp-0.dll. Git is kept out, as it
# would describe whatever repository the cache happens to sit in.
build_opus() {
  cmake_build opus opus -DOPUS_CUSTOM_MODES=ON -DOPUS_STACK_PROTECTOR=OFF \
    -DCMAKE_DISABLE_FIND_PACKAGE_Git=ON -DPC_BUILD=floating-point
  # Its CMake build gives the .pc the library's ABI version (0.8.0) where
  # autotools, and pkg-config users, have the release.
  local version
  version=$(source_versions | sed -n 's/^opus=\([^-]*\)-.*/\1/p')
  sed -i "s/^Version: .*/Version: $version/" "$prefix/lib/pkgconfig/opus.pc"
}

# Only libmpg123: the player, libout123 and libsyn123 are of no use here.
build_mpg123() {
  local cpu_opt=()
  # Debian's choice for 32-bit x86: every decoder, picked at run time.
  if [[ $bits == 32 ]]; then cpu_opt=(--with-cpu=x86_dither); fi
  autotools_configure mpg123 --enable-lfs-alias --disable-modules \
    --with-audio=dummy --with-default-audio=dummy "${cpu_opt[@]}"
  make -j "$jobs_per_target" src/libmpg123/libmpg123.la
  make install-libLTLIBRARIES lib_LTLIBRARIES=src/libmpg123/libmpg123.la \
    install-nodist_includeHEADERS nodist_include_HEADERS=src/libmpg123/mpg123.h \
    install-includeHEADERS include_HEADERS=src/libmpg123/fmt123.h \
    install-pkgconfigDATA pkgconfig_DATA=libmpg123.pc
}

# libmp3lame alone, its decoder left in: the export list names hip_*.
# Its Makefile lacks -no-undefined, without which libtool builds no DLL.
build_lame() {
  autotools_configure lame --disable-frontend
  make -j "$jobs_per_target" -C mpglib
  make -j "$jobs_per_target" -C libmp3lame install LDFLAGS="$ldflags -no-undefined"
  make -C include install
}

# One thread: OpenMP would bring libgomp-1.dll and its pthreads along.
build_libsoxr() {
  cmake_build libsoxr soxr -DWITH_OPENMP=OFF -DWITH_LSR_BINDINGS=OFF \
    -DBUILD_TESTS=OFF -DBUILD_EXAMPLES=OFF -DDOC_INSTALL_DIR=share/doc/soxr
  # Its build writes soxr.pc everywhere but on Windows, while the project
  # finds both libraries through pkg-config: this is the one it writes.
  local version
  version=$(source_versions | sed -n 's/^libsoxr=\([^-]*\)-.*/\1/p')
  cat >"$prefix/lib/pkgconfig/soxr.pc" <<EOF
prefix=$prefix
Name: soxr
Description: High quality, one-dimensional sample-rate conversion library
Version: $version
Libs: -L\${prefix}/lib -lsoxr
Cflags: -I\${prefix}/include
EOF
}

# CMake, since the tarball has no generated configure. Without a codec
# library libsndfile quietly leaves that format out, so this checks that
# none was left out.
build_libsndfile() {
  cmake_build libsndfile sndfile -DBUILD_PROGRAMS=OFF -DBUILD_EXAMPLES=OFF \
    -DBUILD_TESTING=OFF -DBUILD_REGTEST=OFF -DENABLE_CPACK=OFF \
    -DINSTALL_MANPAGES=OFF -DENABLE_EXTERNAL_LIBS=ON -DENABLE_MPEG=ON \
    -DENABLE_COMPATIBLE_LIBSNDFILE_NAME=ON
  local feature
  for feature in HAVE_EXTERNAL_XIPH_LIBS HAVE_MPEG; do
    grep -q "^#define $feature 1" "$build_root/libsndfile/src/config.h" ||
      die "libsndfile was configured without $feature"
  done
}

# Builds one library of the current target, with a log of its own.
build_library() {
  local name=$1 start=$SECONDS log_file=$build_root/$1.log
  log "win$bits: $name"
  (
    build_"$name"
    # times must run in this very shell to count what the build ran.
    times >"$log_file.times"
    echo "== $name used (user, system): $(tail -n 1 "$log_file.times")"
  ) >"$log_file" 2>&1 &
  # Waited for, not run in the test itself: there its commands would no
  # longer stop it at their first failure.
  if ! wait $!; then
    tail -n 30 "$log_file" >&2
    log "win$bits: $name failed"
    return 1
  fi
  echo "== $name took $((SECONDS - start)) s, done at $SECONDS s" >>"$log_file"
}

# Builds one target's libraries: those that need none of the others side by
# side, since configure scripts and CMake checks each keep only one core
# busy, and libsndfile last, as it needs them all.
build_target() {
  use_target "$@"
  mkdir -p "$build_root"
  (
    build_library libogg
    build_library libvorbis
    build_library flac
  ) &
  (build_library opus) &
  (build_library mpg123) &
  (build_library lame) &
  (build_library libsoxr) &
  local _
  for _ in 1 2 3 4 5; do wait -n; done
  build_library libsndfile
  log "win$bits: done at $SECONDS s"
}

# ------------------------------------------------------ finishing a prefix

# Leaves in the prefix what a program needs to link and ship: headers,
# import libraries, .pc and CMake files, DLLs, licences.
tidy_prefix() {
  local prefix=$1 src_root=$2 name file
  rm -rf "$prefix/share"
  find "$prefix/lib" -name '*.la' -delete
  # pkg-config files point at the prefix through their own location, so the
  # prefix still works once renamed into the cache.
  for file in "$prefix"/lib/pkgconfig/*.pc; do
    sed -i -e "s|^prefix=.*|prefix=\${pcfiledir}/../..|" \
      -e "s|$prefix|\${prefix}|g" "$file"
  done
  if grep -rlF "$prefix" "$prefix/lib" "$prefix/include" >&2; then
    die "these files still name the temporary build folder"
  fi
  for name in "$src_root"/*/; do
    name=$(basename "$name")
    mkdir -p "$prefix/licenses/$name"
    cp "$src_root/$name/debian/copyright" "$prefix/licenses/$name/"
    for file in "$src_root/$name"/{COPYING,LICENSE,LICENCE}*; do
      if [[ -f $file ]]; then cp "$file" "$prefix/licenses/$name/"; fi
    done
  done
}

# Every DLL may import only Windows' own DLLs and the others of this set:
# anything else (libwinpthread-1, libgcc_s_*, libssp-0, ...) would have to
# ship too. libsndfile must also import every codec library.
check_imports() {
  local prefix=$1 bits=$2 dll import
  local objdump=x86_64-w64-mingw32-objdump
  if [[ $bits == 32 ]]; then objdump=i686-w64-mingw32-objdump; fi
  local system_dlls=(kernel32.dll msvcrt.dll user32.dll advapi32.dll ws2_32.dll
    shell32.dll shlwapi.dll ole32.dll)
  local system=" ${system_dlls[*]} "
  local own=" $(cd "$prefix/bin" && ls *.dll | tr '[:upper:]' '[:lower:]' | tr '\n' ' ') "
  for dll in "$prefix"/bin/*.dll; do
    for import in $($objdump -p "$dll" | sed -n 's/.*DLL Name: //p' | tr '[:upper:]' '[:lower:]'); do
      [[ $system == *" $import "* || $own == *" $import "* ]] ||
        die "win$bits: $(basename "$dll") imports $import"
    done
  done
  local sndfile_imports
  sndfile_imports=$($objdump -p "$prefix/bin/libsndfile-1.dll" | sed -n 's/.*DLL Name: //p')
  for import in libFLAC libogg libvorbis libvorbisenc libopus libmpg123 libmp3lame; do
    grep -q "^$import[-.]" <<<"$sndfile_imports" ||
      die "win$bits: libsndfile-1.dll does not import $import"
  done
}

# ------------------------------------------------------------------ driver

target_groups=()
building=

stop_targets() {
  local group
  for group in "${target_groups[@]}"; do
    kill -- "-$group" 2>/dev/null || true
  done
  wait 2>/dev/null || true
  target_groups=()
}

# On the way out of a build, whether finished, failed or interrupted.
stop_building() {
  stop_targets
  if [[ -n $building ]]; then rm -rf "$building"; fi
}

build_all() {
  local key_dir=$1 work pid32 pid64 finished status failed=0 start=$SECONDS
  # A build that was killed leaves its folder behind; only the holder of the
  # lock builds, so any such folder is stale.
  rm -rf "$cache_root"/.building-*
  work=$(mktemp -d "$cache_root/.building-XXXXXX")
  building=$work
  trap stop_building EXIT
  # So that an interrupted build still clears its folder on the way out.
  trap 'exit 130' INT
  trap 'exit 143' TERM
  local out=$work/$(basename "$key_dir")

  log "fetching Debian's source packages: $(source_versions | tr '\n' ' ')"
  fetch_sources "$out/sources" "$work/uris"
  unpack_sources "$out/sources" "$work/src"
  prepare_sources "$work/src"

  log "building for 32-bit and 64-bit Windows side by side (a few minutes)"
  src_root=$work/src
  # Each target in a process group of its own, so that stopping the build
  # can stop every compiler and configure script it started.
  set -m
  (build_target 32 "$out/win32" "$work/build32") &
  pid32=$!
  (build_target 64 "$out/win64" "$work/build64") &
  pid64=$!
  set +m
  target_groups=("$pid32" "$pid64")
  # The first target to fail stops the build (and the other target with it).
  status=0
  wait -n -p finished "$pid32" "$pid64" || status=$?
  if [[ $status == 0 ]]; then
    finished=$((finished == pid32 ? pid64 : pid32))
    wait "$finished" || status=$?
  fi
  if [[ $status != 0 ]]; then
    failed=64
    if [[ $finished == "$pid32" ]]; then failed=32; fi
  fi
  if [[ $failed != 0 ]]; then stop_targets; fi
  # The logs stay beside the cache, for a look at what failed or took long.
  cat "$work"/build32/*.log >"$cache_root/last-build-win32.log"
  cat "$work"/build64/*.log >"$cache_root/last-build-win64.log"
  if [[ $failed != 0 ]]; then
    die "the win$failed build failed; its log is $cache_root/last-build-win$failed.log"
  fi

  tidy_prefix "$out/win32" "$work/src"
  tidy_prefix "$out/win64" "$work/src"
  check_imports "$out/win32" 32
  check_imports "$out/win64" 64

  # Whole or not at all: the finished folder appears in one rename.
  mv "$out" "$key_dir"
  log "built in $((SECONDS - start)) s: $key_dir"
}

ensure_built() {
  local key_dir
  key_dir=$cache_root/$(cache_key)
  if [[ ! -d $key_dir ]]; then
    mkdir -p "$cache_root"
    # Two builds of the project may ask at once; the second waits for the first.
    exec 9>"$cache_root/.lock"
    flock 9
    if [[ ! -d $key_dir ]]; then build_all "$key_dir"; fi
    exec 9>&-
  fi
  built_dir=$key_dir
}

usage() {
  echo "usage: $0 build | prefix 32|64 | sources | packages" >&2
  exit 2
}

main() {
  case ${1:-} in
    build)
      [[ $# == 1 ]] || usage
      ensure_built
      ;;
    prefix)
      [[ $# == 2 && ($2 == 32 || $2 == 64) ]] || usage
      ensure_built
      echo "$built_dir/win$2"
      ;;
    sources)
      [[ $# == 1 ]] || usage
      ensure_built
      echo "$built_dir/sources"
      ;;
    packages)
      [[ $# == 1 ]] || usage
      printf '%s\n' "${needed_packages[@]}"
      ;;
    *) usage ;;
  esac
}

# On one line, so that bash has read all it will run before it runs it: an
# edit of this file during a long build then cannot feed it other lines.
main "$@"; exit
