#!/usr/bin/env bash
# ABI baseline of the public interface: abi/paketlog.abi, written by
# libabigail's abidw from the armhf library (the platform the library ships
# for), built RelWithDebInfo. Only types declared in include/ are kept, so
# changes inside the library do not show.
#
#   scripts/update-abi.sh           rebuild and rewrite abi/paketlog.abi
#   scripts/update-abi.sh --check   rebuild and compare with it (abidiff);
#                                   fails on any change of the interface
#
# An intended change of the interface rewrites the baseline in the same commit.
set -euo pipefail
cd "$(dirname "$0")/.."
mode=update
case "${1:-}" in
  "") ;;
  --check) mode=check ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

bash scripts/deps.sh crossbuild-essential-armhf abigail-tools
baseline=abi/paketlog.abi
build=build/abi
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-armhf.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPAKETLOG_BUILD_TESTS=OFF -DPAKETLOG_BUILD_TOOL=OFF \
  -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF >/dev/null
cmake --build "$build" --target paketlog
lib="$build/src/libpaketlog.so.1"

# Paths, line numbers and the build directory stay out of the file, so that
# it changes only when the interface does.
abi_options=(--headers-dir include --drop-private-types --no-corpus-path --no-comp-dir-path
             --no-show-locs --type-id-style hash)
current="$build/paketlog.abi"
abidw "${abi_options[@]}" --out-file "$current" "$lib"

if [ "$mode" = update ]; then
  mkdir -p "$(dirname "$baseline")"
  cp "$current" "$baseline"
  echo "wrote $baseline ($(grep -c '<elf-symbol' "$baseline") symbols); commit it with the change"
  exit 0
fi

if [ ! -f "$baseline" ]; then
  echo "no ABI baseline $baseline: run scripts/update-abi.sh and commit it" >&2
  exit 1
fi
# Both sides were written with the options above, private types already dropped.
status=0
abidiff "$baseline" "$current" || status=$?
if [ "$status" -ne 0 ]; then
  # abidiff's status is a bit set: 1 error, 2 usage, 4 ABI change, 8 incompatible change.
  echo "the public interface differs from $baseline (abidiff status $status)." >&2
  echo "If the change is intended, run scripts/update-abi.sh and commit $baseline with it." >&2
  exit 1
fi
echo "public interface matches $baseline"
