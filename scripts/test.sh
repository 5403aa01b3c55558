#!/usr/bin/env bash
# Sets everything up on Debian 12 (as root) and runs the tests on each build
# that matters:
#   shipped   the build users run (scripts/shipped-build.sh): the whole suite
#   sanitize  Debug with AddressSanitizer and UndefinedBehaviorSanitizer: the
#             whole suite
#   clang     the voice core, the library file and the voice tool built by
#             clang at -O2: their tests
#   fuzz      each fuzz target for five seconds (clang's libFuzzer);
#             scripts/fuzz.sh runs them for longer
#
#   bash scripts/test.sh [BUILD...]    (default: all four, in that order)
#
# Every build is tested even when an earlier one fails; the script ends with
# one line per build and fails when any of them failed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
source scripts/shipped-build.sh

builds=("$@")
((${#builds[@]})) || builds=(shipped sanitize clang fuzz)
for b in "${builds[@]}"; do
  case $b in
    shipped | sanitize | clang | fuzz) ;;
    *) echo "Unknown build \"$b\": choose from shipped, sanitize, clang and fuzz." >&2; exit 2 ;;
  esac
done
jobs=-j"$(nproc)"
# Every build the tests judge treats a compiler warning as an error.
export QT_QPA_PLATFORM=offscreen

# The MIDI tests talk through a JACK server with its dummy driver (no sound
# hardware needed), under a name of their own so that no other server on the
# machine is touched. It is stopped however the script ends.
jack_pid=
start_jack() {
  [[ -n "$jack_pid" ]] && return 0
  export JACK_DEFAULT_SERVER="morvane-test-$$"
  export JACK_NO_AUDIO_RESERVATION=1
  jack_log=$(mktemp -t morvane-jackd.XXXXXX)
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$jack_log" 2>&1 &
  jack_pid=$!
  for _ in $(seq 1 50); do
    if ! kill -0 "$jack_pid" 2>/dev/null; then break; fi
    if jack_wait -s "$JACK_DEFAULT_SERVER" -c 2>/dev/null | grep -qx running; then return 0; fi
    sleep 0.2
  done
  echo "The JACK server for the MIDI tests did not start; its log:" >&2
  cat "$jack_log" >&2
  return 1
}
stop_jack() {
  if [[ -n "$jack_pid" ]]; then
    kill "$jack_pid" 2>/dev/null || true
    wait "$jack_pid" 2>/dev/null || true
  fi
}
trap stop_jack EXIT

suite() {  # DIR [CTEST ARGUMENTS...]
  local dir=$1
  shift
  ctest --test-dir "$dir" --output-on-failure --timeout 300 "$@"
}

test_shipped() {
  shipped_configure -DMORVANE_TESTS=ON -DMORVANE_WERROR=ON &&
    cmake --build "$shipped_build" "$jobs" &&
    start_jack &&
    suite "$shipped_build"
}

test_sanitize() {
  cmake -S . -B build-tests -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON -DMORVANE_WERROR=ON &&
    cmake --build build-tests "$jobs" &&
    start_jack &&
    suite build-tests
}

# The voice core is meant to build on other compilers: clang at -O2 builds
# it with the library file and the voice tool, and runs their tests.
test_clang() {
  CXX=clang++ cmake -S . -B build-clang -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_WERROR=ON &&
    cmake --build build-clang "$jobs" --target voice_tests library_tests syx_tool_tests &&
    suite build-clang -L core
}

test_fuzz() {
  cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DMORVANE_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DMORVANE_FUZZ_SECONDS=5 &&
    cmake --build build-fuzz "$jobs" --target fuzz_decoder fuzz_voicefile fuzz_library fuzz_json &&
    suite build-fuzz
}

summary=()
status=0
for b in "${builds[@]}"; do
  echo "===== $b build"
  started=$SECONDS
  if "test_$b"; then
    summary+=("$b: passed in $((SECONDS - started)) s")
  else
    summary+=("$b: FAILED after $((SECONDS - started)) s")
    status=1
  fi
done
echo "===== summary"
printf '%s\n' "${summary[@]}"
exit "$status"
