#!/usr/bin/env bash
# ThreadSanitizer (clang): the corpus decoded on several threads at once, each
# with its own workspace, and the command's batch engine of -j. Any report
# fails the stage.
set -euo pipefail
bash scripts/deps.sh libpcap-dev
build=build/tsan
flags=-fsanitize=thread
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" -DCMAKE_SHARED_LINKER_FLAGS="$flags" \
  -DPAKETLOG_BUILD_BENCH=OFF -DPAKETLOG_BUILD_FUZZ=OFF
cmake --build "$build" --target test_packet test_tool
export TSAN_OPTIONS="halt_on_error=1 abort_on_error=1 second_deadlock_stack=1"
"$build/tests/test_packet" --gtest_filter='Threads.*'
"$build/tools/tests/test_tool" --gtest_filter='ParallelDecode.*:OutputWriter.*'
