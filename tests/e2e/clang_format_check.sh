#!/usr/bin/env bash
# Every C and C++ file of the tree is as clang-format leaves it (.clang-format
# at the top; the completed wbemdisp keeps Wine's style and is not ours to
# format). Skips (exit 77) where clang-format is not installed
# (scripts/setup --all installs it).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
command -v clang-format >/dev/null || { echo "clang-format is not installed: skipped"; exit 77; }
cd "$root"
files=()
while IFS= read -r -d '' file; do files+=("$file"); done < <(
  find . \( -path ./build -o -path ./.git -o -path ./tests/windows/wine-wbemdisp \) -prune -o \
    -type f \( -name '*.cc' -o -name '*.h' -o -name '*.c' \) -print0)
echo "clang-format: ${#files[@]} files"
clang-format --dry-run --Werror "${files[@]}"
echo "clang-format: clean"
