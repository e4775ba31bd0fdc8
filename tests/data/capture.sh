#!/bin/sh
# Captures the files the Linux hardware layer reads into a small tree that the
# tests can use as a root folder:
#   capture.sh DEST
# DEST receives proc/cpuinfo, the CPU topology, /sys/class/dmi/id, the FADT
# header, whether the machine booted through UEFI (sys/firmware/efi), the
# SMBIOS entry point (its anchor tells SMBIOS 2.x "_SM_" from 3.0 "_SM3_"),
# the /sys/block entries of the drives with their NVMe namespace ids (eui,
# nguid, wwid), the udev records of the drives, cpuid.txt (CPUID leaf 1,
# when a C compiler is at hand) and sectors/<disk>.hex (the first sector,
# when it can be read). Files this user cannot read are left out and listed
# with the reason in unreadable.txt ("EACCES /sys/class/dmi/id/board_serial"),
# so a capture made without root is a "non-root view" of the machine.
set -eu

dest=${1:?usage: capture.sh DEST}
mkdir -p "$dest"
dest=$(cd "$dest" && pwd)
: > "$dest/unreadable.txt"

# unreadable FILE: records why FILE, which exists, cannot be read.
unreadable() {
  why=$(head -c 1 "$1" 2>&1 >/dev/null || true)
  case $why in
    *"ermission denied"*) err=EACCES ;;
    *"peration not permitted"*) err=EPERM ;;
    *"o such device"*) err=ENXIO ;;
    *"esource busy"*) err=EBUSY ;;
    *) err=EIO ;;
  esac
  echo "$err $1" >> "$dest/unreadable.txt"
}

# copy FILE [HOW]: copies a regular file to the same path below DEST (HOW:
# a command that writes the part to keep, default all of it); a file that
# exists but cannot be read is recorded instead.
copy() {
  [ -f "$1" ] || return 0
  mkdir -p "$dest$(dirname "$1")"
  if ${2:-cat} "$1" > "$dest$1" 2>/dev/null; then :; else rm -f "$dest$1"; unreadable "$1"; fi
}
head36() { head -c 36 "$1"; }

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
# The SMBIOS entry point (root's): its anchor decides, on a legacy boot,
# whether Windows finds the tables.
copy /sys/firmware/dmi/tables/smbios_entry_point

# ACPI: pm_profile (anyone may read it) shows the tables exist; only the
# 36-byte header of the FADT is read.
copy /sys/firmware/acpi/pm_profile
copy /sys/firmware/acpi/tables/FACP head36

# UEFI boot: the kernel shows /sys/firmware/efi.
if [ -d /sys/firmware/efi ]; then
  mkdir -p "$dest/sys/firmware/efi"
  copy /sys/firmware/efi/fw_platform_size
  [ -e "$dest/sys/firmware/efi/fw_platform_size" ] || : > "$dest/sys/firmware/efi/present"
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
  for f in dev removable size serial hidden eui nguid wwid queue/logical_block_size; do
    if [ -r "$entry/$f" ]; then mkdir -p "$(dirname "$real/$f")"; cat "$entry/$f" > "$real/$f"; fi
  done
  if [ -e "$entry/device" ]; then
    mkdir -p "$real/device"
    # type: "SD" or "MMC" for an SD card or eMMC; serial and model: the
    # controller's (or, for an NVMe multipath head, the subsystem's).
    for f in uevent type serial model vpd_pg80; do
      [ -r "$entry/device/$f" ] || continue
      cat "$entry/device/$f" > "$real/device/$f" 2>/dev/null || rm -f "$real/device/$f"
    done
  fi
  for part in "$entry/$name"*; do
    [ -e "$part/partition" ] || continue
    mkdir -p "$real/$(basename "$part")"
    cat "$part/partition" > "$real/$(basename "$part")/partition"
  done
  if [ -r "$entry/dev" ]; then copy "/run/udev/data/b$(cat "$entry/dev")"; fi
  case $name in loop*|ram*|zram*|dm-*|md*|nbd*|sr*|fd*) continue ;; esac
  [ -e "/dev/$name" ] || continue
  mkdir -p "$dest/sectors"
  if head -c 512 "/dev/$name" 2>/dev/null | od -An -v -tx1 | tr -d ' \n' > "$dest/sectors/$name.hex" &&
     [ -s "$dest/sectors/$name.hex" ]; then :; else
    rm -f "$dest/sectors/$name.hex"
    unreadable "/dev/$name"
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
[ -s "$dest/unreadable.txt" ] || rm -f "$dest/unreadable.txt"
echo "captured into $dest"
