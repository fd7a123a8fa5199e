#!/usr/bin/env bash
# Runs every fuzz target for SECONDS seconds each (default 60), with clang and libFuzzer, each on a
# working corpus in build/fuzz/work/<target> that starts from its seeds (fuzz/corpus/<target> and
# the shipped files it reads). A finding stops that target and leaves crash-*, leak-* or timeout-*
# in build/fuzz/findings/<target>: fix it, and put the input into fuzz/corpus/<target>, where the
# normal build replays it as a test. Not part of CI.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
scripts/install-deps.sh
dpkg-query -W -f='${Status}' clang 2>/dev/null | grep -q "install ok installed" || {
  [[ $(id -u) -eq 0 ]] && apt-get install -y -qq --no-install-recommends clang || sudo apt-get install -y -qq --no-install-recommends clang
}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz
failed=()
for seeds in build/fuzz/fuzz/*.seeds; do
  target=$(basename "$seeds" .seeds)
  work=build/fuzz/work/$target findings=build/fuzz/findings/$target
  mkdir -p "$work" "$findings"
  while read -r seed; do
    [[ -z "$seed" ]] && continue
    if [[ -d "$seed" ]]; then cp -r "$seed"/. "$work"/; else cp "$seed" "$work"/; fi
  done < "$seeds"
  echo "== $target: $seconds s"
  if ! "build/fuzz/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$findings/" -print_final_stats=1 "$work" 2>"build/fuzz/$target.log"; then
    failed+=("$target")
    tail -30 "build/fuzz/$target.log"
  fi
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build/fuzz/$target.log" || true
done
if [[ ${#failed[@]} -gt 0 ]]; then
  echo "findings in: ${failed[*]} (see build/fuzz/findings)"
  exit 1
fi
echo "no findings"
