#!/usr/bin/env bash
# Measures `morvane-syx lib add` of many voice files into a new library, the
# way a folder is imported: wall time of the whole command, best of ROUNDS.
# The library is flushed to the disk once per command, so the figure includes
# one fsync on the file system of TMPDIR.
#
#   tools/morvane-syx/benchmark.sh [BUILD_DIR] [VOICES] [ROUNDS]
#
# BUILD_DIR (default build-bench) gets an optimised build without sanitizers.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-bench}
voices=${2:-1000}
rounds=${3:-5}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANE_SANITIZE=OFF -DMORVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target morvane-syx >/dev/null
tool="$PWD/$build/tools/morvane-syx/morvane-syx"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo '{"common": {"name": "Bench"}}' >"$work/v.json"
"$tool" build "$work/v.json" "$work/v.syx"
files=()
for i in $(seq 1 "$voices"); do
  cp "$work/v.syx" "$work/v$i.syx"
  files+=("$work/v$i.syx")
done

best=
for _ in $(seq 1 "$rounds"); do
  rm -f "$work/SOUNDS.SYL"
  start=$(date +%s%N)
  "$tool" lib add "$work/SOUNDS.SYL" "${files[@]}" --categories Pad >/dev/null
  ms=$(( ($(date +%s%N) - start) / 1000000 ))
  [[ -z "$best" || $ms -lt $best ]] && best=$ms
done
echo "lib add of $voices voices: best of $rounds runs $best ms"
