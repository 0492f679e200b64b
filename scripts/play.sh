#!/usr/bin/env bash
# Installs what is missing, builds the game and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build}"

bash "$root/scripts/install-deps.sh" play
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGOBBIT_TESTS=OFF -DGOBBIT_BENCH=OFF -DGOBBIT_SERVER=OFF >/dev/null
cmake --build "$build" --target gobbit

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Gobbit is built ($build/gobbit) but there is no display to show it on."
  echo "Run this from a desktop session (DISPLAY is not set)."
  exit 1
fi
exec "$build/gobbit"
