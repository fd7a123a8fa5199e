#!/usr/bin/env bash
# The Debian package: built by CPack from the build folder, its library dependencies computed
# (Qt 6, FreeType, libpng among them), its layout as installed, and no lintian error.
set -euo pipefail
build=$1
cd "$build"
rm -f grelt02_*.deb
cpack -G DEB >/dev/null
deb=$(ls grelt02_*_*.deb)
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libfreetype6 libpng16-16 qt6-qpa-plugins; do
  grep -q "$package" <<<"$depends" || { echo "no $package in: $depends" >&2; exit 1; }
done
contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
for path in ./usr/bin/grelt02 ./usr/bin/grelt02-cli ./usr/lib/grelt02/grelt02.installed \
  ./usr/share/applications/grelt02.desktop ./usr/share/man/man1/grelt02.1.gz \
  ./usr/share/doc/grelt02/copyright; do
  grep -qx "$path" <<<"$contents" || { echo "not in the package: $path" >&2; exit 1; }
done
lintian --tag-display-limit 0 "$deb" 2>/dev/null >lintian.txt || true
if grep -q '^E:' lintian.txt; then cat lintian.txt >&2; exit 1; fi
echo "package: $deb, lintian: $(grep -c '^[WE]:' lintian.txt || true) warnings"
