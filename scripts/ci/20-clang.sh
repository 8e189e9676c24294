#!/usr/bin/env bash
# clang++ build, warnings as errors, whole suite through CTest.
set -euo pipefail
bash scripts/deps.sh libpcap-dev python3-scapy tshark tcpdump  # the tool tests on scapy captures, tcpdump into a pipe
cmake -S . -B build/clang -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang
cmake --build build/clang
ctest --test-dir build/clang --output-on-failure -j2
