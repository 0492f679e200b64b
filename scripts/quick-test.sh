#!/usr/bin/env bash
# The daily loop: builds what changed and runs the unit tests alone, without
# a display, in one process. Suites that drive the real program through a
# display, and the slow fairness and score-server suites, are left to
# scripts/test.sh; tests that need a window skip here. Extra arguments go to
# the test binary (for example --gtest_filter=SaveFiles.*).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-test}"

bash "$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target gobbit_tests -- --quiet
desktop=$(sed -n 's/^set(DESKTOP_SUITES "\(.*\)")$/\1/p' "$root/tests/CMakeLists.txt")
cd "$build"
exec env -u DISPLAY ALSOFT_DRIVERS=null ./tests/gobbit_tests --gtest_brief=1 \
  --gtest_filter="-$desktop:Fairness.*:Engines/*" "$@"
