#!/usr/bin/env bash
# A PostgreSQL server of its own for the line database, as the tests start theirs: a cluster made
# by initdb in a folder of its own (kept between runs), run by an unprivileged user (PostgreSQL
# refuses root; as root the server runs as "nobody"), listening on a Unix socket in that folder
# and a free loopback port. "grelt_admin" is trusted on the socket.
#
#   scripts/line-db.sh start DIR   starts it (making it the first time) and prints the
#                                  administrator's connection string to the database grelt_line
#   scripts/line-db.sh stop DIR    stops it
set -euo pipefail
command=${1:?"start or stop"}
dir=$(realpath -m "${2:?"the server's folder"}")
bin=$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -1)
[[ -x "$bin/initdb" ]] || { echo "line-db: the postgresql package is not installed" >&2; exit 2; }

as_server() {
  if [[ $(id -u) -eq 0 ]]; then (cd / && runuser -u nobody -- "$@"); else "$@"; fi
}

if [[ "$command" == stop ]]; then
  [[ -f "$dir/data/postmaster.pid" ]] && as_server "$bin/pg_ctl" -D "$dir/data" -m fast -w stop >/dev/null
  exit 0
fi

if [[ ! -f "$dir/data/PG_VERSION" ]]; then
  mkdir -p "$dir/data" "$dir/socket"
  if [[ $(id -u) -eq 0 ]]; then
    chown nobody "$dir/data" "$dir/socket"
    as_server test -x "$dir" || {
      echo "line-db: the user nobody cannot reach $dir; give another folder" >&2
      exit 2
    }
  fi
  as_server "$bin/initdb" -D "$dir/data" -U grelt_admin --auth-local=trust \
    --auth-host=scram-sha-256 -E UTF8 --no-locale >"$dir/socket/initdb.log" 2>&1
fi
if [[ -f "$dir/data/postmaster.pid" ]] && as_server "$bin/pg_ctl" -D "$dir/data" status >/dev/null; then
  port=$(sed -n 4p "$dir/data/postmaster.pid")
else
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  as_server "$bin/pg_ctl" -D "$dir/data" -l "$dir/socket/server.log" -w -o \
    "-k $dir/socket -p $port -c listen_addresses=127.0.0.1" start >/dev/null
fi
admin="host=$dir/socket port=$port user=grelt_admin"
"$bin/psql" -X -q "$admin dbname=postgres" -tAc \
  "SELECT 1 FROM pg_database WHERE datname = 'grelt_line'" | grep -q 1 ||
  "$bin/psql" -X -q "$admin dbname=postgres" -c "CREATE DATABASE grelt_line" >/dev/null
echo "$admin dbname=grelt_line"
