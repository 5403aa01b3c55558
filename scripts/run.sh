#!/usr/bin/env bash
# Sets everything up on Debian 12 (as root), builds Morvane and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_TESTS=OFF
cmake --build "$build" -j"$(nproc)"
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "Morvane is built ($build/src/app/morvane) but there is no display to show it on:" >&2
  echo "run this from a desktop session (or with DISPLAY set)." >&2
  exit 1
fi
exec "$build/src/app/morvane"
