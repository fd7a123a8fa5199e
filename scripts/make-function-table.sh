#!/bin/sh
# Rewrites the README's table of service items, buttons and function numbers from the shipped
# menus, as the staged program reads them. Usage: scripts/make-function-table.sh [BUILD_DIR]
set -eu
cd "$(dirname "$0")/.."
build=${1:-build/default}
table=$(mktemp)
trap 'rm -f "$table" README.md.tmp' EXIT
"$build/program/grelt02-cli" menu functions --markdown >"$table"
awk -v table="$table" '
  /^<!-- functions:end -->$/ { while ((getline line < table) > 0) print line; skipping = 0 }
  !skipping { print }
  /^<!-- functions:begin -->$/ { skipping = 1 }
' README.md >README.md.tmp
mv README.md.tmp README.md
