#!/usr/bin/env bash
# Sets everything up on Debian 12 (as root), builds Morvane and runs it.
# Without a MIDI system on the machine it brings its own: a private JACK
# server with the dummy driver and the simulated instrument, morvane-sim.
set -euo pipefail
start=$PWD
clone=$(cd "$(dirname "$0")/.." && pwd)
cd "$clone"
bash scripts/setup.sh

source scripts/shipped-build.sh
build=$shipped_build
# A clone whose tests were built keeps them; a first build leaves them out.
if [[ -f "$build/CMakeCache.txt" ]]; then shipped_configure; else shipped_configure -DMORVANE_TESTS=OFF; fi
cmake --build "$build" -j"$(nproc)"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Morvane is built ($build/src/app/morvane) but there is no display to show it on:" >&2
  echo "run this from a desktop session (or with DISPLAY set)." >&2
  exit 1
fi

# Morvane keeps its voice library (SOUNDS.SYL) with the user's data; one
# left in the clone by an older version moves there.
data="${XDG_DATA_HOME:-$HOME/.local/share}/morvane"
mkdir -p "$data"
if [[ -f "$clone/SOUNDS.SYL" && ! -e "$data/SOUNDS.SYL" ]]; then
  mv "$clone/SOUNDS.SYL" "$data/SOUNDS.SYL"
  echo "Moved the voice library from the clone to $data/SOUNDS.SYL"
fi

source scripts/private-midi.sh
if ! midi_system_reachable; then
  echo "No MIDI system here (no JACK server, no ALSA sequencer): starting a private JACK server"
  echo "and the simulated instrument morvane-sim. Pick morvane-sim-out:out as the input and"
  echo "morvane-sim-in:in as the output. Its log: $data/morvane-sim.log"
  trap stop_private_midi EXIT
  start_private_midi "$clone/$build/tools/morvane-sim/morvane-sim" "$data"
fi
# From the folder this was started in, so that file names given are found.
cd "$start"
"$clone/$build/src/app/morvane" "$@"
