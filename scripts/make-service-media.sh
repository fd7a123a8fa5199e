#!/usr/bin/env bash
# Redraws the program icon (data/grelt02.png, from tools/make-service-media/grelt02-icon.svg),
# the item pictures (data/Service/images/*.jpg) and the two manuals
# (data/Service/Panel_Menu_Maps.pdf, Wiring_Diagrams.pdf). Run it after changing
# tools/make-service-media and commit the files it writes.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset default >/dev/null
cmake --build build/default --target make-service-media -j2
build/default/developer-tools/make-service-media data/Service
ls data/grelt02.png data/Service/images data/Service/*.pdf
