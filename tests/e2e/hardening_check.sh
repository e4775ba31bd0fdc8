#!/usr/bin/env bash
# Checks the hardening of the built programs.
#   tests/e2e/hardening_check.sh elf FILE...   PIE, full RELRO, stack protector, fortify
#   tests/e2e/hardening_check.sh pe FILE...    ASLR (high entropy), DEP, DLLs from the
#                                              system folder only (load configuration and
#                                              SetDefaultDllDirectories), stack protector
#                                              from the static libssp
set -u
kind=$1; shift
passed=0; failed=0
check() {  # check NAME CONDITION-RESULT
  if [[ $2 == 0 ]]; then passed=$((passed + 1)); else echo "FAIL: $1"; failed=$((failed + 1)); fi
}
for f in "$@"; do
  name=$(basename "$f")
  if [[ $kind == elf ]]; then
    readelf -h "$f" | grep -q 'Type:.*DYN'; check "$name is PIE" $?
    readelf -lW "$f" | grep -q GNU_RELRO; check "$name has RELRO" $?
    readelf -dW "$f" | grep -q 'BIND_NOW'; check "$name binds now (full RELRO)" $?
    readelf -sW --dyn-syms "$f" | grep -q '__stack_chk_fail'; check "$name uses the stack protector" $?
    readelf -sW --dyn-syms "$f" | grep -q '_chk@'; check "$name uses fortified calls" $?
  else
    dump=$(x86_64-w64-mingw32-objdump -p "$f")
    chars=$(sed -n 's/^DllCharacteristics[[:space:]]*\([0-9a-fA-F]*\).*/\1/p' <<<"$dump")
    chars=$((16#${chars:-0}))
    (( chars & 0x0040 )); check "$name has ASLR (DYNAMIC_BASE)" $?
    (( chars & 0x0020 )); check "$name has high-entropy ASLR" $?
    (( chars & 0x0100 )); check "$name has DEP (NX_COMPAT)" $?
    # The load configuration (data directory entry 10) carries the
    # DependentLoadFlags that keep DLL loading to the system folder.
    grep -qE 'Entry a 0*[1-9a-f][0-9a-f]* 00000070 Load Configuration' <<<"$dump"
    check "$name has its load configuration (DLLs from System32 only)" $?
    # The call that keeps later loads by name (also those of system DLLs)
    # to System32, made at start.
    grep -qE '^[[:space:]]+[0-9a-f]+[[:space:]]+[0-9]+[[:space:]]+SetDefaultDllDirectories$' <<<"$dump"
    check "$name calls SetDefaultDllDirectories" $?
    # Stack canaries, with the handler linked in from libssp.a (a
    # libssp-0.dll import would fail the system-DLL check).
    syms=$(x86_64-w64-mingw32-objdump -t "$f")
    grep -q '__stack_chk_fail' <<<"$syms"; check "$name uses the stack protector" $?
    ! grep -qi 'DLL Name: libssp' <<<"$dump"; check "$name links libssp statically" $?
  fi
done
echo "$passed passed, $failed failed"
(( failed == 0 ))
