#!/usr/bin/env bash
# Builds the Debian package of the program: build/default/grelt02_<version>_<arch>.deb, with its
# library dependencies computed from the executables, then lists what lintian says of it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset default >/dev/null
cmake --build --preset default
cd build/default
rm -f grelt02_*.deb
cpack -G DEB >/dev/null
deb=$(ls grelt02_*_*.deb)
echo "built build/default/$deb"
lintian --tag-display-limit 0 "$deb" 2>/dev/null || true
