#!/usr/bin/env bash
# Installs what Morvane needs to build, run and test on Debian 12 (as root).
# Runs apt-get only when a package is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev                 # Qt Widgets, Core, Test
  librtmidi-dev                # MIDI through the ALSA sequencer and JACK
  libjack-jackd2-dev           # JACK itself: the port watch and the input read event by event
  libasound2-dev               # the ALSA sequencer: its announcements of ports that come and go
  libgtest-dev                 # engine tests
  jackd2                       # a MIDI server for the end-to-end tests
  clang libclang-rt-14-dev     # the fuzz targets: clang and its libFuzzer
  desktop-file-utils           # desktop-file-validate, for the installed menu entry
  shared-mime-info             # update-mime-database, for the .syx file type
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
