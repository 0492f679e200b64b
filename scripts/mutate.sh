#!/usr/bin/env bash
# Mutation check of the test suite: puts each one-line fault of
# scripts/mutants.txt into a scratch copy of the sources, one at a time,
# rebuilds the test binary, runs it, takes the fault out again, and prints
# which faults the tests caught and which they missed.
#
#   scripts/mutate.sh [REV] [PATTERN]
#
# REV: the commit whose sources are tested (HEAD when left out); the list is
# always the one in the working tree, so the same faults can be tried on an
# older commit. PATTERN: only the faults whose line matches it (grep -E).
# Every test binary runs but the end-to-end one (tests/e2e), which drives the
# real program through the display, so one fault takes well under a minute
# on two cores once the first build is done.
#
# Not part of the test command. Environment: MUTATE_DIR (scratch folder,
# removed afterwards unless MUTATE_KEEP=1), MUTATE_DATA (a built Data folder
# to reuse instead of generating the assets again), MUTATE_TIMEOUT (seconds
# per run, 300).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rev=${1:-HEAD}
pattern=${2:-.}
list="$root/scripts/mutants.txt"
scratch=${MUTATE_DIR:-$(mktemp -d "${TMPDIR:-/tmp}/gobbit-mutate-XXXXXX")}
limit=${MUTATE_TIMEOUT:-300}
export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-$(command -v ccache || true)}
export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-$(command -v ccache || true)}

source "$root/scripts/headless.sh"
cleanup() {
  stop_own_display
  [ "${MUTATE_KEEP:-0}" = 1 ] || rm -rf "$scratch"
}
trap cleanup EXIT

src="$scratch/src"
build="$scratch/build"
mkdir -p "$src"
git -C "$root" archive "$rev" | tar -x -C "$src" || { echo "Cannot read $rev"; exit 1; }

data=${MUTATE_DATA:-}
[ -n "$data" ] || [ ! -d "$root/build-test/Data" ] || data="$root/build-test/Data"
assets=ON
[ -n "$data" ] && assets=OFF
echo "Building $rev in $scratch (assets: ${data:-generated})"
cmake -S "$src" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGOBBIT_BENCH=OFF \
  -DGOBBIT_ASSETS="$assets" >/dev/null || exit 1
if [ -n "$data" ]; then
  rm -rf "$build/Data"
  ln -s "$(cd "$data" && pwd)" "$build/Data"
fi
# Older sources built one test binary and named the suites to leave out.
desktop=$(sed -n 's/^set(DESKTOP_SUITES "\(.*\)")$/\1/p' "$src/tests/CMakeLists.txt")
if [ -n "$desktop" ]; then
  binaries=(gobbit_tests)
  filter="-$desktop"
else
  binaries=(gobbit_tests gobbit_display_tests gobbit_slow_tests)
  filter="*"
fi
cmake --build "$build" --target "${binaries[@]}" >"$scratch/build.log" 2>&1 || {
  tail -20 "$scratch/build.log"
  echo "The unmutated sources do not build"
  exit 1
}

start_own_display 191 230

# Runs the tests; prints the failing tests (or "timeout"), returns 0 when
# all passed.
run_tests() {
  local out="$scratch/run.log" status=0 binary
  : >"$out"
  for binary in "${binaries[@]}"; do
    (cd "$build" && timeout "$limit" "./tests/$binary" --gtest_brief=1 --gtest_filter="$filter") >>"$out" 2>&1
    status=$?
    [ $status -eq 0 ] || break
  done
  [ $status -eq 0 ] && return 0
  if [ $status -eq 124 ]; then
    echo "timeout"
  else
    local failed
    # Not anchored: the game's own output may end without a line end
    # ("Could not connect") right before a test's result.
    failed=$(sed -n 's/.*\[  FAILED  \] \([A-Za-z0-9_/]*\.[A-Za-z0-9_/.]*\).*/\1/p' "$out" | sort -u | head -3 | paste -sd ' ')
    echo "${failed:-crashed (status $status)}"
  fi
  return 1
}

began=$(date +%s)
if ! why=$(run_tests); then
  echo "The unmutated sources fail their tests: $why"
  exit 1
fi
echo "Unmutated run: $(( $(date +%s) - began )) s"

results=()
caught=0 missed=0 skipped=0 n=0
while IFS=$'\t' read -r file original faulty what; do
  case "$file" in ''|'#'*) continue ;; esac
  printf '%s\t%s\t%s\n' "$file" "$original" "$what" | grep -qE -- "$pattern" || continue
  n=$((n + 1))
  target="$src/$file"
  count=0
  [ -f "$target" ] && count=$(grep -cF -- "$original" "$target")
  if [ "$count" != 1 ]; then
    results+=("$(printf '%-3s %-7s %-55s %s' "$n" "stale" "$what" "($file: text found $count times)")")
    skipped=$((skipped + 1))
    continue
  fi
  cp -p "$target" "$scratch/original"
  # The quoted pattern is taken literally; the x keeps trailing newlines.
  content=$(cat "$target"; printf x)
  content=${content%x}
  printf '%s' "${content/"$original"/"$faulty"}" >"$target"
  if ! cmake --build "$build" --target "${binaries[@]}" >"$scratch/build.log" 2>&1; then
    verdict="invalid" detail="(does not build)"
    skipped=$((skipped + 1))
  elif detail=$(run_tests); then
    verdict="MISSED" detail=""
    missed=$((missed + 1))
  else
    verdict="caught"
    caught=$((caught + 1))
  fi
  cp -p "$scratch/original" "$target"
  touch "$target"
  line=$(printf '%-3s %-7s %-55s %s' "$n" "$verdict" "$what" "$detail")
  results+=("$line")
  echo "$line"
done <"$list"

# Leave the scratch build as the sources stand, for a rerun with MUTATE_KEEP.
cmake --build "$build" --target "${binaries[@]}" >/dev/null 2>&1

echo
echo "Mutants of $rev ($(git -C "$root" rev-parse --short "$rev")):"
printf '%-3s %-7s %-55s %s\n' "#" "result" "fault" "tests that failed"
printf '%s\n' "${results[@]}"
echo "caught $caught of $((caught + missed)) ($skipped stale or not building); $(( $(date +%s) - began )) s"
