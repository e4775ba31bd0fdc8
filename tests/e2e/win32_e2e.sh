#!/bin/bash
# shellcheck disable=SC2317  # the check functions are called from traps and by name
# End-to-end test of the Windows program: runs the real syscode.exe under
# Wine on a virtual X display (Xvfb), drives it with xdotool as a user does,
# and reads the window's state from inside Wine with our inspector
# (syscode_inspector.exe: window and control texts, rectangles, styles, the
# message box's icon and buttons, the save dialog's controls) to assert the
# exact texts, bytes and measures: the window, the code field, LogD.txt byte
# for byte (CR LF), the saved file, the replace prompt, the error box, the
# exit code and the layout at 120 dpi. Screenshots go to the artifacts
# folder.
#
# Two WMI layers:
#   (default)          Wine's own wbemdisp: every query fails at the property
#                      enumeration, so each reader gives empty text and a
#                      press yields the 4-character code 0000;
#   --wbemdisp DLL     the completed wbemdisp.dll (tests/windows/wine-wbemdisp)
#                      as the native override: the press reads the values
#                      Wine's provider gives; the code shown must be the one
#                      syscode-cli.exe prints and computes --from-log from the
#                      window's own LogD.txt, and LogD.txt must hold exactly
#                      the bytes syscode-cli.exe --log appends; every object
#                      the DLL made for the window is destroyed again.
#
# Usage: tests/e2e/win32_e2e.sh [--wbemdisp DLL] [path/to/syscode.exe]
#   default: build/mingw/bin/syscode.exe of this source tree; the inspector
#   and syscode-cli.exe are taken from the same folder.
# Needs wine, Xvfb, xdotool, xwininfo, ImageMagick (import) and the DejaVu
# and Liberation fonts. Exits non-zero when a check fails; the last line
# reads "N passed, M failed".
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
wbemdisp=""
if [ "${1:-}" = "--wbemdisp" ]; then
  wbemdisp=$2
  shift 2
fi
exe=${1:-$root/build/mingw/bin/syscode.exe}
bin=$(cd "$(dirname "$exe")" && pwd)
exe=$bin/$(basename "$exe")
tree=$(dirname "$bin")
inspector=$bin/syscode_inspector.exe
cli=$bin/syscode-cli.exe
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ -n "$wbemdisp" ]; then
  layer=completed
  artifacts=$root/build/e2e-artifacts-wbemdisp
  work=$tree/e2e-work-wbemdisp
  export WINEPREFIX=$tree/e2e/wineprefix-wbemdisp
  export SYSCODE_WBEMDISP=$wbemdisp
  WINEDLLOVERRIDES="$WINEDLLOVERRIDES;wbemdisp=n,b"
else
  layer=wine-builtin
  artifacts=$root/build/e2e-artifacts
  work=$tree/e2e-work
  export WINEPREFIX=$tree/e2e/wineprefix
fi

caption='خصوصیات سخت افزاری سیستم'
group_caption='کد سیستم'
bitbtn1_caption='دریافت کد سیستم'
bitbtn2_caption='ذخیره در فایل'
bitbtn3_caption='خروج'
dialog_title='Save System Hardware Properties'
separator='--------------------------------------------------'
labels=("CpuId = " "BiosVersion = " "BaseBordSerialNumber = " "HardDiskSerialNumber = " "BiosName = "
        "BaseBordManufacturer = " "DiskDriveSignature = ")
empty_mask='     -     -     -     -     '
# Client-area positions (at 96 dpi) of the points the test clicks.
bitbtn1=(385 182)
bitbtn2=(123 182)
bitbtn3=(44 182)

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1${2:+ ($2)}"; }
check() {  # check NAME COMMAND...
  local name=$1
  shift
  if "$@"; then pass "$name"; else fail "$name"; fi
}
# expect NAME ACTUAL EXPECTED: exact equality, both shown on failure.
expect() {
  if [ "$2" = "$3" ]; then pass "$1"; else fail "$1" "got '$2', expected '$3'"; fi
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

echo "WMI layer: $layer"
for f in "$exe" "$inspector" "$cli"; do
  if [ ! -f "$f" ]; then
    fail "program exists" "$f"
    finish
  fi
done

# A display of our own.
for display in $(seq 90 160); do
  [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
done
Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; xwininfo -root >/dev/null 2>&1 && break; sleep 0.1; done

# The Wine prefix, in the build tree (with the completed layer installed
# when asked for); fonts with Arabic script for "Tahoma" and a metric match
# for "Arial".
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

# start DIR [WINEDEBUG]: runs the program with DIR as working directory; its
# exit code goes to DIR.exit, its standard error (Wine's traces) to
# DIR.stderr.
start() {
  local dir=$1 debug=${2:--all} _
  for _ in 1 2; do
    rm -f "$dir.exit"
    (cd "$dir" && WINEDEBUG=$debug wine "$exe" >/dev/null 2>"$dir.stderr"; echo $? >"$dir.exit") &
    program_pid=$!
    wait_for window_or_end "$dir" || return 1
    has_window "$caption" && return 0
    # Wine's session that the set-up steps just ended can leave the next
    # program without a desktop to open its window on; once, start again.
    echo "note: the program ended without a window (exit code $(cat "$dir.exit")); starting it again"
    settle
  done
  return 1
}
window_or_end() { has_window "$caption" || [ -f "$1.exit" ]; }
ended() { [ -f "$1.exit" ]; }
main_enabled() { [ "$(inspect dump TMainForm | field /dev/stdin ' class=TMainForm ' enabled)" = 1 ]; }
exit_code() { cat "$1.exit" 2>/dev/null; }

click() {  # click WINDOW X Y (client coordinates)
  xdotool mousemove --window "$1" "$2" "$3" click 1
}
screenshot() {  # screenshot WINDOW FILE
  import -window "$1" "$artifacts/$2" 2>/dev/null
}

# The inspector, run inside Wine: "dump CLASS [CAPTION]", "owned CLASS
# CAPTION", "screen", "textheight FACE HEIGHT".
inspect() { wine "$inspector" "$@" 2>/dev/null; }
# field FILE SELECTOR KEY: the value of KEY on the first line of an
# inspector dump that matches the Perl pattern SELECTOR.
field() {
  perl -ne 'BEGIN { ($sel, $key) = splice(@ARGV, 0, 2) }
            if (/$sel/) { print $1 if / \Q$key\E=(.*?)(?= [a-z]+=|$)/; exit }' "$2" "$3" "$1"
}
bits() { (( ($1 & $2) == $2 && ($1 & $3) == 0 )); }  # bits VALUE SET CLEAR: all of SET, none of CLEAR
bits2() { bits "$1" "$2" "$3" && bits "$4" "$5" "$6"; } # the same for two values
# The code field's text for a code, by the mask "AAAAA-AAAAA-AAAAA-AAAAA-AAAAA;0; ".
masked() {
  local code out="" i
  code="$1$(printf '%25s' '')"
  for i in 0 5 10 15 20; do
    out+=${code:$i:5}
    [ "$i" -lt 20 ] && out+=-
  done
  printf '%s' "$out"
}
code_of() { grep -oE '[0-9A-Z]{25}' | head -n 1; }

# The expected state of the main window, control by control, exactly.
check_layout() {  # check_layout DUMP SCALE_NUM SCALE_DEN WHAT
  local dump=$1 m=$2 d=$3 what=$4
  s() { echo $(( ($1 * m + d / 2) / d )); }   # MulDiv, rounding half up
  box() { echo "$(s "$1"),$(s "$2"),$(s "$3"),$(s "$4")"; }
  expect "$what: the window's caption" "$(field "$dump" ' class=TMainForm ' text)" "$caption"
  expect "$what: client area" "$(field "$dump" ' class=TMainForm ' client)" "$(s 494),$(s 206)"
  local style exstyle
  style=$(field "$dump" ' class=TMainForm ' style)
  exstyle=$(field "$dump" ' class=TMainForm ' exstyle)
  # Caption, system menu, fixed single border: no sizing frame, no minimize
  # or maximize box; right-to-left reading, its own taskbar button.
  check "$what: title bar with the system menu, fixed border, no minimize or maximize box" \
    bits "$style" 0x00C80000 0x00070000
  check "$what: right-to-left reading order and a taskbar button of its own" \
    bits "$exstyle" 0x00043000 0
  expect "$what: GroupBox1 at 8,95 478x65 with its caption" \
    "$(field "$dump" ' id=100 ' rect) $(field "$dump" ' id=100 ' text)" "$(box 8 95 478 65) $group_caption"
  expect "$what: Edit1 at 11,22 455x30 inside GroupBox1" "$(field "$dump" ' id=101 ' rect)" "$(box 11 22 455 30)"
  expect "$what: BitBtn1 at 285,169 201x27 with its caption" \
    "$(field "$dump" ' id=102 ' rect) $(field "$dump" ' id=102 ' text)" "$(box 285 169 201 27) $bitbtn1_caption"
  expect "$what: BitBtn2 at 87,169 73x27 with its caption" \
    "$(field "$dump" ' id=103 ' rect) $(field "$dump" ' id=103 ' text)" "$(box 87 169 73 27) $bitbtn2_caption"
  expect "$what: BitBtn3 at 8,169 73x27 with its caption" \
    "$(field "$dump" ' id=104 ' rect) $(field "$dump" ' id=104 ' text)" "$(box 8 169 73 27) $bitbtn3_caption"
  local edit_style edit_exstyle
  edit_style=$(field "$dump" ' id=101 ' style)
  edit_exstyle=$(field "$dump" ' id=101 ' exstyle)
  # ES_CENTER | ES_READONLY, read left to right (no WS_EX_RTLREADING).
  check "$what: Edit1 is read-only, centred, left to right" \
    bits2 "$edit_style" 0x00000801 0 "$edit_exstyle" 0 0x00002000
  local b bs bx
  for b in 102 103 104; do
    bs=$(field "$dump" " id=$b " style)
    bx=$(field "$dump" " id=$b " exstyle)
    # BS_MULTILINE, a plain push button (not BS_DEFPUSHBUTTON), right to left.
    check "$what: button $b wraps its caption, is no default button and reads right to left" \
      bits2 "$bs" 0x00002000 0xF "$bx" 0x00002000 0
  done
}
# The fonts the window made, from Wine's trace of font creation (under Wine
# WM_GETFONT does not answer across processes): the window font "Tahoma"
# DEFAULT_CHARSET, normal, and Edit1's "Arial" ANSI_CHARSET, bold.
check_fonts() {  # check_fonts TRACE TAHOMA_HEIGHT ARIAL_HEIGHT WHAT
  check "$4: the window font is \"Tahoma\", $2 pixels, DEFAULT_CHARSET, normal" \
    grep -qE "NtGdiHfontCreate \\(-$2 0 0 0 [0-9a-f]+ [0-9]+ [0-9a-f]+ [0-9]+ 1\\) L\"Tahoma\"  +=>" "$1"
  check "$4: Edit1's font is \"Arial\", $3 pixels, ANSI_CHARSET, bold" \
    grep -qE "NtGdiHfontCreate \\(-$3 0 0 0 [0-9a-f]+ [0-9]+ [0-9a-f]+ [0-9]+ 0\\) L\"Arial\" Bold  +=>" "$1"
}
# Every object the completed DLL made was destroyed again (its trace).
objects_released() {  # objects_released TRACE
  awk -f "$root/tests/windows/wine-wbemdisp/objects_released.awk" "$1"
}

# What a press must write, in bytes. Wine's own layer: every reader gives
# empty text, so all seven lines are bare labels and the code is 0000. The
# completed layer: the bytes syscode-cli.exe --log appends in the same
# prefix, and its code.
expected=$work/expected
mkdir -p "$expected"
if [ "$layer" = wine-builtin ]; then
  { for l in "${labels[@]}"; do printf '%s\r\n' "$l"; done; printf '%s\r\n' "$separator"; } >"$expected/LogD.txt"
  expected_code=0000
else
  (cd "$expected" && wine "$cli" --log >"$expected/cli.out" 2>/dev/null)
  expected_code=$(code_of <"$expected/cli.out")
  check "syscode-cli.exe gives a 25-character code through the completed layer" [ -n "$expected_code" ]
fi
echo "expected press (code $expected_code):"; tr -d '\r' <"$expected/LogD.txt" | sed 's/^/  /'

# --- Run 1 at 96 dpi: the window, a code, saving, the replace prompt,
# logging in the new folder, the exit button.
set_dpi 96
screen_spec=$(inspect screen | sed -n "s/^screen=\([^ ]*\).*/\1/p")
IFS=, read -r desk_x desk_y desk_w desk_h <<<"$screen_spec"
run1=$work/run1
other=$work/other-folder
mkdir -p "$run1" "$other"
debug1=+font
[ "$layer" = completed ] && debug1=+font,+wbemdisp
if ! start "$run1" "$debug1"; then
  fail "window appears with its caption"
  finish
fi
pass "window appears with its caption"
main=$(window_by_name "$caption")
sleep 1
inspect dump TMainForm >"$work/fresh.txt"
check_layout "$work/fresh.txt" 1 1 "96 dpi"
check_fonts "$run1.stderr" 11 19 "96 dpi"
# Centred on the desktop spanning all monitors, by the outer size.
IFS=, read -r wx wy ww wh <<<"$(field "$work/fresh.txt" ' class=TMainForm ' rect)"
expect "window centred on the desktop ($desk_w x $desk_h)" "$wx,$wy" \
  "$((desk_x + desk_w / 2 - ww / 2)),$((desk_y + desk_h / 2 - wh / 2))"
expect "right after start the code field is empty" "$(field "$work/fresh.txt" ' id=101 ' text)" ""
expect "right after start BitBtn2 is disabled, BitBtn1 and BitBtn3 enabled" \
  "$(field "$work/fresh.txt" ' id=102 ' enabled)$(field "$work/fresh.txt" ' id=103 ' enabled)$(field "$work/fresh.txt" ' id=104 ' enabled)" 101
screenshot "$main" fresh-window.png
check "no LogD.txt before the first click" [ ! -e "$run1/LogD.txt" ]

click "$main" "${bitbtn1[@]}"
wait_for [ -f "$run1/LogD.txt" ] && wait_for grep -q -- "^$separator" "$run1/LogD.txt"
sleep 0.5
echo "LogD.txt:"; tr -d '\r' <"$run1/LogD.txt" | sed 's/^/  /'
check "the first click writes exactly the press's lines to LogD.txt, CR LF" cmp -s "$run1/LogD.txt" "$expected/LogD.txt"
inspect dump TMainForm >"$work/with-code.txt"
shown=$(field "$work/with-code.txt" ' id=101 ' text)
expect "the code field shows the code by its mask" "$shown" "$(masked "$expected_code")"
if [ "$layer" = completed ]; then
  check "the field shows a 25-character code" [ "${#expected_code}" -eq 25 ]
  from_log=$(cd "$run1" && wine "$cli" --from-log LogD.txt 2>/dev/null | code_of)
  expect "the code equals what syscode-cli --from-log computes from the window's LogD.txt" \
    "${shown//-/}" "$from_log"
fi
expect "after the click BitBtn2 is enabled" "$(field "$work/with-code.txt" ' id=103 ' enabled)" 1
screenshot "$main" window-with-code.png

# The save dialog: its title, one file type "Text Files" selected, the name
# HardwareInfo.txt, no read-only box, a sizing frame.
save_as() {  # save_as PATH: types the path into the open dialog and confirms
  local dialog
  dialog=$(window_by_name "$dialog_title")
  timeout 10 xdotool windowfocus --sync "$dialog" 2>/dev/null
  xdotool key End shift+Home
  # shellcheck disable=SC1003  # '\\' is tr's one backslash, not an escaped quote
  xdotool type --delay 20 "Z:$(echo "$1" | tr / '\\')"
  xdotool key Return
}
click "$main" "${bitbtn2[@]}"
if wait_for has_window "$dialog_title"; then
  pass "the save button opens the dialog"
  sleep 1
  screenshot "$(window_by_name "$dialog_title")" save-dialog.png
  inspect dump '#32770' "$dialog_title" >"$work/dialog.txt"
  expect "the dialog's file types: one, \"Text Files\", selected" \
    "$(field "$work/dialog.txt" ' class=ComboBox id=1136 ' items) $(field "$work/dialog.txt" ' class=ComboBox id=1136 ' selected)" \
    "Text Files 0"
  expect "the dialog offers the name HardwareInfo.txt" \
    "$(field "$work/dialog.txt" ' class=Edit id=1148 ' text)" "HardwareInfo.txt"
  expect "the dialog has no read-only check box" "$(field "$work/dialog.txt" ' id=1040 ' visible)" 0
  dialog_style=$(field "$work/dialog.txt" ' class=#32770 ' style)
  check "the dialog can be resized" bits "$dialog_style" 0x00040000 0
  save_as "$other/code.txt"
  wait_for no_window "$dialog_title"
  wait_for [ -f "$other/code.txt" ]
  sleep 0.5
  printf '%s\r\n' "$expected_code" >"$expected/code.txt"
  check "the saved file holds the code and CR LF, $(stat -c %s "$expected/code.txt") bytes" \
    cmp -s "$other/code.txt" "$expected/code.txt"

  # Saving to the same file again: Wine's dialog asks before replacing it.
  click "$main" "${bitbtn2[@]}"
  if wait_for has_window "$dialog_title"; then
    sleep 0.5
    # Given a full path, the dialog opens its folder and offers the name.
    inspect dump '#32770' "$dialog_title" >"$work/dialog2.txt"
    expect "the dialog offers the path of the last save: its folder and name" \
      "$(field "$work/dialog2.txt" ' class=ComboBox id=1137 ' text) $(field "$work/dialog2.txt" ' class=Edit id=1148 ' text)" \
      "other-folder code.txt"
    save_as "$other/code.txt"
    # shellcheck disable=SC2016  # eval expands it, on every try
    if wait_for eval 'inspect owned "#32770" "$dialog_title" >"$work/prompt.txt"'; then
      pass "saving over the file asks first"
      expect "the prompt's text" "$(field "$work/prompt.txt" ' class=Static id=65535 ' text)" \
        'File already exists.\nDo you want to replace it?'
      expect "the prompt's buttons: Yes and No" \
        "$(grep ' class=Button ' "$work/prompt.txt" | grep ' visible=1 ' | grep -oE ' id=[0-9]+ text=[^ ]+' | tr -d '\n')" \
        " id=6 text=&Yes id=7 text=&No"
      expect "the prompt shows the warning icon" "$(field "$work/prompt.txt" ' class=Static .* icon=' icon)" warning
      sleep 0.5
      screenshot "$(xdotool search --name "^$dialog_title\$" | head -1)" replace-prompt.png
      xdotool key Return
      wait_for no_window "$dialog_title"
      sleep 0.5
      check "after Yes the file holds one line, the code and CR LF" cmp -s "$other/code.txt" "$expected/code.txt"
    else
      fail "saving over the file asks first"
    fi
  else
    fail "the save button opens the dialog a second time"
  fi
else
  fail "the save button opens the dialog"
fi

# The main window takes input again once the dialog and its prompt are gone.
wait_for main_enabled
click "$main" "${bitbtn1[@]}"
wait_for [ -f "$other/LogD.txt" ] && wait_for grep -q -- "^$separator" "$other/LogD.txt"
sleep 0.5
check "after saving, the next click logs exactly one press to LogD.txt in that folder" \
  cmp -s "$other/LogD.txt" "$expected/LogD.txt"
check "the first folder's log got no second press" cmp -s "$run1/LogD.txt" "$expected/LogD.txt"

click "$main" "${bitbtn3[@]}"
wait_for ended "$run1"
expect "the exit button ends the program with exit code 0" "$(exit_code "$run1")" 0
if [ "$layer" = completed ]; then
  if counted=$(objects_released "$run1.stderr"); then
    pass "every object the completed layer made for the window's presses was destroyed: $counted"
  else
    fail "every object the completed layer made for the window's presses was destroyed" "$counted"
  fi
fi

# --- Run 2: a LogD.txt that cannot be written (a folder of that name).
run2=$work/run2
mkdir -p "$run2/LogD.txt"
start "$run2"
main=$(window_by_name "$caption")
click "$main" "${bitbtn1[@]}"
if wait_for has_window "syscode"; then
  pass "an unwritable log shows the message box with the application title"
  sleep 1
  screenshot "$(window_by_name "syscode")" error-box.png
  inspect dump '#32770' syscode >"$work/error-box.txt"
  expect "the box reads \"File access denied.\"" "$(field "$work/error-box.txt" ' class=Static id=65535 ' text)" \
    "File access denied."
  expect "the box shows the error icon" "$(field "$work/error-box.txt" ' class=Static .* icon=' icon)" error
  expect "the box has one button, OK" \
    "$(grep ' class=Button ' "$work/error-box.txt" | grep ' visible=1 ' | grep -oE ' id=[0-9]+ text=[^ ]+' | tr -d '\n')" \
    " id=1 text=OK"
  expect "the box is owned by the main window" "$(field "$work/error-box.txt" ' class=#32770 ' owner)" \
    "$(inspect dump TMainForm | field /dev/stdin ' class=TMainForm ' hwnd)"
  timeout 10 xdotool windowfocus --sync "$(window_by_name "syscode")" 2>/dev/null
  xdotool key Return
  wait_for no_window "syscode"
  check "the window goes on after the error" has_window "$caption"
  sleep 0.5
  inspect dump TMainForm >"$work/after-error.txt"
  expect "no code was stored: the save button stays disabled" "$(field "$work/after-error.txt" ' id=103 ' enabled)" 0
  expect "the field shows the empty groups with dashes" "$(field "$work/after-error.txt" ' id=101 ' text)" \
    "$empty_mask"
  screenshot "$main" window-after-error.png
else
  fail "an unwritable log shows the message box with the application title"
fi
timeout 10 xdotool windowfocus --sync "$main" 2>/dev/null
xdotool key alt+F4
wait_for ended "$run2"
expect "Alt+F4 ends the program with exit code 0" "$(exit_code "$run2")" 0

# --- Run 3 at 120 dpi: the window font grows by 120/96, every measure and
# Edit1's font by the window font's new height of "0" over 13.
set_dpi 120
run3=$work/run3
mkdir -p "$run3"
if start "$run3" +font; then
  main=$(window_by_name "$caption")
  sleep 1
  tahoma=$(( (11 * 120 + 48) / 96 ))
  zero=$(inspect textheight Tahoma "$tahoma" | tr -d '\r')
  echo "at 120 dpi: Tahoma $tahoma pixels, \"0\" $zero pixels high"
  inspect dump TMainForm >"$work/120dpi.txt"
  check_layout "$work/120dpi.txt" "$zero" 13 "120 dpi"
  check_fonts "$run3.stderr" "$tahoma" "$(( (19 * zero + 6) / 13 ))" "120 dpi"
  screenshot "$main" window-120dpi.png
  # The keyboard, in tab order: Edit1 has the focus at start; Tab reaches
  # BitBtn1 (Space presses it), two more reach BitBtn2 and then BitBtn3.
  timeout 10 xdotool windowfocus --sync "$main" 2>/dev/null
  xdotool key Tab space
  wait_for [ -f "$run3/LogD.txt" ] && wait_for grep -q -- "^$separator" "$run3/LogD.txt"
  sleep 0.5
  check "Tab then Space from the start presses BitBtn1" cmp -s "$run3/LogD.txt" "$expected/LogD.txt"
  xdotool key Tab Tab space
  wait_for ended "$run3"
  expect "two more Tabs reach BitBtn3, which exits with code 0 at 120 dpi" "$(exit_code "$run3")" 0
else
  fail "window appears at 120 dpi"
fi
set_dpi 96

# --- Runs 4 and 5 in a Wine virtual desktop, where Wine draws the title bar
# itself (the bare X display has no window manager): the close box and the
# system menu's "Close" end the program with exit code 0.
client_geometry() {  # prints "X Y W H" of a window (the X window is the client area)
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
                           /Width:/{w=$NF} /Height:/{h=$NF} END{print x, y, w, h}'
}
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
  expect "the close box ends the program with exit code 0" "$(exit_code "$run4")" 0
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
  expect "the system menu's Close ends the program with exit code 0" "$(exit_code "$run5")" 0
else
  fail "window appears in a virtual desktop"
fi
virtual_desktop off

finish
