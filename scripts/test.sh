#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test headless:
# its own Xvfb on a free display, OpenAL Soft on its null backend.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-test}"

bash "$root/scripts/install-deps.sh" test
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
# The same tests again on a build with AddressSanitizer and
# UndefinedBehaviorSanitizer. To keep its build time down it shares the
# assets generated above, leaves out the benchmarks (no test runs them) and
# compiles at -O1 with line tables only, which is all a report needs.
asan_build="${ASAN_BUILD_DIR:-$build-asan}"
cmake -S "$root" -B "$asan_build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DGOBBIT_SANITIZE=ON -DGOBBIT_BENCH=OFF -DGOBBIT_ASSETS=OFF >/dev/null
[ -L "$asan_build/Data" ] || rm -rf "$asan_build/Data"
ln -sfn "$(cd "$build" && pwd)/Data" "$asan_build/Data"
cmake --build "$asan_build"

source "$root/scripts/headless.sh"
source "$root/scripts/postgres.sh"
trap 'stop_own_display; stop_own_postgres' EXIT
start_own_display 90 190
# The score server's PostgreSQL tests make their databases in a throwaway
# cluster of their own (GOBBIT_TEST_POSTGRES).
start_own_postgres fast || echo "PostgreSQL could not be started: the score server's PostgreSQL tests are skipped"

# Every stage runs even when one before it failed; the summary at the end
# names the ones that did.
failed=()
stage() {
  local name=$1
  shift
  echo "== $name =="
  "$@" || failed+=("$name")
}

stage "tests" ctest --test-dir "$build" --output-on-failure -j2 --timeout 600

# Each test binary but the end-to-end one in one process, shuffled with three
# fixed seeds: no test may depend on what the tests before it left behind.
# The end-to-end tests are left out (they ran alone above, keep no state in
# this process and would add minutes).
shuffled() {
  local seed binary log
  for seed in 1 4 6; do
    for binary in gobbit_tests gobbit_display_tests gobbit_slow_tests; do
      log="$build/shuffled-$binary-$seed.log"
      # The game's log lines are kept out of the way unless a run fails.
      if ! (cd "$build" && "./tests/$binary" --gtest_brief=1 --gtest_shuffle --gtest_random_seed="$seed") \
        >"$log" 2>&1; then
        grep -B2 -A12 -E "Failure|FAILED" "$log" | head -80
        echo "Shuffled run of $binary with seed $seed failed; its output is in $log"
        return 1
      fi
      echo "seed $seed, $binary: $(grep -E '^\[  PASSED' "$log")"
    done
  done
}
stage "tests shuffled" shuffled

# Leaks are checked too (see swrast_driver for the preload).
dri=$(swrast_driver)
stage "tests under sanitizers" env ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" LD_PRELOAD="$dri" \
  ctest --test-dir "$asan_build" --output-on-failure -j2 --timeout 600

# The browser build (scripts/web.sh, with the assets and the score server
# built above) played in headless Chromium (tests/web/browser.test.mjs); its
# screenshots stay in <build>-web/shots.
browser() {
  local web="${WEB_BUILD_DIR:-$build-web}"
  WEB_BUILD_DIR="$web" NATIVE_BUILD_DIR="$build" bash "$root/scripts/web.sh" &&
    (cd "$root/tests/web" && npm ci --no-audit --no-fund --loglevel=error) &&
    GOBBIT_SCORE_SERVER="$build/server/gobbit_score_server" GOBBIT_WEB_PLAY="$web/play" \
      GOBBIT_WEB_SHOTS="$web/shots" node --test "$root/tests/web/"
}
stage "browser" browser

# A few seconds of every fuzz target over its corpus (clang, own build directory).
stage "fuzzing" env FUZZ_BUILD_DIR="${FUZZ_BUILD_DIR:-$build-fuzz}" bash "$root/scripts/fuzz.sh" 5

# A minute of random keys and clicks on the sanitizer build of the game.
stage "soak" env SOAK_GOBBIT="$asan_build/gobbit" bash "$root/scripts/soak.sh" 60

if [ ${#failed[@]} -gt 0 ]; then
  echo "FAILED: ${failed[*]}"
  exit 1
fi
echo "All stages passed."
