#!/usr/bin/env bash
# Redraws every picture in docs/ from the program as it stands, so that none goes stale: the
# dialogs from `grelt02 --screenshots`, the printed pages from jobs the program builds, printed by
# a virtual printer through `grelt02-cli render`. Run it after changing what they show and commit
# the pictures it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
program=build/default/program
cli=$program/grelt02-cli
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# The dialogs, with the texts of a real run.
QT_QPA_PLATFORM=offscreen "$program/grelt02" --screenshots "$scratch/shots" >/dev/null
cp "$scratch/shots/365-start-screen.png" docs/start-screen.png
cp "$scratch/shots/360-main-dialog.png" docs/main-dialog.png
cp "$scratch/shots/360-main-dialog-guided.png" docs/main-dialog-guided.png
cp "$scratch/shots/360-main-dialog-guided-escape.png" docs/main-dialog-guided-escape.png
cp "$scratch/shots/312-message-mode3.png" docs/message-dialog.png
cp "$scratch/shots/375-board-exchange-page.png" docs/board-exchange-page.png
cp "$scratch/shots/359-nvram-backup.png" docs/nvram-backup.png
for page in 378-bid-page 377-position-page 377-feed-page 377-height-page 381-mac-page \
  380-clock-page 369-head-id-page 369-head-id-page-mistyped 362-serial-number-page \
  362-network-address-page 385-counter-page-20010 386-nozzle-check-page 366-cleaning-page-LW \
  366-cleaning-page-NN 366-slot-cleaning-page 379-service-flag-page 387-unit-function-page \
  345-temperature-during-run; do
  cp "$scratch/shots/$page.png" "docs/${page#*-}.png"
done
cp "$scratch/shots/385-counter-page-20040.png" docs/counter-page.png
cp "$scratch/shots/384-firmware-update.png" docs/firmware-update.png
cp "$scratch/shots/373-print-file.png" docs/print-file.png
cp "$scratch/shots/388-service-record-page.png" docs/service-record-page.png
cp "$scratch/shots/363-printed-page.png" docs/printed-page.png
cp "$scratch/shots/363-motor-chart.png" docs/motor-chart.png
"$cli" render "$program/Prnfile/ColourBars.PRN" -o docs/colour-bars.png >/dev/null

# The information tool over an image that the backup utility saved from a scratch printer.
folder="$scratch/program"
mkdir -p "$folder"
cp -r build/default/program/{GRELT02.INI,USB.ini,Parameter,Service} "$folder/"
"$cli" --program-folder "$folder" vprinter attach --model LW --name docs >/dev/null
"$cli" --program-folder "$folder" backup -o "$scratch/LW-board.bin" >/dev/null 2>&1
QT_QPA_PLATFORM=offscreen "$program/grelt02-nvram-info" --screenshot docs/nvram-info.png \
  "$scratch/LW-board.bin" 2>/dev/null

# A printer's history report from a line database of its own: one printer at an inspection
# station and a repair station, its thermosensor failing first, passing after the repair.
chmod 755 "$scratch"
lineDb="$scratch/line-db"
admin=$(scripts/line-db.sh start "$lineDb")
trap 'scripts/line-db.sh stop "$lineDb"; rm -rf "$scratch"' EXIT
"$cli" record setup-database --admin "$admin" --station-login station_docs >/dev/null
station() {
  local folder="$scratch/station-$1"
  mkdir -p "$folder"
  cp -r build/default/program/{GRELT02.INI,USB.ini,Parameter,Service} "$folder/"
  sed -i "s|^strHdidBELTNo=.*|strHdidBELTNo=$1|; s|^strHdidPCNo=.*|strHdidPCNo=$2|;
    s|^strJIGNo=.*|strJIGNo=$3|;
    s|^strLineDatabase=.*|strLineDatabase=${admin/user=grelt_admin/user=station_docs}|" \
    "$folder/GRELT02.INI"
  "$cli" --program-folder "$folder" vprinter attach --model LW --name lw >/dev/null
}
thermosensor() { # folder, what the unit reads, what the technician types (each time asked)
  "$cli" --program-folder "$1" vprinter unit --lamp off,on --temperature "$2" >/dev/null
  "$cli" --program-folder "$1" run 210410 --selector 0 --answer ok --answer ok \
    --temperature "$3" --temperature "$3" --temperature "$3" >/dev/null 2>&1 || true
}
station L1 03 J07
station L4 11 J02
inspection="$scratch/station-L1" repair="$scratch/station-L4"
"$cli" --program-folder "$inspection" run 210060 >/dev/null 2>&1
thermosensor "$inspection" 30 25.0
headId=$("$cli" --program-folder "$repair" run 310080 2>/dev/null | sed -n 's/.*"outputText": "\(.*\)".*/\1/p')
"$cli" --program-folder "$repair" run 110080 --input "$headId" >/dev/null 2>&1
thermosensor "$repair" 28 26.0
"$cli" --program-folder "$repair" run 210060 >/dev/null 2>&1
thermosensor "$inspection" 27 25.6
"$cli" --program-folder "$inspection" run 210060 >/dev/null 2>&1
serial=$("$cli" --program-folder "$inspection" run 310230 2>/dev/null | sed -n 's/.*"outputText": "\(.*\)".*/\1/p')
"$cli" --program-folder "$inspection" report --serial "$serial" -o "$scratch/report.html" >/dev/null
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
  --disable-background-networking --disable-component-update --disable-sync --hide-scrollbars \
  --user-data-dir="$scratch/chromium" --window-size=1200,1500 \
  --screenshot=docs/history-report.png "file://$scratch/report.html" >/dev/null 2>&1

# Printed pages: the jobs as the program sends them to a printer of model LW.
"$cli" pattern nozzle-check --model LW -o "$scratch/nozzle.prn" >/dev/null
"$cli" render "$scratch/nozzle.prn" -o docs/nozzle-check.png >/dev/null
"$cli" pattern inspection-sheet-1 --model LW --machine-no LW12345 -o "$scratch/sheet.prn" >/dev/null
"$cli" render "$scratch/sheet.prn" -o docs/inspection-sheet-1.png >/dev/null

# Four rows of the pattern 10000001, one per ink, built command by command.
job() { "$cli" encode "$@" | tr -d '\n'; }
{
  job ResetPrinter
  job EnterGraphicsMode
  job SetUnit 1 1 1 2880
  job SetResolutionInfo 360 360
  job SetPaperSize 11520 4320
  for colour in 0 1 2 4; do
    job SetAbsHoriPos 1440
    job SetRasterData "$colour" 2 90 60
    for _ in $(seq 60); do job bits 10000001 90; done
    job SetRelVertPos4Byte 720
  done
  job EndPage
} | perl -0777 -ne 's/\s+//g; print pack("H*", $_)' >"$scratch/rows.prn"
"$cli" render "$scratch/rows.prn" -o docs/four-colour-rows.png >/dev/null
ls -l docs/*.png
