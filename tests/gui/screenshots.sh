#!/usr/bin/env bash
# Every dialog can be drawn offscreen, and drawing them changes nothing in the program folder: the
# runs they show (a unit failure, a motor chart, a missing printer) keep their service record rows
# in a scratch copy, never in the technician's record.
set -euo pipefail
grelt02=$1
shots=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp -r "$(dirname "$grelt02")" "$scratch/program"
listing() { (cd "$scratch/program" && find . -type f -exec md5sum {} + | sort); }
listing >"$scratch/before"
QT_QPA_PLATFORM=offscreen "$scratch/program/grelt02" --program-folder "$scratch/program" \
  --screenshots "$shots" >/dev/null
test -s "$shots/360-main-dialog.png"
listing >"$scratch/after"
diff -u "$scratch/before" "$scratch/after"
echo "screenshots: drawn, the program folder unchanged"
