#!/bin/bash
# Times one press of the real syscode.exe under Wine: from the click on the
# get-code button to the separator line in LogD.txt, with the time at which
# each log line appeared. Measures the first press of the program and, in
# the same window, a second one.
#
# Usage: tests/e2e/press_time.sh [--wbemdisp DLL] [--fresh] [--trace CHANNELS] [syscode.exe]
#   --wbemdisp DLL   the completed WMI scripting layer (default: Wine's own)
#   --fresh          make the prefix anew first, as scripts/wine-prefix.sh
#                    makes a build tree's prefix, and time its first press
#   --without-rpcss  with Wine's rpcss.exe disabled (rpcss.exe=d), to show
#                    what a session whose RPC service does not start costs
#   --trace CHANNELS WINEDEBUG for the program (e.g. +timestamp,+ole,+rpc);
#                    the trace goes to <work>/trace.txt
# The prefix is <build tree>/press-time/wineprefix[-wbemdisp].
# Needs wine, Xvfb, xdotool.
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
wbemdisp=""
fresh=no
trace=-all
without_rpcss=no
while [ $# -gt 0 ]; do
  case $1 in
    --wbemdisp) wbemdisp=$2; shift 2 ;;
    --fresh) fresh=yes; shift ;;
    --trace) trace=$2; shift 2 ;;
    --without-rpcss) without_rpcss=yes; shift ;;
    *) break ;;
  esac
done
exe=${1:-$root/build/mingw/bin/syscode.exe}
bin=$(cd "$(dirname "$exe")" && pwd)
exe=$bin/$(basename "$exe")
work=$(dirname "$bin")/press-time
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEPREFIX=$work/wineprefix
if [ -n "$wbemdisp" ]; then
  export SYSCODE_WBEMDISP=$wbemdisp
  export WINEPREFIX=$work/wineprefix-wbemdisp
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wbemdisp=n,b"
fi
[ "$without_rpcss" = yes ] && WINEDLLOVERRIDES="$WINEDLLOVERRIDES;rpcss.exe=d"
caption='خصوصیات سخت افزاری سیستم'
separator='--------------------------------------------------'

xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.2f", b - a }'; }

for display in $(seq 161 230); do
  [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

mkdir -p "$work"
if [ "$fresh" = yes ]; then
  wineserver -k 2>/dev/null
  rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
  t=$(now)
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX" || exit 1
  echo "prefix made in $(since "$t") s"
else
  "$root/scripts/wine-prefix.sh" "$WINEPREFIX" || exit 1
fi
wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Tahoma /d 'DejaVu Sans' /f >/dev/null 2>&1
# The press starts a Wine session of its own, as the end-to-end runs do.
wineserver -k 2>/dev/null
timeout 30 wineserver -w 2>/dev/null

run=$work/run
rm -rf "$run"
mkdir -p "$run"
t=$(now)
(cd "$run" && WINEDEBUG=$trace wine "$exe" >/dev/null 2>"$work/trace.txt"; echo "exit $?" >>"$work/trace.txt") &
for _ in $(seq 600); do
  main=$(xdotool search --name "^$caption\$" 2>/dev/null | tail -1)
  [ -n "$main" ] && break
  sleep 0.1
done
[ -n "$main" ] || { echo "no window"; exit 1; }
echo "window shown after $(since "$t") s"
sleep 1

press() {  # press N: clicks, prints when each new log line appeared
  local n=$1 seen t lines
  seen=$(grep -c '' "$run/LogD.txt" 2>/dev/null || echo 0)
  t=$(now)
  xdotool mousemove --window "$main" 385 182 click 1
  for _ in $(seq 6000); do
    lines=$(grep -c '' "$run/LogD.txt" 2>/dev/null || echo 0)
    while [ "$lines" -gt "$seen" ]; do
      seen=$((seen + 1))
      echo "  $(since "$t") s: $(sed -n "${seen}p" "$run/LogD.txt" | tr -d '\r')"
    done
    if [ "$(grep -c -- "^$separator" "$run/LogD.txt" 2>/dev/null)" -ge "$n" ]; then
      local elapsed
      elapsed=$(since "$t")
      while [ "$(grep -c '' "$run/LogD.txt")" -gt "$seen" ]; do
        seen=$((seen + 1))
        echo "  by $elapsed s: $(sed -n "${seen}p" "$run/LogD.txt" | tr -d '\r')"
      done
      echo "press $n: $elapsed s"
      return
    fi
    sleep 0.02
  done
  echo "press $n: no separator after $(since "$t") s"
}
press 1
press 2
xdotool mousemove --window "$main" 44 182 click 1
wait
