#!/usr/bin/env bash
# g++ build, warnings as errors, whole suite through CTest, the page's
# checks in chromium among them.
set -euo pipefail
# The tool tests on scapy captures, and the --html page's checks in a real (headless) browser.
bash scripts/deps.sh libpcap-dev python3-scapy tshark chromium
export PAKETLOG_REQUIRE_BROWSER=1   # here a missing chromium fails those checks rather than skipping them
cmake -S . -B build/gcc -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=g++ -DCMAKE_C_COMPILER=gcc
cmake --build build/gcc
ctest --test-dir build/gcc --output-on-failure -j2
