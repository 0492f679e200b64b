#!/usr/bin/env bash
# Load figures of the score server: SQLite with one process, PostgreSQL with
# one and with two processes sharing the database, each at 1, 8 and 64
# connections at once. Everything runs on 127.0.0.1 in a temporary folder;
# PostgreSQL is a throwaway cluster with its default (durable) settings.
# Usage: score-bench.sh [REQUESTS_PER_RUN (5000)]   (BUILD_DIR as for test.sh)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="${BUILD_DIR:-$root/build-test}"
requests="${1:-5000}"
server="$build/server/gobbit_score_server"
load="$build/server/gobbit_score_load"
[ -x "$server" ] && [ -x "$load" ] || { echo "build gobbit_score_server and gobbit_score_load in $build first" >&2; exit 1; }

source "$root/scripts/postgres.sh"
work=$(mktemp -d -t gobbit-score-bench.XXXXXX)
servers=()
stop_servers() {
  local p
  for p in "${servers[@]}"; do kill "$p" 2>/dev/null || true; wait "$p" 2>/dev/null || true; done
  servers=()
}
trap 'stop_servers; stop_own_postgres; rm -rf "$work"' EXIT

# Starts a server on $1 and sets port once it listens. Not to be called in a
# command substitution: the exit trap must see every server started.
port=""
start_server() {
  local log="$work/server-${#servers[@]}.log"
  "$server" "$1" 0 127.0.0.1 >"$log" 2>&1 &
  servers+=($!)
  for _ in $(seq 1 200); do
    port=$(sed -n 's/^Listening on 127.0.0.1:\([0-9]*\)$/\1/p' "$log")
    [ -n "$port" ] && return 0
    sleep 0.05
  done
  cat "$log" >&2
  return 1
}

run() {
  local label=$1 ports=$2 database=$3 c
  for c in 1 8 64; do
    local out
    # The check of the stored table must pass too; only the figures are shown.
    out=$("$load" --ports "$ports" --database "$database" --concurrency "$c" --requests "$requests" --seconds 60 \
      --players 2000) || { echo "$out" >&2; return 1; }
    printf '%-26s %s\n' "$label" "${out%%$'\n'*}"
  done
}

start_server "$work/scores.db"
run "SQLite, 1 process" "$port" "$work/scores.db"
stop_servers

start_own_postgres
start_server "$GOBBIT_TEST_POSTGRES"
p1=$port
run "PostgreSQL, 1 process" "$p1" "$GOBBIT_TEST_POSTGRES"
start_server "$GOBBIT_TEST_POSTGRES"
run "PostgreSQL, 2 processes" "$p1,$port" "$GOBBIT_TEST_POSTGRES"
