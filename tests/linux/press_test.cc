// A whole press on captured machines: the readers run QueryWmiTable against
// the Linux layer, which reads the capture; the derivation makes the code.
// These codes are what such machines must give forever.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "fakes/fake_sources.h"
#include "fakes/machine_probe_fakes.h"
#include "platform/linux/wbem_linux.h"
#include "syscode/code_assembly.h"
#include "syscode/readers.h"

namespace {

using syscode::Text;

struct Machine {
  const char* capture;
  std::vector<Text> lines;  // the log lines of the press, separator excluded
  Text code;
};

void PrintTo(const Machine& m, std::ostream* os) { *os << m.capture; }

std::string DataRoot() {
  const char* env = std::getenv("SYSCODE_TEST_DATA");
  return env != nullptr ? env : "tests/data";
}

class PressOnCapture : public ::testing::TestWithParam<Machine> {};

TEST_P(PressOnCapture, LogsTheRawValuesAndGivesTheCode) {
  const Machine& m = GetParam();
  const std::string root = DataRoot() + "/" + m.capture;
  wmi::linux_layer::MachineSources sources{root, std::make_shared<fakes::CaptureMachineProbe>(root)};
  wmi::linux_layer::LinuxComRuntime runtime(sources);
  syscode::WmiHardwareSources readers(runtime);
  fakes::MemoryLog log;
  syscode::CodeAssembly assembly(readers, log);
  EXPECT_EQ(assembly.GetSystemCode(), m.code);
  ASSERT_FALSE(log.lines.empty());
  log.lines.pop_back();
  EXPECT_EQ(log.lines, m.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Captures, PressOnCapture,
    ::testing::Values(
        Machine{"this-machine",
                {u"CpuId = 178BFBFF00B00F21", u"BiosVersion = FIRECK - 0", u"BaseBordSerialNumber = ",
                 u"HardDiskSerialNumber = 148663254194665"},
                u"300F00B0RIF1240KCE6649151"},
        Machine{"this-machine-user",
                {u"CpuId = 178BFBFF00B00F21", u"BiosVersion = ", u"BaseBordSerialNumber = ",
                 u"HardDiskSerialNumber = 148663254194665", u"BiosName = ", u"BaseBordManufacturer = ",
                 u"DiskDriveSignature = "},
                u"1001"},
        Machine{"desktop-nvme",
                {u"CpuId = BFEBFBFF000906EA", u"BiosVersion = ALASKA - 1072009",
                 u"BaseBordSerialNumber = Default string"},
                u"B0060900701AET9002NIRTSG0"},
        Machine{"desktop-nvme-user",
                {u"CpuId = BFEBFBFF000906EA", u"BiosVersion = ", u"BaseBordSerialNumber = NULL",
                 u"HardDiskSerialNumber = S4EWNX0R412345A", u"BiosName = F12",
                 u"BaseBordManufacturer = Gigabyte Technology Co., Ltd."},
                u"10060900214AEGA543TLOCYD5"},
        Machine{"laptop-sata",
                {u"CpuId = 178BFBFF00810F81", u"BiosVersion = LENOVO - 1250",
                 u"BaseBordSerialNumber = L1HF05A01BC"},
                u"B00F0180OVO1800521B10A5C0"},
        Machine{"no-dmi",
                {u"CpuId = ", u"BiosVersion = ", u"BaseBordSerialNumber = ",
                 u"HardDiskSerialNumber = 0x8a2b3c4d", u"BiosName = ", u"BaseBordManufacturer = ",
                 u"DiskDriveSignature = "},
                u"0001"}),
    [](const auto& info) {
      std::string n = info.param.capture;
      for (char& c : n) if (c == '-') c = '_';
      return n;
    });

}  // namespace
