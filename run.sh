#!/usr/bin/env bash
# Builds the program, stages its program folder under build/default/program and runs it there.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
exec build/default/program/grelt02-cli settings "$@"
