#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz/) with clang in their own build
# directory and runs each one over its corpus for the given seconds.
# Usage: fuzz.sh [seconds per target, default 5] [target names...]
# Inputs found along the way are kept in <build>/corpus; a crash, hang or
# memory blow-up stops the run and leaves its input in <build>/artifacts.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"
seconds="${1:-5}"
[ $# -gt 0 ] && shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(wav png savefiles http_reply codecs journal score_request)

command -v clang++ >/dev/null || { echo "fuzz.sh needs clang: apt-get install clang libclang-rt-14-dev" >&2; exit 1; }
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DGOBBIT_FUZZ=ON \
  -DGOBBIT_TESTS=OFF -DGOBBIT_BENCH=OFF -DGOBBIT_ASSETS=OFF >/dev/null
cmake --build "$build" --target fuzz_targets -- --quiet

# Longest input per target: room for its real files, no more.
max_len() {
  case "$1" in
    savefiles) echo 100000 ;;   # a settings file and a score file
    wav|png) echo 65536 ;;
    http_reply) echo 32768 ;;
    *) echo 8192 ;;
  esac
}

mkdir -p "$build/artifacts"
status=0
for name in "${targets[@]}"; do
  exe="$build/fuzz/fuzz_$name"
  [ -x "$exe" ] || { echo "fuzz_$name: not built"; status=1; continue; }
  work="$build/corpus/$name"
  log="$build/fuzz_$name.log"
  mkdir -p "$work"
  # Standard output carries the game's log lines; only libFuzzer's report
  # on standard error is kept.
  if ASAN_OPTIONS="detect_leaks=1:allocator_may_return_null=0" ALSOFT_DRIVERS=null \
     nice "$exe" "$work" "$root/fuzz/corpus/$name" -max_total_time="$seconds" -max_len="$(max_len "$name")" \
       -timeout=20 -rss_limit_mb=2048 -close_fd_mask=1 -print_final_stats=1 \
       -artifact_prefix="$build/artifacts/$name-" >"$log" 2>&1; then
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    echo "fuzz_$name: ${runs:-?} runs in ${seconds}s, no findings"
  else
    echo "fuzz_$name: FAILED (log: $log)"
    grep -E "ERROR|SUMMARY|fuzz check failed|Test unit written" "$log" | head -20 || tail -30 "$log"
    status=1
  fi
done
exit $status
