#!/usr/bin/env bash
# Builds the library and the paketlog command in build/, then decodes the
# bundled sample trace: the operator lines, then the test-call lines.
# As root it first installs the Debian packages the build lacks.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh libpcap-dev
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target paketlog_cli >/dev/null
echo "== operator lines: build/tools/paketlog examples/sample.hex"
build/tools/paketlog examples/sample.hex
echo
echo "== test-call lines: build/tools/paketlog --testcall examples/sample.hex"
build/tools/paketlog --testcall examples/sample.hex
