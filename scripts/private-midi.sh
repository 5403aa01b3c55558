# Sourced by run.sh. On a machine where no MIDI system can be reached (no
# JACK server running and no ALSA sequencer), start_private_midi starts a
# JACK server of our own with its dummy driver (no sound hardware needed)
# and morvane-sim on it, so that Morvane has an instrument to talk to;
# stop_private_midi stops both again.

# Whether Morvane would find a MIDI system: the ALSA sequencer device, or
# the JACK server that JACK_DEFAULT_SERVER (or the default) names.
midi_system_reachable() {
  [[ -r "${MORVANE_ALSA_SEQ:-/dev/snd/seq}" ]] && return 0
  [[ "$(jack_wait -c 2>/dev/null)" == running ]]
}

# start_private_midi SIM LOGDIR: SIM is the morvane-sim program. Exports
# JACK_DEFAULT_SERVER so that the programs started afterwards use the
# private server. Returns non-zero when either does not come up.
start_private_midi() {
  local sim=$1 logdir=$2
  export JACK_DEFAULT_SERVER="morvane-private-$$"
  export JACK_NO_AUDIO_RESERVATION=1
  jackd --no-realtime -n "$JACK_DEFAULT_SERVER" -d dummy -r 48000 -p 256 >"$logdir/jackd.log" 2>&1 &
  private_jack_pid=$!
  local up=
  for _ in $(seq 1 50); do
    kill -0 "$private_jack_pid" 2>/dev/null || break
    if [[ "$(jack_wait -c 2>/dev/null)" == running ]]; then up=1; break; fi
    sleep 0.2
  done
  if [[ -z "$up" ]]; then
    echo "The private JACK server did not start; see $logdir/jackd.log" >&2
    return 1
  fi
  "$sim" --system jack >"$logdir/morvane-sim.log" 2>&1 &
  private_sim_pid=$!
  for _ in $(seq 1 50); do
    grep -q "morvane-sim: ready" "$logdir/morvane-sim.log" 2>/dev/null && return 0
    kill -0 "$private_sim_pid" 2>/dev/null || break
    sleep 0.2
  done
  echo "morvane-sim did not start; see $logdir/morvane-sim.log" >&2
  return 1
}

stop_private_midi() {
  local pid
  for pid in ${private_sim_pid:-} ${private_jack_pid:-}; do
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  done
  private_sim_pid=
  private_jack_pid=
}
