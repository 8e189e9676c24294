#!/usr/bin/env bash
# Speed of the paketlog command in every mode, measured in one run against
# the library-only decode of the same packets (bench/decode_memory.cpp reads
# them into memory first, then times only the decoders), against `wc -l`
# reading the trace, and against `tcpdump -n -r` (TZ=UTC) reading the same
# packets as a capture. The trace is generated (every listed type, a few
# unlisted ones, blocks of 0 to 12 parameters); paketlog-capture wraps it in
# UDP datagrams for the capture. Every time is the best of several runs with
# the files in the page cache. Ratios are of CPU time (user + system), but
# the -j speed-up, which is of wall-clock time. The call list (--calls) is
# measured on the same packets made into calls of ten (packets 1 to 10 are
# seance 0, and so on; the tenth releases the call), against -q on that
# capture. The modes run with -j 1 (one
# core); -j is skipped when the command has no such option.
#
#   scripts/perf-tool.sh [-n PACKETS] [-r REPEATS] [-s SEED] [-j JOBS] [-b BUILD_DIR] [-t PROGRAM] [-k]
#
#   -n  packets in the trace (default 500000)
#   -r  repetitions of each measurement; the fastest counts (default 3)
#   -s  seed of the trace (default 1)
#   -j  threads of the -j measurement (default: the processors, at least 2)
#   -b  build directory (default build; configured and built as needed)
#   -t  the command to measure (default BUILD_DIR/tools/paketlog), e.g. an
#       older build's, against this build's library-only decode
#   -k  keep the trace and the capture and print their paths
set -euo pipefail
cd "$(dirname "$0")/.."

packets=500000 repeats=3 seed=1 build=build keep=0 jobs=$(nproc) tool=
[ "$jobs" -ge 2 ] || jobs=2
while getopts "n:r:s:j:b:t:kh" opt; do
  case $opt in
    n) packets=$OPTARG ;;
    r) repeats=$OPTARG ;;
    s) seed=$OPTARG ;;
    j) jobs=$OPTARG ;;
    b) build=$OPTARG ;;
    t) tool=$OPTARG ;;
    k) keep=1 ;;
    h) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0"; exit 0 ;;
    *) sed -n '2,/^set /{/^#/s/^# \{0,1\}//p}' "$0" >&2; exit 2 ;;
  esac
done

[ -f "$build/CMakeCache.txt" ] || cmake -S . -B "$build" -G Ninja >/dev/null
# paketlog_cli is the command (build/tools/paketlog); paketlog is the library.
cmake --build "$build" --target paketlog_cli paketlog_capture paketlog_make_trace paketlog_decode_memory >/dev/null
[ -n "$tool" ] || tool=$build/tools/paketlog
memory=$build/bench/paketlog_decode_memory
for program in "$tool" "$memory" "$build/tools/paketlog-capture"; do
  [ -x "$program" ] || { echo "perf-tool: $program was not built" >&2; exit 1; }
done
command -v tcpdump >/dev/null || { echo "perf-tool: tcpdump is not installed" >&2; exit 1; }
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")

workdir=$(mktemp -d)
trap '[ "$keep" = 1 ] || rm -rf "$workdir"' EXIT
trace=$workdir/trace.hex
capture=$workdir/trace.pcap

"$build/bench/paketlog_make_trace" "$packets" "$seed" >"$trace"
lines=$(wc -l <"$trace")
[ "$lines" -eq "$packets" ] || { echo "perf-tool: the trace has $lines lines, not $packets" >&2; exit 1; }
"$build/tools/paketlog-capture" "$trace" "$capture"
calls_trace=$workdir/calls.hex
calls_capture=$workdir/calls.pcap
awk '{ s = int((NR - 1) / 10)
       seance = sprintf("%02x%02x%02x%02x", s % 256, int(s / 256) % 256, int(s / 65536) % 256, int(s / 16777216) % 256)
       if (NR % 10 == 0) print "000082000000" seance "01000000100000000000"  # CONTROL toFB_CTRL_DOBYE, cause 16
       else print substr($0, 1, 12) seance substr($0, 21) }' "$trace" >"$calls_trace"
"$build/tools/paketlog-capture" "$calls_trace" "$calls_capture"
rm -f "$calls_trace"
cat "$trace" "$capture" "$calls_capture" >/dev/null  # into the page cache

# best COMMAND...: "CPU-ms WALL-ms", each the least of $repeats runs; the
# command must succeed every time.
best() {
  local cpu=0 wall=0 r u s t
  for ((i = 0; i < repeats; i++)); do
    t=$( { TIMEFORMAT='%3R %3U %3S'; time "$@" >/dev/null 2>&1 || echo "failed"; } 2>&1 )
    case $t in *failed*) echo "perf-tool: '$*' failed" >&2; exit 1 ;; esac
    read -r r u s <<<"$t"
    r=$(awk -v x="$r" 'BEGIN { printf "%d", x * 1000 }')
    u=$(awk -v x="$u" -v y="$s" 'BEGIN { printf "%d", (x + y) * 1000 }')
    if [ "$i" -eq 0 ] || [ "$u" -lt "$cpu" ]; then cpu=$u; fi
    if [ "$i" -eq 0 ] || [ "$r" -lt "$wall" ]; then wall=$r; fi
  done
  echo "$cpu $wall"
}

# The library-only decodes: "operator CPU WALL BYTES" and "testcall ..." lines.
decoded=$("$memory" -r "$repeats" "$trace")
decoded_pcap=$("$memory" -r "$repeats" --pcap "$capture")
decoded_jobs1=$("$memory" -r "$repeats" -j 1 "$trace")
decoded_jobsn=$("$memory" -r "$repeats" -j "$jobs" "$trace")
# library KEY WORDING OUTPUT: "KEY CPU-ms WALL-ms" of that wording's line.
library() { awk -v key="$1" -v name="$2" '$1 == name { printf "%s %d %d\n", key, $2 * 1000, $3 * 1000 }' <<<"$3"; }

# The modes are held to one core: with -j, they run with -j 1.
one=()
if "$tool" --help | grep -q -- '--jobs'; then one=(-j 1); fi

results=$workdir/results
{
  library lib-operator operator "$decoded"
  library lib-testcall testcall "$decoded"
  library lib-pcap operator "$decoded_pcap"
  library lib-j1 operator "$decoded_jobs1"
  library lib-jn operator "$decoded_jobsn"
  echo "wc $(best wc -l "$trace")"
  echo "hex $(best "$tool" "${one[@]}" "$trace")"
  echo "raw $(best "$tool" "${one[@]}" --raw "$trace")"
  echo "json $(best "$tool" "${one[@]}" --json "$trace")"
  echo "testcall $(best "$tool" "${one[@]}" --testcall "$trace")"
  echo "pcap $(TZ=UTC best "$tool" "${one[@]}" --pcap "$capture")"
  echo "tcpdump $(TZ=UTC best tcpdump -n -r "$capture")"
  echo "quiet $(TZ=UTC best "$tool" "${one[@]}" -q --pcap "$calls_capture")"
  if "$tool" --help | grep -q -- '--calls'; then
    echo "calls $(TZ=UTC best "$tool" "${one[@]}" --calls --pcap "$calls_capture")"
    echo "calls-json $(TZ=UTC best "$tool" "${one[@]}" --calls --json --pcap "$calls_capture")"
  fi
  if [ "${#one[@]}" -ne 0 ]; then
    echo "jn $(best "$tool" -j "$jobs" "$trace")"
    echo "pcap-jn $(TZ=UTC best "$tool" -j "$jobs" --pcap "$capture")"
  fi
} >"$results"

awk -v n="$packets" -v size="$(wc -c <"$trace")" -v pcap_size="$(wc -c <"$capture")" -v seed="$seed" \
    -v reps="$repeats" -v build="$build" -v tool="$tool" -v type="$build_type" -v host="$(uname -m)" -v jobs="$jobs" '
  { cpu[$1] = $2; wall[$1] = $3 }
  function row(label, key, against, against_label) {
    printf "%-30s %8.3f %8.3f %12.0f %8.2f %8.1f   %s\n", label, cpu[key] / 1e3, wall[key] / 1e3,
           n / (cpu[key] / 1e3), cpu[key] / cpu[against], cpu[key] / cpu["wc"], against_label
  }
  END {
    printf "trace    %d packets, %.1f MB of hex, seed %d; capture %.1f MB\n", n, size / 1e6, seed, pcap_size / 1e6
    printf "build    %s (%s), %s, fastest of %d runs; command %s\n\n", build, type, host, reps, tool
    printf "%-30s %8s %8s %12s %8s %8s   %s\n", "", "CPU s", "wall s", "packets/s", "x lib", "x wc -l", "(x lib: over)"
    row("library: operator decode", "lib-operator", "lib-operator", "")
    row("library: test-call decode", "lib-testcall", "lib-testcall", "")
    row("library: capture packets", "lib-pcap", "lib-pcap", "")
    row("wc -l (reading the trace)", "wc", "lib-operator", "operator decode")
    row("paketlog", "hex", "lib-operator", "operator decode")
    row("paketlog --raw", "raw", "lib-operator", "operator decode")
    row("paketlog --json", "json", "lib-operator", "operator decode")
    row("paketlog --testcall", "testcall", "lib-testcall", "test-call decode")
    row("paketlog --pcap", "pcap", "lib-pcap", "capture packets")
    row("tcpdump -n -r (TZ=UTC)", "tcpdump", "lib-pcap", "capture packets")
    row("paketlog -q (calls of ten)", "quiet", "lib-pcap", "capture packets")
    if ("calls" in cpu) {
      row("paketlog --calls", "calls", "lib-pcap", "capture packets")
      row("paketlog --calls --json", "calls-json", "lib-pcap", "capture packets")
    }
    if ("jn" in cpu) {
      row(sprintf("paketlog -j %d", jobs), "jn", "lib-operator", "operator decode")
      row(sprintf("paketlog --pcap -j %d", jobs), "pcap-jn", "lib-pcap", "capture packets")
    }
    printf "\nCPU time over the library-only decode (target: at most 1.5):\n"
    printf "  hex %.2f  --raw %.2f  --json %.2f  --testcall %.2f  --pcap %.2f\n",
           cpu["hex"] / cpu["lib-operator"], cpu["raw"] / cpu["lib-operator"], cpu["json"] / cpu["lib-operator"],
           cpu["testcall"] / cpu["lib-testcall"], cpu["pcap"] / cpu["lib-pcap"]
    printf "paketlog --pcap over tcpdump -n -r, CPU time (target: below 1): %.2f\n", cpu["pcap"] / cpu["tcpdump"]
    if ("calls" in cpu)
      printf "paketlog --calls over -q, CPU time (target: at most 1.3): %.2f (--json %.2f)\n",
             cpu["calls"] / cpu["quiet"], cpu["calls-json"] / cpu["quiet"]
    printf "library-only decode, -j %d over -j 1, wall-clock speed-up: %.2f\n", jobs, wall["lib-j1"] / wall["lib-jn"]
    if ("jn" in wall) {
      printf "paketlog -j %d over -j 1, wall-clock speed-up (target on 2 cores: at least 1.7): %.2f\n",
             jobs, wall["hex"] / wall["jn"]
      printf "paketlog --pcap -j %d over -j 1, wall-clock speed-up: %.2f\n", jobs, wall["pcap"] / wall["pcap-jn"]
    } else
      printf "paketlog -j: skipped, the command has no --jobs option\n"
  }' "$results"
if [ "$keep" = 1 ]; then echo "trace kept: $trace"; echo "capture kept: $capture"; echo "calls kept: $calls_capture"; fi
exit 0
