#!/bin/sh
# syscode.dll on a machine whose WMI cannot be reached: Wine with its
# scripting locator (wbemdisp) disabled. The first run, through the usual
# wrapper, makes the prefix and leaves a lingering Wine server, so that the
# second, which needs its own DLL overrides, finds one alive.
# Usage: dll_no_wmi.sh WINE_PREFIX_SCRIPT PREFIX WINE CLIENT
set -eu
"$1" "$2" "$4" >/dev/null
WINEPREFIX=$2 WINEDEBUG=-all WINEDLLOVERRIDES="wbemdisp=d;mscoree,mshtml=" "$3" "$4" --no-wmi
