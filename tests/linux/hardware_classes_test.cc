// The values the Linux layer reports for each captured machine, the choice
// and order of physical drives, and the MBR signature rule. The expected
// values are Windows' (docs/linux-sources.md gives the evidence per rule).
#include "platform/linux/hardware_classes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "linux/scratch_tree.h"
#include "linux/wmi_walker.h"
#include "platform/linux/drives.h"
#include "wmi/property_text.h"

namespace linux_layer_test {
namespace {

namespace fs = std::filesystem;
constexpr std::int32_t kCimBoolean = wmi::cim::kBoolean;
constexpr std::int32_t kCimDatetime = wmi::cim::kDatetime;
constexpr std::int32_t kCimString = wmi::cim::kString;
constexpr std::int32_t kCimUint16 = wmi::cim::kUint16;
constexpr std::int32_t kCimUint32 = wmi::cim::kUint32;
constexpr std::int32_t kCimUint64 = wmi::cim::kUint64;

struct ValueCase {
  const char* machine;
  const char16_t* wmi_class;
  int instance;
  const char16_t* property;
  std::int32_t cim_type;
  const char* expected;  // as Show() writes it
};

std::ostream& operator<<(std::ostream& out, const ValueCase& c) {
  return out << c.machine << " " << syscode::ToUtf8(c.wmi_class) << "[" << c.instance << "]."
             << syscode::ToUtf8(c.property);
}

class CapturedValueTest : public ::testing::TestWithParam<ValueCase> {};

TEST_P(CapturedValueTest, ReportsTheWindowsValueAndType) {
  const ValueCase& c = GetParam();
  SeenObjects seen = WalkClass(CaptureSources(c.machine), c.wmi_class);
  ASSERT_LT(static_cast<std::size_t>(c.instance), seen.instances.size());
  const SeenProperty* p = Find(seen.instances[c.instance], c.property);
  ASSERT_NE(p, nullptr);
  EXPECT_EQ(p->cim_type, c.cim_type);
  EXPECT_EQ(Show(p->value), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Captures, CapturedValueTest,
    ::testing::Values(
        // This machine: a Firecracker VM without SMBIOS, a virtio disk that
        // cannot be opened even by root.
        ValueCase{"this-machine", u"Win32_Processor", 0, u"ProcessorId", kCimString, "178BFBFF00B00F21"},
        ValueCase{"this-machine", u"Win32_Processor", 0, u"Manufacturer", kCimString, "AuthenticAMD"},
        ValueCase{"this-machine", u"Win32_Processor", 0, u"Caption", kCimString, "AMD64 Family 26 Model 2 Stepping 1"},
        ValueCase{"this-machine", u"Win32_Processor", 0, u"NumberOfLogicalProcessors", kCimUint32, "2"},
        ValueCase{"this-machine", u"Win32_Processor", 0, u"Architecture", kCimUint16, "9"},
        ValueCase{"this-machine", u"Win32_BIOS", 0, u"Version", kCimString, "FIRECK - 0"},
        // No UEFI, but ACPI: a legacy boot, whose BIOS Windows names so.
        ValueCase{"this-machine", u"Win32_BIOS", 0, u"Name", kCimString, "Default System BIOS"},
        ValueCase{"this-machine", u"Win32_BIOS", 0, u"Caption", kCimString, "Default System BIOS"},
        ValueCase{"this-machine", u"Win32_BIOS", 0, u"SMBIOSPresent", kCimBoolean, "False"},
        ValueCase{"this-machine", u"Win32_PhysicalMedia", 0, u"SerialNumber", kCimString, "148663254194665"},
        ValueCase{"this-machine", u"Win32_PhysicalMedia", 0, u"Tag", kCimString, "\\\\.\\PHYSICALDRIVE0"},
        ValueCase{"this-machine", u"Win32_DiskDrive", 0, u"Signature", kCimUint32, "<null>"},
        ValueCase{"this-machine", u"Win32_DiskDrive", 0, u"Size", kCimUint64, "274872407040"},
        ValueCase{"this-machine", u"Win32_DiskDrive", 0, u"InterfaceType", kCimString, "SCSI"},
        // The same machine seen by a user: the FADT is root's.
        ValueCase{"this-machine-user", u"Win32_BIOS", 0, u"Version", kCimString, "<null>"},
        ValueCase{"this-machine-user", u"Win32_Processor", 0, u"ProcessorId", kCimString, "178BFBFF00B00F21"},
        ValueCase{"this-machine-user", u"Win32_PhysicalMedia", 0, u"SerialNumber", kCimString, "148663254194665"},
        // A desktop (UEFI): placeholders as stored; the SATA disk (MBR) on
        // the chipset's SATA controller first, the M.2 NVMe (GPT) behind a
        // chipset root port second, the USB stick last.
        ValueCase{"desktop-nvme", u"Win32_Processor", 0, u"ProcessorId", kCimString, "BFEBFBFF000906EA"},
        ValueCase{"desktop-nvme", u"Win32_Processor", 0, u"Caption", kCimString,
                  "Intel64 Family 6 Model 158 Stepping 10"},
        ValueCase{"desktop-nvme", u"Win32_Processor", 0, u"Name", kCimString,
                  "Intel(R) Core(TM) i7-8700K CPU @ 3.70GHz"},
        ValueCase{"desktop-nvme", u"Win32_BIOS", 0, u"Version", kCimString, "ALASKA - 1072009"},
        ValueCase{"desktop-nvme", u"Win32_BIOS", 0, u"Name", kCimString, "F12"},
        ValueCase{"desktop-nvme", u"Win32_BIOS", 0, u"Manufacturer", kCimString, "American Megatrends Inc."},
        ValueCase{"desktop-nvme", u"Win32_BIOS", 0, u"ReleaseDate", kCimDatetime, "20181120000000.000000+000"},
        ValueCase{"desktop-nvme", u"Win32_BIOS", 0, u"SerialNumber", kCimString, "To be filled by O.E.M."},
        ValueCase{"desktop-nvme", u"Win32_BIOS", 0, u"SMBIOSPresent", kCimBoolean, "True"},
        ValueCase{"desktop-nvme", u"Win32_BaseBoard", 0, u"SerialNumber", kCimString, "Default string"},
        ValueCase{"desktop-nvme", u"Win32_BaseBoard", 0, u"Manufacturer", kCimString, "Gigabyte Technology Co., Ltd."},
        ValueCase{"desktop-nvme", u"Win32_BaseBoard", 0, u"Tag", kCimString, "Base Board"},
        ValueCase{"desktop-nvme", u"Win32_PhysicalMedia", 0, u"SerialNumber", kCimString, "     WD-WCC4M1ABCDEF"},
        ValueCase{"desktop-nvme", u"Win32_PhysicalMedia", 1, u"SerialNumber", kCimString, "0025_385B_91B0_4A2C."},
        ValueCase{"desktop-nvme", u"Win32_PhysicalMedia", 2, u"SerialNumber", kCimString, "60A44C3FACC9B0B0E9B7020E"},
        ValueCase{"desktop-nvme", u"Win32_PhysicalMedia", 2, u"Tag", kCimString, "\\\\.\\PHYSICALDRIVE2"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 0, u"Signature", kCimUint32, "-1582119980"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 0, u"InterfaceType", kCimString, "IDE"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 1, u"Signature", kCimUint32, "<null>"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 1, u"Model", kCimString, "Samsung SSD 970 EVO Plus 1TB"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 1, u"Partitions", kCimUint32, "2"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 1, u"Size", kCimUint64, "1000202273280"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 1, u"SerialNumber", kCimString, "0025_385B_91B0_4A2C."},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 1, u"InterfaceType", kCimString, "SCSI"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 2, u"InterfaceType", kCimString, "USB"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 2, u"MediaType", kCimString, "Removable Media"},
        ValueCase{"desktop-nvme", u"Win32_DiskDrive", 2, u"Index", kCimUint32, "2"},
        // The same desktop seen by a user: no FADT, no serial numbers of
        // SMBIOS, no disk sectors.
        ValueCase{"desktop-nvme-user", u"Win32_BIOS", 0, u"Version", kCimString, "<null>"},
        ValueCase{"desktop-nvme-user", u"Win32_BIOS", 0, u"Name", kCimString, "F12"},
        ValueCase{"desktop-nvme-user", u"Win32_BIOS", 0, u"SerialNumber", kCimString, "<null>"},
        ValueCase{"desktop-nvme-user", u"Win32_BaseBoard", 0, u"SerialNumber", kCimString, "<null>"},
        ValueCase{"desktop-nvme-user", u"Win32_BaseBoard", 0, u"Manufacturer", kCimString,
                  "Gigabyte Technology Co., Ltd."},
        ValueCase{"desktop-nvme-user", u"Win32_PhysicalMedia", 0, u"SerialNumber", kCimString, "     WD-WCC4M1ABCDEF"},
        ValueCase{"desktop-nvme-user", u"Win32_DiskDrive", 0, u"Signature", kCimUint32, "<null>"},
        // A SATA laptop with an MBR disk.
        ValueCase{"laptop-sata", u"Win32_Processor", 0, u"ProcessorId", kCimString, "178BFBFF00810F81"},
        ValueCase{"laptop-sata", u"Win32_Processor", 0, u"NumberOfCores", kCimUint32, "2"},
        ValueCase{"laptop-sata", u"Win32_Processor", 0, u"NumberOfLogicalProcessors", kCimUint32, "4"},
        ValueCase{"laptop-sata", u"Win32_BIOS", 0, u"Version", kCimString, "LENOVO - 1250"},
        // A legacy (CSM) boot from an MBR disk.
        ValueCase{"laptop-sata", u"Win32_BIOS", 0, u"Name", kCimString, "Default System BIOS"},
        ValueCase{"laptop-sata", u"Win32_BIOS", 0, u"SMBIOSBIOSVersion", kCimString, "R12ET55W(1.25 )"},
        ValueCase{"laptop-sata", u"Win32_BaseBoard", 0, u"SerialNumber", kCimString, "L1HF05A01BC"},
        ValueCase{"laptop-sata", u"Win32_BaseBoard", 0, u"Product", kCimString, "20NFCTO1WW"},
        ValueCase{"laptop-sata", u"Win32_PhysicalMedia", 0, u"SerialNumber", kCimString, "            WGS0ABCD"},
        ValueCase{"laptop-sata", u"Win32_DiskDrive", 0, u"Signature", kCimUint32, "305419896"},
        ValueCase{"laptop-sata", u"Win32_DiskDrive", 0, u"DeviceID", kCimString, "\\\\.\\PHYSICALDRIVE0"},
        ValueCase{"laptop-sata", u"Win32_DiskDrive", 0, u"Size", kCimUint64, "256052966400"},
        // A board without DMI or ACPI and without CPUID.
        ValueCase{"no-dmi", u"Win32_Processor", 0, u"ProcessorId", kCimString, "<null>"},
        ValueCase{"no-dmi", u"Win32_Processor", 1, u"DeviceID", kCimString, "CPU1"},
        ValueCase{"no-dmi", u"Win32_Processor", 1, u"NumberOfLogicalProcessors", kCimUint32, "2"},
        ValueCase{"no-dmi", u"Win32_BIOS", 0, u"Version", kCimString, "<null>"},
        // Neither UEFI nor a PC BIOS: no name.
        ValueCase{"no-dmi", u"Win32_BIOS", 0, u"Name", kCimString, "<null>"},
        ValueCase{"no-dmi", u"Win32_PhysicalMedia", 0, u"SerialNumber", kCimString, "0x8a2b3c4d"},
        ValueCase{"no-dmi", u"Win32_DiskDrive", 0, u"Signature", kCimUint32, "<null>"},
        ValueCase{"no-dmi", u"Win32_DiskDrive", 0, u"Size", kCimUint64, "15628032000"}));

struct CountCase {
  const char* machine;
  const char16_t* wmi_class;
  int instances;
};

class InstanceCountTest : public ::testing::TestWithParam<CountCase> {};

TEST_P(InstanceCountTest, OneInstancePerPackageBoardAndDrive) {
  const CountCase& c = GetParam();
  SCOPED_TRACE(std::string(c.machine) + " " + syscode::ToUtf8(c.wmi_class));
  EXPECT_EQ(WalkClass(CaptureSources(c.machine), c.wmi_class).instances.size(), static_cast<std::size_t>(c.instances));
}

INSTANTIATE_TEST_SUITE_P(
    Captures, InstanceCountTest,
    ::testing::Values(
        CountCase{"this-machine", u"Win32_Processor", 1}, CountCase{"this-machine", u"Win32_BIOS", 1},
        CountCase{"this-machine", u"Win32_BaseBoard", 0}, CountCase{"this-machine", u"Win32_PhysicalMedia", 1},
        CountCase{"this-machine", u"Win32_DiskDrive", 1}, CountCase{"desktop-nvme", u"Win32_Processor", 1},
        CountCase{"desktop-nvme", u"Win32_BaseBoard", 1}, CountCase{"desktop-nvme", u"Win32_DiskDrive", 3},
        CountCase{"desktop-nvme-user", u"Win32_BaseBoard", 1}, CountCase{"laptop-sata", u"Win32_Processor", 1},
        CountCase{"laptop-sata", u"Win32_DiskDrive", 1}, CountCase{"no-dmi", u"Win32_Processor", 2},
        CountCase{"no-dmi", u"Win32_BIOS", 1}, CountCase{"no-dmi", u"Win32_BaseBoard", 0},
        CountCase{"no-dmi", u"Win32_DiskDrive", 1}));

std::vector<std::string> DiskNames(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& disk : wmi::linux_layer::PhysicalDisks(wmi::linux_layer::FileTree(root))) {
    names.push_back(disk.name);
  }
  return names;
}

TEST(PhysicalDisksTest, SkipsVirtualOpticalAndEmmcAreasAndPutsUsbLast) {
  EXPECT_EQ(DiskNames(CaptureRoot("desktop-nvme")), (std::vector<std::string>{"sda", "nvme0n1", "sdb"}));
  EXPECT_EQ(DiskNames(CaptureRoot("no-dmi")), (std::vector<std::string>{"mmcblk0"}));
  EXPECT_EQ(DiskNames(CaptureRoot("this-machine")), (std::vector<std::string>{"vda"}));
}

TEST(PhysicalDisksTest, OrdersByControllerPathNumbersNotByName) {
  ScratchTree tree;
  // sda sits on the tenth ATA port, sdb on the second; nvme on a later PCI
  // slot than the SATA controller.
  tree.AddDisk("sda", "pci0000:00/0000:00:17.0/ata10/host9/target9:0:0/9:0:0:0");
  tree.AddDisk("sdb", "pci0000:00/0000:00:17.0/ata2/host1/target1:0:0/1:0:0:0");
  tree.AddDisk("nvme0n1", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0");
  tree.AddDisk("nvme1n1", "pci0000:00/0000:00:1b.0/0000:02:00.0/nvme/nvme1");
  EXPECT_EQ(DiskNames(tree.root()), (std::vector<std::string>{"sdb", "sda", "nvme1n1", "nvme0n1"}));
}

std::string Sector(std::uint32_t signature, std::uint8_t type, bool boot_mark, int entry = 0) {
  std::string s(512, '\0');
  for (int i = 0; i < 4; ++i) s[440 + i] = static_cast<char>((signature >> (8 * i)) & 0xFF);
  s[446 + entry * 16 + 4] = static_cast<char>(type);
  if (boot_mark) {
    s[510] = static_cast<char>(0x55);
    s[511] = static_cast<char>(0xAA);
  }
  return s;
}

TEST(MbrSignatureTest, OnlyAnMbrWithoutProtectiveEntryHasASignature) {
  struct Case {
    const char* what;
    std::string sector;
    std::optional<std::uint32_t> expected;
  } cases[] = {
      {"MBR", Sector(0x12345678, 0x07, true), 0x12345678u},
      {"MBR with signature 0", Sector(0, 0x83, true), 0u},
      {"MBR with high bit", Sector(0xA1B2C3D4, 0x0C, true), 0xA1B2C3D4u},
      {"protective GPT", Sector(0x12345678, 0xEE, true), std::nullopt},
      {"protective entry in slot 4", Sector(0x12345678, 0xEE, true, 3), std::nullopt},
      {"no 55 AA", Sector(0x12345678, 0x07, false), std::nullopt},
      {"short read", Sector(0x12345678, 0x07, true).substr(0, 511), std::nullopt},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(wmi::linux_layer::MbrSignature(c.sector), c.expected) << c.what;
  }
}

TEST(FreshReadTest, EveryQueryReadsTheSourcesAgainAndNothingIsReadBeforeIt) {
  ScratchTree tree;
  tree.Write("proc/cpuinfo", "processor\t: 0\nvendor_id\t: GenuineIntel\nphysical id\t: 0\n\n");
  tree.Write("sys/class/dmi/id/board_vendor", "First\n");
  auto probe = std::make_shared<fakes::FakeMachineProbe>();
  probe->cpuid = fakes::CpuidLeaf1{0x000906EA, 0xBFEBFBFF};
  wmi::linux_layer::LinuxMachine machine{tree.root(), probe};

  auto services = Connect(machine);
  EXPECT_EQ(probe->cpuid_calls + probe->sector_calls, 0);

  auto manufacturer = [&] {
    std::shared_ptr<wmi::ISWbemObjectSet> set;
    EXPECT_EQ(services->InstancesOf(u"Win32_BaseBoard", 0, nullptr, &set), wmi::kS_OK);
    SeenObjects seen = WalkObjectSet(set);
    return seen.instances.empty() ? std::string("<none>") : Show(Find(seen.instances[0], u"Manufacturer")->value);
  };
  EXPECT_EQ(manufacturer(), "First");
  tree.Write("sys/class/dmi/id/board_vendor", "Second\n");
  EXPECT_EQ(manufacturer(), "Second");

  WalkObjectSet([&] {
    std::shared_ptr<wmi::ISWbemObjectSet> set;
    EXPECT_EQ(services->InstancesOf(u"Win32_Processor", 0, nullptr, &set), wmi::kS_OK);
    return set;
  }());
  probe->cpuid.reset();
  SeenObjects again = WalkClass(machine, u"Win32_Processor");
  EXPECT_EQ(probe->cpuid_calls, 2);
  EXPECT_EQ(Show(Find(again.instances.at(0), u"ProcessorId")->value), "<null>");
}

TEST(ProcessorTest, CpuidValuesAreEightUpperCaseDigitsEachEdxFirst) {
  ScratchTree tree;
  tree.Write("proc/cpuinfo", "processor\t: 0\nphysical id\t: 0\n\nprocessor\t: 1\nphysical id\t: 3\n\n");
  auto probe = std::make_shared<fakes::FakeMachineProbe>();
  probe->cpuid = fakes::CpuidLeaf1{0x00000a0b, 0x0000c0de};
  SeenObjects seen = WalkClass({tree.root(), probe}, u"Win32_Processor");
  ASSERT_EQ(seen.instances.size(), 2u);
  for (const auto& instance : seen.instances) {
    EXPECT_EQ(Show(Find(instance, u"ProcessorId")->value), "0000C0DE00000A0B");
  }
  EXPECT_EQ(Show(Find(seen.instances[0], u"DeviceID")->value), "CPU0");
  EXPECT_EQ(Show(Find(seen.instances[1], u"DeviceID")->value), "CPU1");
}

TEST(ProcessorTest, WithoutCpuinfoThereIsStillOneProcessorWithItsCpuid) {
  ScratchTree tree;
  auto probe = std::make_shared<fakes::FakeMachineProbe>();
  probe->cpuid = fakes::CpuidLeaf1{0x00B00F21, 0x178BFBFF};
  SeenObjects seen = WalkClass({tree.root(), probe}, u"Win32_Processor");
  ASSERT_EQ(seen.instances.size(), 1u);
  EXPECT_EQ(Show(Find(seen.instances[0], u"ProcessorId")->value), "178BFBFF00B00F21");
  EXPECT_EQ(Show(Find(seen.instances[0], u"Name")->value), "<null>");
  EXPECT_EQ(Show(Find(seen.instances[0], u"NumberOfLogicalProcessors")->value), "<null>");
}

TEST(BiosTest, VersionKeepsTheOemIdAsStoredAndDateFormsFollowCim) {
  ScratchTree tree;
  std::string facp = "FACP" + std::string(6, '\0') + "DELL  " + "CBX3    " + std::string("\x09\x20\x07\x01", 4);
  tree.Write("sys/firmware/acpi/tables/FACP", facp + std::string(8, '\0'));
  tree.Write("sys/class/dmi/id/bios_date", "3/7/98\n");
  SeenObjects seen = WalkClass({tree.root(), nullptr}, u"Win32_BIOS");
  ASSERT_EQ(seen.instances.size(), 1u);
  EXPECT_EQ(Show(Find(seen.instances[0], u"Version")->value), "DELL   - 1072009");
  EXPECT_EQ(Show(Find(seen.instances[0], u"ReleaseDate")->value), "19980307000000.000000+000");

  tree.Write("sys/class/dmi/id/bios_date", "sometime\n");
  tree.Write("sys/firmware/acpi/tables/FACP", "FACP short");
  seen = WalkClass({tree.root(), nullptr}, u"Win32_BIOS");
  EXPECT_EQ(Show(Find(seen.instances[0], u"ReleaseDate")->value), "<null>");
  EXPECT_EQ(Show(Find(seen.instances[0], u"Version")->value), "<null>");
}

}  // namespace
}  // namespace linux_layer_test
