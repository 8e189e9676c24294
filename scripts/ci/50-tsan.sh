#!/usr/bin/env bash
# ThreadSanitizer (clang): the corpus decoded on several threads at once, each
# with its own workspace, the command's batch engine of -j, and the command
# itself with -j 4 over a trace and a capture of many batches. Any report
# fails the stage.
set -euo pipefail
bash scripts/deps.sh libpcap-dev
build=build/tsan
flags=-fsanitize=thread
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" \
  -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF
cmake --build "$build" --target test_packet test_tool paketlog_cli paketlog_capture
export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 second_deadlock_stack=1"
"$build/tests/test_packet" --gtest_filter='Threads.*'
"$build/tests/tool/test_tool" --gtest_filter='ParallelDecode.*:OutputWriter.*'
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for _ in $(seq 400); do cat examples/sample.hex; done >"$work/trace.hex"
"$build/tools/paketlog-capture" "$work/trace.hex" "$work/trace.pcap"
for args in "" "--json" "--testcall -x" "--pcap $work/trace.pcap" "--json --time=delta --pcap $work/trace.pcap"; do
  [[ $args == *--pcap* ]] || args="$args $work/trace.hex"
  # shellcheck disable=SC2086  # the arguments are words
  TZ=UTC "$build/tools/paketlog" -j 4 $args >/dev/null
done
