// A whole press on captured machines: the readers run QueryWmiTable against
// the Linux layer, which reads the capture; the derivation makes the code.
//
// The expected raw values are what Windows would report on each machine
// (for a "-user" capture: what an ordinary user on Linux can read of it,
// root's sources empty or "NULL"), written by hand in Windows' forms from
// the evidence in docs/linux-sources.md, never taken from a run of this
// layer. The expected code is what the shipped library's
// syscode_code_from_values makes of those values: a route that does not
// pass through the Linux layer. These codes are what such machines must
// give forever.
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/fake_sources.h"
#include "fakes/machine_probe_fakes.h"
#include "platform/linux/source_access_linux.h"
#include "platform/linux/wbem_linux.h"
#include "syscode/code_assembly.h"
#include "syscode/hardware_sources.h"
#include "syscode/readers.h"
#include "syscode/source_access.h"
#include "syscode/syscode.h"

namespace {

using syscode::Text;
using Values = std::array<const char*, syscode::kSourceCount>;  // nullptr: the press does not read it

struct Machine {
  const char* capture;
  Values values;
  const char* code;
};

void PrintTo(const Machine& m, std::ostream* os) { *os << m.capture; }

std::string Root(const std::string& capture) {
  const char* env = std::getenv("SYSCODE_TEST_DATA");
  return std::string(env != nullptr ? env : "tests/data") + "/" + capture;
}

wmi::linux_layer::LinuxMachine Sources(const std::string& capture) {
  const std::string root = Root(capture);
  return {root, std::make_shared<fakes::CaptureMachineProbe>(root)};
}

// The code of a first press on `values`, through the public library.
std::string LibraryCode(const Values& values) {
  char code[SYSCODE_CODE_BUFFER_SIZE];
  const int length = syscode_code_from_values(values.data(), code, sizeof code);
  EXPECT_GT(length, 0) << syscode_error_text(length);
  return length > 0 ? std::string(code) : std::string();
}

struct Press {
  Text code;
  std::vector<Text> lines;  // separator excluded
  syscode::PressTrace trace;
};

Press PressOn(const std::string& capture) {
  wmi::linux_layer::LinuxComRuntime runtime(Sources(capture));
  syscode::WmiHardwareSources readers(runtime);
  fakes::MemoryLog log;
  syscode::CodeAssembly assembly(readers, log);
  Press press;
  assembly.SetTrace(&press.trace);
  press.code = assembly.GetSystemCode();
  if (!log.lines.empty()) log.lines.pop_back();
  press.lines = log.lines;
  return press;
}

class PressOnCapture : public ::testing::TestWithParam<Machine> {};

TEST_P(PressOnCapture, TheWindowsValuesGiveTheCodeByTheLibrary) {
  EXPECT_EQ(LibraryCode(GetParam().values), GetParam().code);
}

TEST_P(PressOnCapture, TheLayerLogsTheWindowsValuesAndGivesTheirCode) {
  const Machine& m = GetParam();
  const Press press = PressOn(m.capture);
  std::vector<Text> expected;
  for (int source = 0; source < syscode::kSourceCount && m.values[source] != nullptr; ++source) {
    expected.push_back(Text(syscode::kSources[source].label) + syscode::FromUtf8(m.values[source]));
  }
  EXPECT_EQ(press.lines, expected);
  EXPECT_EQ(syscode::ToUtf8(press.code), m.code);
}

INSTANTIATE_TEST_SUITE_P(
    Captures, PressOnCapture,
    ::testing::Values(
        // A Firecracker guest (no firmware of its own, no SMBIOS; ACPI
        // without UEFI counts as a legacy BIOS): root and user.
        Machine{"this-machine",
                {"178BFBFF00B00F21", "FIRECK - 0", "", "148663254194665", nullptr, nullptr, nullptr},
                "300F00B0RIF1240KCE6649151"},
        Machine{"this-machine-user",
                {"178BFBFF00B00F21", "", "", "148663254194665", "Default System BIOS", nullptr, nullptr},
                "100F00B091412T5664OIBMES3"},
        // An Intel desktop (UEFI): the SATA disk on the chipset's SATA
        // controller is drive 0, the M.2 NVMe behind a chipset root port
        // drive 1.
        Machine{"desktop-nvme",
                {"BFEBFBFF000906EA", "ALASKA - 1072009", "Default string", nullptr, nullptr, nullptr, nullptr},
                "B0060900701AET9002NIRTSG0"},
        Machine{"desktop-nvme-user",
                {"BFEBFBFF000906EA", "", "NULL", "WD-WCC4M1ABCDEF", "F12", "Gigabyte Technology Co., Ltd.", nullptr},
                "10060900BA1AEGFEDCTLOCYD5"},
        // A Lenovo laptop with one SATA disk (legacy boot).
        Machine{"laptop-sata",
                {"178BFBFF00810F81", "LENOVO - 1250", "L1HF05A01BC", nullptr, nullptr, nullptr, nullptr},
                "B00F0180OVO1800521B10A5C0"},
        // An ARM board without SMBIOS, ACPI or CPUID.
        Machine{"no-dmi", {"", "", "", "0x8a2b3c4d", "", "", ""}, "0001"},
        // A Dell laptop with one NVMe drive that has an NGUID and an EUI-64:
        // root reads three parts before the disk; a user reaches the
        // NGUID.
        Machine{
            "laptop-nvme",
            {"BFEBFBFF000806C1", "DELL   - 20170001", "/9QX4K53/CNCMC0012A00B7/", nullptr, nullptr, nullptr, nullptr},
            "B00608007101C11000B00A270"},
        Machine{
            "laptop-nvme-user",
            {"BFEBFBFF000806C1", "", "NULL", "E823_8FA6_BF53_0001_001B_448B_4A12_C3D4.", "3.4.0", "Dell Inc.", nullptr},
            "1006080021A1CD4D3CNILLEC5"},
        // KVM with SeaBIOS: SMBIOS 2.8, no base board, a QEMU SATA disk.
        Machine{"kvm-seabios",
                {"178BFBFF00A20F10", "BOCHS  - 1", "", "QM00001", "Default System BIOS", nullptr, nullptr},
                "100F02A00MQ01T1000OIBMES3"},
        // KVM with SeaBIOS and only an SMBIOS 3.0 entry point: Windows sees
        // no SMBIOS, so no base board; a QEMU NVMe drive with an EUI-64.
        Machine{"kvm-seabios-sm3",
                {"BFEBFBFF00090672", "BOCHS  - 1", "", "5254_0000_0000_0001.", "Default System BIOS", nullptr, nullptr},
                "1006090000027T1000OIBMES3"},
        Machine{"kvm-seabios-sm3-user",
                {"BFEBFBFF00090672", "", "NULL", "5254_0000_0000_0001.", "Default System BIOS", nullptr, nullptr},
                "1006090000027T1000OIBMES3"},
        // OVMF (UEFI) with an SMBIOS 3.0 entry point and a base board; a
        // virtio disk.
        Machine{"ovmf-vm",
                {"178BFBFF00A00F11", "BOCHS  - 1", "CTS-BB-000731", "system-disk-0731", nullptr, nullptr, nullptr},
                "900F00A000B11I1370370KS11"},
        Machine{"ovmf-vm-user",
                {"178BFBFF00A00F11", "", "NULL", "system-disk-0731", "0.0.0", "Contoso Ltd.", nullptr},
                "100F00A0KSI11T1370TLOSOD5"},
        // A server whose NVMe namespace sits behind native multipath.
        Machine{"server-multipath",
                {"BFEBFBFF000606A6", "SUPERM - 1072009", "HM21BS012345", nullptr, nullptr, nullptr, nullptr},
                "B00606007016AS90024321050"},
        Machine{
            "server-multipath-user",
            {"BFEBFBFF000606A6", "", "NULL", "3634_4730_52B0_2187_0025_3845_0012_3ABC.", "1.4b", "Supermicro", nullptr},
            "100606002106AECBA3RCIMRO5"},
        // A laptop with an SD card in a PCI reader beside its NVMe drive,
        // and a board serial too short to count: root reaches the disk.
        Machine{"laptop-sd-nvme",
                {"178BFBFF00860F81", "HUAWEI - 2", "N/A", "ACE4_2E00_15A3_C721.", nullptr, nullptr, nullptr},
                "300F0680AUH1852IEW27C3A11"},
        // A mini PC running from a USB stick, its only disk; an empty board
        // serial.
        Machine{"usb-stick-only",
                {"BFEBFBFF000B06E0", "ALASKA - 1072009", "", "4C530001090312109464", nullptr, nullptr, nullptr},
                "30060B007010E290026490141"}),
    [](const auto& info) {
      std::string n = info.param.capture;
      for (char& c : n) {
        if (c == '-') c = '_';
      }
      return n;
    });

// A user capture against the values Windows gives on the same machine (its
// root capture): where the codes differ, the user's run must know that a
// source root could read was kept from it.
struct UserView {
  const char* user_capture;
  const char* root_capture;
};

class UserRun : public ::testing::TestWithParam<UserView> {};

TEST_P(UserRun, ThatDiffersFromRootKnowsASourceRootCouldReadWasKeptFromIt) {
  const Press user = PressOn(GetParam().user_capture);
  const Press root = PressOn(GetParam().root_capture);
  const auto user_limits = syscode::PrivilegeLimitsOfPress(
      user.trace, wmi::linux_layer::UnreadableSources(Sources(GetParam().user_capture), false));
  if (user.code != root.code) {
    EXPECT_FALSE(user_limits.empty());
  }
  // Root's own run has nothing a privileged user would read better.
  EXPECT_TRUE(syscode::PrivilegeLimitsOfPress(
                  root.trace, wmi::linux_layer::UnreadableSources(Sources(GetParam().root_capture), true))
                  .empty());
}

INSTANTIATE_TEST_SUITE_P(
    Captures, UserRun,
    ::testing::Values(UserView{"this-machine-user", "this-machine"}, UserView{"desktop-nvme-user", "desktop-nvme"},
                      UserView{"laptop-nvme-user", "laptop-nvme"}, UserView{"kvm-seabios-sm3-user", "kvm-seabios-sm3"},
                      UserView{"ovmf-vm-user", "ovmf-vm"}, UserView{"server-multipath-user", "server-multipath"}));

}  // namespace
