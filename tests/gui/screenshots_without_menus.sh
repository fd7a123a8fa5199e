#!/usr/bin/env bash
# The desktop program drawing its screenshots on a program folder without its menu files must end
# by itself: the message that would wait for an answer is drawn into the folder instead.
set -euo pipefail
grelt02=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$scratch/program"
cp "$(dirname "$grelt02")/GRELT02.INI" "$scratch/program/"
cp -r "$(dirname "$grelt02")/Parameter" "$scratch/program/"
# Without a runtime folder of the session, too: the program makes its own and says nothing of it.
env -u XDG_RUNTIME_DIR QT_QPA_PLATFORM=offscreen timeout 60 "$grelt02" \
  --program-folder "$scratch/program" --screenshots "$scratch/shots" >/dev/null 2>"$scratch/err"
test -s "$scratch/shots/message-box-1.png"
test -s "$scratch/shots/360-main-dialog.png"
if grep -q XDG_RUNTIME_DIR "$scratch/err"; then cat "$scratch/err" >&2; exit 1; fi
echo "screenshots without menu files: drawn, with the message box"
