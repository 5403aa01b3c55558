#!/usr/bin/env bash
# Sets everything up on Debian 12 (as root), builds Morvane with the
# address and undefined-behaviour sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build-tests
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"

# The MIDI tests talk through a JACK server with its dummy driver (no sound
# hardware needed), under a name of their own so that no other server on the
# machine is touched. It is stopped however the script ends.
export JACK_DEFAULT_SERVER="morvane-test-$$"
export JACK_NO_AUDIO_RESERVATION=1
jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$build/jackd.log" 2>&1 &
jack_pid=$!
stop_jack() {
  kill "$jack_pid" 2>/dev/null || true
  wait "$jack_pid" 2>/dev/null || true
}
trap stop_jack EXIT
jack_up=
for _ in $(seq 1 50); do
  if ! kill -0 "$jack_pid" 2>/dev/null; then break; fi
  if jack_wait -s "$JACK_DEFAULT_SERVER" -c 2>/dev/null | grep -qx running; then jack_up=1; break; fi
  sleep 0.2
done
if [[ -z "$jack_up" ]]; then
  echo "The JACK server for the MIDI tests did not start; its log:" >&2
  cat "$build/jackd.log" >&2
  exit 1
fi

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 300

# A short run of each fuzz target from its seed corpus; scripts/fuzz.sh runs
# them for longer. They need clang and its libFuzzer, which setup.sh installs.
if command -v clang++ >/dev/null; then
  fuzz=build-fuzz
  cmake -S . -B "$fuzz" -DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORVANE_FUZZ_SECONDS=5
  cmake --build "$fuzz" -j"$(nproc)" --target fuzz_decoder fuzz_voicefile fuzz_library fuzz_json
  ctest --test-dir "$fuzz" --output-on-failure --timeout 300
else
  echo "clang++ is not installed: the fuzz targets were not built or run (scripts/setup.sh installs it)." >&2
fi
