// The five WMI classes the Linux layer answers (Win32_Processor, Win32_BIOS,
// Win32_BaseBoard, Win32_PhysicalMedia, Win32_DiskDrive) as one table: each
// row holds a class's schema and its reader (processor.h, firmware.h,
// drives.h). Every call reads its sources afresh; docs/linux-sources.md
// tells, per property, where each value comes from and why.
#pragma once

#include <optional>
#include <vector>

#include "platform/linux/class_schema.h"
#include "base/text.h"

namespace wmi::linux_layer {

// The rows, in the order the table lists them.
const std::vector<const ClassSchema*>& ClassTable();

// WMI's comparison of class, property and namespace names: ASCII letters
// match regardless of case.
bool EqualsNoCase(syscode::TextView a, syscode::TextView b);

// The class's name as this layer spells it ("Win32_BIOS") for `name` in any
// letter case; nullopt for a class the layer does not provide.
std::optional<Text> CanonicalClassName(const Text& name);

// The property names of a class (canonical name), in enumeration order.
std::vector<Text> ClassPropertyNames(const Text& canonical_class);

// Reads the instances of a class (canonical name) from `sources` now.
// Throws SchemaError when a reader breaks its class's schema.
std::vector<WmiInstance> ReadInstances(const Text& canonical_class, const MachineSources& sources);

}  // namespace wmi::linux_layer
