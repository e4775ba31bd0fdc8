#!/usr/bin/env bash
# Runs syscode-cli's main paths under valgrind: any memory error or definite
# leak fails the run.
# Usage: tests/e2e/valgrind_cli.sh [build/default/bin/syscode-cli]
set -u
repo=$(cd "$(dirname "$0")/../.." && pwd)
cli=$(realpath "${1:-$repo/build/default/bin/syscode-cli}")
command -v valgrind >/dev/null || { echo "valgrind_cli: valgrind is missing" >&2; exit 1; }
[[ -x $cli ]] || { echo "valgrind_cli: $cli is not built" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
passed=0; failed=0
run() {
  if valgrind -q --error-exitcode=99 --leak-check=full --errors-for-leak-kinds=definite \
       "$cli" "$@" >/dev/null 2>"$work/valgrind.txt"; then
    passed=$((passed + 1))
  else
    rc=$?
    # 1 and 2 are the tool's own answers (a failed run, a wrong command
    # line); 99 is valgrind's, anything else a crash or a missing program.
    if [[ $rc == 1 || $rc == 2 ]]; then
      passed=$((passed + 1))
    else
      echo "FAIL (exit $rc): syscode-cli $*"; cat "$work/valgrind.txt"; failed=$((failed + 1))
    fi
  fi
}
run
run --sources
run --json
run --log
run --from-log "$repo/examples/LogD.txt"
run --from-log "$repo/examples/LogD.txt" --json
run --from-log /nonexistent
run --query Win32_Processor
run --query "SELECT Name FROM Win32_DiskDrive" --json
run --query Win32_NoSuchClass
run --help
echo "$passed passed, $failed failed"
(( failed == 0 ))
