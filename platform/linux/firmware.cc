#include "platform/linux/firmware.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "wmi/property_text.h"

namespace wmi::linux_layer {

namespace {

// What Windows shows as the BIOS's name on a legacy-BIOS boot whose BIOS
// version list has no second entry.
constexpr char kDefaultBiosName[] = "Default System BIOS";

std::optional<std::string> DmiAttribute(const FileTree& tree, const char* name) {
  return tree.ReadAttribute(std::string(kDmiFolder) + "/" + name);
}

// "OEMID  - 1072009": the OEM id of the FADT's header as a C string (it ends
// at a NUL, blanks stay), " - ", the OEM revision in upper-case hexadecimal.
std::optional<std::string> AcpiBiosVersion(const FileTree& tree) {
  auto table = tree.ReadFile(kFadtPath);
  if (!table || table->size() < 28) return std::nullopt;
  std::string oem_id = table->substr(10, 6);
  oem_id = oem_id.substr(0, oem_id.find('\0'));
  std::uint32_t revision = 0;
  for (int i = 3; i >= 0; --i) revision = (revision << 8) | static_cast<unsigned char>((*table)[24 + i]);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%X", revision);
  return oem_id + " - " + hex;
}

bool AllDigits(const std::string& text) {
  return !text.empty() && std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// SMBIOS dates are "MM/DD/YYYY" (or "MM/DD/YY", meaning 19YY); WMI gives
// them as CIM datetime text "YYYYMMDD000000.000000+000".
std::optional<std::string> CimDate(const std::optional<std::string>& smbios_date) {
  if (!smbios_date) return std::nullopt;
  const std::string& date = *smbios_date;
  std::size_t a = date.find('/');
  std::size_t b = a == std::string::npos ? a : date.find('/', a + 1);
  if (b == std::string::npos) return std::nullopt;
  std::string month = date.substr(0, a);
  std::string day = date.substr(a + 1, b - a - 1);
  std::string year = date.substr(b + 1);
  if (!AllDigits(month) || !AllDigits(day) || !AllDigits(year)) return std::nullopt;
  if (month.size() > 2 || day.size() > 2 || (year.size() != 2 && year.size() != 4)) return std::nullopt;
  if (year.size() == 2) year = "19" + year;
  if (month.size() == 1) month = "0" + month;
  if (day.size() == 1) day = "0" + day;
  return year + month + day + "000000.000000+000";
}

// Win32_BIOS.Name (and Caption, Description): Windows shows the second entry
// of its BIOS version list. UEFI: the SMBIOS BIOS version. Legacy BIOS
// (a PC firmware, known by its ACPI or SMBIOS tables, without UEFI): the
// fixed text, as the ROM strings some legacy BIOSes add there cannot be read
// from Linux. Neither (a board without PC firmware): null.
std::optional<std::string> BiosName(const FileTree& tree, bool smbios) {
  if (BootsWithUefi(tree)) return smbios ? DmiAttribute(tree, "bios_version") : std::nullopt;
  if (tree.Exists(kAcpiFolder) || tree.Exists(kDmiFolder)) return std::string(kDefaultBiosName);
  return std::nullopt;
}

std::vector<WmiInstance> ReadBios(const ClassSchema& schema, const LinuxMachine& machine) {
  FileTree tree(machine.root);
  const bool smbios = SmbiosVisibleToWindows(tree);
  auto from_smbios = [&](const char* name) { return smbios ? DmiAttribute(tree, name) : std::nullopt; };
  const auto name = BiosName(tree, smbios);
  std::vector<WmiInstance> instances;
  instances.push_back(InstanceBuilder(schema)
                          .String(u"Caption", name)
                          .String(u"Description", name)
                          .String(u"Manufacturer", from_smbios("bios_vendor"))
                          .String(u"Name", name)
                          .Boolean(u"PrimaryBIOS", true)
                          .Datetime(u"ReleaseDate", CimDate(from_smbios("bios_date")))
                          .String(u"SerialNumber", from_smbios("product_serial"))
                          .String(u"SMBIOSBIOSVersion", from_smbios("bios_version"))
                          .Boolean(u"SMBIOSPresent", smbios)
                          .String(u"Status", u"OK")
                          .String(u"Version", AcpiBiosVersion(tree))
                          .Build());
  return instances;
}

std::vector<WmiInstance> ReadBaseBoard(const ClassSchema& schema, const LinuxMachine& machine) {
  FileTree tree(machine.root);
  std::vector<WmiInstance> instances;
  if (!HasBaseBoard(tree)) return instances;
  instances.push_back(InstanceBuilder(schema)
                          .String(u"Caption", u"Base Board")
                          .String(u"Description", u"Base Board")
                          .Boolean(u"HostingBoard", true)
                          .String(u"Manufacturer", DmiAttribute(tree, "board_vendor"))
                          .String(u"Name", u"Base Board")
                          .String(u"Product", DmiAttribute(tree, "board_name"))
                          .String(u"SerialNumber", DmiAttribute(tree, "board_serial"))
                          .String(u"Status", u"OK")
                          .String(u"Tag", u"Base Board")
                          .String(u"Version", DmiAttribute(tree, "board_version"))
                          .Build());
  return instances;
}

}  // namespace

bool BootsWithUefi(const FileTree& tree) { return tree.Exists(kEfiFolder); }

bool SmbiosVisibleToWindows(const FileTree& tree) {
  if (!tree.Exists(kDmiFolder)) return false;
  if (BootsWithUefi(tree)) return true;
  auto entry_point = tree.ReadFile(kSmbiosEntryPointPath);
  return !(entry_point && StartsWith(*entry_point, "_SM3_"));
}

bool HasBaseBoardData(const FileTree& tree) {
  for (const char* file : {"board_vendor", "board_name", "board_version", "board_serial"}) {
    if (tree.Exists(std::string(kDmiFolder) + "/" + file)) return true;
  }
  return false;
}

bool HasBaseBoard(const FileTree& tree) { return HasBaseBoardData(tree) && SmbiosVisibleToWindows(tree); }

const ClassSchema& BiosClass() {
  static const ClassSchema row = {u"Win32_BIOS",
                                  {{u"Caption", cim::kString},
                                   {u"Description", cim::kString},
                                   {u"Manufacturer", cim::kString},
                                   {u"Name", cim::kString},
                                   {u"PrimaryBIOS", cim::kBoolean},
                                   {u"ReleaseDate", cim::kDatetime},
                                   {u"SerialNumber", cim::kString},
                                   {u"SMBIOSBIOSVersion", cim::kString},
                                   {u"SMBIOSPresent", cim::kBoolean},
                                   {u"Status", cim::kString},
                                   {u"Version", cim::kString}},
                                  &ReadBios};
  return row;
}

const ClassSchema& BaseBoardClass() {
  static const ClassSchema row = {u"Win32_BaseBoard",
                                  {{u"Caption", cim::kString},
                                   {u"Description", cim::kString},
                                   {u"HostingBoard", cim::kBoolean},
                                   {u"Manufacturer", cim::kString},
                                   {u"Name", cim::kString},
                                   {u"Product", cim::kString},
                                   {u"SerialNumber", cim::kString},
                                   {u"Status", cim::kString},
                                   {u"Tag", cim::kString},
                                   {u"Version", cim::kString}},
                                  &ReadBaseBoard};
  return row;
}

}  // namespace wmi::linux_layer
