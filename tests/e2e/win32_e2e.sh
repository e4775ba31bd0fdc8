#!/bin/bash
# End-to-end test of the Windows program: runs the real syscode.exe under
# Wine on a virtual X display (Xvfb), drives it with xdotool and checks the
# window, LogD.txt, the saved file, the error box, the exit code and the
# scaling at 120 dpi. Screenshots go to build/e2e-artifacts/.
#
# Usage: tests/e2e/win32_e2e.sh [path/to/syscode.exe]
#   default: build/mingw/bin/syscode.exe of this source tree.
# Needs wine, Xvfb, xdotool, xwininfo, ImageMagick (import, compare) and the
# DejaVu and Liberation fonts. Exits non-zero when a check fails; the last
# line reads "N passed, M failed".
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$root/build/mingw/bin/syscode.exe}
artifacts=$root/build/e2e-artifacts
work=$root/build/e2e-work
export WINEPREFIX=$root/build/e2e/wineprefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

caption='خصوصیات سخت افزاری سیستم'
dialog_title='Save System Hardware Properties'
separator='--------------------------------------------------'
labels=("CpuId = " "BiosVersion = " "BaseBordSerialNumber = " "HardDiskSerialNumber = " "BiosName = "
        "BaseBordManufacturer = " "DiskDriveSignature = ")
# Client-area positions (at 96 dpi) of the points the test clicks.
bitbtn1=(385 182)
bitbtn2=(123 182)
bitbtn3=(44 182)
edit1_box=455x30+19+117   # Edit1 inside GroupBox1, in client coordinates
save_box=73x27+87+169     # BitBtn2

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1${2:+ ($2)}"; }
check() {  # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}

xvfb_pid=""
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  wineserver -k 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
}
trap cleanup EXIT

finish() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
  exit $?
}

if [ ! -f "$exe" ]; then
  fail "program exists" "$exe"
  finish
fi

# A display of our own.
for display in $(seq 90 160); do
  [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

# The Wine prefix, in the build tree; fonts with Arabic script for "Tahoma"
# and a metric match for "Arial".
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" || { fail "wine prefix"; finish; }
reg() { wine reg add "$@" /f >/dev/null 2>&1; }
reg 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' /v Tahoma /d 'DejaVu Sans'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v Tahoma /d 'DejaVu Sans'
reg 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /d 'Liberation Sans'

# Waits for the Wine session to end (registry written, programs gone); a
# session still busy after 30 s is ended.
settle() { timeout 30 wineserver -w 2>/dev/null || wineserver -k 2>/dev/null; }
set_dpi() {
  reg 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1"
  reg 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels /t REG_DWORD /d "$1"
  settle
}

# Windows get an X window of their own (no virtual desktop) unless a run
# asks for Wine's virtual desktop.
virtual_desktop() {  # virtual_desktop on|off
  if [ "$1" = on ]; then
    reg 'HKCU\Software\Wine\Explorer' /v Desktop /d Default
    reg 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024
  else
    wine reg delete 'HKCU\Software\Wine\Explorer' /v Desktop /f >/dev/null 2>&1
  fi
  wineserver -k 2>/dev/null
  settle
}
virtual_desktop off

rm -rf "$work" "$artifacts"
mkdir -p "$work" "$artifacts"

# wait_for COMMAND...: retries for up to 30 s.
wait_for() {
  for _ in $(seq 150); do "$@" && return 0; sleep 0.2; done
  return 1
}
window_by_name() { xdotool search --name "^$1\$" 2>/dev/null | tail -1; }
has_window() { [ -n "$(window_by_name "$1")" ]; }
no_window() { [ -z "$(window_by_name "$1")" ]; }

# start DIR: runs the program with DIR as working directory; its exit code
# goes to DIR.exit.
start() {
  local dir=$1
  rm -f "$dir.exit"
  (cd "$dir" && wine "$exe" >/dev/null 2>"$dir.stderr"; echo $? >"$dir.exit") &
  program_pid=$!
  wait_for has_window "$caption"
}
ended() { [ -f "$1.exit" ]; }
exit_code() { cat "$1.exit" 2>/dev/null; }

client_geometry() {  # prints "X Y W H" of a window (the X window is the client area)
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
                           /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
click() {  # click WINDOW X Y (client coordinates)
  xdotool mousemove --window "$1" "$2" "$3" click 1
}
screenshot() {  # screenshot WINDOW FILE
  import -window "$1" "$artifacts/$2" 2>/dev/null
}
same_area() {  # same_area SHOT1 SHOT2 BOX: the two screenshots agree in BOX
  convert "$artifacts/$1" -crop "$3" +repage "$work/area1.png"
  convert "$artifacts/$2" -crop "$3" +repage "$work/area2.png"
  local diff
  diff=$(compare -metric AE "$work/area1.png" "$work/area2.png" null: 2>&1)
  [ "${diff%% *}" -eq 0 ]
}
not() { ! "$@"; }
log_ok() {  # log_ok FILE: the source lines in order, then the separator
  local file=$1
  [ -f "$file" ] || return 1
  local lines=()
  mapfile -t lines < <(tr -d '\r' <"$file")
  local n=${#lines[@]}
  [ "$n" -ge 4 ] && [ "$n" -le 8 ] || return 1
  [ "${lines[$((n - 1))]}" = "$separator" ] || return 1
  for i in $(seq 0 $((n - 2))); do
    case "${lines[$i]}" in "${labels[$i]}"*) ;; *) return 1 ;; esac
  done
  # Every line ends in CR LF.
  [ "$(grep -c $'\r$' "$file")" -eq "$n" ]
}
saved_ok() {  # saved_ok FILE PATTERN SIZE: one line, CR LF, nothing else
  [ "$(stat -c %s "$1" 2>/dev/null)" = "$3" ] || return 1
  [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = 0d0a ] || return 1
  head -c $(($3 - 2)) "$1" | grep -qE "$2"
}
source_lines() { tr -d '\r' <"$1" | grep -vc "^$separator\$"; }

# --- Run 1 at 96 dpi: the window, a code, saving, logging in the new folder,
# the exit button.
set_dpi 96
run1=$work/run1
other=$work/other-folder
mkdir -p "$run1" "$other"
if ! start "$run1"; then
  fail "window appears with its caption"
  finish
fi
pass "window appears with its caption"
main=$(window_by_name "$caption")
read -r wx wy ww wh < <(client_geometry "$main")
check "client area is 494 x 206 at 96 dpi" test "$ww" = 494 -a "$wh" = 206
# Centred on the 1280 x 1024 desktop: the outer window is, so the client
# area sits a few pixels right of the middle (the border) and lower (half
# the title bar).
check "window centred on the desktop" \
  awk -v x="$wx" -v y="$wy" -v w="$ww" -v h="$wh" \
    'BEGIN { cx = x + w / 2 - 640; cy = y + h / 2 - 512; exit !(cx >= 0 && cx <= 6 && cy >= 0 && cy <= 24) }'
sleep 1
screenshot "$main" fresh-window.png
check "no LogD.txt before the first click" [ ! -e "$run1/LogD.txt" ]

click "$main" "${bitbtn1[@]}"
wait_for [ -f "$run1/LogD.txt" ] && wait_for grep -q -- "^$separator" "$run1/LogD.txt"
check "first click writes LogD.txt in the working directory" log_ok "$run1/LogD.txt"
sleep 1
screenshot "$main" window-with-code.png
convert "$artifacts/fresh-window.png" -crop "$edit1_box" +repage "$work/edit-fresh.png"
convert "$artifacts/window-with-code.png" -crop "$edit1_box" +repage "$work/edit-code.png"
changed=$(compare -metric AE "$work/edit-fresh.png" "$work/edit-code.png" null: 2>&1)
check "the code field shows the code" [ "${changed%% *}" -gt 50 ]
lines=$(source_lines "$run1/LogD.txt")
echo "LogD.txt:"; sed 's/^/  /' "$run1/LogD.txt" | tr -d '\r'

click "$main" "${bitbtn2[@]}"
if wait_for has_window "$dialog_title"; then
  pass "the save button opens the dialog"
  dialog=$(window_by_name "$dialog_title")
  sleep 1
  screenshot "$dialog" save-dialog.png
  target="Z:$(echo "$other/code.txt" | tr / '\\')"
  timeout 10 xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key End shift+Home
  xdotool type --delay 20 "$target"
  xdotool key Return
  wait_for no_window "$dialog_title"
  wait_for [ -f "$other/code.txt" ]
  sleep 0.5
  # Seven source lines mean the collection ran out of sources: a 4-character
  # code (mask digit, "00", mask digit); otherwise 25 characters.
  if [ "$lines" -eq 7 ]; then expected='^[0-9A-F]00[0-9A-F]$'; size=6; else expected='^[0-9A-F]00[0-9A-Z]{21}[0-9A-F]$'; size=27; fi
  check "saved file holds the code and CR LF, $size bytes" saved_ok "$other/code.txt" "$expected" "$size"
else
  fail "the save button opens the dialog"
fi

click "$main" "${bitbtn1[@]}"
wait_for [ -f "$other/LogD.txt" ] && wait_for grep -q -- "^$separator" "$other/LogD.txt"
check "after saving, the next click logs to LogD.txt in that folder" log_ok "$other/LogD.txt"
check "the first folder's log got no second press" [ "$(grep -c -- "^$separator" "$run1/LogD.txt")" = 1 ]

click "$main" "${bitbtn3[@]}"
wait_for ended "$run1"
check "the exit button ends the program with exit code 0" [ "$(exit_code "$run1")" = 0 ]

# --- Run 2: a LogD.txt that cannot be written (a folder of that name).
run2=$work/run2
mkdir -p "$run2/LogD.txt"
WINEDEBUG=trace+msgbox start "$run2"
main=$(window_by_name "$caption")
click "$main" "${bitbtn1[@]}"
if wait_for has_window "syscode"; then
  pass "an unwritable log shows the message box with the application title"
  box=$(window_by_name "syscode")
  sleep 1
  screenshot "$box" error-box.png
  # The box's text, from Wine's trace of the message box.
  check "the box reads \"File access denied.\"" grep -q 'MSGBOX_OnInit L"File access denied."' "$run2.stderr"
  timeout 10 xdotool windowfocus --sync "$box" 2>/dev/null
  xdotool key Return
  wait_for no_window "syscode"
  check "the window goes on after the error" has_window "$caption"
  sleep 0.5
  screenshot "$main" window-after-error.png
  check "no code was stored: the save button stays disabled" \
    same_area fresh-window.png window-after-error.png "$save_box"
  check "the field shows the empty groups with dashes" \
    not same_area fresh-window.png window-after-error.png "$edit1_box"
else
  fail "an unwritable log shows the message box with the application title"
fi
timeout 10 xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key alt+F4
wait_for ended "$run2"
check "Alt+F4 ends the program with exit code 0" [ "$(exit_code "$run2")" = 0 ]

# --- Run 3 at 120 dpi: the client area grows with the window font.
set_dpi 120
run3=$work/run3
mkdir -p "$run3"
if start "$run3"; then
  main=$(window_by_name "$caption")
  read -r wx wy ww wh < <(client_geometry "$main")
  echo "client area at 120 dpi: $ww x $wh"
  # Width and height grow by one factor, the window font's new height of
  # "0" over 13 (between 15/13 and 19/13 for the fonts in use).
  check "client area scaled at 120 dpi" \
    awk -v w="$ww" -v h="$wh" 'BEGIN { r = w / 494; exit !(r >= 15/13 && r <= 19/13 && (h - 206 * r) ^ 2 <= 2.25) }'
  sleep 1
  screenshot "$main" window-120dpi.png
  # The keyboard, in tab order: Edit1 has the focus at start; Tab reaches
  # BitBtn1 (Space presses it), two more reach BitBtn2 and then BitBtn3.
  timeout 10 xdotool windowfocus --sync "$main" 2>/dev/null
  xdotool key Tab space
  wait_for [ -f "$run3/LogD.txt" ] && wait_for grep -q -- "^$separator" "$run3/LogD.txt"
  check "Tab then Space from the start presses BitBtn1" log_ok "$run3/LogD.txt"
  xdotool key Tab Tab space
  wait_for ended "$run3"
  check "two more Tabs reach BitBtn3, which exits with code 0 at 120 dpi" [ "$(exit_code "$run3")" = 0 ]
else
  fail "window appears at 120 dpi"
fi
set_dpi 96

# --- Runs 4 and 5 in a Wine virtual desktop, where Wine draws the title bar
# itself (the bare X display has no window manager): the close box and the
# system menu's "Close" end the program with exit code 0.
virtual_desktop on
run4=$work/run4
mkdir -p "$run4"
if start "$run4"; then
  # Here the X window is the whole window, frame and title bar included.
  main=$(window_by_name "$caption")
  read -r wx wy ww wh < <(client_geometry "$main")
  sleep 1
  screenshot "$main" window-with-title-bar.png
  # The close box: at the right end of the title bar.
  xdotool mousemove $((wx + ww - 12)) $((wy + 12)) click 1
  wait_for ended "$run4"
  check "the close box ends the program with exit code 0" [ "$(exit_code "$run4")" = 0 ]
else
  fail "window appears in a virtual desktop"
fi
run5=$work/run5
mkdir -p "$run5"
if start "$run5"; then
  main=$(window_by_name "$caption")
  read -r wx wy ww wh < <(client_geometry "$main")
  xdotool mousemove $((wx + ww / 2)) $((wy + 10)) click 1
  sleep 0.5
  xdotool key alt+space
  sleep 1
  import -window root -crop $((ww + 40))x$((wh + 40))+$((wx - 20))+$((wy - 20)) "$artifacts/system-menu.png"
  xdotool key c
  wait_for ended "$run5"
  check "the system menu's Close ends the program with exit code 0" [ "$(exit_code "$run5")" = 0 ]
else
  fail "window appears in a virtual desktop"
fi
virtual_desktop off

finish
