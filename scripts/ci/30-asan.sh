#!/usr/bin/env bash
# The whole suite built with clang++ under AddressSanitizer and
# UndefinedBehaviorSanitizer; the first report stops the test that made it.
# The fuzz targets come along as replay programs over their regression
# inputs and the seeds made from the golden corpus.
set -euo pipefail
bash scripts/deps.sh clang libpcap-dev
build=build/asan
sanitize="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer"
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$sanitize" -DCMAKE_C_FLAGS="$sanitize" \
  -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DCMAKE_SHARED_LINKER_FLAGS="-fsanitize=address,undefined" \
  -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=ON -DPAKETLOG_FUZZ_ENGINE=replay
cmake --build "$build"
export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:strict_string_checks=1
export ASAN_OPTIONS=$ASAN_OPTIONS:detect_stack_use_after_return=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
ctest --test-dir "$build" --output-on-failure -j2
