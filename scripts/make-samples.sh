#!/usr/bin/env bash
# Makes the sample files the program folder ships, with the program's own command line: a
# firmware file (.UPG) for every model the program knows and one damaged file in Firmware/, and
# print files in Prnfile/: nozzle checks, the IMS adjustment page and a page of four colour bars.
# Usage: make-samples.sh GRELT02-CLI PROGRAM-FOLDER
set -euo pipefail
cli=$1
folder=$2
mkdir -p "$folder/Firmware" "$folder/Prnfile"
run() { "$cli" --program-folder "$folder" "$@" >/dev/null; }

for model in $("$cli" --program-folder "$folder" models | sed -n 's/.*"code": "\(..\)".*/\1/p'); do
  run vprinter make-firmware --model "$model" --version "${model}07A0" --size 16384 \
    "$folder/Firmware/${model}07A0.UPG"
done
run vprinter make-firmware --model LW --version LW07A0 --size 16384 --damaged \
  "$folder/Firmware/DAMAGED_LW07A0.UPG"

run pattern nozzle-check --model LW -o "$folder/Prnfile/NozzleCheck_LW.PRN"
# The files the service operations send: the nozzle check of "Nozzle check" (its file variant)
# and the mechanical adjustment page that the IMS check prints, for the CE39 mechanism (LN).
run pattern nozzle-check --model LN -o "$folder/Prnfile/NOZ_Check_Dossa.prn"
run pattern mechanical-sheet --model LN -o "$folder/Prnfile/IMS_MechaAdjust_CE39_OQC_NC_RevA.prn"

# Four bars, black, magenta, cyan and yellow, each 2 inches wide and half an inch high.
job() { "$cli" --program-folder "$folder" encode "$@" | tr -d '\n'; }
{
  job ResetPrinter
  job EnterGraphicsMode
  job SetUnit 1 1 1 2880
  job SetResolutionInfo 360 360
  job SetPaperSize 11520 8640
  for colour in 0 1 2 4; do
    job SetAbsHoriPos 1440
    job SetRasterData "$colour" 2 90 180
    bar=$(job bits 11111111 90)
    for _ in $(seq 180); do printf '%s' "$bar"; done
    job SetRelVertPos4Byte 1800
  done
  job EndPage
} | perl -0777 -ne 's/\s+//g; print pack("H*", $_)' >"$folder/Prnfile/ColourBars.PRN"
