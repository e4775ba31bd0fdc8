#!/bin/bash
# syscode-cli.exe's WMI queries through the completed scripting layer under
# Wine (tests/windows/wine-wbemdisp), checked against an independent reader:
#   - every cell of `syscode-cli.exe --query CLASS --json` for the classes
#     below equals what wmi_probe.exe (C, wbemdisp.h only) reads from the
#     same objects: header names, instance counts, integer, text,
#     uint64-as-text, boolean, real, datetime, reference, array and null
#     values (tests/windows/wmi_cells.pl);
#   - every object the probe obtained went away at its last Release;
#   - every object the DLL created for syscode-cli.exe (a press, a query, a
#     query that fails) was destroyed again, counted in the DLL's own trace
#     (WINEDEBUG=+wbemdisp: "returning iface P" / "destroying P");
#   - the command line's code: a 25-character code, the same as the code
#     `--from-log` computes from the lines `--log` appended, and those lines
#     are exactly the values the probe read, in the log's bytes (CR LF).
#
# Usage: tests/e2e/wine_wmi_cells.sh PREFIX PROBE.exe SYSCODE-CLI.exe
#   with SYSCODE_WBEMDISP naming the completed wbemdisp.dll.
# The last line reads "N passed, M failed".
set -u

root=$(cd "$(dirname "$0")/../.." && pwd)
prefix=$1
probe=$2
cli=$3
work=$(dirname "$prefix")/wbemdisp-cells
run() { "$root/scripts/wine-prefix.sh" "$prefix" "$@"; }

classes=(Win32_BIOS Win32_BaseBoard Win32_CDROMDrive Win32_ComputerSystem Win32_ComputerSystemProduct
         Win32_DesktopMonitor Win32_DiskDrive Win32_DiskDriveToDiskPartition Win32_DiskPartition
         Win32_DisplayControllerConfiguration Win32_IP4RouteTable Win32_LogicalDisk
         Win32_LogicalDiskToPartition Win32_NetworkAdapter Win32_NetworkAdapterConfiguration
         Win32_OperatingSystem Win32_PageFileUsage Win32_PhysicalMedia Win32_PhysicalMemory Win32_PnPEntity
         Win32_Printer Win32_Processor Win32_QuickFixEngineering Win32_Service Win32_SoundDevice
         Win32_SystemEnclosure Win32_VideoController Win32_WinSAT CIM_LogicalDisk CIM_Processor
         SoftwareLicensingProduct StdRegProv SystemRestore)

passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS: $1"; }
fail() { failed=$((failed + 1)); echo "FAIL: $1${2:+ ($2)}"; }

if [ -z "${SYSCODE_WBEMDISP:-}" ]; then
  fail "SYSCODE_WBEMDISP names the completed wbemdisp.dll"
  echo "$passed passed, $failed failed"
  exit 1
fi
rm -rf "$work"
mkdir -p "$work"

# Every object the DLL's trace says it made was destroyed again.
objects_released() {  # objects_released TRACE
  awk -f "$root/tests/windows/wine-wbemdisp/objects_released.awk" "$1"
}

# 1. The probe over every class, then the command line class by class.
if run "$probe" "${classes[@]}" >"$work/probe.txt" 2>"$work/probe.stderr"; then
  pass "the probe read every class and each final Release returned 0 ($(grep '^released' "$work/probe.txt" | cut -f2) objects)"
else
  fail "the probe read every class and each final Release returned 0" "$(tail -n 3 "$work/probe.txt" | tr '\n' ' ')"
fi
pairs=()
for c in "${classes[@]}"; do
  run "$cli" --query "$c" --json >"$work/$c.json" 2>>"$work/cli.stderr"
  pairs+=("$c=$work/$c.json")
done
perl "$root/tests/windows/wmi_cells.pl" "$work/probe.txt" "${pairs[@]}" >"$work/cells.txt"
cells_status=$?
sed 's/^/  /' "$work/cells.txt"
if [ "$cells_status" -eq 0 ]; then
  pass "every cell of --query --json for ${#classes[@]} classes equals the probe's reading"
else
  fail "every cell of --query --json for ${#classes[@]} classes equals the probe's reading"
fi

# 2. The DLL's objects, counted in its trace, for a press, a query and a
# query that fails.
for args in "" "--query Win32_Service" "--query Win32_NoSuchClass --namespace root\\NoSuchNamespace"; do
  # shellcheck disable=SC2086  # the arguments are words
  SYSCODE_WINEDEBUG=+wbemdisp run "$cli" $args >/dev/null 2>"$work/trace.txt"
  if counted=$(objects_released "$work/trace.txt"); then
    pass "syscode-cli.exe ${args:-(a press)}: every object of the DLL was destroyed: $counted"
  else
    fail "syscode-cli.exe ${args:-(a press)}: every object of the DLL was destroyed" "$counted"
  fi
done

# 3. The code and the log of the command line. The values the window's
# readers take, from the probe: the first instance's property, trimmed,
# with the null-word test where the reader has one.
value_of() {  # value_of CLASS PROPERTY NULLTEST
  awk -F'\t' -v class="$1" -v prop="$2" -v nulltest="$3" '
    $1 == "class" { in_class = ($2 == class); row = 0 }
    in_class && $1 == "instance" { row = $2 }
    in_class && row == 1 && $1 == "property" && $3 == prop {
      v = ($5 == 1) ? "NULL" : $6
      gsub(/\\\\/, "\\", v)
      sub(/^[\001- ]+/, "", v); sub(/[\001- ]+$/, "", v)
      if (nulltest == "yes" && (v == "NULL" || v == "null" || v == "Null")) v = ""
      print v; found = 1; exit
    }' "$work/probe.txt"
}
expected_log() {  # the log lines of one press, as the window writes them
  local labels=("CpuId = " "BiosVersion = " "BaseBordSerialNumber = " "HardDiskSerialNumber = " "BiosName = "
                "BaseBordManufacturer = " "DiskDriveSignature = ")
  local sources=("Win32_Processor ProcessorId yes" "Win32_BIOS Version yes" "Win32_BaseBoard SerialNumber no"
                 "Win32_PhysicalMedia SerialNumber yes" "Win32_BIOS Name yes" "Win32_BaseBoard Manufacturer no"
                 "Win32_DiskDrive Signature yes")
  local parts=0 i value normalized
  for i in 0 1 2 3 4 5 6; do
    # shellcheck disable=SC2086
    value=$(value_of ${sources[$i]})
    printf '%s%s\r\n' "${labels[$i]}" "$value"
    normalized=$(printf '%s' "$value" | tr -cd 'A-Za-z0-9')
    [ ${#normalized} -ge 7 ] && parts=$((parts + 1))
    if [ "$i" -ge 1 ] && [ "$parts" -ge 3 ]; then break; fi
  done
  printf -- '--------------------------------------------------\r\n'
}
expected_log >"$work/expected-log.txt"
echo "expected log of a press:"; tr -d '\r' <"$work/expected-log.txt" | sed 's/^/  /'
code_of() { grep -oE '(^|[^0-9A-Z])[0-9A-Z]{25}([^0-9A-Z]|$)' | grep -oE '[0-9A-Z]{25}' | head -n 1; }
mkdir -p "$work/log"
code=$(cd "$work/log" && run "$cli" 2>/dev/null | code_of)
logged=$(cd "$work/log" && run "$cli" --log 2>/dev/null | code_of)
if [ -n "$code" ]; then pass "syscode-cli.exe prints a 25-character code: $code"; else fail "syscode-cli.exe prints a 25-character code"; fi
if cmp -s "$work/log/LogD.txt" "$work/expected-log.txt"; then
  pass "--log appends exactly the probe's values as the window's lines, CR LF"
else
  fail "--log appends exactly the probe's values as the window's lines, CR LF" \
    "$(od -c "$work/log/LogD.txt" | head -n 3 | tr '\n' ' ')"
fi
from_log=$(cd "$work/log" && run "$cli" --from-log LogD.txt 2>/dev/null | code_of)
if [ -n "$code" ] && [ "$code" = "$logged" ] && [ "$code" = "$from_log" ]; then
  pass "the code with --log and the code --from-log computes from that log are the same code"
else
  fail "the code with --log and the code --from-log computes from that log are the same code" \
    "plain $code, --log $logged, --from-log $from_log"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
