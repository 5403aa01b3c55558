#!/usr/bin/env bash
# Sets everything up on Debian 12 (as root), builds Morvane and runs it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DMORVANE_TESTS=OFF
cmake --build "$build" -j"$(nproc)"
exec "$build/src/app/morvane" "$@"
