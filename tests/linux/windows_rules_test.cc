// The rules by which the Linux layer reports what Windows reports, each on
// the captures that show it: NVMe namespace identifiers in Windows' form,
// native NVMe multipath, the BIOS name of a legacy boot, SMBIOS 3.0-only
// tables under a legacy boot, the place of SD cards and USB sticks among the
// drives; and the schema: every value goes through it, and every property
// of it has a value on some capture.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "linux/scratch_tree.h"
#include "linux/wmi_walker.h"
#include "platform/linux/class_schema.h"
#include "platform/linux/drives.h"
#include "platform/linux/hardware_classes.h"
#include "wmi/property_text.h"

namespace linux_layer_test {
namespace {

namespace fs = std::filesystem;
using wmi::linux_layer::FileTree;
using wmi::linux_layer::PhysicalDisks;
using wmi::linux_layer::WindowsNamespaceIdForm;

std::string Value(const std::string& machine, const char16_t* wmi_class, std::size_t instance,
                  const char16_t* property) {
  SeenObjects seen = WalkClass(CaptureSources(machine), wmi_class);
  if (instance >= seen.instances.size()) return "<no instance>";
  const SeenProperty* p = Find(seen.instances[instance], property);
  return p == nullptr ? "<no property>" : Show(p->value);
}

std::size_t Count(const std::string& machine, const char16_t* wmi_class) {
  return WalkClass(CaptureSources(machine), wmi_class).instances.size();
}

std::vector<std::string> DiskNames(const std::string& root) {
  std::vector<std::string> names;
  for (const auto& disk : PhysicalDisks(FileTree(root))) names.push_back(disk.name);
  return names;
}

// --- NVMe serial numbers ---------------------------------------------------

TEST(NvmeSerialTest, NamespaceIdsTakeWindowsFormWithTheBytesInTheirOrder) {
  // The kernel prints eui as "%8ph" (bytes in order, blanks between) and
  // nguid as "%pU" (big-endian: bytes in order); Windows writes the bytes in
  // order as well: Samsung's OUI 002538 leads the EUI-64, WD's 001B44 stands
  // at bytes 8-10 of the NGUID in public Windows dumps.
  EXPECT_EQ(WindowsNamespaceIdForm("00 25 38 46 31 40 f1 1c"), "0025_3846_3140_F11C.");
  EXPECT_EQ(WindowsNamespaceIdForm("e8238fa6-bf53-0001-001b-448b48e333e0"), "E823_8FA6_BF53_0001_001B_448B_48E3_33E0.");
  EXPECT_EQ(WindowsNamespaceIdForm("0025384631 40F11C"), "0025_3846_3140_F11C.");
  EXPECT_EQ(WindowsNamespaceIdForm("00 00 00 00 00 00 00 00"), std::nullopt);  // zero: no identifier
  EXPECT_EQ(WindowsNamespaceIdForm("00 25 38 46 31 40 f1"), std::nullopt);     // 7 bytes
  EXPECT_EQ(WindowsNamespaceIdForm("eui.0025384631400f11c"), std::nullopt);    // a wwid, not an id
  EXPECT_EQ(WindowsNamespaceIdForm(""), std::nullopt);
}

TEST(NvmeSerialTest, NguidBeforeEuiBeforeTheControllerSerial) {
  ScratchTree tree;
  tree.AddDisk("nvme0n1", "pci0000:00/0000:00:06.0/0000:01:00.0/nvme/nvme0", false);
  tree.AddDiskAttribute("nvme0n1", "device/serial", "20462K801234        \n");
  auto serial = [&] {
    return wmi::linux_layer::DiskSerial(FileTree(tree.root()), PhysicalDisks(FileTree(tree.root())).at(0));
  };
  EXPECT_EQ(serial(), "20462K801234        ");  // the reader trims it
  tree.AddDiskAttribute("nvme0n1", "eui", "00 1b 44 8b 4a 12 c3 d4\n");
  EXPECT_EQ(serial(), "001B_448B_4A12_C3D4.");
  tree.AddDiskAttribute("nvme0n1", "nguid", "e8238fa6-bf53-0001-001b-448b4a12c3d4\n");
  EXPECT_EQ(serial(), "E823_8FA6_BF53_0001_001B_448B_4A12_C3D4.");
}

TEST(NvmeSerialTest, CapturedDrivesReportTheirNamespaceIds) {
  EXPECT_EQ(Value("laptop-nvme", u"Win32_PhysicalMedia", 0, u"SerialNumber"),
            "E823_8FA6_BF53_0001_001B_448B_4A12_C3D4.");
  EXPECT_EQ(Value("laptop-nvme", u"Win32_DiskDrive", 0, u"SerialNumber"), "E823_8FA6_BF53_0001_001B_448B_4A12_C3D4.");
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_PhysicalMedia", 0, u"SerialNumber"), "5254_0000_0000_0001.");
  EXPECT_EQ(Value("laptop-sd-nvme", u"Win32_PhysicalMedia", 0, u"SerialNumber"), "ACE4_2E00_15A3_C721.");
}

// --- NVMe native multipath -------------------------------------------------

TEST(MultipathTest, TheSubsystemHeadIsTheDriveAndItsPathsAreNot) {
  EXPECT_EQ(DiskNames(CaptureRoot("server-multipath")), (std::vector<std::string>{"nvme0n1"}));
  EXPECT_EQ(Value("server-multipath", u"Win32_PhysicalMedia", 0, u"SerialNumber"),
            "3634_4730_52B0_2187_0025_3845_0012_3ABC.");
  // Model and partitions through the subsystem and the head.
  EXPECT_EQ(Value("server-multipath", u"Win32_DiskDrive", 0, u"Model"), "SAMSUNG MZWLJ3T8HBLS-00007              ");
  EXPECT_EQ(Value("server-multipath", u"Win32_DiskDrive", 0, u"Partitions"), "2");
  EXPECT_EQ(Value("server-multipath", u"Win32_DiskDrive", 0, u"InterfaceType"), "SCSI");
  EXPECT_EQ(Count("server-multipath", u"Win32_DiskDrive"), 1u);
}

TEST(MultipathTest, WithoutNamespaceIdsTheSerialComesThroughTheSubsystem) {
  ScratchTree tree;
  tree.AddDisk("nvme0n1", "virtual/nvme-subsystem/nvme-subsys0", false);
  tree.AddDiskAttribute("nvme0n1", "device/serial", "vol0a1b2c3d4e5f60789\n");
  tree.AddDisk("nvme0c0n1", "pci0000:00/0000:00:04.0/nvme/nvme0", false);
  tree.AddDiskAttribute("nvme0c0n1", "device/serial", "vol0a1b2c3d4e5f60789\n");
  const auto disks = PhysicalDisks(FileTree(tree.root()));
  ASSERT_EQ(disks.size(), 1u);
  EXPECT_EQ(disks[0].name, "nvme0n1");
  EXPECT_EQ(wmi::linux_layer::DiskSerial(FileTree(tree.root()), disks[0]), "vol0a1b2c3d4e5f60789");
}

TEST(MultipathTest, AHeadTakesThePlaceOfItsFirstPath) {
  ScratchTree tree;
  // The head's own link is virtual; its path through controller 1 sits on
  // 0000:00:1b.0, before the SATA controller's 0000:00:1f.2, its path
  // through controller 2 after it.
  tree.AddDisk("nvme1n1", "virtual/nvme-subsystem/nvme-subsys1", false);
  tree.AddDisk("nvme1c2n1", "pci0000:00/0000:00:1d.0/0000:05:00.0/nvme/nvme2", false);
  tree.AddDisk("nvme1c1n1", "pci0000:00/0000:00:1b.0/0000:04:00.0/nvme/nvme1", false);
  tree.AddDisk("sda", "pci0000:00/0000:00:1f.2/ata1/host0/target0:0:0/0:0:0:0");
  EXPECT_EQ(DiskNames(tree.root()), (std::vector<std::string>{"nvme1n1", "sda"}));
}

// --- BIOS name and SMBIOS under legacy boot ----------------------------------

TEST(BiosNameTest, UefiShowsTheSmbiosVersionALegacyBootTheDefaultName) {
  // UEFI: the second entry of the version list is the SMBIOS BIOS version.
  EXPECT_EQ(Value("laptop-nvme", u"Win32_BIOS", 0, u"Name"), "3.4.0");
  EXPECT_EQ(Value("ovmf-vm", u"Win32_BIOS", 0, u"Name"), "0.0.0");
  EXPECT_EQ(Value("ovmf-vm", u"Win32_BIOS", 0, u"Description"), "0.0.0");
  // Legacy BIOS (no /sys/firmware/efi): "Default System BIOS" for Name,
  // Caption and Description; SMBIOSBIOSVersion stays the SMBIOS string.
  for (const char16_t* property : {u"Name", u"Caption", u"Description"}) {
    EXPECT_EQ(Value("kvm-seabios", u"Win32_BIOS", 0, property), "Default System BIOS");
  }
  EXPECT_EQ(Value("kvm-seabios", u"Win32_BIOS", 0, u"SMBIOSBIOSVersion"),
            "rel-1.16.2-0-gea1b7a073390-prebuilt.qemu.org");
  EXPECT_EQ(Value("kvm-seabios", u"Win32_BIOS", 0, u"Version"), "BOCHS  - 1");
  // No PC firmware at all (an ARM board): no name.
  EXPECT_EQ(Value("no-dmi", u"Win32_BIOS", 0, u"Name"), "<null>");
}

TEST(SmbiosTest, ALegacyBootWithOnlyTheSmbios3EntryPointShowsWindowsNoSmbios) {
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_BIOS", 0, u"SMBIOSPresent"), "False");
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_BIOS", 0, u"SMBIOSBIOSVersion"), "<null>");
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_BIOS", 0, u"Manufacturer"), "<null>");
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_BIOS", 0, u"SerialNumber"), "<null>");
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_BIOS", 0, u"Name"), "Default System BIOS");
  EXPECT_EQ(Value("kvm-seabios-sm3", u"Win32_BIOS", 0, u"Version"), "BOCHS  - 1");  // ACPI, not SMBIOS
  EXPECT_EQ(Count("kvm-seabios-sm3", u"Win32_BaseBoard"), 0u);
  // A user cannot read the entry point: the tables count as found (the
  // access report says that root may see otherwise).
  EXPECT_EQ(Count("kvm-seabios-sm3-user", u"Win32_BaseBoard"), 1u);
  // The same entry point under UEFI: Windows finds the tables.
  EXPECT_EQ(Value("ovmf-vm", u"Win32_BIOS", 0, u"SMBIOSPresent"), "True");
  EXPECT_EQ(Count("ovmf-vm", u"Win32_BaseBoard"), 1u);
  // A legacy boot with the 32-bit entry point: SMBIOS present, no base
  // board structure, so no instance.
  EXPECT_EQ(Value("kvm-seabios", u"Win32_BIOS", 0, u"SMBIOSPresent"), "True");
  EXPECT_EQ(Count("kvm-seabios", u"Win32_BaseBoard"), 0u);
}

// --- Which disk is first ---------------------------------------------------

TEST(DiskOrderTest, SdCardsAndRemovableMediaFollowTheFixedDisks) {
  // The SD reader's PCI address comes first, the card still follows the
  // NVMe drive.
  EXPECT_EQ(DiskNames(CaptureRoot("laptop-sd-nvme")), (std::vector<std::string>{"nvme0n1", "mmcblk0"}));
  EXPECT_EQ(Value("laptop-sd-nvme", u"Win32_DiskDrive", 1, u"MediaType"), "Removable Media");
  EXPECT_EQ(Value("laptop-sd-nvme", u"Win32_DiskDrive", 0, u"MediaType"), "Fixed hard disk media");
  // An eMMC chip (type MMC, or no type) is a fixed disk.
  EXPECT_EQ(Value("no-dmi", u"Win32_DiskDrive", 0, u"MediaType"), "Fixed hard disk media");
}

TEST(DiskOrderTest, BuiltInFixedThenBuiltInRemovableThenUsb) {
  ScratchTree tree;
  tree.AddDisk("sdc", "pci0000:00/0000:00:14.0/usb1/1-2/1-2:1.0/host4/target4:0:0/4:0:0:0");
  tree.AddDisk("mmcblk0", "pci0000:00/0000:00:02.1/0000:01:00.0/rtsx_pci_sdmmc.0/mmc_host/mmc0/mmc0:aaaa");
  tree.AddDiskAttribute("mmcblk0", "device/type", "SD\n");
  tree.AddDisk("sdb", "pci0000:00/0000:00:17.0/ata3/host2/target2:0:0/2:0:0:0");
  tree.AddDiskAttribute("sdb", "removable", "1\n");
  tree.AddDisk("mmcblk1", "platform/fe340000.mmc/mmc_host/mmc1/mmc1:0001");
  tree.AddDiskAttribute("mmcblk1", "device/type", "MMC\n");
  tree.AddDisk("nvme0n1", "pci0000:00/0000:00:1d.0/0000:3d:00.0/nvme/nvme0", false);
  tree.AddDisk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0");
  EXPECT_EQ(DiskNames(tree.root()), (std::vector<std::string>{"sda", "nvme0n1", "mmcblk1", "mmcblk0", "sdb", "sdc"}));
}

TEST(DiskOrderTest, M2OnAChipsetRootPortFollowsTheSataControllerOnCpuLanesItLeads) {
  // desktop-nvme: SATA 0000:00:17.0, M.2 behind the chipset's root port
  // 0000:00:1d.0; laptop-nvme: M.2 on the CPU's root port 0000:00:06.0.
  EXPECT_EQ(DiskNames(CaptureRoot("desktop-nvme")), (std::vector<std::string>{"sda", "nvme0n1", "sdb"}));
  ScratchTree tree;
  tree.AddDisk("sda", "pci0000:00/0000:00:17.0/ata1/host0/target0:0:0/0:0:0:0");
  tree.AddDisk("nvme0n1", "pci0000:00/0000:00:06.0/0000:01:00.0/nvme/nvme0", false);
  EXPECT_EQ(DiskNames(tree.root()), (std::vector<std::string>{"nvme0n1", "sda"}));
}

TEST(DiskOrderTest, AUsbStickAloneIsDriveZeroWithItsUsbSerial) {
  EXPECT_EQ(DiskNames(CaptureRoot("usb-stick-only")), (std::vector<std::string>{"sda"}));
  EXPECT_EQ(Value("usb-stick-only", u"Win32_PhysicalMedia", 0, u"SerialNumber"), "4C530001090312109464");
  EXPECT_EQ(Value("usb-stick-only", u"Win32_DiskDrive", 0, u"InterfaceType"), "USB");
  EXPECT_EQ(Value("usb-stick-only", u"Win32_DiskDrive", 0, u"MediaType"), "Removable Media");
}

// --- The schema --------------------------------------------------------------

const wmi::linux_layer::ClassSchema kTestClass = {
    u"Test_Class", {{u"Count", wmi::cim::kUint32}, {u"Label", wmi::cim::kString}}, nullptr};

TEST(SchemaTest, AValueForANameOutsideTheSchemaOrOfAnotherTypeIsAnError) {
  using wmi::linux_layer::InstanceBuilder;
  using wmi::linux_layer::SchemaError;
  EXPECT_THROW(InstanceBuilder(kTestClass).String(u"Lable", u"x"), SchemaError);
  EXPECT_THROW(InstanceBuilder(kTestClass).String(u"label", u"x"), SchemaError);  // names compare exactly
  EXPECT_THROW(InstanceBuilder(kTestClass).Uint32(u"Label", 1u), SchemaError);
  EXPECT_THROW(InstanceBuilder(kTestClass).String(u"Count", std::string("1")), SchemaError);
  const auto instance = InstanceBuilder(kTestClass).Uint32(u"Count", 3000000000u).Build();
  ASSERT_EQ(instance.size(), 2u);
  EXPECT_EQ(instance[0].name, u"Count");
  EXPECT_EQ(Show(instance[0].value), "-1294967296");  // uint32 as VT_I4
  EXPECT_EQ(instance[1].name, u"Label");
  EXPECT_TRUE(instance[1].value.IsNull());
}

// Every capture under tests/data.
std::vector<std::string> AllCaptures() {
  std::vector<std::string> machines;
  for (const auto& entry : fs::directory_iterator(CaptureRoot(""))) {
    if (entry.is_directory()) machines.push_back(entry.path().filename().string());
  }
  std::sort(machines.begin(), machines.end());
  return machines;
}

TEST(SchemaTest, EveryPropertyOfEveryClassHasAValueOnSomeCapture) {
  const auto machines = AllCaptures();
  ASSERT_GE(machines.size(), 10u);
  for (const auto* row : wmi::linux_layer::ClassTable()) {
    std::set<Text> with_value;
    for (const auto& machine : machines) {
      for (const auto& instance : WalkClass(CaptureSources(machine), row->name).instances) {
        for (const auto& property : instance) {
          if (!property.value.IsNull()) with_value.insert(property.name);
        }
      }
    }
    for (const auto& property : row->properties) {
      EXPECT_TRUE(with_value.count(property.name))
          << syscode::ToUtf8(row->name) << "." << syscode::ToUtf8(property.name) << " is null on every capture";
    }
  }
}

}  // namespace
}  // namespace linux_layer_test
