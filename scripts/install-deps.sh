#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing. Runs as root, or
# through sudo when it is there.
set -euo pipefail

packages=(
  cmake ninja-build g++ pkgconf
  libgtest-dev libgmock-dev libbenchmark-dev
  libcli11-dev nlohmann-json3-dev
  qt6-base-dev qt6-svg-dev fonts-dejavu-core libfreetype-dev libpng-dev zlib1g-dev libpq-dev
  python3
  help2man desktop-file-utils dpkg-dev lintian
)
# Real peers the tests talk to where they can be had: LPRng's line printer daemon, the PostgreSQL
# server of the line database, and Chromium for the history report. Their tests say so and skip
# when one is missing. Installed only where that removes nothing (a machine printing through CUPS
# keeps its lpr).
optional=(lprng postgresql chromium)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
missingOptional=()
for package in "${optional[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missingOptional+=("$package")
done
[[ ${#missing[@]} -eq 0 && ${#missingOptional[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]} ${missingOptional[*]}"
sudo=()
[[ $(id -u) -eq 0 ]] || sudo=(sudo)
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
[[ ${#missing[@]} -eq 0 ]] ||
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
for package in "${missingOptional[@]}"; do
  "${sudo[@]}" apt-get install -y -qq --no-install-recommends --no-remove "$package" ||
    echo "install-deps: $package cannot be had; the tests that need it are skipped" >&2
done
