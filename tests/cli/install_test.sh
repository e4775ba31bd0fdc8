#!/bin/sh
# Installs the build into a temporary prefix, then builds the vendor example
# against the installed library: through pkg-config (shared and static) and
# through find_package(syscode); then imports the installed Python module. Usage: install_test.sh BUILD_DIR SOURCE_DIR CC CMAKE
set -eu
build=$1
source=$2
cc=$3
cmake=$4

if [ "$(uname -s)" != Linux ]; then
  echo "skipped: not on Linux"
  exit 0
fi
command -v pkg-config >/dev/null || { echo "pkg-config is missing" >&2; exit 1; }

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/prefix
"$cmake" --install "$build" --prefix "$prefix" >/dev/null

pc=$(find "$prefix" -name syscode.pc)
[ -n "$pc" ] || { echo "syscode.pc was not installed" >&2; exit 1; }
PKG_CONFIG_PATH=$(dirname "$pc")
export PKG_CONFIG_PATH
libdir=$(pkg-config --variable=libdir syscode)
expected="recorded press: 900603007249AQRXZ7MK29X31"

check() {  # check PROGRAM: runs it, wants two lines, the second the worked example
  out=$("$@")
  echo "$out" | grep -Eq '^this machine: [0-9A-Z]{4}([0-9A-Z]{21})?$' || { echo "bad output: $out" >&2; exit 1; }
  echo "$out" | grep -qx "$expected" || { echo "bad output: $out" >&2; exit 1; }
}

# Shared, through pkg-config; the SONAME must be found at run time.
# (pkg-config's flags are words of their own, hence unquoted.)
# shellcheck disable=SC2046
"$cc" -Wall -Wextra -Werror -std=c99 "$source/examples/vendor/example.c" $(pkg-config --cflags --libs syscode) \
  -o "$tmp/example_shared"
LD_LIBRARY_PATH=$libdir check "$tmp/example_shared"
readelf -d "$libdir/libsyscode.so" | grep -q 'SONAME.*libsyscode\.so\.1' || { echo "no SONAME" >&2; exit 1; }

# Static: the archive and the private libraries pkg-config names.
# shellcheck disable=SC2046
"$cc" -std=c99 "$source/examples/vendor/example.c" $(pkg-config --cflags syscode) "$libdir/libsyscode.a" \
  $(pkg-config --libs-only-l --static syscode | sed 's/-lsyscode//') -o "$tmp/example_static"
check "$tmp/example_static"

# CMake package.
mkdir "$tmp/project"
cat > "$tmp/project/CMakeLists.txt" <<'CMAKE'
cmake_minimum_required(VERSION 3.16)
project(vendor C)
find_package(syscode 1.0 REQUIRED)
add_executable(example_shared example.c)
target_link_libraries(example_shared PRIVATE syscode::syscode)
add_executable(example_static example.c)
target_link_libraries(example_static PRIVATE syscode::syscode_static)
CMAKE
cp "$source/examples/vendor/example.c" "$tmp/project/"
"$cmake" -S "$tmp/project" -B "$tmp/project/build" -DCMAKE_PREFIX_PATH="$prefix" -DCMAKE_C_COMPILER="$cc" >/dev/null
"$cmake" --build "$tmp/project/build" >/dev/null
check "$tmp/project/build/example_shared"
check "$tmp/project/build/example_static"

# The Python module, as installed: it finds the library of its own prefix
# without SYSCODE_LIBRARY or LD_LIBRARY_PATH.
module=$prefix/lib/python3/dist-packages/syscode.py
[ -f "$module" ] || { echo "the Python module was not installed" >&2; exit 1; }
out=$(cd "$tmp" && env -u SYSCODE_LIBRARY -u LD_LIBRARY_PATH PYTHONPATH="$(dirname "$module")" \
      python3 "$source/examples/vendor/example.py")
check echo "$out"
out=$(cd "$tmp" && env -u SYSCODE_LIBRARY -u LD_LIBRARY_PATH PYTHONPATH="$(dirname "$module")" \
      python3 -c 'import syscode; print("loaded: " + syscode.library()._name)')
echo "$out" | grep -q "^loaded: $prefix/" || { echo "the Python module loaded another library: $out" >&2; exit 1; }

echo "installed library works through pkg-config, find_package and Python"
