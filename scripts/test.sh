#!/usr/bin/env bash
# The whole test suite: every stage under scripts/ci/, in name order.
# Each stage builds what it needs in its own build directory and runs its tests.
set -uo pipefail
cd "$(dirname "$0")/.."
passed=0
failed=0
for stage in scripts/ci/*.sh; do
  echo "=== $(basename "$stage")"
  start=$SECONDS
  if bash "$stage"; then
    passed=$((passed + 1))
    echo "--- $(basename "$stage"): ok ($((SECONDS - start)) s)"
  else
    failed=$((failed + 1))
    echo "--- $(basename "$stage"): FAILED ($((SECONDS - start)) s)"
  fi
done
echo "stages: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
