#!/usr/bin/env bash
# Builds the program, stages its program folder under build/default/program, plugs in a virtual
# printer of model LW (made on the first run, kept afterwards) and starts the desktop program.
# `./run.sh --printers N` (2 to 4) plugs in N printers of different models instead, each served
# by a process of its own (vprinterd; `grelt02-cli vprinter detach --name NAME` stops one).
# Without a display the windows are drawn into build/default/screenshots instead.
set -euo pipefail
cd "$(dirname "$0")"
printers=1
if [[ "${1:-}" == "--printers" ]]; then
  printers=${2:?"--printers takes 1 to 4"}
  [[ "$printers" =~ ^[1-4]$ ]] || { echo "run.sh: --printers takes 1 to 4" >&2; exit 2; }
  shift 2
fi
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
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display; drawing the windows into build/default/screenshots instead" >&2
  exec "$program/grelt02" --screenshots build/default/screenshots "$@"
fi
exec "$program/grelt02" "$@"
