#!/usr/bin/env bash
# The layers check on a small tree: every include or link against the
# direction is reported (file and line), every one along it is not, and the
# exit status says which.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT

# file | included header | reported?
cases=(
  "base/text.h|base/errors.h|no"
  "base/text_file.cc|wmi/variant.h|yes"
  "wmi/variant.h|base/text.h|no"
  "wmi/property_text.cc|syscode/readers.h|yes"
  "wmi/wmiquery.cc|wmi/win32/com_handles.h|yes"
  "wmi/win32/wbem_com.cc|wmi/wbem.h|no"
  "syscode/readers.cc|wmi/wmiquery.h|no"
  "syscode/code_check.cc|platform/linux/hardware_classes.h|yes"
  "platform/linux/drives.cc|syscode/readers.h|no"
  "platform/linux/firmware.cc|platform/windows/x.h|yes"
  "platform/windows/com_runtime_win32.cc|wmi/win32/wbem_com.h|no"
  "platform/platform_entry_points.cc|platform/linux/wbem_linux.h|yes"
  "app/main_form.cc|syscode/code_assembly.h|no"
  "app/main_form.cc|app/qt/fonts.h|yes"
  "app/cli/machine.cc|platform/linux/hardware_classes.h|yes"
  "app/cli/machine.cc|app/cli/report.h|no"
  "app/qt/main_window.cc|app/win32/layout.h|yes"
  "app/win32/main_window.cc|app/main_form.h|no"
  "lib/syscode_api.cc|app/cli/report.h|yes"
  "lib/syscode_api.cc|syscode/syscode.h|no"
  "tests/linux/press_test.cc|platform/linux/hardware_classes.h|no"
)
expected=()
for entry in "${cases[@]}"; do
  IFS='|' read -r file header reported <<<"$entry"
  mkdir -p "$tree/$(dirname "$file")"
  printf '// a line\n#include "%s"\n' "$header" >>"$tree/$file"
  line=$(wc -l <"$tree/$file")
  [[ $reported == yes ]] && expected+=("$file:$line: includes \"$header\"")
done
# Links: the wmi layer linking the code layer, over two lines.
mkdir -p "$tree/wmi" "$tree/syscode"
printf 'add_library(syscode_wmi STATIC variant.cc)\ntarget_link_libraries(syscode_wmi PUBLIC\n  syscode_code)\n' \
  >"$tree/wmi/CMakeLists.txt"
printf 'target_link_libraries(syscode_code PUBLIC syscode_wmi)\n' >"$tree/syscode/CMakeLists.txt"
expected+=("wmi/CMakeLists.txt: links syscode_code")

status=0
output=$("$here/include_direction.sh" "$tree") || status=$?
failed=0
if ((status != 1)); then echo "exit status $status, expected 1"; failed=1; fi
for want in "${expected[@]}"; do
  if ! grep -qF "$want" <<<"$output"; then echo "not reported: $want"; failed=1; fi
done
reported=$(grep -c 'against the layers\|a library above' <<<"$output" || true)
if ((reported != ${#expected[@]})); then
  echo "reported $reported, expected ${#expected[@]}:"
  echo "$output"
  failed=1
fi

# The same tree without the offending lines passes.
clean=$(mktemp -d)
trap 'rm -rf "$tree" "$clean"' EXIT
for entry in "${cases[@]}"; do
  IFS='|' read -r file header reported <<<"$entry"
  [[ $reported == yes ]] && continue
  mkdir -p "$clean/$(dirname "$file")"
  printf '#include "%s"\n' "$header" >>"$clean/$file"
done
if ! "$here/include_direction.sh" "$clean" >/dev/null; then echo "a tree along the layers was refused"; failed=1; fi

((failed == 0)) && echo "layers check: all cases as expected"
exit "$failed"
