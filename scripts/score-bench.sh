#!/usr/bin/env bash
# Load figures of the score server: verified ten-level games a second, each
# a journal replayed by the server and then the score message, from players
# with an address of their own each. SQLite with one process, PostgreSQL with
# one and with two processes sharing the database, each at 1, 8 and 64
# connections at once, every run on a fresh database. Then, on each engine,
# a server killed with SIGKILL in the middle of a load and started again:
# every game it had acknowledged must still be stored.
# Everything runs on 127.0.0.1 in a temporary folder; PostgreSQL is a
# throwaway cluster with its default (durable) settings.
# Usage: score-bench.sh [GAMES_PER_RUN (1500)]   (BUILD_DIR as for test.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-test}"
games="${1:-1500}"
server="$build/server/gobbit_score_server"
load="$build/server/gobbit_score_load"
[ -x "$server" ] && [ -x "$load" ] || { echo "build gobbit_score_server and gobbit_score_load in $build first" >&2; exit 1; }

source "$root/scripts/postgres.sh"
work=$(mktemp -d -t gobbit-score-bench.XXXXXX)
# A server started as root runs as nobody: its SQLite files must be nobody's.
[ "$(id -u)" -eq 0 ] && chown nobody "$work"
servers=()
stop_servers() {
  local p
  for p in "${servers[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  servers=()
}
trap 'stop_servers; stop_own_postgres; rm -rf "$work"' EXIT

# Starts a server on $1 (port $2, or a free one) and sets port once it
# listens. Not to be called in a command substitution: the exit trap must
# see every server started.
port=""
start_server() {
  local log="$work/server-${#servers[@]}.log"
  "$server" "$1" "${2:-0}" 127.0.0.1 >"$log" 2>&1 &
  servers+=($!)
  for _ in $(seq 1 200); do
    port=$(sed -n 's/^Listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$log")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  cat "$log" >&2
  return 1
}

# A fresh database for one run: an SQLite file, or a database in the cluster.
fresh_database() {
  if [ "$1" = sqlite ]; then
    echo "$work/scores-$2.db"
  else
    psql -q "$GOBBIT_TEST_POSTGRES" -c "CREATE DATABASE bench_$2" >/dev/null
    echo "${GOBBIT_TEST_POSTGRES%/*}/bench_$2"
  fi
}

# One line per run: the load's figures; the check of what was stored must
# pass too.
measure() {
  local label=$1 ports=$2 database=$3 c=$4 out
  out=$("$load" --ports "$ports" --database "$database" --concurrency "$c" --requests "$games" --seconds 60 \
    --players 4000) || { echo "$out" >&2; return 1; }
  printf '%-26s %s\n' "$label" "${out%%$'\n'*}"
}

run() {
  local label=$1 engine=$2 processes=$3 c database list
  for c in 1 8 64; do
    database=$(fresh_database "$engine" "${processes}_$c")
    start_server "$database"
    list=$port
    [ "$processes" -eq 2 ] && { start_server "$database"; list="$list,$port"; }
    measure "$label" "$list" "$database" "$c"
    stop_servers
  done
}

# A load of a few seconds with the server killed in its middle and started
# again on the same port; the load's check reads back every acknowledged game.
killed() {
  local label=$1 engine=$2 database out pid
  database=$(fresh_database "$engine" killed)
  start_server "$database"
  local p=$port
  "$load" --ports "$p" --database "$database" --concurrency 8 --requests 1000000 --seconds 8 --players 2000 \
    --allow-outage >"$work/killed.out" 2>&1 &
  pid=$!
  sleep 3
  kill -KILL "${servers[0]}"
  wait "${servers[0]}" 2>/dev/null || true
  servers=()
  sleep 0.3
  start_server "$database" "$p"
  wait "$pid" || { cat "$work/killed.out" >&2; return 1; }
  printf '%-26s %s\n' "$label" "$(grep '^check:' "$work/killed.out")"
  stop_servers
}

run "SQLite, 1 process" sqlite 1
killed "SQLite, SIGKILL mid-load" sqlite

start_own_postgres
run "PostgreSQL, 1 process" postgres 1
run "PostgreSQL, 2 processes" postgres 2
killed "PostgreSQL, SIGKILL" postgres
