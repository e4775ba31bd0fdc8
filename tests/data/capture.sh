#!/bin/sh
# Captures the files the Linux hardware layer reads into a small tree that the
# tests can use as a root folder:
#   capture.sh DEST
# DEST receives proc/cpuinfo, the CPU topology, /sys/class/dmi/id, the FADT
# header, the /sys/block entries of the drives, the udev records of the
# drives, cpuid.txt (CPUID leaf 1, when a C compiler is at hand) and
# sectors/<disk>.hex (the first sector, when it can be read). Files this
# user cannot read are left out, so a capture made without root is a
# "non-root view" of the machine.
set -eu

dest=${1:?usage: capture.sh DEST}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)

# copy FILE: copies a readable regular file to the same path below DEST.
copy() {
  [ -f "$1" ] && [ -r "$1" ] || return 0
  mkdir -p "$dest$(dirname "$1")"
  cat "$1" > "$dest$1" 2>/dev/null || rm -f "$dest$1"
}

# cpuinfo without its long feature lists ("flags", "bugs" and the like).
if [ -r /proc/cpuinfo ]; then
  mkdir -p "$dest/proc"
  grep -vE '^(flags|bugs|vmx flags|power management|Features)[[:space:]]*:' /proc/cpuinfo > "$dest/proc/cpuinfo" || true
fi
for f in /sys/devices/system/cpu/cpu[0-9]*/topology/physical_package_id; do copy "$f"; done

if [ -d /sys/class/dmi/id ]; then
  mkdir -p "$dest/sys/class/dmi/id"
  for f in bios_vendor bios_version bios_date product_serial board_vendor board_name board_version board_serial; do
    copy "/sys/class/dmi/id/$f"
  done
fi

# Only the 36-byte header of the FADT is read.
if [ -r /sys/firmware/acpi/tables/FACP ]; then
  mkdir -p "$dest/sys/firmware/acpi/tables"
  head -c 36 /sys/firmware/acpi/tables/FACP > "$dest/sys/firmware/acpi/tables/FACP"
fi

mkdir -p "$dest/sys/block"
for entry in /sys/block/*; do
  [ -e "$entry" ] || continue
  name=$(basename "$entry")
  link=$(readlink "$entry" || true)
  if [ -n "$link" ]; then
    # The entry stays a link to a folder of the same relative path.
    real="$dest/sys/block/$link"
    mkdir -p "$real"
    ln -sfn "$link" "$dest/sys/block/$name"
  else
    real="$dest/sys/block/$name"
    mkdir -p "$real"
  fi
  for f in dev removable size serial queue/logical_block_size; do
    if [ -r "$entry/$f" ]; then mkdir -p "$(dirname "$real/$f")"; cat "$entry/$f" > "$real/$f"; fi
  done
  if [ -e "$entry/device" ]; then
    mkdir -p "$real/device"
    for f in uevent serial model vpd_pg80; do
      [ -r "$entry/device/$f" ] && cat "$entry/device/$f" > "$real/device/$f" 2>/dev/null || rm -f "$real/device/$f"
    done
  fi
  for part in "$entry/$name"*; do
    [ -e "$part/partition" ] || continue
    mkdir -p "$real/$(basename "$part")"
    cat "$part/partition" > "$real/$(basename "$part")/partition"
  done
  if [ -r "$entry/dev" ]; then copy "/run/udev/data/b$(cat "$entry/dev")"; fi
  case $name in loop*|ram*|zram*|dm-*|md*|nbd*|sr*|fd*) continue ;; esac
  if [ -r "/dev/$name" ]; then
    mkdir -p "$dest/sectors"
    head -c 512 "/dev/$name" 2>/dev/null | od -An -v -tx1 | tr -d ' \n' > "$dest/sectors/$name.hex" || true
    [ -s "$dest/sectors/$name.hex" ] || rm -f "$dest/sectors/$name.hex"
  fi
done

# CPUID leaf 1 through a throwaway C program.
if command -v cc >/dev/null 2>&1; then
  tmp=$(mktemp -d)
  cat > "$tmp/cpuid.c" <<'C'
#include <stdio.h>
#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
int main(void) {
  unsigned a, b, c, d;
  if (!__get_cpuid(1, &a, &b, &c, &d)) return 1;
  printf("eax=%08X edx=%08X\n", a, d);
  return 0;
}
#else
int main(void) { return 1; }
#endif
C
  if cc -o "$tmp/cpuid" "$tmp/cpuid.c" 2>/dev/null && "$tmp/cpuid" > "$dest/cpuid.txt"; then :; else rm -f "$dest/cpuid.txt"; fi
  rm -rf "$tmp"
fi
rmdir "$dest/sectors" 2>/dev/null || true
echo "captured into $dest"
