#!/usr/bin/env bash
# g++ build, warnings as errors, whole suite through CTest.
set -euo pipefail
bash scripts/deps.sh libpcap-dev python3-scapy tshark tcpdump  # the tool tests on scapy captures, tcpdump into a pipe
cmake -S . -B build/gcc -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc
cmake --build build/gcc
ctest --test-dir build/gcc --output-on-failure -j2
