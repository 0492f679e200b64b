#!/usr/bin/env bash
# Pictures of every screen at common window sizes, for looking at layout:
# the frame benchmark's walk (loading, title, difficulty, options, name
# entry, redefinition, credits, play, pause, end banner, ...) in full screen
# on a display of each size, and in portrait windows. One folder per size
# under the folder given (default: screens/ in the build folder).
# Usage: scripts/screens.sh [OUT_DIR]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-bench}"
out="${1:-$build/screens}"

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGOBBIT_TESTS=OFF -DGOBBIT_SERVER=OFF >/dev/null
cmake --build "$build" --target gobbit_frame_bench >/dev/null
source "$root/scripts/headless.sh"
trap stop_own_display EXIT

walk() {  # display size, folder, arguments of the walk
  local size=$1 dir=$2
  shift 2
  mkdir -p "$dir"
  start_own_display 90 190 "$size"
  "$build/bench/frames/gobbit_frame_bench" --fixed-clock --no-pace --frames 30 --shots "$dir" "$@" >"$dir/walk.log" 2>&1 || true
  stop_own_display
  echo "$dir: $(ls "$dir"/*.png 2>/dev/null | wc -l) screens"
}

for size in 1920x1080 1366x768 1280x1024 2560x1440 800x600; do
  walk "$size" "$out/full-$size" --fullscreen
done
for size in 600x800 768x1024 1080x1920; do
  walk "$size" "$out/window-$size" --window "$size"
done
