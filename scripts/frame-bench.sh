#!/usr/bin/env bash
# The whole-game frame benchmark: builds the game and the frame
# benchmarks (release build), starts its own Xvfb and runs
#   - gobbit_frame_bench: the game in-process, every screen in turn, with
#     update and render times, texture uploads, triangles, and the longest
#     frame during a save and a slow score exchange;
#   - gobbit_process_bench: the real binary, for start to title, processor
#     use focused and unfocused, and peak resident memory;
#   - gobbit_gl_baseline: the peak memory of a bare GL window, the part of
#     the game's figure that belongs to the GL driver.
# Arguments go to gobbit_frame_bench (see the top of bench/frames/FrameBench.cpp);
# PROCESS_BENCH_ARGS to gobbit_process_bench. Exits 1 if a target is missed.
# Times depend on the machine and on what else runs on it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-bench}"

bash "$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DGOBBIT_TESTS=OFF -DGOBBIT_SERVER=OFF >/dev/null
cmake --build "$build" --target gobbit gobbit_frame_bench gobbit_process_bench gobbit_gl_baseline >/dev/null

source "$root/scripts/headless.sh"
trap stop_own_display EXIT
start_own_display 90 190

echo "== In-process frames ($(nproc) cores, load average $(cut -d' ' -f1-3 /proc/loadavg)) =="
status=0
"$build/bench/frames/gobbit_frame_bench" "$@" || status=1
echo
echo "== The real binary =="
# shellcheck disable=SC2086
"$build/bench/frames/gobbit_process_bench" ${PROCESS_BENCH_ARGS:-} || status=1
"$build/bench/frames/gobbit_gl_baseline" || true
exit $status
