#!/usr/bin/env bash
# Builds everything and runs every test: first the release build, then the build with address
# and undefined-behaviour sanitizers. `./test.sh default` or `./test.sh asan` runs one of them.
set -euo pipefail
cd "$(dirname "$0")"
scripts/install-deps.sh
scripts/check-architecture.sh

presets=("$@")
[[ ${#presets[@]} -gt 0 ]] || presets=(default asan)
for preset in "${presets[@]}"; do
  echo "== ${preset}: configure, build, test"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --output-on-failure --parallel 2
done
