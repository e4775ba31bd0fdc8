#!/bin/sh
# Runs a Windows program under Wine in a prefix of its own, so tests never
# depend on a prefix left on the machine. The prefix is made on first use
# (wineboot -i); a lock keeps parallel test jobs from making it twice.
#
# Usage: scripts/wine-prefix.sh PREFIX [PROGRAM [ARGS...]]
#   Without PROGRAM only makes sure the prefix exists.
# The exit code is the program's.
set -eu

if [ $# -lt 1 ]; then
  echo "usage: $0 PREFIX [PROGRAM [ARGS...]]" >&2
  exit 2
fi
prefix=$1
shift

WINEPREFIX=$prefix
WINEDEBUG=-all
# No Mono or Gecko installer prompts: nothing here needs .NET or a browser.
WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

ready="$prefix/.syscode-prefix-ready"
if [ ! -e "$ready" ]; then
  mkdir -p "$(dirname "$prefix")"
  (
    flock 9
    if [ ! -e "$ready" ]; then
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w
      if [ ! -e "$prefix/system.reg" ]; then
        echo "$0: could not make the Wine prefix $prefix" >&2
        exit 1
      fi
      touch "$ready"
    fi
  ) 9>"$prefix.lock"
fi

if [ $# -eq 0 ]; then
  exit 0
fi
exec wine "$@"
