#include "platform/linux/hardware_classes.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <map>
#include <set>
#include <utility>

namespace wmi::linux_layer {

namespace {

using syscode::FromLatin1;

// ---------------------------------------------------------------------------
// Class schemas: the properties each class reports and their CIM types.

struct PropertySchema {
  const char16_t* name;
  std::int32_t cim_type;
};

struct ClassSchema {
  const char16_t* name;
  std::vector<PropertySchema> properties;
};

const std::vector<ClassSchema>& Schemas() {
  static const std::vector<ClassSchema> schemas = {
      {u"Win32_Processor",
       {{u"Architecture", kCimUint16},
        {u"Caption", kCimString},
        {u"Description", kCimString},
        {u"DeviceID", kCimString},
        {u"Manufacturer", kCimString},
        {u"Name", kCimString},
        {u"NumberOfCores", kCimUint32},
        {u"NumberOfLogicalProcessors", kCimUint32},
        {u"ProcessorId", kCimString},
        {u"Role", kCimString},
        {u"Status", kCimString}}},
      {u"Win32_BIOS",
       {{u"Caption", kCimString},
        {u"Description", kCimString},
        {u"Manufacturer", kCimString},
        {u"Name", kCimString},
        {u"PrimaryBIOS", kCimBoolean},
        {u"ReleaseDate", kCimDatetime},
        {u"SerialNumber", kCimString},
        {u"SMBIOSBIOSVersion", kCimString},
        {u"SMBIOSPresent", kCimBoolean},
        {u"Status", kCimString},
        {u"Version", kCimString}}},
      {u"Win32_BaseBoard",
       {{u"Caption", kCimString},
        {u"Description", kCimString},
        {u"HostingBoard", kCimBoolean},
        {u"Manufacturer", kCimString},
        {u"Name", kCimString},
        {u"Product", kCimString},
        {u"SerialNumber", kCimString},
        {u"Status", kCimString},
        {u"Tag", kCimString},
        {u"Version", kCimString}}},
      {u"Win32_PhysicalMedia", {{u"SerialNumber", kCimString}, {u"Tag", kCimString}}},
      {u"Win32_DiskDrive",
       {{u"BytesPerSector", kCimUint32},
        {u"Caption", kCimString},
        {u"DeviceID", kCimString},
        {u"Index", kCimUint32},
        {u"InterfaceType", kCimString},
        {u"MediaType", kCimString},
        {u"Model", kCimString},
        {u"Name", kCimString},
        {u"Partitions", kCimUint32},
        {u"SerialNumber", kCimString},
        {u"Signature", kCimUint32},
        {u"Size", kCimUint64}}},
  };
  return schemas;
}

const ClassSchema* FindSchema(const Text& canonical_class) {
  for (const auto& schema : Schemas()) {
    if (canonical_class == schema.name) return &schema;
  }
  return nullptr;
}

// Values gathered for one instance, by property name; a property without a
// value here is null.
using ValueMap = std::map<Text, Variant>;

WmiInstance MakeInstance(const ClassSchema& schema, ValueMap values) {
  WmiInstance instance;
  for (const auto& property : schema.properties) {
    auto it = values.find(property.name);
    Variant value = it == values.end() ? Variant::Null() : std::move(it->second);
    instance.push_back({property.name, property.cim_type, std::move(value)});
  }
  return instance;
}

// Automation forms of the CIM types: uint16 and uint32 travel as VT_I4 (the
// bit pattern of a uint32 above 2^31 - 1 reads negative), uint64 as decimal
// text, datetime as text.
Variant Uint32Value(std::uint32_t v) { return Variant::Int32(static_cast<std::int32_t>(v)); }
Variant Uint16Value(std::uint16_t v) { return Variant::Int32(v); }
Variant Uint64Value(std::uint64_t v) {
  return Variant::String(syscode::DecimalText(static_cast<unsigned long long>(v)));
}

void PutText(ValueMap& values, const char16_t* name, const std::optional<std::string>& bytes) {
  if (bytes) values[name] = Variant::String(FromLatin1(*bytes));
}

void PutText(ValueMap& values, const char16_t* name, const char16_t* text) {
  values[name] = Variant::String(text);
}

std::optional<unsigned long long> ParseUnsigned(const std::string& text, int base = 10) {
  if (text.empty()) return std::nullopt;
  unsigned long long value = 0;
  for (char c : text) {
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (base == 16 && c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else if (base == 16 && c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base || value > (~0ull - static_cast<unsigned>(digit)) / static_cast<unsigned>(base)) {
      return std::nullopt;
    }
    value = value * static_cast<unsigned>(base) + static_cast<unsigned>(digit);
  }
  return value;
}

std::string StripBlanks(const std::string& text) {
  std::size_t begin = text.find_first_not_of(" \t\r\n");
  if (begin == std::string::npos) return std::string();
  std::size_t end = text.find_last_not_of(" \t\r\n");
  return text.substr(begin, end - begin + 1);
}

// ---------------------------------------------------------------------------
// Win32_Processor

struct LogicalProcessor {
  std::map<std::string, std::string> fields;  // /proc/cpuinfo "key : value", keys stripped
};

std::vector<LogicalProcessor> ParseCpuinfo(const std::string& text) {
  std::vector<LogicalProcessor> processors;
  LogicalProcessor current;
  std::size_t pos = 0;
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(pos, end - pos);
    pos = end + 1;
    std::size_t colon = line.find(':');
    if (StripBlanks(line).empty()) {
      if (current.fields.count("processor")) processors.push_back(std::move(current));
      current = LogicalProcessor();
      continue;
    }
    if (colon == std::string::npos) continue;
    current.fields[StripBlanks(line.substr(0, colon))] = StripBlanks(line.substr(colon + 1));
  }
  if (current.fields.count("processor")) processors.push_back(std::move(current));
  return processors;
}

const std::string* Field(const LogicalProcessor& p, const char* key) {
  auto it = p.fields.find(key);
  return it == p.fields.end() ? nullptr : &it->second;
}

// The physical package of a logical processor: "physical id" in cpuinfo,
// else the sysfs topology, else package 0.
unsigned long long PackageOf(const LogicalProcessor& p, const SourceTree& tree) {
  if (const auto* id = Field(p, "physical id")) {
    if (auto v = ParseUnsigned(*id)) return *v;
  }
  if (const auto* number = Field(p, "processor")) {
    auto text = tree.ReadAttribute("/sys/devices/system/cpu/cpu" + *number + "/topology/physical_package_id");
    if (text) {
      if (auto v = ParseUnsigned(StripBlanks(*text))) return *v;
    }
  }
  return 0;
}

std::uint16_t ArchitectureCode() {
#if defined(__x86_64__)
  return 9;
#elif defined(__i386__)
  return 0;
#elif defined(__aarch64__)
  return 12;
#elif defined(__arm__)
  return 5;
#else
  return 0xFFFF;
#endif
}

// "Intel64 Family 6 Model 158 Stepping 10": the processor identifier text
// Windows shows as Caption; only on x86, where the three numbers exist.
std::optional<std::string> ProcessorCaption(const LogicalProcessor& p) {
#if defined(__x86_64__) || defined(__i386__)
  const auto* family = Field(p, "cpu family");
  const auto* model = Field(p, "model");
  const auto* stepping = Field(p, "stepping");
  if (!family || !model || !stepping) return std::nullopt;
#if defined(__x86_64__)
  const auto* vendor = Field(p, "vendor_id");
  std::string prefix = (vendor && *vendor == "GenuineIntel") ? "Intel64" : "AMD64";
#else
  std::string prefix = "x86";
#endif
  return prefix + " Family " + *family + " Model " + *model + " Stepping " + *stepping;
#else
  (void)p;
  return std::nullopt;
#endif
}

std::vector<WmiInstance> ReadProcessors(const ClassSchema& schema, const MachineSources& sources) {
  SourceTree tree(sources.root);
  std::vector<LogicalProcessor> logical;
  if (auto text = tree.ReadFile("/proc/cpuinfo")) logical = ParseCpuinfo(*text);

  // Packages in ascending id, each with its logical processors.
  std::map<unsigned long long, std::vector<const LogicalProcessor*>> packages;
  for (const auto& p : logical) packages[PackageOf(p, tree)].push_back(&p);
  // A machine always has a processor: without a readable cpuinfo it is one
  // package whose details are unknown (null), CPUID still answers.
  static const LogicalProcessor kUnknown;
  if (packages.empty()) packages[0].push_back(&kUnknown);

  std::optional<CpuidLeaf1> cpuid;
  if (sources.probe) cpuid = sources.probe->Cpuid1();

  std::vector<WmiInstance> instances;
  int index = 0;
  for (const auto& [package, members] : packages) {
    (void)package;
    const LogicalProcessor& first = *members.front();
    ValueMap values;
    values[u"Architecture"] = Uint16Value(ArchitectureCode());
    auto caption = ProcessorCaption(first);
    PutText(values, u"Caption", caption);
    PutText(values, u"Description", caption);
    PutText(values, u"DeviceID", "CPU" + std::to_string(index));
    if (const auto* vendor = Field(first, "vendor_id")) PutText(values, u"Manufacturer", *vendor);
    if (const auto* name = Field(first, "model name")) PutText(values, u"Name", *name);
    if (const auto* cores = Field(first, "cpu cores")) {
      if (auto v = ParseUnsigned(*cores))
        values[u"NumberOfCores"] = Uint32Value(static_cast<std::uint32_t>(*v));
    }
    if (!logical.empty()) {
      values[u"NumberOfLogicalProcessors"] = Uint32Value(static_cast<std::uint32_t>(members.size()));
    }
    if (cpuid) {
      char id[17];
      std::snprintf(id, sizeof id, "%08X%08X", cpuid->edx, cpuid->eax);
      PutText(values, u"ProcessorId", std::string(id));
    }
    PutText(values, u"Role", u"CPU");
    PutText(values, u"Status", u"OK");
    instances.push_back(MakeInstance(schema, std::move(values)));
    ++index;
  }
  return instances;
}

// ---------------------------------------------------------------------------
// Win32_BIOS and Win32_BaseBoard

constexpr const char* kDmiFolder = "/sys/class/dmi/id";

std::optional<std::string> DmiAttribute(const SourceTree& tree, const char* name) {
  return tree.ReadAttribute(std::string(kDmiFolder) + "/" + name);
}

// "OEMID  - 1072009": the OEM id of the FADT's header as a C string (it ends
// at a NUL, blanks stay), " - ", the OEM revision in upper-case hexadecimal.
std::optional<std::string> AcpiBiosVersion(const SourceTree& tree) {
  auto table = tree.ReadFile("/sys/firmware/acpi/tables/FACP");
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
  return !text.empty() &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

// SMBIOS dates are "MM/DD/YYYY" (or "MM/DD/YY", meaning 19YY); WMI gives
// them as CIM datetime text "YYYYMMDD000000.000000+000".
std::optional<std::string> CimDate(const std::string& smbios_date) {
  std::size_t a = smbios_date.find('/');
  std::size_t b = a == std::string::npos ? a : smbios_date.find('/', a + 1);
  if (b == std::string::npos) return std::nullopt;
  std::string month = smbios_date.substr(0, a);
  std::string day = smbios_date.substr(a + 1, b - a - 1);
  std::string year = smbios_date.substr(b + 1);
  if (!AllDigits(month) || !AllDigits(day) || !AllDigits(year)) return std::nullopt;
  if (month.size() > 2 || day.size() > 2 || (year.size() != 2 && year.size() != 4)) return std::nullopt;
  if (year.size() == 2) year = "19" + year;
  if (month.size() == 1) month = "0" + month;
  if (day.size() == 1) day = "0" + day;
  return year + month + day + "000000.000000+000";
}

std::vector<WmiInstance> ReadBios(const ClassSchema& schema, const MachineSources& sources) {
  SourceTree tree(sources.root);
  ValueMap values;
  auto version = DmiAttribute(tree, "bios_version");
  PutText(values, u"Caption", version);
  PutText(values, u"Description", version);
  PutText(values, u"Manufacturer", DmiAttribute(tree, "bios_vendor"));
  PutText(values, u"Name", version);
  values[u"PrimaryBIOS"] = Variant::Bool(true);
  if (auto date = DmiAttribute(tree, "bios_date")) PutText(values, u"ReleaseDate", CimDate(*date));
  PutText(values, u"SerialNumber", DmiAttribute(tree, "product_serial"));
  PutText(values, u"SMBIOSBIOSVersion", version);
  values[u"SMBIOSPresent"] = Variant::Bool(tree.Exists(kDmiFolder));
  PutText(values, u"Status", u"OK");
  PutText(values, u"Version", AcpiBiosVersion(tree));
  std::vector<WmiInstance> instances;
  instances.push_back(MakeInstance(schema, std::move(values)));
  return instances;
}

std::vector<WmiInstance> ReadBaseBoard(const ClassSchema& schema, const MachineSources& sources) {
  SourceTree tree(sources.root);
  std::vector<WmiInstance> instances;
  const std::string folder = kDmiFolder;
  bool present = false;
  for (const char* file : {"board_vendor", "board_name", "board_version", "board_serial"}) {
    present = present || tree.Exists(folder + "/" + file);
  }
  if (!present) return instances;  // no SMBIOS base-board structure
  ValueMap values;
  PutText(values, u"Caption", u"Base Board");
  PutText(values, u"Description", u"Base Board");
  values[u"HostingBoard"] = Variant::Bool(true);
  PutText(values, u"Manufacturer", DmiAttribute(tree, "board_vendor"));
  PutText(values, u"Name", u"Base Board");
  PutText(values, u"Product", DmiAttribute(tree, "board_name"));
  PutText(values, u"SerialNumber", DmiAttribute(tree, "board_serial"));
  PutText(values, u"Status", u"OK");
  PutText(values, u"Tag", u"Base Board");
  PutText(values, u"Version", DmiAttribute(tree, "board_version"));
  instances.push_back(MakeInstance(schema, std::move(values)));
  return instances;
}

// ---------------------------------------------------------------------------
// Physical drives

bool StartsWith(const std::string& text, const char* prefix) { return text.rfind(prefix, 0) == 0; }

// Block devices that are no physical drive: virtual devices, optical and
// floppy drives, and the boot and RPMB areas of eMMC chips.
bool IsExcludedName(const std::string& name) {
  for (const char* prefix : {"loop", "ram", "zram", "dm-", "md", "nbd", "sr", "fd", "zd"}) {
    if (StartsWith(name, prefix)) return true;
  }
  return name.find("boot") != std::string::npos || name.find("rpmb") != std::string::npos;
}

std::string InterfaceTypeOf(const std::string& device_path, const std::string& name) {
  if (device_path.find("/usb") != std::string::npos) return "USB";
  if (device_path.find("/ata") != std::string::npos) return "IDE";
  if (device_path.empty() && StartsWith(name, "hd")) return "IDE";
  return "SCSI";  // NVMe, SAS/SCSI, virtio and SD/eMMC drives all show as SCSI
}

// A PCI address component ("0000:00:1d.0", "pci0000:00") compares as plain
// text (its hexadecimal digits have fixed width); any other compares with
// digit runs taken as numbers, so "ata2" < "ata10" and "host2" < "host10".
bool IsPciComponent(const std::string& c) {
  return c.find(':') != std::string::npos && c.find('.') != std::string::npos;
}

int CompareNatural(const std::string& a, const std::string& b) {
  std::size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    if (std::isdigit(static_cast<unsigned char>(a[i])) && std::isdigit(static_cast<unsigned char>(b[j]))) {
      std::size_t i_end = i, j_end = j;
      while (i_end < a.size() && std::isdigit(static_cast<unsigned char>(a[i_end]))) ++i_end;
      while (j_end < b.size() && std::isdigit(static_cast<unsigned char>(b[j_end]))) ++j_end;
      std::string x = a.substr(i, i_end - i), y = b.substr(j, j_end - j);
      x.erase(0, std::min(x.find_first_not_of('0'), x.size()));
      y.erase(0, std::min(y.find_first_not_of('0'), y.size()));
      if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
      if (int c = x.compare(y)) return c < 0 ? -1 : 1;
      i = i_end;
      j = j_end;
      continue;
    }
    if (a[i] != b[j]) return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
    ++i;
    ++j;
  }
  if (i < a.size()) return 1;
  if (j < b.size()) return -1;
  return 0;
}

std::vector<std::string> SplitPath(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t pos = 0;
  while (pos <= path.size()) {
    std::size_t end = path.find('/', pos);
    if (end == std::string::npos) end = path.size();
    if (end > pos) parts.push_back(path.substr(pos, end - pos));
    pos = end + 1;
  }
  return parts;
}

int CompareDevicePaths(const std::string& a, const std::string& b) {
  auto x = SplitPath(a), y = SplitPath(b);
  for (std::size_t k = 0; k < x.size() && k < y.size(); ++k) {
    int c = (IsPciComponent(x[k]) && IsPciComponent(y[k])) ? x[k].compare(y[k]) : CompareNatural(x[k], y[k]);
    if (c != 0) return c < 0 ? -1 : 1;
  }
  if (x.size() != y.size()) return x.size() < y.size() ? -1 : 1;
  return 0;
}

std::string BlockPath(const PhysicalDisk& disk, const char* attribute) {
  return "/sys/block/" + disk.name + "/" + attribute;
}

// The serial number as the drive stores it: the NVMe or SCSI controller's
// attribute, virtio's serial, the SCSI unit serial page 80, and last the
// udev database's ID_SERIAL_SHORT.
std::optional<std::string> DiskSerial(const SourceTree& tree, const PhysicalDisk& disk) {
  if (auto s = tree.ReadAttribute(BlockPath(disk, "device/serial"))) return s;
  if (auto s = tree.ReadAttribute(BlockPath(disk, "serial"))) return s;
  if (auto page = tree.ReadFile(BlockPath(disk, "device/vpd_pg80"))) {
    if (page->size() >= 4) {
      std::size_t length =
          (static_cast<unsigned char>((*page)[2]) << 8) | static_cast<unsigned char>((*page)[3]);
      std::string serial = page->substr(4, length);
      return serial.substr(0, serial.find('\0'));
    }
  }
  if (auto dev = tree.ReadAttribute(BlockPath(disk, "dev"))) {
    if (auto db = tree.ReadFile("/run/udev/data/b" + StripBlanks(*dev))) {
      const std::string key = "E:ID_SERIAL_SHORT=";
      std::size_t pos = 0;
      while (pos < db->size()) {
        std::size_t end = db->find('\n', pos);
        if (end == std::string::npos) end = db->size();
        if (db->compare(pos, key.size(), key) == 0)
          return db->substr(pos + key.size(), end - pos - key.size());
        pos = end + 1;
      }
    }
  }
  return std::nullopt;
}

std::optional<unsigned long long> ReadNumber(const SourceTree& tree, const std::string& path) {
  auto text = tree.ReadAttribute(path);
  if (!text) return std::nullopt;
  return ParseUnsigned(StripBlanks(*text));
}

std::vector<WmiInstance> ReadPhysicalMedia(const ClassSchema& schema, const MachineSources& sources) {
  SourceTree tree(sources.root);
  std::vector<WmiInstance> instances;
  auto disks = PhysicalDisks(tree);
  for (std::size_t i = 0; i < disks.size(); ++i) {
    ValueMap values;
    PutText(values, u"SerialNumber", DiskSerial(tree, disks[i]));
    PutText(values, u"Tag", "\\\\.\\PHYSICALDRIVE" + std::to_string(i));
    instances.push_back(MakeInstance(schema, std::move(values)));
  }
  return instances;
}

std::vector<WmiInstance> ReadDiskDrives(const ClassSchema& schema, const MachineSources& sources) {
  SourceTree tree(sources.root);
  std::vector<WmiInstance> instances;
  auto disks = PhysicalDisks(tree);
  for (std::size_t i = 0; i < disks.size(); ++i) {
    const PhysicalDisk& disk = disks[i];
    ValueMap values;
    auto sector_size = ReadNumber(tree, BlockPath(disk, "queue/logical_block_size")).value_or(512);
    if (sector_size == 0) sector_size = 512;
    values[u"BytesPerSector"] = Uint32Value(static_cast<std::uint32_t>(sector_size));
    auto model = tree.ReadAttribute(BlockPath(disk, "device/model"));
    PutText(values, u"Caption", model);
    std::string device_id = "\\\\.\\PHYSICALDRIVE" + std::to_string(i);
    PutText(values, u"DeviceID", device_id);
    values[u"Index"] = Uint32Value(static_cast<std::uint32_t>(i));
    PutText(values, u"InterfaceType", disk.interface_type);
    PutText(values, u"MediaType", disk.removable ? "Removable Media" : "Fixed hard disk media");
    PutText(values, u"Model", model);
    PutText(values, u"Name", device_id);
    std::uint32_t partitions = 0;
    for (const auto& entry : tree.List("/sys/block/" + disk.name)) {
      if (StartsWith(entry, disk.name.c_str()) &&
          tree.Exists(BlockPath(disk, (entry + "/partition").c_str()))) {
        ++partitions;
      }
    }
    values[u"Partitions"] = Uint32Value(partitions);
    PutText(values, u"SerialNumber", DiskSerial(tree, disk));
    if (sources.probe) {
      if (auto sector = sources.probe->ReadFirstSector(disk.name)) {
        if (auto signature = MbrSignature(*sector)) values[u"Signature"] = Uint32Value(*signature);
      }
    }
    // Windows reports the size of the whole cylinders of its 255-head,
    // 63-sector geometry.
    if (auto sectors = ReadNumber(tree, BlockPath(disk, "size"))) {
      unsigned long long cylinder = 255ull * 63ull * sector_size;
      values[u"Size"] = Uint64Value((*sectors * 512ull) / cylinder * cylinder);
    }
    instances.push_back(MakeInstance(schema, std::move(values)));
  }
  return instances;
}

}  // namespace

bool EqualsNoCase(syscode::TextView a, syscode::TextView b) {
  auto fold = [](char16_t c) { return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c; };
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (fold(a[i]) != fold(b[i])) return false;
  }
  return true;
}

std::optional<Text> CanonicalClassName(const Text& name) {
  for (const auto& schema : Schemas()) {
    if (EqualsNoCase(name, schema.name)) return Text(schema.name);
  }
  return std::nullopt;
}

std::vector<Text> ClassPropertyNames(const Text& canonical_class) {
  std::vector<Text> names;
  if (const ClassSchema* schema = FindSchema(canonical_class)) {
    for (const auto& property : schema->properties) names.push_back(property.name);
  }
  return names;
}

std::vector<WmiInstance> ReadInstances(const Text& canonical_class, const MachineSources& sources) {
  const ClassSchema* schema = FindSchema(canonical_class);
  if (schema == nullptr) return {};
  if (canonical_class == u"Win32_Processor") return ReadProcessors(*schema, sources);
  if (canonical_class == u"Win32_BIOS") return ReadBios(*schema, sources);
  if (canonical_class == u"Win32_BaseBoard") return ReadBaseBoard(*schema, sources);
  if (canonical_class == u"Win32_PhysicalMedia") return ReadPhysicalMedia(*schema, sources);
  return ReadDiskDrives(*schema, sources);
}

std::vector<PhysicalDisk> PhysicalDisks(const SourceTree& tree) {
  std::vector<PhysicalDisk> disks;
  for (const auto& name : tree.List("/sys/block")) {
    if (IsExcludedName(name)) continue;
    PhysicalDisk disk;
    disk.name = name;
    disk.device_path = tree.LinkText("/sys/block/" + name).value_or("");
    if (disk.device_path.find("/virtual/") != std::string::npos) continue;
    if (!tree.Exists("/sys/block/" + name + "/device")) continue;
    disk.interface_type = InterfaceTypeOf(disk.device_path, name);
    disk.removable = tree.ReadAttribute("/sys/block/" + name + "/removable").value_or("0") == "1";
    disks.push_back(std::move(disk));
  }
  std::stable_sort(disks.begin(), disks.end(), [](const PhysicalDisk& a, const PhysicalDisk& b) {
    bool a_usb = a.interface_type == "USB", b_usb = b.interface_type == "USB";
    if (a_usb != b_usb) return b_usb;
    if (int c = CompareDevicePaths(a.device_path, b.device_path)) return c < 0;
    return CompareNatural(a.name, b.name) < 0;
  });
  return disks;
}

bool SourceUnreadable(const Text& wmi_class, const Text& property, const MachineSources& sources) {
  SourceTree tree(sources.root);
  auto is = [&](const char16_t* c, const char16_t* p) {
    return EqualsNoCase(wmi_class, c) && EqualsNoCase(property, p);
  };
  auto file_unreadable = [&](const std::string& path) { return tree.Exists(path) && !tree.ReadFile(path); };
  if (is(u"Win32_BIOS", u"Version")) return file_unreadable("/sys/firmware/acpi/tables/FACP");
  if (is(u"Win32_BIOS", u"SerialNumber")) return file_unreadable(std::string(kDmiFolder) + "/product_serial");
  if (is(u"Win32_BaseBoard", u"SerialNumber"))
    return file_unreadable(std::string(kDmiFolder) + "/board_serial");
  if (is(u"Win32_DiskDrive", u"Signature")) {
    auto disks = PhysicalDisks(tree);
    return !disks.empty() && sources.probe && !sources.probe->ReadFirstSector(disks.front().name);
  }
  return false;
}

std::optional<std::uint32_t> MbrSignature(const std::string& sector) {
  if (sector.size() < 512) return std::nullopt;
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(sector[i]); };
  if (byte(510) != 0x55 || byte(511) != 0xAA) return std::nullopt;
  for (std::size_t entry = 0; entry < 4; ++entry) {
    if (byte(446 + entry * 16 + 4) == 0xEE) return std::nullopt;
  }
  return static_cast<std::uint32_t>(byte(440) | (byte(441) << 8) | (byte(442) << 16)) |
         (static_cast<std::uint32_t>(byte(443)) << 24);
}

}  // namespace wmi::linux_layer
