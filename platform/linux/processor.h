// Win32_Processor from /proc/cpuinfo, the CPU topology in sysfs and CPUID.
#pragma once

#include "platform/linux/class_schema.h"

namespace wmi::linux_layer {

// The row of Win32_Processor: one instance per physical package, in
// ascending package id (docs/linux-sources.md).
const ClassSchema& ProcessorClass();

}  // namespace wmi::linux_layer
