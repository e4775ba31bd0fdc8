#!/bin/sh
# Builds a completed wbemdisp.dll (Wine's WMI scripting layer) from Debian's
# own source of the installed wine, with our patch to dlls/wbemdisp/locator.c
# (README.md beside this script says what and why). Only this one DLL is
# built, with the mingw-w64 compiler: no Wine build.
#
#   1. the source package of the installed wine version, downloaded once
#      into build/deps/src (a deb-src entry is added only when no source
#      list has one); only dlls/wbemdisp is unpacked from it, with the
#      Debian patches that touch it (none in 8.0~repack-4);
#   2. locator.patch applied to a copy;
#   3. one compiler call over locator.c, main.c and dll_entry.c, with the
#      stand-in headers of include/ and the type library and registration
#      resources of the installed builtin wbemdisp.dll (taken with windres).
#
# Quick when nothing changed: the output is rebuilt only when an input (the
# wine version, the builtin DLL, the compiler, this folder's files) did.
#
# Usage: tests/windows/wine-wbemdisp/build.sh [--force] [OUTPUT.dll]
#   default OUTPUT: <repo>/build/deps/wine-wbemdisp/wbemdisp.dll
set -eu

here=$(cd "$(dirname "$0")" && pwd)
repo=$(cd "$here/../../.." && pwd)
force=no
if [ "${1:-}" = "--force" ]; then
  force=yes
  shift
fi
out=${1:-$repo/build/deps/wine-wbemdisp/wbemdisp.dll}
src=$repo/build/deps/src
cc=x86_64-w64-mingw32-gcc
windres=x86_64-w64-mingw32-windres

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

version=$(dpkg-query -W -f='${Version}' wine 2>/dev/null || true)
if [ -z "$version" ]; then
  echo "$0: wine is not installed (scripts/setup --all installs it)" >&2
  exit 1
fi
plain=${version#*:}          # without an epoch, as in the file names
upstream=${plain%-*}         # the orig tarball's version
builtin=$(dpkg -L libwine 2>/dev/null | grep '/x86_64-windows/wbemdisp\.dll$' | head -n 1)
if [ -z "$builtin" ] || [ ! -f "$builtin" ]; then
  echo "$0: the builtin x86_64 wbemdisp.dll of libwine is missing" >&2
  exit 1
fi

mkdir -p "$(dirname "$out")" "$src"
exec 9>"$out.lock"
flock 9

key=$( {
  echo "$version"
  $cc --version | head -n 1
  cksum <"$builtin"
  cat "$0" "$here/locator.patch" "$here/dll_entry.c" "$here/wbemdisp.def" \
      "$here/include/wine/debug.h" "$here/include/wbemdisp_classes.h"
} | cksum)
if [ "$force" = no ] && [ -f "$out" ] && [ "$(cat "$out.inputs" 2>/dev/null)" = "$key" ]; then
  echo "wbemdisp.dll up to date: $out"
  exit 0
fi

# 1. The source package, once.
orig=$src/wine_$upstream.orig.tar.xz
debian=$src/wine_$plain.debian.tar.xz
if [ ! -f "$orig" ] || [ ! -f "$debian" ]; then
  if ! apt-cache showsrc wine 2>/dev/null | grep -qx "Version: $version"; then
    if ! grep -rqs '^\(Types:.*deb-src\|deb-src \)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      # shellcheck source=/dev/null
      suite=$(. /etc/os-release && echo "${VERSION_CODENAME:-bookworm}")
      echo "Adding a deb-src entry for $suite"
      as_root sh -c 'cat > /etc/apt/sources.list.d/debian-src.sources' <<EOF
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: $suite
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
    fi
    as_root apt-get update -qq
  fi
  (cd "$src" && apt-get source --download-only -qq "wine=$version")
fi

tree=$src/wine-$plain-wbemdisp
if [ ! -f "$tree/dlls/wbemdisp/locator.c" ]; then
  rm -rf "$tree.tmp"
  mkdir -p "$tree.tmp"
  tar -xJf "$orig" -C "$tree.tmp" --strip-components=1 --wildcards '*/dlls/wbemdisp/*'
  # Debian's patches, only where they touch dlls/wbemdisp.
  mkdir -p "$tree.tmp/.debian"
  tar -xJf "$debian" -C "$tree.tmp/.debian" debian/patches
  grep -v '^\s*\(#\|$\)' "$tree.tmp/.debian/debian/patches/series" | while read -r name _; do
    p=$tree.tmp/.debian/debian/patches/$name
    if grep -q '^+++ [^ ]*dlls/wbemdisp/' "$p"; then
      echo "applying Debian's $name to dlls/wbemdisp"
      awk '/^--- /{ keep = 0; held = $0; next }
           /^\+\+\+ /{ keep = ($2 ~ /dlls\/wbemdisp\//); if (keep) print held }
           /^diff /{ keep = 0 }
           keep' "$p" | patch -s -p1 -d "$tree.tmp"
    fi
  done
  rm -rf "$tree.tmp/.debian"
  mv "$tree.tmp" "$tree"
fi

# 2. Our patch, on a copy.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp -r "$tree/dlls" "$work/"
patch -s -p1 -d "$work" <"$here/locator.patch"

# 3. The DLL.
"$windres" -J coff -O coff -i "$builtin" -o "$work/resources.o"
d=$work/dlls/wbemdisp
"$cc" -shared -O2 -Wall -Wno-unused-function -DCONST_VTABLE -DWINE_NO_LONG_TYPES \
  -I"$here/include" -I"$d" \
  "$d/locator.c" "$d/main.c" "$here/dll_entry.c" "$work/resources.o" "$here/wbemdisp.def" \
  -loleaut32 -lole32 -luuid -static-libgcc -s -o "$out.tmp"
mv "$out.tmp" "$out"
echo "$key" >"$out.inputs"
echo "built $out (wine $version, our locator.patch)"
