#!/usr/bin/env bash
# Installation: `cmake --install` into a staging prefix, then a small program
# outside the project, which supplies its own tevo_snprintf, is built against
# the staged tree twice, through pkg-config and through find_package(paketlog),
# and run.
set -euo pipefail
bash scripts/deps.sh libpcap-dev
root=$PWD
build=build/install
stage=$root/build/install-stage
rm -rf "$stage" build/install-consumer
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPAKETLOG_BUILD_TESTS=OFF -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build"
cmake --install "$build" --prefix "$stage" >/dev/null

fail() { echo "80-install: $*" >&2; exit 1; }

# What the tree must hold.
libdir=$(sed -n 's/^CMAKE_INSTALL_LIBDIR:[A-Z]*=//p' "$build/CMakeCache.txt")
[ -n "$libdir" ] || libdir=lib
lib=$stage/$libdir
[ -f "$lib/libpaketlog.so.1.0.0" ] || fail "no libpaketlog.so.1.0.0 in $lib"
[ "$(readlink "$lib/libpaketlog.so.1")" = libpaketlog.so.1.0.0 ] || fail "libpaketlog.so.1 is not a link to libpaketlog.so.1.0.0"
[ "$(readlink "$lib/libpaketlog.so")" = libpaketlog.so.1 ] || fail "libpaketlog.so is not a link to libpaketlog.so.1"
readelf -d "$lib/libpaketlog.so.1.0.0" | grep -q 'Library soname: \[libpaketlog.so.1\]' || fail "SONAME is not libpaketlog.so.1"
! readelf -d "$lib/libpaketlog.so.1.0.0" | grep -Eq 'R(UN)?PATH' || fail "the installed library carries a RUNPATH"
cmp -s "$stage/include/paketlog.h" include/paketlog.h || fail "include/paketlog.h not installed"
[ -f "$stage/include/paketlog_version.h" ] || fail "paketlog_version.h not installed"
cmp -s "$stage/share/doc/paketlog/LICENSE" LICENSE || fail "LICENSE not installed under share/doc/paketlog/"
[ -f "$lib/pkgconfig/paketlog.pc" ] || fail "no paketlog.pc"
[ -f "$lib/cmake/paketlog/paketlogConfig.cmake" ] || fail "no CMake package"
if [ -f tools/CMakeLists.txt ]; then
  [ -x "$stage/bin/paketlog" ] || fail "the paketlog tool is not installed"
  # No RUNPATH or RPATH (least of all into the build tree): the loader finds the library.
  ! readelf -d "$stage/bin/paketlog" | grep -Eq 'R(UN)?PATH' || fail "the installed tool carries a RUNPATH"
  LD_LIBRARY_PATH=$lib "$stage/bin/paketlog" --version >/dev/null || fail "the installed tool does not run"
fi

consumer_src=$root/tests/install/consumer
out=$root/build/install-consumer
mkdir -p "$out"

# 1. pkg-config.
export PKG_CONFIG_PATH=$lib/pkgconfig
pkg-config --exists paketlog || fail "pkg-config does not find paketlog"
[ "$(pkg-config --modversion paketlog)" = "$(sed -n 's/^#define PAKETLOG_VERSION "\(.*\)"/\1/p' "$stage/include/paketlog_version.h")" ] ||
  fail "paketlog.pc version differs from the header's"
# shellcheck disable=SC2046
g++ -std=c++17 -Wall -Wextra -Werror -o "$out/consumer-pkgconfig" "$consumer_src/consumer.cpp" \
  $(pkg-config --cflags --libs paketlog) -Wl,-rpath,"$(pkg-config --variable=libdir paketlog)"
"$out/consumer-pkgconfig"

# 2. find_package(paketlog) -> paketlog::paketlog.
cmake -S "$consumer_src" -B "$out/cmake" -G Ninja -DCMAKE_PREFIX_PATH="$stage" \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null
cmake --build "$out/cmake"
"$out/cmake/consumer"
