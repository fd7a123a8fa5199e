#!/usr/bin/env bash
# Builds the program, stages its program folder under build/default/program, plugs in a virtual
# printer of model LW (made on the first run, kept afterwards) and starts the desktop program.
# Without a display the windows are drawn into build/default/screenshots instead.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
program=build/default/program
"$program/grelt02-cli" vprinter attach --model LW --name lw >/dev/null
# The option unit's attachment sensor reads off, then on once it is set: one sensor check's worth.
"$program/grelt02-cli" vprinter unit --name lw --lamp off,on >/dev/null
if [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
  echo "run.sh: no display; drawing the windows into build/default/screenshots instead" >&2
  exec "$program/grelt02" --screenshots build/default/screenshots "$@"
fi
exec "$program/grelt02" "$@"
