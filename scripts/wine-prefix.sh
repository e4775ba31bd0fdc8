#!/bin/sh
# Runs a Windows program under Wine in a prefix of its own, so tests never
# depend on a prefix left on the machine. The prefix is made on first use
# (wineboot -i); a lock keeps parallel test jobs from making it twice.
#
# Debian's wineserver wrapper starts the server with no persistence (-p0): it
# exits the moment its last program ends, and a program started in that
# instant can connect to a server on its way out and die before main() with
# "wine client error". Test jobs start and end programs all the time, so
# before each program a server that stays 30 seconds after its last client is
# started (a no-op when one already runs); every test then talks to one live
# server. When this script starts the server it also boots the session
# (services, plug and play, the desktop process) itself, with no output
# attached: those processes live as long as the server, and had a test's
# program started them they would hold the test's output pipes open, and
# keep the test running, until the server ends.
#
# Usage: scripts/wine-prefix.sh PREFIX [PROGRAM [ARGS...]]
#   Without PROGRAM only makes sure the prefix exists.
# Environment:
#   SYSCODE_WBEMDISP=DLL  the prefix's WMI scripting layer is DLL (the
#       completed wbemdisp.dll of tests/windows/wine-wbemdisp), the native
#       override for wbemdisp (copied into system32\wbem, wbemdisp=n,b);
#       use a prefix of its own for it. Unset: Wine's own builtin layer.
#   SYSCODE_WINEDEBUG=CHANNELS  WINEDEBUG for the program (default -all).
# The exit code is the program's.
set -eu

if [ $# -lt 1 ]; then
  echo "usage: $0 PREFIX [PROGRAM [ARGS...]]" >&2
  exit 2
fi
prefix=$1
shift

WINEPREFIX=$prefix
WINEDEBUG=${SYSCODE_WINEDEBUG:--all}
# No Mono or Gecko installer prompts: nothing here needs .NET or a browser.
WINEDLLOVERRIDES="mscoree,mshtml="
wbemdisp=${SYSCODE_WBEMDISP:-}
if [ -n "$wbemdisp" ]; then
  if [ ! -f "$wbemdisp" ]; then
    echo "$0: no wbemdisp.dll at $wbemdisp (tests/windows/wine-wbemdisp/build.sh makes it)" >&2
    exit 1
  fi
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wbemdisp=n,b"
fi
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

# The completed layer: our DLL in place of the builtin's copy that wineboot
# put into the prefix (the class registration already points there).
if [ -n "$wbemdisp" ]; then
  installed="$prefix/drive_c/windows/system32/wbem/wbemdisp.dll"
  if ! cmp -s "$wbemdisp" "$installed"; then
    (
      flock 9
      cmp -s "$wbemdisp" "$installed" || { cp "$wbemdisp" "$installed.tmp" && mv "$installed.tmp" "$installed"; }
    ) 9>"$prefix.lock"
  fi
fi

if [ $# -eq 0 ]; then
  exit 0
fi
# wineserver exits with 2 when a server runs already. The lock makes
# parallel jobs wait until the session is up.
(
  flock 9
  if wineserver -p30 </dev/null >/dev/null 2>&1 9>&-; then
    wine wineboot </dev/null >/dev/null 2>&1 9>&- || true
  fi
) 9>"$prefix.lock"
exec wine "$@"
