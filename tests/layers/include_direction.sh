#!/usr/bin/env bash
# The engine's layers, as the build links them:
#
#   base -> wmi -> code (syscode/) -> platform -> front ends (app/, lib/)
#
# A file may include its own folder and the layers below it, never a layer
# above it nor a front end's neighbour; the front ends know the platform
# only through the seams the lower layers declare. The Windows binding of
# the WMI model (wmi/win32/) is for Windows-only code. Tests, benchmarks,
# fuzzers and examples may include anything.
#
# Also checks that no layer's CMakeLists.txt links a library above it.
#
# Usage: include_direction.sh [tree]   (default: this source tree)
# Exit status: 0 when every include and link keeps the direction, 1 with
# one line per offending include or link otherwise.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"

# The include prefixes a folder may use ("base/" allows base/...), by the
# folder the including file sits in; the longest matching folder counts.
allowed_for() {
  case $1 in
    base/*) echo "base/" ;;
    wmi/win32/*) echo "base/ wmi/" ;;
    wmi/*) echo "base/ wmi/[^/]+$" ;;
    syscode/*) echo "base/ wmi/[^/]+$ syscode/" ;;
    platform/linux/*) echo "base/ wmi/[^/]+$ syscode/ platform/linux/" ;;
    platform/windows/*) echo "base/ wmi/ syscode/ platform/windows/" ;;
    platform/*) echo "base/ wmi/[^/]+$ syscode/ platform/[^/]+$" ;;
    app/cli/*) echo "base/ wmi/[^/]+$ syscode/ app/[^/]+$ app/cli/" ;;
    app/qt/*) echo "base/ wmi/[^/]+$ syscode/ app/[^/]+$ app/qt/" ;;
    app/win32/*) echo "base/ wmi/[^/]+$ syscode/ app/[^/]+$ app/win32/" ;;
    app/*) echo "base/ wmi/[^/]+$ syscode/ app/[^/]+$" ;;
    lib/*) echo "base/ wmi/[^/]+$ syscode/ lib/" ;;
    include/*) echo "syscode/syscode.h$" ;;
    *) echo "ANY" ;;
  esac
}

failures=0
checked=0
while IFS= read -r -d '' file; do
  file=${file#./}
  allowed=$(allowed_for "$file")
  [[ $allowed == ANY ]] && continue
  checked=$((checked + 1))
  while IFS=: read -r line target; do
    ok=0
    for prefix in $allowed; do
      if [[ $target =~ ^$prefix ]]; then ok=1; break; fi
    done
    # A file's own header beside it (quoted without a folder) is its folder's.
    [[ $target != */* ]] && ok=1
    if ((!ok)); then
      echo "$file:$line: includes \"$target\" against the layers (allowed: $allowed)"
      failures=$((failures + 1))
    fi
  done < <(awk 'match($0, /^[[:space:]]*#[[:space:]]*include[[:space:]]*"[^"]+"/) {
                  target = substr($0, RSTART, RLENGTH); sub(/^[^"]*"/, "", target); sub(/"$/, "", target)
                  print FNR ":" target
                }' "$file")
done < <(find base wmi syscode platform app lib include -type f \
           \( -name '*.h' -o -name '*.cc' -o -name '*.c' -o -name '*.cpp' \) -print0 2>/dev/null)

# Links: a layer's own CMakeLists.txt names no library of a layer above it.
layers=(base:syscode_base wmi:syscode_wmi syscode:syscode_code platform:syscode_platform)
above_all="syscode_engine syscode_app syscode_cli_core syscode_qt syscode_static syscode_shared"
for ((i = 0; i < ${#layers[@]}; i++)); do
  folder=${layers[i]%%:*}
  above=$above_all
  for ((j = i + 1; j < ${#layers[@]}; j++)); do above+=" ${layers[j]#*:}"; done
  while IFS= read -r -d '' cmake; do
    for lib in $above; do
      if awk -v lib="$lib" '/target_link_libraries\(/ { inside = 1 }
                             inside && $0 ~ ("(^|[^_[:alnum:]])" lib "([^_[:alnum:]]|$)") { found = 1 }
                             inside && /\)/ { inside = 0 }
                             END { exit !found }' "$cmake"; then
        echo "$cmake: links $lib, a library above the $folder layer"
        failures=$((failures + 1))
      fi
    done
  done < <(find "$folder" -name CMakeLists.txt -print0 2>/dev/null)
done

if ((failures)); then
  echo "layers: $failures against the direction ($checked files checked)"
  exit 1
fi
echo "layers: $checked files keep the direction"
