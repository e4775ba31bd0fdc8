#!/bin/sh
# Builds libjpeg-turbo for 64-bit Windows from Debian's source package, as a
# static library without SIMD, and installs it into <repo>/build/deps/mingw,
# where the mingw toolchain file looks for it (find_package(JPEG)).
#
# Idempotent: returns at once when the library is already installed. The
# sources are unpacked under build/deps/src; nothing of them is committed.
#
# Usage: scripts/build-libjpeg-mingw.sh [--force]
set -eu

repo=$(cd "$(dirname "$0")/.." && pwd)
deps="$repo/build/deps"
prefix="$deps/mingw"
src="$deps/src"
stamp="$prefix/.libjpeg-turbo-installed"
toolchain="$repo/cmake/mingw-w64-x86_64.cmake"

if [ "${1:-}" = "--force" ]; then
  rm -f "$stamp"
fi
if [ -e "$stamp" ] && [ -e "$prefix/lib/libjpeg.a" ] && [ -e "$prefix/include/jpeglib.h" ]; then
  echo "libjpeg-turbo for mingw already in $prefix"
  exit 0
fi

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# apt-get source needs a deb-src entry. Add one for bookworm only when no
# source list names deb-src at all, and refresh the lists only when the
# source package is still unknown.
if ! apt-cache showsrc libjpeg-turbo 2>/dev/null | grep -q '^Package: libjpeg-turbo'; then
  if ! grep -rqs '^\(Types:.*deb-src\|deb-src \)' /etc/apt/sources.list /etc/apt/sources.list.d/; then
    echo "Adding a deb-src entry for bookworm"
    as_root sh -c 'cat > /etc/apt/sources.list.d/debian-src.sources' <<'EOF'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
EOF
  fi
  as_root apt-get update
fi

mkdir -p "$src"
cd "$src"
srcdir=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -n 1)
if [ -z "$srcdir" ]; then
  # Unpacks with Debian's patches applied; no build dependencies needed.
  apt-get source --download-only libjpeg-turbo
  dsc=$(find . -maxdepth 1 -name 'libjpeg-turbo_*.dsc' | sort | tail -n 1)
  dpkg-source -x "$dsc"
  srcdir=$(find . -maxdepth 1 -type d -name 'libjpeg-turbo-*' | sort | tail -n 1)
fi
srcdir="$src/${srcdir#./}"

build="$src/build-mingw"
cmake -S "$srcdir" -B "$build" \
  -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
  -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_INSTALL_PREFIX="$prefix" \
  -DCMAKE_INSTALL_LIBDIR="$prefix/lib" \
  -DCMAKE_INSTALL_INCLUDEDIR="$prefix/include" \
  -DWITH_SIMD=0 -DENABLE_SHARED=0 -DENABLE_STATIC=1 \
  -DWITH_TURBOJPEG=0 -DWITH_JAVA=0 \
  -DCMAKE_POLICY_DEFAULT_CMP0091=NEW
cmake --build "$build" -j2
cmake --install "$build"
# The tools and documentation are of no use here; keep the prefix small.
rm -rf "${prefix:?}/bin" "$prefix/share/man" "$prefix/share/doc"
touch "$stamp"
echo "libjpeg-turbo for mingw installed in $prefix"
