#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster on 127.0.0.1 for the tests that need a database server, with the
# feedback catalog doduvev and its table zezaz. Installs PostgreSQL and Qt's driver for it when missing.
#
#   postgres-start.sh STATE_DIR
#
# Leaves in STATE_DIR: port, user, database (what a test connects with), and for postgres-stop.sh the
# temporary cluster folder (cluster) and the server's binaries (bin).
set -euo pipefail

state="${1:?usage: postgres-start.sh STATE_DIR}"
here="$(cd "$(dirname "$0")" && pwd)"
mkdir -p "$state"
# A cluster left by an interrupted run goes first.
"$here/postgres-stop.sh" "$state" || true

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}

server_bin() {
  local dir
  dir="$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1 || true)"
  if [ -n "$dir" ] && [ -x "$dir/initdb" ] && [ -x "$dir/pg_ctl" ] && [ -x "$dir/psql" ]; then
    echo "$dir"
  fi
}

if [ -z "$(server_bin)" ] || ! installed libqt6sql6-psql; then
  sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  echo "Installing PostgreSQL and the Qt driver for it"
  export DEBIAN_FRONTEND=noninteractive
  if ! $sudo apt-get install -y --no-install-recommends postgresql libqt6sql6-psql; then
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends postgresql libqt6sql6-psql
  fi
fi
bin="$(server_bin)"
if [ -z "$bin" ]; then
  echo "postgres-start: no PostgreSQL server binaries under /usr/lib/postgresql" >&2
  exit 1
fi

# PostgreSQL refuses to run as root: as root the cluster belongs to the postgres account.
as_server=()
cluster="$(mktemp -d "${TMPDIR:-/tmp}/quorvex-pg.XXXXXX")"
if [ "$(id -u)" -eq 0 ]; then
  as_server=(runuser -u postgres --)
  chown postgres:postgres "$cluster"
fi
echo "$cluster" >"$state/cluster"
echo "$bin" >"$state/bin"

user=quorvex
"${as_server[@]}" "$bin/initdb" -D "$cluster/data" -A trust -U "$user" -E UTF8 --locale=C.UTF-8 \
  >"$cluster/initdb.log" 2>&1 || { cat "$cluster/initdb.log" >&2; exit 1; }

# A free port: one nothing answers on, and the server must manage to bind it.
port=""
for attempt in $(seq 1 20); do
  candidate=$((20000 + (RANDOM * 32768 + RANDOM) % 40000))
  if (exec 3<>"/dev/tcp/127.0.0.1/$candidate") 2>/dev/null; then
    continue
  fi
  if "${as_server[@]}" "$bin/pg_ctl" -D "$cluster/data" -l "$cluster/server.log" -w -t 60 \
    -o "-p $candidate -k $cluster -c listen_addresses=127.0.0.1 -c fsync=off" start >/dev/null; then
    port="$candidate"
    break
  fi
done
if [ -z "$port" ]; then
  echo "postgres-start: the server did not start" >&2
  cat "$cluster/server.log" >&2 || true
  exit 1
fi
echo "$port" >"$state/port"

psql_run() {
  "$bin/psql" -X -q -v ON_ERROR_STOP=1 -h 127.0.0.1 -p "$port" -U "$user" "$@"
}
psql_run -d postgres -c "create database doduvev"
psql_run -d doduvev -c "create table zezaz (kemu text, tihao text, tigan text, tupian text, kaoshidg text,
  xueke text, chenjiu text, cuobiezi text, silutigan text, silutp text, siluddaan text, silucbz text,
  shiticf text, shuoming text)"

echo "$user" >"$state/user"
echo doduvev >"$state/database"
echo "PostgreSQL $(basename "$(dirname "$bin")") on 127.0.0.1:$port, cluster in $cluster"
