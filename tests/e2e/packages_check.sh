#!/usr/bin/env bash
# Makes the release packages and checks them as a packager would:
#   - the Debian packages: the expected split, every file of a plain install
#     in some package, lintian -I -E --pedantic with
#     no error or warning that packaging/debian/lintian-overrides does not
#     explain, the symbols file against the library, an install into a
#     throw-away root (dpkg --root over a copy of this machine's package
#     database, so dependencies are checked for real) where the installed
#     syscode-cli runs and the vendor example builds against libsyscode-dev
#     (pkg-config, static archive, CMake package), a headless syscode-cli
#     that pulls in no Qt, and a clean removal;
#   - the Windows zip: one top-level folder with the programs, the library
#     for a vendor, the README and the licence notices; every .exe and .dll
#     imports only DLLs that come with Windows; syscode-cli.exe carries its
#     version resource and manifest.
# Usage: packages_check.sh [NATIVE_BUILD_DIR [MINGW_BUILD_DIR]]
#   (default build/default and build/mingw, both already built)
# No -e and no pipefail: every check reports itself, and `... | grep -q`
# must not fail because grep stopped reading early.
set -u
src=$(cd "$(dirname "$0")/../.." && pwd)
native=$(realpath "${1:-$src/build/default}")
mingw=$(realpath "${2:-$src/build/mingw}")
overrides=$src/packaging/debian/lintian-overrides

failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }
die() { echo "FAIL: $*" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$native/CMakeCache.txt")
[[ -n $version ]] || die "no project version in $native/CMakeCache.txt"
arch=$(dpkg --print-architecture)
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
debver=$version-1

# ---- make the packages (old ones would be checked too) ----------------------
rm -rf "$native/packages" "$mingw/packages"
(cd "$native" && cpack >"$tmp/cpack-native.log" 2>&1) || { cat "$tmp/cpack-native.log"; die "cpack in $native"; }
(cd "$mingw" && cpack >"$tmp/cpack-mingw.log" 2>&1) || { cat "$tmp/cpack-mingw.log"; die "cpack in $mingw"; }

# ---- the split -------------------------------------------------------------
expected=(libsyscode1 libsyscode-dev syscode-cli syscode)
if find "$native" -name cmake_install.cmake -exec grep -qs 'CMAKE_INSTALL_COMPONENT STREQUAL "python"' {} + ; then
  expected+=(python3-syscode)
fi
declare -A deb
for f in "$native"/packages/*.deb; do
  [[ -e $f ]] || continue
  p=$(dpkg-deb -f "$f" Package)
  if [[ " ${expected[*]} " == *" $p "* ]]; then deb[$p]=$f; else fail "unexpected package $p"; fi
  [[ $(basename "$f") == "${p}_${debver}_$(dpkg-deb -f "$f" Architecture).deb" ]] || fail "$f: not named package_version_architecture.deb"
done
for p in "${expected[@]}"; do
  [[ -n ${deb[$p]:-} ]] || fail "no package $p"
done
((failures == 0)) || die "the packages are not the expected set"
echo "packages:"
for p in "${expected[@]}"; do printf '  %-50s %8d bytes\n' "$(basename "${deb[$p]}")" "$(stat -c %s "${deb[$p]}")"; done

# ---- lintian ---------------------------------------------------------------
# Every error and warning must be named in the override file ("package: tag"
# or "*: tag", each under a comment giving the reason).
lintian -I -E --pedantic --fail-on none --tag-display-limit 0 "${deb[@]}" >"$tmp/lintian.txt" 2>&1 ||
  { cat "$tmp/lintian.txt"; die "lintian itself failed"; }
grep -v '^running with root privileges' "$tmp/lintian.txt" || true
explained=$(grep -Ev '^\s*(#|$)' "$overrides" | awk '{print $1, $2}')
unexplained=0
while read -r severity package tag _; do
  package=${package%:}
  if ! grep -qxF -e "$package: $tag" -e "*: $tag" <<<"$explained"; then
    echo "  not explained: $severity $package: $tag" >&2
    unexplained=$((unexplained + 1))
  fi
done < <(grep -E '^[EW]: ' "$tmp/lintian.txt")
if ((unexplained)); then fail "lintian: errors or warnings not in $overrides"; else ok "lintian: no unexplained error or warning"; fi

# ---- contents and control fields -------------------------------------------
libdir=usr/lib/$multiarch
contents() { dpkg-deb -c "${deb[$1]}" | awk '{print $6}' | sed 's|^\./||'; }
has() {  # has PACKAGE PATH...: the package holds every PATH
  local p=$1; shift
  local list; list=$(contents "$p")
  for f in "$@"; do grep -qxF "$f" <<<"$list" || fail "$p lacks /$f"; done
}
lacks() {  # lacks PACKAGE REGEX: no path of the package matches REGEX
  if contents "$1" | grep -Eq "$2"; then fail "$1 holds $(contents "$1" | grep -E "$2" | head -1)"; fi
}
for p in "${expected[@]}"; do
  has "$p" "usr/share/doc/$p/copyright" "usr/share/doc/$p/changelog.Debian.gz"
done
has libsyscode1 "$libdir/libsyscode.so.1" "$libdir/libsyscode.so.$version"
lacks libsyscode1 '\.(a|h|pc)$|libsyscode\.so$|^usr/bin/'
has libsyscode-dev "$libdir/libsyscode.so" "$libdir/libsyscode.a" usr/include/syscode/syscode.h \
  "$libdir/pkgconfig/syscode.pc" "$libdir/cmake/syscode/syscodeConfig.cmake"
lacks libsyscode-dev 'libsyscode\.so\.|^usr/bin/'
has syscode-cli usr/bin/syscode-cli usr/share/man/man1/syscode-cli.1.gz
lacks syscode-cli 'usr/lib/|\.desktop$|usr/bin/syscode$'
has syscode usr/bin/syscode usr/share/man/man1/syscode.1.gz usr/share/applications/syscode.desktop \
  usr/share/icons/hicolor/48x48/apps/syscode.png
lacks syscode 'usr/lib/|usr/bin/syscode-cli'
recommends=$(dpkg-deb -f "${deb[syscode]}" Recommends)
for font in fonts-dejavu-core fonts-liberation2; do
  grep -qw -- "$font" <<<"$recommends" || fail "syscode does not recommend $font"
done
dpkg-deb -f "${deb[libsyscode-dev]}" Depends | grep -qF "libsyscode1 (= $debver)" ||
  fail "libsyscode-dev does not depend on libsyscode1 (= $debver)"
for p in "${expected[@]}"; do
  synopsis=$(dpkg-deb -f "${deb[$p]}" Description | head -1)
  for q in "${expected[@]}"; do
    [[ $p == "$q" ]] && continue
    [[ $synopsis != "$(dpkg-deb -f "${deb[$q]}" Description | head -1)" ]] || fail "$p and $q share the synopsis"
  done
done

# Whatever a plain install gives is in some package: an install rule
# without a component, or with one no package takes, would be lost.
cmake --install "$native" --prefix "$tmp/plain/usr" >/dev/null || fail "cmake --install $native failed"
(cd "$tmp/plain" && find . ! -type d | sed 's|^\./||' | sort) >"$tmp/plain.list"
for p in "${expected[@]}"; do contents "$p"; done | sort -u >"$tmp/packaged.list"
unpackaged=$(comm -23 "$tmp/plain.list" "$tmp/packaged.list")
if [[ -z $unpackaged ]]; then ok "every installed file is in a package"; else fail "installed but in no package: ${unpackaged//$'\n'/ }"; fi

dpkg-deb --ctrl-tarfile "${deb[libsyscode1]}" | tar -t | sed 's|^\./||' >"$tmp/control-files"
for f in shlibs symbols triggers; do grep -qx "$f" "$tmp/control-files" || fail "libsyscode1 has no $f control file"; done
for f in postinst postrm preinst prerm; do grep -qx "$f" "$tmp/control-files" && fail "libsyscode1 has a $f script"; done
dpkg-deb --info "${deb[libsyscode1]}" triggers | grep -qx 'activate-noawait ldconfig' || fail "libsyscode1 does not trigger ldconfig"
dpkg-deb --info "${deb[libsyscode1]}" shlibs | grep -qx "libsyscode 1 libsyscode1 (>= $version)" || fail "libsyscode1's shlibs"

mkdir -p "$tmp/x/lib" "$tmp/x/dev"
dpkg-deb -x "${deb[libsyscode1]}" "$tmp/x/lib"
dpkg-deb -x "${deb[libsyscode-dev]}" "$tmp/x/dev"
readelf -d "$tmp/x/lib/$libdir/libsyscode.so.$version" | grep -q 'SONAME.*\[libsyscode\.so\.1\]' || fail "SONAME is not libsyscode.so.1"
if objdump -h "$tmp/x/dev/$libdir/libsyscode.a" | grep -q '\.debug_'; then fail "libsyscode.a has debug information"; fi
printf '  static library: %d bytes\n' "$(stat -c %s "$tmp/x/dev/$libdir/libsyscode.a")"

# The symbols file names exactly what the library exports (a function added
# or lost without it is a fault).
mkdir -p "$tmp/gensymbols/debian"
printf 'Source: syscode\n\nPackage: libsyscode1\nArchitecture: %s\n' "$arch" >"$tmp/gensymbols/debian/control"
if (cd "$tmp/gensymbols" && dpkg-gensymbols -v"$debver" -plibsyscode1 -P"$tmp/x/lib" \
      -I"$src/packaging/debian/libsyscode1.symbols" -O"$tmp/gensymbols/out" -c4 >"$tmp/gensymbols/log" 2>&1); then
  ok "the symbols file matches the library's exports"
else
  cat "$tmp/gensymbols/log"; fail "the symbols file does not match the library"
fi

# ---- headless: syscode-cli pulls in no Qt ----------------------------------
cli_relations=$(dpkg-deb -f "${deb[syscode-cli]}" Pre-Depends Depends Recommends)
if grep -Eiq 'qt|syscode\b|fonts-' <<<"$cli_relations"; then fail "syscode-cli depends on: $cli_relations"; fi
closure=$(dpkg-deb -f "${deb[syscode-cli]}" Depends | sed 's/[,|]/\n/g' | sed 's/(.*//; s/:any//' | awk 'NF {print $1}' |
  xargs apt-cache depends --recurse --no-recommends --no-suggests --no-conflicts --no-breaks \
    --no-replaces --no-enhances 2>/dev/null | grep -v '^ ' | sort -u)
[[ -n $closure ]] || fail "apt-cache depends gave nothing for syscode-cli's Depends"
if grep -Ei '^libqt|^qt6' <<<"$closure"; then fail "installing syscode-cli pulls in Qt"; else ok "syscode-cli's dependency closure holds no Qt"; fi

# ---- install into a throw-away root ----------------------------------------
# The root's package database is this machine's (without any syscode
# package), so dpkg checks the dependencies against what is really here.
root=$tmp/root
mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
touch "$root/var/lib/dpkg/available"
awk -v RS= -v ORS='\n\n' '!/^Package: (libsyscode1|libsyscode-dev|syscode-cli|syscode|python3-syscode)\n/' \
  /var/lib/dpkg/status >"$root/var/lib/dpkg/status"
dpkg_root() { dpkg --root="$root" --force-not-root --force-script-chrootless "$@" >>"$tmp/dpkg.log" 2>&1; }

if dpkg_root -i "${deb[syscode-cli]}"; then
  ok "syscode-cli installs alone"
else
  cat "$tmp/dpkg.log"; fail "syscode-cli does not install alone"
fi
out=$("$root/usr/bin/syscode-cli" --version) || fail "the installed syscode-cli --version failed"
if [[ $out == "syscode-cli $version" ]]; then ok "installed syscode-cli --version: $out"; else fail "syscode-cli --version printed: $out"; fi
dpkg_root -P syscode-cli || { cat "$tmp/dpkg.log"; fail "syscode-cli does not remove"; }

if dpkg_root -i "${deb[@]}"; then ok "all packages install"; else cat "$tmp/dpkg.log"; die "the packages do not install"; fi
for p in "${expected[@]}"; do
  dpkg-query --admindir="$root/var/lib/dpkg" -W -f='${Status}' "$p" | grep -q 'install ok installed' || fail "$p is not installed"
done

# Every library an installed binary needs comes from a package it depends
# on (libsyscode1's Depends are worked out by our own packaging code).
declares_needs() {  # declares_needs PACKAGE FILE
  local depends soname path owner
  depends=$(dpkg-deb -f "${deb[$1]}" Pre-Depends Depends | sed 's/^[A-Za-z-]*: //; s/[,|]/\n/g' |
    sed 's/(.*//; s/:any//' | awk 'NF {print $1}')
  while read -r soname; do
    # "soname => path (address)", or "path (address)" for the loader
    path=$(LD_LIBRARY_PATH=$root/$libdir ldd "$2" | awk -v s="$soname" '
      $1 == s && $2 == "=>" {print $3; exit}
      $1 ~ ("/" s "$") {print $1; exit}')
    if [[ -z $path || $path == not ]]; then fail "$1: $2 needs $soname, which is not found"; continue; fi
    if [[ $path == "$root"/* ]]; then
      owner=$(for p in "${expected[@]}"; do contents "$p" | grep -qxF "${path#"$root"/}" && echo "$p"; done)
    else
      owner=$(dpkg -S "$path" 2>/dev/null || dpkg -S "$(realpath "$path")" 2>/dev/null)
      owner=$(sed -n '1s/[:,].*//p' <<<"$owner")
    fi
    grep -qxF "$owner" <<<"$depends" || fail "$1: $soname (from ${owner:-no package}) is not in its Depends"
  done < <(readelf -d "$2" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
}
declares_needs libsyscode1 "$root/$libdir/libsyscode.so.$version"
declares_needs syscode-cli "$root/usr/bin/syscode-cli"
declares_needs syscode "$root/usr/bin/syscode"

# The vendor example against the installed library: shared through the
# installed pkg-config file, static through the archive, and through the
# installed CMake package.
example=$src/examples/vendor/example.c
lib_path=$root/$libdir
want="recorded press: 900603007249AQRXZ7MK29X31"
run_example() {  # run_example HOW PROGRAM
  local out
  if ! out=$(LD_LIBRARY_PATH=$lib_path "$2"); then fail "example ($1) failed"; return; fi
  if grep -Eq '^this machine: [0-9A-Z]{4}([0-9A-Z]{21})?$' <<<"$out" && grep -qxF "$want" <<<"$out"; then
    ok "example ($1) built against the installed packages works"
  else
    fail "example ($1) printed: $out"
  fi
}
export PKG_CONFIG_LIBDIR=$lib_path/pkgconfig PKG_CONFIG_PATH=
read -ra pc_flags <<<"$(pkg-config --cflags --libs syscode)" || fail "pkg-config finds no installed syscode"
read -ra pc_cflags <<<"$(pkg-config --cflags syscode)"
read -ra pc_static_libs <<<"$(pkg-config --libs-only-l --static syscode | sed 's/-lsyscode//')"
pc_include=$(realpath -m "$(pkg-config --variable=includedir syscode)")
pc_libdir=$(realpath -m "$(pkg-config --variable=libdir syscode)")
[[ $pc_include == "$root/usr/include" && $pc_libdir == "$lib_path" ]] ||
  fail "the installed syscode.pc points to $pc_include and $pc_libdir"
if cc -Wall -Wextra -Werror -std=c99 "$example" "${pc_flags[@]}" -o "$tmp/example_shared"; then
  LD_LIBRARY_PATH=$lib_path ldd "$tmp/example_shared" | grep -qF "libsyscode.so.1 => $lib_path/libsyscode.so.1" ||
    fail "example does not load the installed libsyscode.so.1"
  run_example shared "$tmp/example_shared"
else
  fail "example does not build with the installed pkg-config file"
fi
if cc -std=c99 "$example" "${pc_cflags[@]}" "$lib_path/libsyscode.a" "${pc_static_libs[@]}" -o "$tmp/example_static"; then
  run_example static "$tmp/example_static"
else
  fail "example does not build with the installed static library"
fi
mkdir "$tmp/project"
cp "$example" "$tmp/project/"
cat >"$tmp/project/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(vendor C)
find_package(syscode 1.0 REQUIRED)
add_executable(example_shared example.c)
target_link_libraries(example_shared PRIVATE syscode::syscode)
CMAKE
if cmake -S "$tmp/project" -B "$tmp/project/build" -DCMAKE_PREFIX_PATH="$root/usr" >"$tmp/cmake.log" 2>&1 &&
   cmake --build "$tmp/project/build" >>"$tmp/cmake.log" 2>&1; then
  run_example "CMake package" "$tmp/project/build/example_shared"
else
  cat "$tmp/cmake.log"; fail "example does not build with the installed CMake package"
fi

# The Python module from python3-syscode, over the installed library.
if [[ -n ${deb[python3-syscode]:-} ]]; then
  out=$(cd "$tmp" && LD_LIBRARY_PATH=$lib_path PYTHONPATH=$root/usr/lib/python3/dist-packages python3 -c \
    'import syscode; print(syscode.__file__); print(syscode.version())' 2>&1)
  if [[ $out == "$root/usr/lib/python3/dist-packages/syscode.py"$'\n'"$version" ]]; then
    ok "the installed Python module loads the installed library"
  else
    fail "the installed Python module: $out"
  fi
fi

# Removal leaves nothing behind.
dpkg_root -P "${expected[@]}" || { cat "$tmp/dpkg.log"; fail "the packages do not remove"; }
left=$(find "$root" -path "$root/var" -prune -o ! -type d -print)
if [[ -z $left ]]; then ok "removal leaves no file"; else fail "left after removal: $left"; fi

# ---- the Windows zip -------------------------------------------------------
top=syscode-$version-windows-x64
zip=$mingw/packages/$top.zip
[[ -f $zip ]] || die "no $zip"
printf '  %-50s %8d bytes\n' "$(basename "$zip")" "$(stat -c %s "$zip")"
entries=$(unzip -Z1 "$zip")
outside=$(grep -v "^$top/" <<<"$entries" || true)
if [[ -z $outside ]]; then ok "zip: every entry in $top/"; else fail "zip entries outside $top/: $outside"; fi
for f in syscode.exe syscode-cli.exe README.md LICENSE THIRD-PARTY-NOTICES.txt include/syscode/syscode.h; do
  grep -qxF "$top/$f" <<<"$entries" || fail "zip lacks $top/$f"
done
# Whatever a plain install of the Windows build gives is in the zip.
cmake --install "$mingw" --prefix "$tmp/plain-windows" >/dev/null || fail "cmake --install $mingw failed"
unzipped=$(sed -n "s|^$top/||p" <<<"$entries" | grep -v '/$' | sort)
unpackaged=$(cd "$tmp/plain-windows" && find . ! -type d | sed 's|^\./||' | sort | comm -23 - <(echo "$unzipped"))
if [[ -z $unpackaged ]]; then ok "zip: every installed file is in it"; else fail "installed but not in the zip: ${unpackaged//$'\n'/ }"; fi
# The library as a DLL, with its import library, once the build makes one.
for dll in "$mingw"/bin/*syscode*.dll; do
  [[ -e $dll ]] || continue
  grep -q "^$top/.*$(basename "$dll")\$" <<<"$entries" || fail "zip lacks $(basename "$dll")"
  grep -q "^$top/lib/.*\.dll\.a\$" <<<"$entries" || fail "zip lacks the import library of $(basename "$dll")"
done
grep -q 'Independent JPEG Group' <(unzip -p "$zip" "$top/THIRD-PARTY-NOTICES.txt") || fail "zip's notices lack libjpeg-turbo's"

unzip -q "$zip" -d "$tmp/zip"
allowed=$(sed -n '/^set(allowed/,/)/p' "$src/tests/windows/check_dll_imports.cmake" | grep -o '[a-z0-9_]*\.dll')
[[ -n $allowed ]] || die "no list of system DLLs in tests/windows/check_dll_imports.cmake"
while IFS= read -r -d '' binary; do
  name=${binary#"$tmp/zip/"}
  imports=$(x86_64-w64-mingw32-objdump -p "$binary" | sed -n 's/^\s*DLL Name: //p' | tr '[:upper:]' '[:lower:]')
  [[ -n $imports ]] || fail "$name: no imports read"
  bad=$(grep -vxF -f <(echo "$allowed") <<<"$imports" || true)
  if [[ -z $bad ]]; then ok "$name imports only system DLLs: ${imports//$'\n'/ }"; else fail "$name imports ${bad//$'\n'/ }"; fi
done < <(find "$tmp/zip" -type f \( -iname '*.exe' -o -iname '*.dll' \) -print0)

cli=$tmp/zip/$top/syscode-cli.exe
resource_strings=$(strings -el "$cli")
if ! grep -qx 'syscode-cli.exe' <<<"$resource_strings" || ! grep -qxF "$version" <<<"$resource_strings"; then
  fail "syscode-cli.exe has no version resource"
fi
strings "$cli" | grep -q 'requestedExecutionLevel level="asInvoker"' || fail "syscode-cli.exe has no manifest"

if ((failures)); then
  echo "packages: $failures check(s) failed" >&2
  exit 1
fi
echo "packages: all checks passed"
