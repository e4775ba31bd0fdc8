// The five WMI classes the Linux layer answers (Win32_Processor, Win32_BIOS,
// Win32_BaseBoard, Win32_PhysicalMedia, Win32_DiskDrive), built from Linux
// sources with the CIM types and value forms Windows uses. Every call reads
// its sources afresh; docs/linux-sources.md tells, per property, where each
// value comes from and why.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/machine_sources.h"
#include "syscode/text.h"
#include "wmi/variant.h"

namespace wmi::linux_layer {

// CIM type codes (WbemCimtypeEnum).
inline constexpr std::int32_t kCimUint16 = 18;
inline constexpr std::int32_t kCimUint32 = 19;
inline constexpr std::int32_t kCimUint64 = 21;
inline constexpr std::int32_t kCimString = 8;
inline constexpr std::int32_t kCimBoolean = 11;
inline constexpr std::int32_t kCimDatetime = 101;

struct PropertyValue {
  Text name;
  std::int32_t cim_type = 0;
  Variant value;  // in the automation form WMI delivers (uint32 as VT_I4, uint64 as text, ...)
};

// One instance: its properties in the order the property set enumerates
// them (alphabetical, case-insensitive, as WMI does).
using WmiInstance = std::vector<PropertyValue>;

// WMI's comparison of class, property and namespace names: ASCII letters
// match regardless of case.
bool EqualsNoCase(syscode::TextView a, syscode::TextView b);

// The class's name as this layer spells it ("Win32_BIOS") for `name` in any
// letter case; nullopt for a class the layer does not provide.
std::optional<Text> CanonicalClassName(const Text& name);

// The property names of a class (canonical name), in enumeration order.
std::vector<Text> ClassPropertyNames(const Text& canonical_class);

// Reads the instances of a class (canonical name) from `sources` now.
std::vector<WmiInstance> ReadInstances(const Text& canonical_class, const MachineSources& sources);

// Whether the source of `wmi_class`.`property` (names in any case) is there
// but could not be read: the files only root may read (the FADT,
// product_serial, board_serial) exist and cannot be opened, or the first
// drive exists and its first sector cannot be read. False for every other
// property and when the source is simply absent. Lets a front end tell a
// user run that root would see more.
bool SourceUnreadable(const Text& wmi_class, const Text& property, const MachineSources& sources);

// A block device that counts as a physical drive, in drive-number order.
struct PhysicalDisk {
  std::string name;            // "sda", "nvme0n1"
  std::string device_path;     // the /sys/block link text; empty when the entry is no link
  std::string interface_type;  // "IDE", "SCSI", "USB"
  bool removable = false;
};

// The physical drives in the order Windows would number them
// (PHYSICALDRIVE0 first): see docs/linux-sources.md for the rule.
std::vector<PhysicalDisk> PhysicalDisks(const SourceTree& tree);

// The MBR disk signature of a first sector: the little-endian value at byte
// 440 when the sector ends in 55 AA and no partition entry has type EE
// (protective GPT); nullopt otherwise.
std::optional<std::uint32_t> MbrSignature(const std::string& first_sector);

}  // namespace wmi::linux_layer
