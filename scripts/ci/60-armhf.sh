#!/usr/bin/env bash
# Cross build for 32-bit ARM (armhf); the whole suite runs under qemu-arm
# through CTest, so every test, the golden corpus included, checks the
# target's output against the same expectations as on the build machine.
# The benchmarks need Google Benchmark, which has no armhf build here. The
# command-line tool links the target's libpcap, from Debian's multiarch tree.
set -euo pipefail
bash scripts/deps.sh crossbuild-essential-armhf qemu-user libpcap0.8-dev:armhf
build=build/armhf
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/toolchain-armhf.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF
cmake --build "$build"
header=$(readelf -h "$build/src/libpaketlog.so")
grep -q 'Class: *ELF32' <<<"$header" && grep -q 'Machine: *ARM' <<<"$header" ||
  { echo "60-armhf: the library is not a 32-bit ARM object" >&2; exit 1; }
readelf -h "$build/tools/paketlog" | grep -q 'Machine: *ARM' ||
  { echo "60-armhf: the paketlog command is not an ARM program" >&2; exit 1; }
ctest --test-dir "$build" --output-on-failure -j2
