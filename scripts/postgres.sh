# Sourced by the scripts that need a PostgreSQL server of their own (tests,
# the score server's load runs): a throwaway cluster in a temporary folder,
# on a free port of 127.0.0.1 only, run by an unprivileged user.

own_postgres_dir=""
own_postgres_bin=""
own_postgres_user=""

# Debian keeps the server programs out of PATH, one folder per version.
postgres_bin() {
  local d
  for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r); do
    [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && { echo "$d"; return 0; }
  done
  d=$(dirname "$(command -v initdb 2>/dev/null || echo /nonexistent/initdb)")
  [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ] && { echo "$d"; return 0; }
  return 1
}

# Runs a command as the cluster's owner: root hands the cluster to the
# "postgres" account (the server refuses to run as root).
as_postgres_owner() {
  if [ "$(id -u)" -eq 0 ]; then
    runuser -u "$own_postgres_user" -- "$@"
  else
    "$@"
  fi
}

# Starts the cluster and exports GOBBIT_TEST_POSTGRES, the URL of its
# database. $1 "fast" turns off syncing to disk (for tests, which never
# crash the database itself); anything else keeps PostgreSQL's defaults (for
# benchmarks). Returns 1, with the reason on standard error, when it cannot.
# The caller stops it with stop_own_postgres, from its exit trap.
start_own_postgres() {
  own_postgres_bin=$(postgres_bin) || { echo "PostgreSQL server programs not found (Debian package postgresql)" >&2; return 1; }
  if [ "$(id -u)" -eq 0 ]; then
    own_postgres_user=postgres
    id "$own_postgres_user" >/dev/null 2>&1 || { echo "no unprivileged postgres account to run the cluster" >&2; return 1; }
  else
    own_postgres_user=$(id -un)
  fi
  own_postgres_dir=$(mktemp -d -t gobbit-pg.XXXXXX)
  chmod 700 "$own_postgres_dir"
  [ "$(id -u)" -eq 0 ] && chown "$own_postgres_user" "$own_postgres_dir"
  local nosync=""
  [ "${1:-}" = fast ] && nosync=--no-sync
  as_postgres_owner "$own_postgres_bin/initdb" -D "$own_postgres_dir/data" -U gobbit -A trust -E UTF8 \
    --no-instructions $nosync >"$own_postgres_dir/initdb.log" 2>&1 \
    || { cat "$own_postgres_dir/initdb.log" >&2; return 1; }
  local extra=""
  [ "${1:-}" = fast ] && extra="-c fsync=off -c synchronous_commit=off -c full_page_writes=off"
  local port tries
  for tries in $(seq 1 20); do
    port=$((20000 + RANDOM % 40000))
    (exec 3<>"/dev/tcp/127.0.0.1/$port") 2>/dev/null && continue
    if as_postgres_owner "$own_postgres_bin/pg_ctl" -D "$own_postgres_dir/data" -l "$own_postgres_dir/server.log" \
      -w -t 60 -o "-c listen_addresses=127.0.0.1 -p $port -k $own_postgres_dir -c max_connections=200 $extra" \
      start >/dev/null; then
      export GOBBIT_TEST_POSTGRES="postgresql://gobbit@127.0.0.1:$port/postgres"
      return 0
    fi
  done
  cat "$own_postgres_dir/server.log" >&2 2>/dev/null
  return 1
}

stop_own_postgres() {
  [ -n "$own_postgres_dir" ] || return 0
  if [ -f "$own_postgres_dir/data/postmaster.pid" ]; then
    as_postgres_owner "$own_postgres_bin/pg_ctl" -D "$own_postgres_dir/data" -m immediate -w stop >/dev/null 2>&1 || true
  fi
  rm -rf "$own_postgres_dir"
  own_postgres_dir=""
  unset GOBBIT_TEST_POSTGRES
}
