#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer (address and undefined-
# behaviour sanitizers) into build-fuzz/ and runs each for SECONDS, from the
# seed corpus in fuzz/corpus plus what earlier runs found (build-fuzz/fuzz/work).
#
#   bash scripts/fuzz.sh [SECONDS] [TARGET...]    (default 600 s; decoder voicefile library json)
#
# Each run ends with libFuzzer's figures (inputs executed, inputs per second);
# a finding stops its target and leaves the input in build-fuzz/fuzz/work/TARGET.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-600}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(decoder voicefile library json)

build=build-fuzz
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DMORVANE_FUZZ_SECONDS="$seconds" >/dev/null
cmake --build "$build" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

status=0
for target in "${targets[@]}"; do
  log="$build/fuzz/$target.log"
  echo "== $target, $seconds s"
  if ! ctest --test-dir "$build" -R "^fuzz_${target}\$" --timeout $((seconds + 300)) --verbose >"$log" 2>&1; then
    status=1
    echo "   FAILED; see $log"
  fi
  grep -E "stat::(number_of_executed_units|average_exec_per_sec|new_units_added|peak_rss_mb)" "$log" | sed 's/^[0-9]*: /   /'
done
exit $status
