#!/usr/bin/env bash
# The daily loop: builds what changed and runs the unit tests alone (the
# tests labelled unit, tests/*.cpp), without a display, in one process. The
# display, end-to-end and slow tests are left to scripts/test.sh (or
# ctest -L display|e2e|slow). Extra arguments go to the test binary (for
# example --gtest_filter=SaveFiles.*).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-test}"

bash "$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target gobbit_tests -- --quiet
cd "$build"
exec env -u DISPLAY ALSOFT_DRIVERS=null ./tests/gobbit_tests --gtest_brief=1 "$@"
