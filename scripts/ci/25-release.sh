#!/usr/bin/env bash
# Release builds (-O3, NDEBUG) with g++ and clang++, warnings as errors, and
# the whole suite through CTest on each: the optimiser sees more of the code
# and warns about more of it than the RelWithDebInfo stages do.
set -euo pipefail
bash scripts/deps.sh clang libpcap-dev
for compiler in gcc:g++ clang:clang++; do
  build=build/release-${compiler%%:*}
  cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_C_COMPILER="${compiler%%:*}" -DCMAKE_CXX_COMPILER="${compiler##*:}"
  cmake --build "$build"
  ctest --test-dir "$build" --output-on-failure -j2
done
