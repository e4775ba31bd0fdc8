#include "platform/linux/drives.h"

#include <algorithm>
#include <cctype>
#include <map>

#include "wmi/property_text.h"

namespace wmi::linux_layer {

namespace {

// Block devices that are no physical drive: virtual devices, optical and
// floppy drives, and the boot and RPMB areas of eMMC chips.
bool IsExcludedName(const std::string& name) {
  for (const char* prefix : {"loop", "ram", "zram", "dm-", "md", "nbd", "sr", "fd", "zd"}) {
    if (StartsWith(name, prefix)) return true;
  }
  return name.find("boot") != std::string::npos || name.find("rpmb") != std::string::npos;
}

// "nvme<S>c<C>n<N>": one controller's path to namespace N of NVMe subsystem
// S under native multipath. It has no /dev node; the namespace is the head
// "nvme<S>n<N>". Returns the head's name, or nullopt for any other name.
std::optional<std::string> MultipathHeadOf(const std::string& name) {
  if (!StartsWith(name, "nvme")) return std::nullopt;
  auto digits = [&](std::size_t from) {
    std::size_t end = from;
    while (end < name.size() && std::isdigit(static_cast<unsigned char>(name[end]))) ++end;
    return end;
  };
  std::size_t s_end = digits(4);
  if (s_end == 4 || s_end >= name.size() || name[s_end] != 'c') return std::nullopt;
  std::size_t c_end = digits(s_end + 1);
  if (c_end == s_end + 1 || c_end >= name.size() || name[c_end] != 'n') return std::nullopt;
  std::size_t n_end = digits(c_end + 1);
  if (n_end == c_end + 1 || n_end != name.size()) return std::nullopt;
  return name.substr(0, s_end) + name.substr(c_end);
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

std::string BlockPath(const PhysicalDisk& disk, const std::string& attribute) {
  return "/sys/block/" + disk.name + "/" + attribute;
}

// The SCSI unit serial number page (80h): the serial after the 4-byte
// header, up to its length, cut at a NUL.
std::optional<std::string> UnitSerialPage(const std::optional<std::string>& page) {
  if (!page || page->size() < 4) return std::nullopt;
  std::size_t length = (static_cast<unsigned char>((*page)[2]) << 8) | static_cast<unsigned char>((*page)[3]);
  std::string serial = page->substr(4, length);
  return serial.substr(0, serial.find('\0'));
}

// ID_SERIAL_SHORT of the drive's record in the udev database.
std::optional<std::string> UdevSerial(const FileTree& tree, const PhysicalDisk& disk) {
  auto dev = tree.ReadAttribute(BlockPath(disk, "dev"));
  if (!dev) return std::nullopt;
  auto db = tree.ReadFile("/run/udev/data/b" + StripBlanks(*dev));
  if (!db) return std::nullopt;
  const std::string key = "E:ID_SERIAL_SHORT=";
  std::size_t pos = 0;
  while (pos < db->size()) {
    std::size_t end = db->find('\n', pos);
    if (end == std::string::npos) end = db->size();
    if (db->compare(pos, key.size(), key) == 0) return db->substr(pos + key.size(), end - pos - key.size());
    pos = end + 1;
  }
  return std::nullopt;
}

std::vector<WmiInstance> ReadPhysicalMedia(const ClassSchema& schema, const LinuxMachine& machine) {
  FileTree tree(machine.root);
  std::vector<WmiInstance> instances;
  auto disks = PhysicalDisks(tree);
  for (std::size_t i = 0; i < disks.size(); ++i) {
    instances.push_back(InstanceBuilder(schema)
                            .String(u"SerialNumber", DiskSerial(tree, disks[i]))
                            .String(u"Tag", "\\\\.\\PHYSICALDRIVE" + std::to_string(i))
                            .Build());
  }
  return instances;
}

std::uint32_t PartitionCount(const FileTree& tree, const PhysicalDisk& disk) {
  std::uint32_t partitions = 0;
  for (const auto& entry : tree.List("/sys/block/" + disk.name)) {
    if (StartsWith(entry, disk.name.c_str()) && tree.Exists(BlockPath(disk, entry + "/partition"))) ++partitions;
  }
  return partitions;
}

std::vector<WmiInstance> ReadDiskDrives(const ClassSchema& schema, const LinuxMachine& machine) {
  FileTree tree(machine.root);
  std::vector<WmiInstance> instances;
  auto disks = PhysicalDisks(tree);
  for (std::size_t i = 0; i < disks.size(); ++i) {
    const PhysicalDisk& disk = disks[i];
    auto sector_size = ReadNumber(tree, BlockPath(disk, "queue/logical_block_size")).value_or(512);
    if (sector_size == 0) sector_size = 512;
    std::optional<std::uint32_t> signature;
    if (machine.probe) {
      if (auto sector = machine.probe->ReadFirstSector(disk.name)) signature = MbrSignature(*sector);
    }
    // Windows reports the size of the whole cylinders of its 255-head,
    // 63-sector geometry.
    std::optional<std::uint64_t> size;
    if (auto sectors = ReadNumber(tree, BlockPath(disk, "size"))) {
      unsigned long long cylinder = 255ull * 63ull * sector_size;
      size = (*sectors * 512ull) / cylinder * cylinder;
    }
    const auto model = tree.ReadAttribute(BlockPath(disk, "device/model"));
    const std::string device_id = "\\\\.\\PHYSICALDRIVE" + std::to_string(i);
    instances.push_back(InstanceBuilder(schema)
                            .Uint32(u"BytesPerSector", static_cast<std::uint32_t>(sector_size))
                            .String(u"Caption", model)
                            .String(u"DeviceID", device_id)
                            .Uint32(u"Index", static_cast<std::uint32_t>(i))
                            .String(u"InterfaceType", disk.interface_type)
                            .String(u"MediaType", disk.removable ? "Removable Media" : "Fixed hard disk media")
                            .String(u"Model", model)
                            .String(u"Name", device_id)
                            .Uint32(u"Partitions", PartitionCount(tree, disk))
                            .String(u"SerialNumber", DiskSerial(tree, disk))
                            .Uint32(u"Signature", signature)
                            .Uint64(u"Size", size)
                            .Build());
  }
  return instances;
}

}  // namespace

std::vector<PhysicalDisk> PhysicalDisks(const FileTree& tree) {
  const auto names = tree.List("/sys/block");
  // The first path device of each multipath head places the head.
  std::map<std::string, std::string> first_path;
  for (const auto& name : names) {
    auto head = MultipathHeadOf(name);
    if (!head) continue;
    auto it = first_path.find(*head);
    if (it == first_path.end() || CompareNatural(name, it->second) < 0) first_path[*head] = name;
  }

  std::vector<PhysicalDisk> disks;
  for (const auto& name : names) {
    if (IsExcludedName(name) || MultipathHeadOf(name)) continue;
    PhysicalDisk disk;
    disk.name = name;
    disk.device_path = tree.LinkText("/sys/block/" + name).value_or("");
    disk.order_path = disk.device_path;
    if (disk.device_path.find("/virtual/") != std::string::npos) {
      // Virtual devices are no drives, except the head of an NVMe
      // subsystem under native multipath: it is the namespace itself.
      if (disk.device_path.find("/virtual/nvme-subsystem/") == std::string::npos) continue;
      auto path = first_path.find(name);
      if (path != first_path.end()) disk.order_path = tree.LinkText("/sys/block/" + path->second).value_or("");
    }
    if (!tree.Exists("/sys/block/" + name + "/device")) continue;
    disk.interface_type = InterfaceTypeOf(disk.order_path, name);
    const bool sd_card =
        StartsWith(name, "mmcblk") && tree.ReadAttribute("/sys/block/" + name + "/device/type") == "SD";
    disk.removable = sd_card || tree.ReadAttribute("/sys/block/" + name + "/removable").value_or("0") == "1";
    disk.group = disk.interface_type == "USB" ? 2 : disk.removable ? 1 : 0;
    disks.push_back(std::move(disk));
  }
  std::stable_sort(disks.begin(), disks.end(), [](const PhysicalDisk& a, const PhysicalDisk& b) {
    if (a.group != b.group) return a.group < b.group;
    if (int c = CompareDevicePaths(a.order_path, b.order_path)) return c < 0;
    return CompareNatural(a.name, b.name) < 0;
  });
  return disks;
}

std::optional<std::string> WindowsNamespaceIdForm(const std::string& text) {
  std::string digits;
  for (char c : text) {
    if (std::isxdigit(static_cast<unsigned char>(c))) {
      digits.push_back(static_cast<char>(std::toupper(static_cast<unsigned char>(c))));
    } else if (c != '-' && c != ' ' && c != '\n') {
      return std::nullopt;
    }
  }
  if ((digits.size() != 16 && digits.size() != 32) || digits.find_first_not_of('0') == std::string::npos) {
    return std::nullopt;
  }
  std::string form;
  for (std::size_t i = 0; i < digits.size(); i += 4) {
    if (i > 0) form.push_back('_');
    form.append(digits, i, 4);
  }
  return form + ".";
}

std::optional<std::string> DiskSerial(const FileTree& tree, const PhysicalDisk& disk) {
  // NVMe: Windows reports the namespace identifier (its SCSI translation's
  // unit serial number), NGUID before EUI-64; the kernel shows each only
  // when it is not zero.
  if (StartsWith(disk.name, "nvme")) {
    for (const char* id : {"nguid", "eui"}) {
      if (auto text = tree.ReadAttribute(BlockPath(disk, id))) {
        if (auto form = WindowsNamespaceIdForm(*text)) return form;
      }
    }
  }
  // The drive's own serial: the NVMe (through the subsystem for a multipath
  // head) or SCSI controller's attribute, virtio's serial, the SCSI unit
  // serial page 80 (the 20-character ATA serial for SATA disks), and last
  // the udev database's ID_SERIAL_SHORT (USB sticks: usb-storage reads no
  // VPD pages).
  if (auto s = tree.ReadAttribute(BlockPath(disk, "device/serial"))) return s;
  if (auto s = tree.ReadAttribute(BlockPath(disk, "serial"))) return s;
  if (auto s = UnitSerialPage(tree.ReadFile(BlockPath(disk, "device/vpd_pg80")))) return s;
  return UdevSerial(tree, disk);
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

const ClassSchema& PhysicalMediaClass() {
  static const ClassSchema row = {
      u"Win32_PhysicalMedia", {{u"SerialNumber", cim::kString}, {u"Tag", cim::kString}}, &ReadPhysicalMedia};
  return row;
}

const ClassSchema& DiskDriveClass() {
  static const ClassSchema row = {u"Win32_DiskDrive",
                                  {{u"BytesPerSector", cim::kUint32},
                                   {u"Caption", cim::kString},
                                   {u"DeviceID", cim::kString},
                                   {u"Index", cim::kUint32},
                                   {u"InterfaceType", cim::kString},
                                   {u"MediaType", cim::kString},
                                   {u"Model", cim::kString},
                                   {u"Name", cim::kString},
                                   {u"Partitions", cim::kUint32},
                                   {u"SerialNumber", cim::kString},
                                   {u"Signature", cim::kUint32},
                                   {u"Size", cim::kUint64}},
                                  &ReadDiskDrives};
  return row;
}

}  // namespace wmi::linux_layer
