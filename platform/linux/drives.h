// Win32_PhysicalMedia and Win32_DiskDrive from the block devices in sysfs,
// the udev database and the first sector of each drive: which block
// devices Windows would count as physical drives, in which order, and the
// serial number in the form Windows reports.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/class_schema.h"

namespace wmi::linux_layer {

// A block device that counts as a physical drive.
struct PhysicalDisk {
  std::string name;            // "sda", "nvme0n1"
  std::string device_path;     // the /sys/block link text; empty when the entry is no link
  std::string order_path;      // the path that places it: its own, or the first path device's of an NVMe multipath head
  std::string interface_type;  // "IDE", "SCSI", "USB"
  bool removable = false;      // removable media or an SD/MMC card
  int group = 0;               // 0 built-in fixed disk, 1 built-in removable or SD card, 2 USB
};

// The physical drives in the order Windows would number them
// (PHYSICALDRIVE0 first): see docs/linux-sources.md for the rule.
std::vector<PhysicalDisk> PhysicalDisks(const FileTree& tree);

// The serial number Windows reports for the drive (Win32_PhysicalMedia and
// Win32_DiskDrive): for NVMe the namespace's NGUID, else its EUI-64, in
// Windows' form ("0025_3846_3140_F11C."); else the drive's own serial.
std::optional<std::string> DiskSerial(const FileTree& tree, const PhysicalDisk& disk);

// Windows' form of an NVMe namespace identifier given as hexadecimal digits
// (separators such as "-" and " " are skipped): upper case, groups of four
// joined by "_", a final "."; nullopt unless there are 16 or 32 digits, not
// all zero.
std::optional<std::string> WindowsNamespaceIdForm(const std::string& text);

// The MBR disk signature of a first sector: the little-endian value at byte
// 440 when the sector ends in 55 AA and no partition entry has type EE
// (protective GPT); nullopt otherwise.
std::optional<std::uint32_t> MbrSignature(const std::string& first_sector);

// The rows of Win32_PhysicalMedia and Win32_DiskDrive: one instance per
// physical drive, in drive order.
const ClassSchema& PhysicalMediaClass();
const ClassSchema& DiskDriveClass();

}  // namespace wmi::linux_layer
