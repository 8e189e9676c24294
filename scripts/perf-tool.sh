#!/usr/bin/env bash
# Throughput of the paketlog command: decodes a generated hex trace (one
# packet per line; every listed type, a few unlisted ones, blocks of 0 to 12
# parameters) and reports packets per second, next to `wc -l` reading the
# same file as the reference cost of reading the input. Both are measured in
# this one run, best of several repetitions, with the trace in the page cache.
#
#   scripts/perf-tool.sh [-n PACKETS] [-r REPEATS] [-s SEED] [-b BUILD_DIR] [-k]
#
#   -n  packets in the trace (default 1000000)
#   -r  repetitions of each measurement; the fastest counts (default 3)
#   -s  seed of the trace (default 1)
#   -b  build directory (default build; configured and built as needed)
#   -k  keep the trace and print its path
set -euo pipefail
cd "$(dirname "$0")/.."

packets=1000000 repeats=3 seed=1 build=build keep=0
while getopts "n:r:s:b:kh" opt; do
  case $opt in
    n) packets=$OPTARG ;;
    r) repeats=$OPTARG ;;
    s) seed=$OPTARG ;;
    b) build=$OPTARG ;;
    k) keep=1 ;;
    h) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    *) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" >&2; exit 2 ;;
  esac
done

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja >/dev/null
# paketlog_cli is the command (build/tools/paketlog); paketlog is the library.
cmake --build "$build" --target paketlog_cli paketlog_make_trace >/dev/null
tool=$build/tools/paketlog
[ -x "$tool" ] || { echo "perf-tool: $tool was not built" >&2; exit 1; }
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")

workdir=$(mktemp -d)
trap '[ "$keep" = 1 ] || rm -rf "$workdir"' EXIT
trace=$workdir/trace.hex

now() { date +%s%N; }

start=$(now)
"$build/bench/paketlog_make_trace" "$packets" "$seed" >"$trace"
generated=$(( $(now) - start ))
lines=$(wc -l <"$trace")
[ "$lines" -eq "$packets" ] || { echo "perf-tool: the trace has $lines lines, not $packets" >&2; exit 1; }
cat "$trace" >/dev/null  # into the page cache

# best_ns COMMAND...: the fastest of $repeats runs, in nanoseconds; the
# command must succeed every time.
best_ns() {
  local best=0 t0 t
  for ((i = 0; i < repeats; i++)); do
    t0=$(now)
    "$@" >/dev/null || { echo "perf-tool: '$*' failed" >&2; exit 1; }
    t=$(( $(now) - t0 ))
    if [ "$best" -eq 0 ] || [ "$t" -lt "$best" ]; then best=$t; fi
  done
  echo "$best"
}

wc_ns=$(best_ns wc -l "$trace")
default_ns=$(best_ns "$tool" "$trace")
raw_ns=$(best_ns "$tool" --raw "$trace")
testcall_ns=$(best_ns "$tool" --testcall --raw "$trace")

size=$(wc -c <"$trace")
awk -v n="$packets" -v size="$size" -v gen="$generated" -v seed="$seed" -v reps="$repeats" \
    -v build="$build" -v type="$build_type" -v host="$(uname -m)" \
    -v wc="$wc_ns" -v def="$default_ns" -v raw="$raw_ns" -v tc="$testcall_ns" '
  function row(name, ns) {
    printf "%-28s %9.3f %14.0f %10.1f\n", name, ns / 1e9, n / (ns / 1e9), ns / wc
  }
  BEGIN {
    printf "trace  %d packets, %.1f MB, seed %d (generated in %.2f s)\n", n, size / 1e6, seed, gen / 1e9
    printf "build  %s (%s), %s, fastest of %d runs\n\n", build, type, host, reps
    printf "%-28s %9s %14s %10s\n", "", "seconds", "packets/s", "x wc -l"
    row("wc -l (reading the input)", wc)
    row("paketlog", def)
    row("paketlog --raw", raw)
    row("paketlog --testcall --raw", tc)
  }'
[ "$keep" = 1 ] && echo "trace kept: $trace"
exit 0
