#!/usr/bin/env bash
# Stops the cluster postgres-start.sh started and removes its folder.
#
#   postgres-stop.sh STATE_DIR
set -uo pipefail

state="${1:?usage: postgres-stop.sh STATE_DIR}"
if [ ! -f "$state/cluster" ]; then
  exit 0
fi
cluster="$(cat "$state/cluster")"
bin="$(cat "$state/bin" 2>/dev/null || true)"

as_server=()
if [ "$(id -u)" -eq 0 ]; then as_server=(runuser -u postgres --); fi
if [ -n "$bin" ] && [ -f "$cluster/data/postmaster.pid" ]; then
  "${as_server[@]}" "$bin/pg_ctl" -D "$cluster/data" -m fast -w -t 30 stop >/dev/null 2>&1 || true
fi
case "$cluster" in
  */quorvex-pg.*) rm -rf "$cluster" ;;
esac
rm -f "$state/cluster" "$state/bin" "$state/port" "$state/user" "$state/database"
