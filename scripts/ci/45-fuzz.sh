#!/usr/bin/env bash
# Every fuzz target for a fixed time and seed, starting from the seeds made
# from the golden corpus and the inputs that once found a fault. Any report
# (crash, sanitizer finding, broken check, leak, timeout) fails the stage.
# FUZZ_SECONDS (default 60) sets each target's budget; two run at a time.
set -euo pipefail
bash scripts/deps.sh clang libclang-rt-14-dev libpcap-dev  # libpcap's header for fuzz_capture
build=build/fuzz
seconds=${FUZZ_SECONDS:-60}
cmake -S . -B "$build" -G Ninja -DPAKETLOG_WERROR=ON -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_C_COMPILER=clang \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DPAKETLOG_BUILD_FUZZ=ON -DPAKETLOG_FUZZ_ENGINE=libFuzzer \
  -DPAKETLOG_BUILD_TESTS=OFF -DPAKETLOG_BUILD_TOOL=OFF -DPAKETLOG_BUILD_BENCH=OFF
cmake --build "$build"

out=$build/fuzz/run
rm -rf "$out"
mkdir -p "$out"
"$build/fuzz/paketlog_fuzz_seeds" tests/data/golden/corpus.txt "$out/seeds"
targets=$(cd "$build/fuzz" && ls fuzz_* | sed 's/^fuzz_//')

run() {
  local t=$1 regressions=fuzz/regressions/$1
  mkdir -p "$out/corpus/$t" "$out/artifacts/$t"
  [ -d "$regressions" ] || regressions=
  "$build/fuzz/fuzz_$t" -seed=1 -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -max_len=8192 \
    -print_final_stats=1 -artifact_prefix="$out/artifacts/$t/" \
    "$out/corpus/$t" "$out/seeds/$t" $regressions >"$out/$t.log" 2>&1
}
export -f run
export build out seconds
# Two targets at a time, one per core.
printf '%s\n' $targets | xargs -P 2 -I{} bash -c 'run {} && echo "fuzz_{}: clean" || echo "fuzz_{}: FAILED"' |
  tee "$out/summary"
failed=0
for t in $targets; do
  done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE ' "$out/$t.log" | tail -1 || true)
  echo "fuzz_$t: ${done_line:-no DONE line}"
  if grep -q "^fuzz_$t: FAILED" "$out/summary" || [ -n "$(ls -A "$out/artifacts/$t")" ]; then
    failed=1
    echo "fuzz_$t: reports kept in $out/artifacts/$t: $(ls "$out/artifacts/$t" | tr '\n' ' ')"
    grep -m1 -A40 -E 'ERROR:|runtime error:|deadly signal' "$out/$t.log" || tail -40 "$out/$t.log"
  fi
done
[ "$failed" -eq 0 ]
