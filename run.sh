#!/usr/bin/env bash
# Builds the program, stages its program folder under build/default/program, plugs in a virtual
# printer of model LW (made on the first run, kept afterwards) and starts the desktop program.
# `./run.sh --printers N` (2 to 4) plugs in N printers of different models instead, each served
# by a process of its own (vprinterd; `grelt02-cli vprinter detach --name NAME` stops one).
# `./run.sh --line-db` also starts a PostgreSQL server of its own in build/default/line-db (kept
# between runs), sets up the line database there and connects the program to it as a station.
# Without a display the windows are drawn into build/default/screenshots instead.
set -euo pipefail
cd "$(dirname "$0")"
printers=1
lineDb=0
while [[ "${1:-}" == "--printers" || "${1:-}" == "--line-db" ]]; do
  if [[ "$1" == "--line-db" ]]; then
    lineDb=1
    shift
    continue
  fi
  printers=${2:?"--printers takes 1 to 4"}
  [[ "$printers" =~ ^[1-4]$ ]] || { echo "run.sh: --printers takes 1 to 4" >&2; exit 2; }
  shift 2
done
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
program=build/default/program
cli=$program/grelt02-cli
if [[ $printers -eq 1 ]]; then
  "$cli" vprinter attach --model LW --name lw >/dev/null
else
  models=(LW MW LN NN)
  for ((i = 0; i < printers; i++)); do
    model=${models[$i]}
    "$cli" vprinter attach --model "$model" --name "${model,,}" --process --lpd-port 0 |
      grep -E '"(name|port|pid|lpdPort)"' | tr -d ' \n' && echo
  done
fi
# The option unit's attachment sensor reads off, then on once it is set: one sensor check's worth.
"$cli" vprinter unit --name lw --lamp off,on >/dev/null
if [[ $lineDb -eq 1 ]]; then
  serverDir=build/default/line-db
  admin=$(scripts/line-db.sh start "$serverDir")
  trap 'scripts/line-db.sh stop "$serverDir"' EXIT
  "$cli" record setup-database --admin "$admin" --station-login station_demo >/dev/null
  station="${admin/user=grelt_admin/user=station_demo}"
  sed -i "s|^strLineDatabase=.*|strLineDatabase=$station|" "$program/GRELT02.INI"
  echo "run.sh: line database at $station (grelt02-cli record status tells what waits)" >&2
fi
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display; drawing the windows into build/default/screenshots instead" >&2
  "$program/grelt02" --screenshots build/default/screenshots "$@"
  exit
fi
"$program/grelt02" "$@"
