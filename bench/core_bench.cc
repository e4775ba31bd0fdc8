// The derivation from seven values, and one diagnostic log line on the real
// file system (open or create, write, close).
#include <benchmark/benchmark.h>

#include <filesystem>

#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "base/file_system.h"

namespace {

using syscode::Text;

class Values : public syscode::HardwareSources {
 public:
  Text ReadCpuId() override { return u"BFEBFBFF000306A9"; }
  Text ReadBiosVersion() override { return u"1.02b"; }
  Text ReadBaseBoardSerial() override { return u""; }
  Text ReadHardDiskSerial() override { return u"S1A7-QX92-KM3"; }
  Text ReadBiosName() override { return u"LEGACY BIOS 2.07"; }
  Text ReadBaseBoardManufacturer() override { return u"ASUSTeK COMPUTER INC."; }
  Text ReadDiskDriveSignature() override { return u"2864434397"; }
};

// Five of seven sources read: the first press of a new window each time.
void BM_Derivation(benchmark::State& state) {
  Values values;
  syscode::NullLog log;
  for (auto _ : state) {
    syscode::CodeAssembly assembly(values, log);
    benchmark::DoNotOptimize(assembly.GetSystemCode());
  }
}
BENCHMARK(BM_Derivation);

void BM_AppendLogLine(benchmark::State& state) {
  const auto dir = std::filesystem::temp_directory_path() / "syscode-bench-log";
  std::filesystem::create_directories(dir);
  const Text name = syscode::FromUtf8((dir / "LogD.txt").string());
  std::filesystem::remove(dir / "LogD.txt");
  syscode::DiagnosticLog log(syscode::SystemFileSystem(), name);
  for (auto _ : state) log.AppendLogLine(u"CpuId = BFEBFBFF000306A9");
  std::filesystem::remove_all(dir);
}
BENCHMARK(BM_AppendLogLine);

}  // namespace

BENCHMARK_MAIN();
