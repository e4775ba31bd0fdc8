// Win32_BIOS and Win32_BaseBoard from the ACPI FADT and the SMBIOS strings
// the kernel exports, and the firmware facts that decide what Windows would
// show of them: the boot mode (UEFI or legacy BIOS) and whether Windows
// finds the SMBIOS tables at all.
#pragma once

#include <optional>
#include <string>

#include "platform/linux/class_schema.h"

namespace wmi::linux_layer {

// The files these classes read (live paths).
inline constexpr char kDmiFolder[] = "/sys/class/dmi/id";
inline constexpr char kFadtPath[] = "/sys/firmware/acpi/tables/FACP";
inline constexpr char kEfiFolder[] = "/sys/firmware/efi";
inline constexpr char kAcpiFolder[] = "/sys/firmware/acpi";
inline constexpr char kSmbiosEntryPointPath[] = "/sys/firmware/dmi/tables/smbios_entry_point";
inline constexpr char kBoardSerialPath[] = "/sys/class/dmi/id/board_serial";

// The machine booted through UEFI (the kernel shows /sys/firmware/efi).
bool BootsWithUefi(const FileTree& tree);

// Whether Windows would find the SMBIOS tables: there are some
// (/sys/class/dmi/id), and the machine booted through UEFI or its entry
// point is a 32-bit one. A legacy-BIOS boot whose only entry point is the
// SMBIOS 3.0 one ("_SM3_") shows Windows no SMBIOS at all. When the entry
// point cannot be read (it is root's), the tables count as found.
bool SmbiosVisibleToWindows(const FileTree& tree);

// Whether the kernel shows SMBIOS base-board data (any of board_vendor,
// board_name, board_version, board_serial).
bool HasBaseBoardData(const FileTree& tree);

// Whether Windows would show that base board: there is such data and
// Windows finds the SMBIOS tables.
bool HasBaseBoard(const FileTree& tree);

// The rows of Win32_BIOS (always one instance) and Win32_BaseBoard (one
// when HasBaseBoard, else none).
const ClassSchema& BiosClass();
const ClassSchema& BaseBoardClass();

}  // namespace wmi::linux_layer
