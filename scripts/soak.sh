#!/usr/bin/env bash
# Soak test: the real game, built with AddressSanitizer and
# UndefinedBehaviorSanitizer, on its own Xvfb, driven for a while by random
# keys and clicks (arrows, Enter, Escape, letters, clicks anywhere in the
# window; F11 at most twice; F4 only to end). Whenever the game ends (random
# input can choose Quit), it must have ended cleanly: exit status 0, no
# sanitizer report, no leak at exit. It is then started again on the same
# home folder, so every restart also loads the files the last run saved.
# Resident memory is sampled every few seconds and must stay flat. At the
# end the game is started once more to check that the save files load
# without a checksum error or a repaired value.
#
# Usage: soak.sh [seconds, default 600]
# SOAK_GOBBIT=path uses an existing sanitizer build of the game; otherwise
# one is built in SOAK_BUILD_DIR (default build-soak). SOAK_SEED fixes the
# random input; SOAK_KEEP=1 keeps the logs (and, with SOAK_SHOTS=1, a
# picture of the window every 20 s). Exits non-zero on any failure; starts nothing it does not
# stop, and never runs much longer than asked.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
seconds="${1:-600}"
seed="${SOAK_SEED:-$$}"

gobbit="${SOAK_GOBBIT:-}"
if [ -z "$gobbit" ] || [ ! -x "$gobbit" ]; then
  build="${SOAK_BUILD_DIR:-$root/build-soak}"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DGOBBIT_SANITIZE=ON \
    -DGOBBIT_TESTS=OFF -DGOBBIT_BENCH=OFF -DGOBBIT_SERVER=OFF >/dev/null
  cmake --build "$build" --target gobbit >/dev/null
  gobbit="$build/gobbit"
fi
gobbit=$(cd "$(dirname "$gobbit")" && pwd)/$(basename "$gobbit")
data="$(dirname "$gobbit")/Data"
[ -d "$data/564" ] || { echo "soak: no Data/564 beside $gobbit" >&2; exit 1; }
for tool in Xvfb xdotool; do
  command -v "$tool" >/dev/null || { echo "soak: $tool is missing" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/gobbit-soak-XXXXXX")
home="$work/home"
mkdir -p "$home"
ln -s "$gobbit" "$home/gobbit"
ln -s "$data" "$home/Data"

source "$root/scripts/headless.sh"
game_pid=""
cleanup() {
  if [ -n "$game_pid" ] && kill -0 "$game_pid" 2>/dev/null; then
    kill -KILL "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
  fi
  stop_own_display
  if [ "${SOAK_KEEP:-0}" = 1 ]; then echo "soak: logs kept in $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

start_own_display 150 250

# Leaks are checked at every exit; reports go to files, one per process.
dri=$(swrast_driver)
export ASAN_OPTIONS="detect_leaks=1:verify_asan_link_order=0:log_path=$work/sanitizer:quarantine_size_mb=32"
export UBSAN_OPTIONS="print_stacktrace=1:log_path=$work/sanitizer"
export LSAN_OPTIONS="suppressions=$root/tests/soak/lsan.supp"

failures=0
fail() { echo "soak: FAIL: $*"; failures=$((failures + 1)); }

now() { date +%s; }
start=$(now)
deadline=$((start + seconds))
runs=0
f11_left=2
rss_log="$work/rss.txt"
: >"$rss_log"

rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null || true; }

window_of() {
  local w
  w=$(xdotool search --pid "$1" --onlyvisible 2>/dev/null | tail -1) || true
  echo "${w:-}"
}

start_game() {
  runs=$((runs + 1))
  (cd "$home" && LD_PRELOAD="$dri" exec ./gobbit) >"$work/run$runs.log" 2>&1 &
  game_pid=$!
}

# Waits for the game to end (at most $1 seconds); sets ended_status.
wait_game() {
  local t=0
  ended_status=""
  while kill -0 "$game_pid" 2>/dev/null; do
    [ "$t" -ge "$(($1 * 10))" ] && return 1
    sleep 0.1
    t=$((t + 1))
  done
  set +e
  wait "$game_pid"
  ended_status=$?
  set -e
  game_pid=""
  return 0
}

check_run() {
  local log="$work/run$runs.log"
  if [ "$ended_status" != 0 ]; then fail "run $runs ended with status $ended_status"; tail -20 "$log"; fi
  if grep -qE "runtime error|AddressSanitizer|LeakSanitizer" "$log"; then fail "run $runs: sanitizer output"; fi
  if [ -n "$(ls "$work"/sanitizer.* 2>/dev/null)" ]; then
    fail "run $runs: sanitizer report"
    head -60 "$work"/sanitizer.*
    mkdir -p "$work/reports" && mv "$work"/sanitizer.* "$work/reports/" 2>/dev/null || true
  fi
  grep -q "Farewell happy gamer" "$log" || fail "run $runs did not shut down through its farewell"
  if [ "$runs" -gt 1 ]; then check_loaded "$log" "run $runs"; fi
}

# The files a previous run saved must load as they are.
check_loaded() {
  local bad
  bad=$(grep -E "Checksum Error|reset to|Settings file is short|unknown key bindings|Clearing Scoreboard|Reset User|Error Reading File" "$1" || true)
  [ -z "$bad" ] || { fail "$2: the saved files did not load cleanly:"; echo "$bad"; }
}

# Escape is rare: on the title page it quits, and a soak that mostly
# restarts never gets far into play.
random_key() {
  local r=$((RANDOM % 1000))
  if [ $r -lt 520 ]; then
    local arrows=(Up Down Left Right)
    echo "${arrows[$((RANDOM % 4))]}"
  elif [ $r -lt 680 ]; then echo Return
  elif [ $r -lt 695 ]; then echo Escape
  elif [ $r -lt 715 ]; then echo BackSpace
  elif [ $r -lt 735 ]; then echo space
  elif [ $r -lt 745 ]; then echo F1
  else
    local letters=abcdefghijklmnoprstuvwxyz  # no q: q with a digit reshapes the window
    echo "${letters:$((RANDOM % ${#letters})):1}"
  fi
}

# One random action on the running game.
act() {
  local win=$1 r=$((RANDOM % 100))
  if [ $r -lt 18 ] && [ -n "$win" ]; then
    local geo w h
    geo=$(xdotool getwindowgeometry --shell "$win" 2>/dev/null) || return 0
    w=$(echo "$geo" | sed -n 's/^WIDTH=//p')
    h=$(echo "$geo" | sed -n 's/^HEIGHT=//p')
    [ -n "$w" ] && [ "$w" -gt 0 ] || return 0
    xdotool mousemove --window "$win" $((RANDOM % w)) $((RANDOM % h)) mousedown 1 2>/dev/null || true
    sleep 0.0$((RANDOM % 9 + 1))
    xdotool mouseup 1 2>/dev/null || true
  elif [ $r -eq 99 ] && [ $f11_left -gt 0 ]; then
    f11_left=$((f11_left - 1))
    xdotool key F11 2>/dev/null || true
    sleep 1
  else
    local k
    k=$(random_key)
    xdotool keydown "$k" 2>/dev/null || true
    sleep 0.$((RANDOM % 25 + 5))
    xdotool keyup "$k" 2>/dev/null || true
  fi
}

RANDOM=$seed
echo "soak: ${seconds}s of random input, seed $seed, $gobbit"
start_game
next_sample=0
next_shot=0
actions=0
run_start=$(now)
win=""
# Once, at a random moment, the game is asked to end by SIGTERM (as at logout
# or shutdown): it must close through its farewell with status 0 and leave
# files the next start loads.
term_at=$(( $(now) + 5 + RANDOM % (seconds / 2 > 5 ? seconds / 2 : 5) ))
termed=0
while [ "$(now)" -lt "$deadline" ]; do
  if [ "$termed" = 0 ] && [ "$(now)" -ge "$term_at" ] && kill -0 "$game_pid" 2>/dev/null; then
    termed=1
    kill -TERM "$game_pid" 2>/dev/null || true
    if wait_game 15; then
      echo "soak: run $runs ended by SIGTERM after $(($(now) - run_start))s (status $ended_status); starting again"
      check_run
    else
      fail "run $runs did not end within 15 s of SIGTERM"
      kill -KILL "$game_pid" 2>/dev/null || true
      wait "$game_pid" 2>/dev/null || true
      game_pid=""
    fi
    start_game
    run_start=$(now)
    win=""
    sleep 2
    continue
  fi
  if ! kill -0 "$game_pid" 2>/dev/null; then
    wait_game 5 || true
    echo "soak: run $runs ended by its own input after $(($(now) - run_start))s (status $ended_status); starting again"
    check_run
    start_game
    run_start=$(now)
    win=""
    sleep 2
    continue
  fi
  t=$(now)
  if [ "${SOAK_SHOTS:-0}" = 1 ] && [ -n "$win" ] && [ "$t" -ge "$next_shot" ]; then
    mkdir -p "$work/shots"
    # import can wait for ever on a window it cannot grab.
    timeout 5 import -window "$win" "$work/shots/$((t - start)).png" 2>/dev/null || true
    next_shot=$((t + 20))
  fi
  if [ "$t" -ge "$next_sample" ]; then
    rss=$(rss_kb "$game_pid")
    [ -n "$rss" ] && echo "$runs $((t - run_start)) $rss" >>"$rss_log"
    next_sample=$((t + 3))
  fi
  if [ -z "$win" ] || [ $((actions % 20)) -eq 0 ]; then
    win=$(window_of "$game_pid")
    [ -n "$win" ] && xdotool windowfocus "$win" 2>/dev/null || true
  fi
  if [ -n "$win" ]; then act "$win"; else sleep 0.2; fi
  actions=$((actions + 1))
done

# Presses F4 (the quit key) every two seconds until the game is gone or
# `$1` seconds have passed; sets ended_status as wait_game does.
quit_game() {
  local tries=$(($1 / 2))
  for _ in $(seq 1 "$tries"); do
    local w
    w=$(window_of "$game_pid")
    [ -n "$w" ] && xdotool windowfocus "$w" 2>/dev/null || true
    xdotool key F4 2>/dev/null || true
    wait_game 2 && return 0
  done
  return 1
}

# The end: F4 asks the game to quit; it must be gone well within the limit.
if [ -n "$game_pid" ]; then
  xdotool keyup Escape Return 2>/dev/null || true
  if ! quit_game 30; then
    fail "the game did not quit within 30 s of F4"
    kill -KILL "$game_pid" 2>/dev/null || true
    wait "$game_pid" 2>/dev/null || true
    game_pid=""
  else
    check_run
  fi
fi

# Once more on the same home: the files must load, and it must quit cleanly.
start_game
loaded=0
for _ in $(seq 1 300); do
  grep -q "User ID" "$work/run$runs.log" 2>/dev/null && { loaded=1; break; }
  kill -0 "$game_pid" 2>/dev/null || break
  sleep 0.1
done
[ "$loaded" = 1 ] || fail "the final start did not get through loading the files"
sleep 2
if quit_game 30; then
  check_run
  check_loaded "$work/run$runs.log" "final start"
else
  fail "the final start did not quit within 30 s of F4"
fi

# Resident memory per run: first, last and largest sample, and the growth
# after a warm-up, for runs long enough to tell.
warm=$((seconds / 3 < 30 ? seconds / 3 : 30))
echo "soak: $actions actions, $runs starts, seed $seed"
awk -v warm="$warm" '
  { run = $1; t = $2; kb = $3
    if (!(run in first)) { first[run] = kb; order[++n] = run }
    last[run] = kb; lastt[run] = t
    if (kb > max[run]) max[run] = kb
    if (t >= warm && !(run in base)) { base[run] = kb; baset[run] = t } }
  END {
    for (i = 1; i <= n; i++) {
      r = order[i]
      line = sprintf("soak: run %d RSS first %.1f MB, last %.1f MB, max %.1f MB over %ds", r, first[r] / 1024, last[r] / 1024, max[r] / 1024, lastt[r])
      if ((r in base) && lastt[r] - baset[r] >= warm) line = line sprintf(", %+.1f MB after the first %ds", (last[r] - base[r]) / 1024, baset[r])
      print line
    }
  }' "$rss_log"
# Flat: after the warm-up, no run grows by more than 24 MB (allocator and
# sanitizer bookkeeping settle within it; a leak per frame would not).
grown=$(awk -v warm="$warm" '
  { run = $1; t = $2; kb = $3
    if (t >= warm && !(run in base)) { base[run] = kb; baset[run] = t }
    if (run in base) { last[run] = kb; lastt[run] = t } }
  END { for (r in base) if (lastt[r] - baset[r] >= warm && last[r] - base[r] > 24 * 1024) print r }' "$rss_log")
[ -z "$grown" ] || fail "resident memory grew in run(s) $grown"

if [ "$failures" -gt 0 ]; then
  echo "soak: $failures failure(s)"
  SOAK_KEEP=1
  exit 1
fi
echo "soak: passed"
