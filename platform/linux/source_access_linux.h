// The Linux side of syscode/source_access.h. An ordinary user cannot read
// the ACPI FADT (BiosVersion), the base-board serial (BaseBordSerialNumber),
// the SMBIOS entry point (which decides, on a legacy-BIOS boot, whether
// Windows would see a base board at all: BaseBordSerialNumber and
// BaseBordManufacturer) and the first drive's device node
// (DiskDriveSignature). Each is listed when opening it failed for another
// reason than its absence, as a privileged one only when the failure was
// "permission denied" for a process that is not root.
#pragma once

#include <vector>

#include "platform/linux/machine.h"
#include "syscode/source_access.h"

namespace wmi::linux_layer {

// The sources of `machine` that this process could not read; `privileged` tells
// that the process runs as root (then no refusal is one root would lift).
// Asks the probe why each file failed to open; without a probe, nothing.
std::vector<syscode::SourceAccess> UnreadableSources(const LinuxMachine& machine, bool privileged);

// The text of an open error: "permission denied" (EACCES), "operation not
// permitted" (EPERM), ..., "error N" for others.
syscode::Text OpenErrorText(int error);

}  // namespace wmi::linux_layer
