#!/usr/bin/env bash
# Every shell script of the tree is clean under shellcheck (all severities).
# Skips (exit 77) where shellcheck is not installed (scripts/setup --all
# installs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v shellcheck >/dev/null || { echo "shellcheck is not installed: skipped"; exit 77; }
cd "$root"
scripts=()
while IFS= read -r -d '' file; do
  if head -n1 "$file" | grep -qE '^#!.*\b(ba)?sh\b'; then scripts+=("$file"); fi
done < <(find . \( -path ./build -o -path ./.git -o -path ./tests/data \) -prune -o -type f -print0)
echo "shellcheck: ${#scripts[@]} scripts"
shellcheck "${scripts[@]}"
echo "shellcheck: clean"
