#!/usr/bin/env bash
# The g++ build's test programs under valgrind's memcheck: every GoogleTest
# program once with all of its tests, and every fuzz target (as a replay
# program) over its regression inputs and the seeds made from the golden
# corpus. Any memcheck error or leak fails the stage.
set -euo pipefail
bash scripts/deps.sh valgrind libpcap-dev
build=build/valgrind
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=ON -DPAKETLOG_FUZZ_ENGINE=replay
cmake --build "$build"

out=$build/memcheck
rm -rf "$out"
mkdir -p "$out"
"$build/fuzz/paketlog_fuzz_seeds" tests/data/golden/corpus.txt "$out/seeds"

# One command per line: the GoogleTest programs CTest knows, then the fuzz targets.
{
  ctest --test-dir "$build" -N -V | sed -n -E 's/^.*Test command: ([^ ]+) .*--gtest_filter.*$/\1/p' | sort -u
  for target in "$build"/fuzz/fuzz_*; do
    name=${target##*/fuzz_}
    echo "$target $out/seeds/$name $( [ -d fuzz/regressions/$name ] && echo fuzz/regressions/$name )"
  done
} >"$out/commands"

check() {
  local log=$out/$(basename "${1%% *}").log
  # shellcheck disable=SC2086
  if valgrind --error-exitcode=1 --leak-check=full --errors-for-leak-kinds=definite,indirect,possible \
       --track-origins=yes --quiet $1 >"$log" 2>&1; then
    echo "clean: $1"
  else
    echo "FAILED: $1 (log: $log)"
    tail -60 "$log"
    return 1
  fi
}
export -f check
export out
# Two programs at a time, one per core.
xargs -P 2 -d '\n' -I{} bash -c 'check "$1"' _ {} <"$out/commands" | tee "$out/summary"
! grep -q '^FAILED' "$out/summary"
