#!/usr/bin/env bash
# End to end: the real `syscode` window on a virtual X server (Xvfb), driven
# with xdotool. Checks the window's caption, size and place, the get-code
# button (LogD.txt and the code, compared with syscode-cli when it is built),
# the save dialog, the working-directory move, the error message box and the
# exit button. Screenshots go to the artefacts folder.
#
#   tests/e2e/qt_e2e.sh [BUILD_DIR]        (default: build/default)
#
# Environment: SYSCODE_CLI (default BUILD_DIR/bin/syscode-cli),
# SYSCODE_E2E_ARTIFACTS (default build/e2e-artifacts).
# Exit status: 0 when every check passed, 1 when one failed, 2 when a tool
# the test needs is missing.
set -u

ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "${1:-$ROOT/build/default}" && pwd)
APP=$BUILD/bin/syscode
CLI=${SYSCODE_CLI:-$BUILD/bin/syscode-cli}
ARTIFACTS=${SYSCODE_E2E_ARTIFACTS:-$ROOT/build/e2e-artifacts}

CAPTION='خصوصیات سخت افزاری سیستم'
DIALOG_TITLE='Save System Hardware Properties'
SCREEN_W=1280
SCREEN_H=800
WIN_W=494
WIN_H=206
SEPARATOR=$(printf -- '-%.0s' $(seq 50))

for tool in Xvfb xdotool xwininfo xprop import; do
  if ! command -v "$tool" >/dev/null; then
    echo "qt_e2e: $tool is missing (packages: xvfb xdotool x11-utils imagemagick)" >&2
    exit 2
  fi
done
if [[ ! -x $APP ]]; then
  echo "qt_e2e: $APP is not built" >&2
  exit 2
fi

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS: $*"; }
fail() { failed=$((failed + 1)); echo "FAIL: $*"; }
# check DESCRIPTION COMMAND...: passes when the command succeeds.
check() {
  local what=$1
  shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

WORK=$(mktemp -d)
mkdir -p "$ARTIFACTS"
XVFB_PID=
APP_PIDS=()
cleanup() {
  local pid
  for pid in "${APP_PIDS[@]}"; do kill "$pid" 2>/dev/null; done
  [[ -n $XVFB_PID ]] && kill "$XVFB_PID" 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# A display of our own: Xvfb picks a free number and writes it to fd 3.
Xvfb -displayfd 3 -screen 0 ${SCREEN_W}x${SCREEN_H}x24 -nolisten tcp 3>"$WORK/display" 2>"$WORK/xvfb.log" &
XVFB_PID=$!
for _ in $(seq 50); do [[ -s $WORK/display ]] && break; sleep 0.1; done
if [[ ! -s $WORK/display ]]; then
  echo "qt_e2e: Xvfb did not start:" >&2
  cat "$WORK/xvfb.log" >&2
  exit 2
fi
DISPLAY=:$(head -n1 "$WORK/display")
export DISPLAY
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -p "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# wait_for SECONDS COMMAND...: retries the command until it succeeds.
wait_for() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    ((SECONDS >= deadline)) && return 1
    sleep 0.2
  done
}

# The visible window whose name is exactly $1 (printed), if any.
find_window() {
  local id
  for id in $(xdotool search --onlyvisible --name "$1" 2>/dev/null); do
    if [[ $(xdotool getwindowname "$id") == "$1" ]]; then
      echo "$id"
      return 0
    fi
  done
  return 1
}
window_gone() { ! find_window "$1" >/dev/null; }
window_shown() { find_window "$1" >/dev/null; }

# Starts syscode in folder $1; sets APP_PID and WID.
start_app() {
  (cd "$1" && exec "$APP") >"$WORK/app.log" 2>&1 &
  APP_PID=$!
  APP_PIDS+=("$APP_PID")
  WID=
  wait_for 20 find_window "$CAPTION" >/dev/null && WID=$(find_window "$CAPTION")
  [[ -n $WID ]]
}

# Clicks at a point of the window's client area.
click_at() {
  xdotool mousemove --window "$WID" "$1" "$2" click 1
}
# The buttons' centres (client coordinates of the window's layout).
click_get_code() { click_at $((285 + 201 / 2)) $((169 + 27 / 2)); }
click_save() { click_at $((87 + 73 / 2)) $((169 + 27 / 2)); }
click_exit() { click_at $((8 + 73 / 2)) $((169 + 27 / 2)); }

# True when file $1 ends with a separator line (a press is complete).
press_complete() { [[ -f $1 ]] && tail -n1 "$1" | tr -d '\r' | grep -qx -- "$SEPARATOR"; }

# A code: low mask digit, "00", 21 letters and digits, high mask digit; or
# the two mask digits around "00".
well_formed_code() { [[ $1 =~ ^[0-9A-F]00[A-Z0-9]{21}[0-9A-F]$ || $1 =~ ^[0-9A-F]00[0-9A-F]$ ]]; }

# Waits for process $1 to end; prints its exit code.
exit_code_of() {
  local pid=$1
  for _ in $(seq 50); do
    if ! kill -0 "$pid" 2>/dev/null; then
      wait "$pid"
      echo $?
      return 0
    fi
    sleep 0.2
  done
  echo "still running"
}

screenshot() {
  import -window "$1" "$ARTIFACTS/$2" 2>/dev/null && echo "screenshot: $ARTIFACTS/$2"
}

# Types a full path into the save dialog's file name field and confirms.
answer_save_dialog() {
  local dialog=$1 path=$2
  xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key --clearmodifiers ctrl+a BackSpace
  xdotool type --delay 5 -- "$path"
  xdotool key Return
}

# --- The window ---------------------------------------------------------------
RUN1=$WORK/run1
mkdir -p "$RUN1"
if ! start_app "$RUN1"; then
  fail "the window appears with the caption $CAPTION"
  cat "$WORK/app.log"
  echo "$passed passed, $failed failed"
  exit 1
fi
pass "the window appears with the caption $CAPTION"

geometry=$(xwininfo -id "$WID")
width=$(awk '/Width:/ {print $2}' <<<"$geometry")
height=$(awk '/Height:/ {print $2}' <<<"$geometry")
left=$(awk '/Absolute upper-left X:/ {print $4}' <<<"$geometry")
top=$(awk '/Absolute upper-left Y:/ {print $4}' <<<"$geometry")
check "client area ${WIN_W}x${WIN_H} (is ${width}x${height})" test "$width" = $WIN_W -a "$height" = $WIN_H
expected_left=$((SCREEN_W / 2 - WIN_W / 2))
expected_top=$((SCREEN_H / 2 - WIN_H / 2))
check "centred on the desktop at $expected_left,$expected_top (is $left,$top)" \
  test "$left" = $expected_left -a "$top" = $expected_top
hints=$(xprop -id "$WID" WM_NORMAL_HINTS)
check "fixed size: minimum ${WIN_W}x${WIN_H}" \
  grep -q "minimum size: $WIN_W by $WIN_H" <<<"$hints"
check "fixed size: maximum ${WIN_W}x${WIN_H}" grep -q "maximum size: $WIN_W by $WIN_H" <<<"$hints"
check "the window carries an icon" grep -q 'CARDINAL' <(xprop -id "$WID" _NET_WM_ICON 2>/dev/null | head -c 200)
check "nothing is written before the first click" test ! -e "$RUN1/LogD.txt"
screenshot "$WID" qt-fresh.png

# --- Get code ------------------------------------------------------------------
click_get_code
if wait_for 60 press_complete "$RUN1/LogD.txt"; then
  pass "a click on BitBtn1 writes a complete press to LogD.txt"
else
  fail "a click on BitBtn1 writes a complete press to LogD.txt"
fi
sleep 0.5
screenshot "$WID" qt-code.png
echo "LogD.txt:"
sed 's/^/  | /' "$RUN1/LogD.txt" 2>/dev/null | tr -d '\r'
check "LogD.txt lines end in CR LF" test "$(grep -c $'\r$' "$RUN1/LogD.txt")" = "$(wc -l <"$RUN1/LogD.txt")"

# Save the code through the dialog; it also shows the code the window holds.
SAVED=$WORK/saved
mkdir -p "$SAVED"
click_save
DIALOG=
wait_for 20 find_window "$DIALOG_TITLE" >/dev/null && DIALOG=$(find_window "$DIALOG_TITLE")
if [[ -n $DIALOG ]]; then
  pass "BitBtn2 opens the dialog \"$DIALOG_TITLE\""
  screenshot "$DIALOG" qt-save-dialog.png
  answer_save_dialog "$DIALOG" "$SAVED/code"
  wait_for 10 test -s "$SAVED/code.txt"
  check "the dialog closes after the choice" wait_for 10 window_gone "$DIALOG_TITLE"
else
  fail "BitBtn2 opens the dialog \"$DIALOG_TITLE\""
fi
if [[ -f $SAVED/code.txt ]]; then
  code=$(tr -d '\r\n' <"$SAVED/code.txt")
  size=$(stat -c %s "$SAVED/code.txt")
  pass "the code is saved to code.txt (the default suffix added): $code"
  check "the saved file is the code and CR LF ($size bytes)" \
    test "$(od -An -c "$SAVED/code.txt" | tr -d ' \n' | tail -c 4)" = '\r\n' -a $((${#code} + 2)) = "$size"
  check "the code is 25 capital letters and digits, or 4" well_formed_code "$code"
else
  fail "the code is saved to $SAVED/code.txt"
  code=
fi

# The same code and the same log lines as syscode-cli on this machine.
if [[ -x $CLI ]]; then
  CLI_DIR=$WORK/cli
  mkdir -p "$CLI_DIR"
  cli_code=$(cd "$CLI_DIR" && "$CLI" --log="$CLI_DIR/LogD.txt" | tr -d '\r')
  check "the window's code equals syscode-cli's ($cli_code)" test -n "$code" -a "$code" = "$cli_code"
  # The window's first press (up to its separator) against the cli's press.
  first_press=$(awk -v sep="$SEPARATOR" '{print} $0 == sep"\r" {exit}' "$RUN1/LogD.txt")
  check "LogD.txt of the window equals the lines syscode-cli --log writes" \
    test "$first_press" = "$(cat "$CLI_DIR/LogD.txt")"
  # --sources shows "Label = raw" for every source read.
  cli_sources=$(cd "$CLI_DIR" && "$CLI" --sources | tr -d '\r' | grep -E '^[A-Za-z]+ = ' | grep -v '= (not read')
  check "LogD.txt lines match syscode-cli --sources" \
    test "$(tr -d '\r' <<<"$first_press" | grep -vx -- "$SEPARATOR")" = "$cli_sources"
else
  echo "SKIP: $CLI is not built; the code and log lines are not compared with syscode-cli"
fi

# The confirmed save moved the working directory: the next press logs there.
click_get_code
check "after saving, the next click logs to LogD.txt in the saved file's folder" \
  wait_for 60 press_complete "$SAVED/LogD.txt"
check "the first folder's log is left with one press" \
  test "$(grep -c -- "^$SEPARATOR" "$RUN1/LogD.txt")" = 1

# Exit.
click_exit
status=$(exit_code_of "$APP_PID")
check "BitBtn3 ends the program with exit code 0 (is $status)" test "$status" = 0
check "the window is gone" window_gone "$CAPTION"

# --- The general error handler ----------------------------------------------------
# A folder named LogD.txt makes the first log line fail.
RUN2=$WORK/run2
mkdir -p "$RUN2/LogD.txt"
if start_app "$RUN2"; then
  click_get_code
  BOX=
  wait_for 20 find_window syscode >/dev/null && BOX=$(find_window syscode)
  if [[ -n $BOX ]]; then
    pass "a log that cannot be written shows a message box captioned with the program's name"
    screenshot "$BOX" qt-error.png
    xdotool windowfocus --sync "$BOX" 2>/dev/null
    xdotool key Return
    check "OK closes the message box" wait_for 10 window_gone syscode
    check "the window carries on" window_shown "$CAPTION"
    sleep 0.3
    screenshot "$WID" qt-after-error.png
  else
    fail "a log that cannot be written shows a message box captioned with the program's name"
  fi
  click_exit
  status=$(exit_code_of "$APP_PID")
  check "BitBtn3 after an error ends the program with exit code 0 (is $status)" test "$status" = 0
else
  fail "the window appears a second time"
fi

echo "$passed passed, $failed failed"
((failed == 0))
