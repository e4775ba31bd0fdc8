// The Linux hardware layer over a root folder whose files hold arbitrary
// bytes: the DMI attributes, /proc/cpuinfo, the ACPI FADT, two disks' sysfs
// attributes and udev records, the CPUID leaf and the first sectors. Every
// class is read through QueryWmiTable on the layer's runtime. Whatever the
// files hold: no crash, no failed query (the layer only delivers values its
// own types can turn into text), a table of instance_count + 1 rows of one
// width, and every object released.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fakes/machine_probe_fakes.h"
#include "fuzz_values.h"
#include "platform/linux/wbem_linux.h"
#include "wmi/wmiquery.h"

namespace {

namespace fs = std::filesystem;
using syscode::Text;

// The disks: one behind a SATA port, one on USB; /sys/block links to each.
struct Disk {
  const char* name;
  const char* device;  // below /sys/devices
};
constexpr Disk kDisks[] = {
    {"sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0/block/sda"},
    {"sdb", "pci0000:00/0000:00:14.0/usb2/2-1/2-1:1.0/host1/target1:0:0/1:0:0:0/block/sdb"},
};

// Files written from the input, relative to the root; "@" is a disk's folder.
const char* const kMachineFiles[] = {
    "proc/cpuinfo",
    "sys/class/dmi/id/bios_date",
    "sys/class/dmi/id/bios_vendor",
    "sys/class/dmi/id/bios_version",
    "sys/class/dmi/id/board_name",
    "sys/class/dmi/id/board_serial",
    "sys/class/dmi/id/board_vendor",
    "sys/class/dmi/id/board_version",
    "sys/class/dmi/id/product_serial",
    "sys/firmware/acpi/tables/FACP",
    "sys/devices/system/cpu/cpu0/topology/physical_package_id",
    "run/udev/data/b8:0",
    "run/udev/data/b8:16",
};
const char* const kDiskFiles[] = {
    "dev", "size", "removable", "serial", "queue/logical_block_size", "device/model",
    "device/serial", "device/vpd_pg80", "@1/partition",
};

const Text kClasses[] = {u"Win32_Processor", u"Win32_BIOS", u"Win32_BaseBoard", u"Win32_PhysicalMedia",
                         u"Win32_DiskDrive"};

// One temporary root, made once and removed at exit; each input rewrites
// its files.
class Root {
 public:
  Root() {
    char pattern[] = "/tmp/syscode-fuzz-root-XXXXXX";
    if (::mkdtemp(pattern) == nullptr) std::abort();
    path_ = pattern;
    fs::create_directories(path_ / "sys/block");
    for (const Disk& disk : kDisks) {
      fs::create_directories(path_ / "sys/devices" / disk.device);
      fs::create_symlink(fs::path("../devices") / disk.device, path_ / "sys/block" / disk.name);
    }
  }
  ~Root() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

  // The file's content from the input, or no file at all.
  void Write(FuzzedDataProvider& in, const fs::path& file, size_t max) {
    std::error_code ec;
    if (in.ConsumeIntegralInRange<int>(0, 5) == 0) {
      fs::remove(file, ec);
      return;
    }
    fs::create_directories(file.parent_path(), ec);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << in.ConsumeRandomLengthString(max);
  }

 private:
  fs::path path_;
};

std::string Replace(std::string text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Root root;
  FuzzedDataProvider in(data, size);
  for (const char* file : kMachineFiles) root.Write(in, root.path() / file, 300);
  for (const Disk& disk : kDisks) {
    const fs::path folder = root.path() / "sys/devices" / disk.device;
    for (const char* file : kDiskFiles) {
      root.Write(in, folder / Replace(file, "@", disk.name), 80);
    }
  }
  auto probe = std::make_shared<fakes::FakeMachineProbe>();
  if (in.ConsumeBool()) {
    probe->cpuid = wmi::linux_layer::CpuidLeaf1{in.ConsumeIntegral<std::uint32_t>(),
                                                in.ConsumeIntegral<std::uint32_t>()};
  }
  for (const Disk& disk : kDisks) {
    if (in.ConsumeBool()) {
      std::string sector = in.ConsumeBytesAsString(in.ConsumeIntegralInRange<size_t>(0, 64));
      sector.resize(512);
      if (in.ConsumeBool()) {
        sector[510] = '\x55';
        sector[511] = '\xAA';
      }
      probe->sectors[disk.name] = sector;
    }
  }

  wmi::linux_layer::LinuxComRuntime runtime(wmi::linux_layer::MachineSources{root.path().string(), probe});
  for (const Text& cls : kClasses) {
    wmi::T2DimStrArray table;
    std::int32_t count = 0;
    Text error;
    const std::int32_t result =
        wmi::QueryWmiTable(runtime, u".", u"root\\CIMV2", u"", u"", cls, table, count, error);
    if (result < 0) {
      std::fprintf(stderr, "%s failed: %s\n", syscode::ToUtf8(cls).c_str(), syscode::ToUtf8(error).c_str());
      std::abort();
    }
    if (!table.empty()) {
      if (static_cast<std::int64_t>(table.size()) != static_cast<std::int64_t>(count) + 1) std::abort();
      for (const auto& row : table) {
        if (row.size() != table[0].size() || row.size() < 2) std::abort();
      }
      if (table[0][0] != u"Instance") std::abort();
    } else if (count != 0) {
      std::abort();
    }
  }
  return 0;
}
