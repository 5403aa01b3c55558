#!/usr/bin/env bash
# Sets everything up on Debian 12 (as root), builds Morvane with the
# address and undefined-behaviour sanitizers, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build-tests
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DMORVANE_SANITIZE=ON
cmake --build "$build" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure --timeout 300
