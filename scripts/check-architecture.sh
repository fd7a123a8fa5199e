#!/usr/bin/env bash
# Keeps the layers honest. Fails when a file under src/ includes a header of a folder that its own
# folder may not use (the dependency table in docs/architecture.md, read with what each listed
# folder may use in turn), or when an operation, a pattern or a dialog reaches for a process
# global (the program folder, the system clock, a real sleep) instead of its run environment.
set -euo pipefail
cd "$(dirname "$0")/.."

table=docs/architecture.md
declare -A uses
while IFS='|' read -r _ folder allowed _; do
  folder=$(tr -d '` ' <<<"$folder")
  allowed=$(tr -d '`' <<<"$allowed" | tr ',' ' ')
  [[ "$allowed" == *"nothing"* ]] && allowed=""
  uses[$folder]="$allowed"
done < <(sed -n '/<!-- layers:begin -->/,/<!-- layers:end -->/p' "$table" | grep '^| `')
[[ ${#uses[@]} -gt 0 ]] || { echo "check-architecture: no dependency table in $table" >&2; exit 1; }

# What a folder may include: itself, what it lists, and what those may include.
allowed_closure() {
  local -A seen=([$1]=1)
  local queue=("$1") next
  while [[ ${#queue[@]} -gt 0 ]]; do
    next=${queue[0]}; queue=("${queue[@]:1}")
    for dep in ${uses[$next]:-}; do
      [[ -n "${seen[$dep]:-}" ]] || { seen[$dep]=1; queue+=("$dep"); }
    done
  done
  echo "${!seen[@]}"
}

failures=0
for dir in src/*/; do
  folder=$(basename "$dir")
  if [[ -z "${uses[$folder]+set}" ]]; then
    echo "check-architecture: src/$folder is not in the dependency table of $table" >&2
    failures=$((failures + 1)); continue
  fi
  allowed=" $(allowed_closure "$folder") "
  while IFS=: read -r file line include; do
    target=${include%%/*}
    [[ -d "src/$target" ]] || continue  # a system or third-party header
    if [[ "$allowed" != *" $target "* ]]; then
      echo "$file:$line: $folder may not include \"$include\"" >&2
      failures=$((failures + 1))
    fi
  done < <(grep -rnoE '^#include "[a-z_]+/[^"]+"' "$dir" | sed -E 's/#include "([^"]+)"/\1/')
done

# Operations, patterns and dialogs get the program folder, the clock and every wait from their
# run environment, so that tests can put them anywhere and run them on a fake clock.
globals='GetProgramFolder|DefaultClock|SystemClock|system_clock|steady_clock|high_resolution_clock|sleep_for|sleep_until|usleep|nanosleep|std::time\(|[^a-zA-Z_:.]time\(nullptr\)'
while IFS= read -r hit; do
  echo "$hit: a process global; take it from the run environment" >&2
  failures=$((failures + 1))
done < <(grep -rnE "$globals" src/operations src/patterns src/ui || true)

if [[ $failures -gt 0 ]]; then
  echo "check-architecture: $failures problem(s)" >&2
  exit 1
fi
echo "check-architecture: layers and run environment clean"
