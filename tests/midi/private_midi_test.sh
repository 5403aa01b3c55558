#!/usr/bin/env bash
# The run command on a machine with no MIDI system: it starts a private JACK
# server and morvane-sim, and the program's own backend then lists the
# simulator's ports. Arguments: the source folder, morvane-sim, the lister.
set -euo pipefail
source_dir=$1 sim=$2 lister=$3
work=$(mktemp -d)
# No MIDI system: nothing runs under this server name, and no sequencer.
export JACK_DEFAULT_SERVER="morvane-absent-$$"
export MORVANE_ALSA_SEQ=/nonexistent
source "$source_dir/scripts/private-midi.sh"
trap 'stop_private_midi; rm -rf "$work"' EXIT

if midi_system_reachable; then
  echo "a MIDI system was found where there is none" >&2
  exit 1
fi
start_private_midi "$sim" "$work"
midi_system_reachable || { echo "the private server is not reachable" >&2; exit 1; }

ports=$("$lister")
for port in "in: morvane-sim-out:out" "out: morvane-sim-in:in"; do
  grep -qx "$port" <<<"$ports" || { echo "\"$port\" is not offered; offered:" >&2; echo "$ports" >&2; exit 1; }
done

stop_private_midi
[[ "$(jack_wait -c 2>/dev/null)" != running ]] || { echo "the private server is still running" >&2; exit 1; }
echo "the simulator's ports are offered"
