#!/usr/bin/env bash
# Measures "Get voice" against morvane-sim: the round trip of an answered
# request in both layouts, and the processor time of a wait that nobody
# answers; then a one-second drag of an editor control through the program's
# send path against a simulator behind a modelled 31,250-baud cable, with
# pacing on and off, and the morph pad's point moved 100 times a second for
# three seconds the same way; then Get bank and Send bank in both layouts against a
# simulator behind such a cable. Uses the running JACK server, or starts one with its
# dummy driver.
#
#   tools/morvane-sim/benchmark.sh [BUILD_DIR] [ROUNDS]
#
# BUILD_DIR (default build-bench) gets an optimised build without sanitizers.
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build-bench}
rounds=${2:-50}

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DMORVANE_SANITIZE=OFF -DMORVANE_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target morvane-sim morvane-midi-bench morvane-send-bench morvane-bank-bench >/dev/null

pids=()
logs=$(mktemp -d)
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$logs"
}
trap cleanup EXIT

if ! jack_wait -c 2>/dev/null | grep -qx running; then
  export JACK_DEFAULT_SERVER="morvane-bench-$$"
  export JACK_NO_AUDIO_RESERVATION=1
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >/dev/null 2>&1 &
  pids+=($!)
  for _ in $(seq 1 50); do
    jack_wait -c 2>/dev/null | grep -qx running && break
    sleep 0.2
  done
fi
echo "JACK server: ${JACK_DEFAULT_SERVER:-default}, period 256 frames at 48 kHz"

start_sim() {
  local log="$logs/$1.log"
  "$build/tools/morvane-sim/morvane-sim" --name "$1" "${@:2}" >"$log" 2>&1 &
  pids+=($!)
  for _ in $(seq 1 50); do
    grep -q "ready" "$log" && return 0
    sleep 0.1
  done
  echo "morvane-sim $1 did not start:" >&2
  cat "$log" >&2
  return 1
}
start_sim "bench-sim-$$"
start_sim "bench-silent-$$" --silent

"$build/tools/morvane-sim/morvane-midi-bench" "bench-sim-$$" "bench-silent-$$" "$rounds"

start_sim "bench-cable-$$" --wire-rate 31250 --log
QT_QPA_PLATFORM=offscreen "$build/tools/morvane-sim/morvane-send-bench" "bench-cable-$$" "$logs/bench-cable-$$.log"
# The morph pad's point moved 100 times a second for three seconds.
QT_QPA_PLATFORM=offscreen "$build/tools/morvane-sim/morvane-send-bench" "bench-cable-$$" "$logs/bench-cable-$$.log" 300 100 morph

start_sim "bench-bank-$$" --wire-rate 31250 --log
"$build/tools/morvane-sim/morvane-bank-bench" "bench-bank-$$" "$logs/bench-bank-$$.log"
