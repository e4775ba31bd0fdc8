// One whole press through the Linux layer: up to seven queries, each a
// complete enumeration of its class read afresh from /sys, /proc, CPUID and
// the first disk sector of this machine (how many queries a press makes
// depends on the machine and on the user: see --sources of syscode-cli).
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "platform/linux/machine.h"
#include "platform/linux/wbem_linux.h"
#include "syscode/code_assembly.h"
#include "syscode/diagnostic_log.h"
#include "syscode/readers.h"

namespace {

void Press(benchmark::State& state, wmi::ComRuntime& runtime) {
  syscode::WmiHardwareSources readers(runtime);
  syscode::NullLog log;
  for (auto _ : state) {
    syscode::CodeAssembly assembly(readers, log);
    benchmark::DoNotOptimize(assembly.GetSystemCode());
  }
}

void BM_PressLive(benchmark::State& state) {
  wmi::linux_layer::LinuxComRuntime runtime(wmi::linux_layer::LiveLinuxMachine());
  Press(state, runtime);
}
BENCHMARK(BM_PressLive)->Unit(benchmark::kMicrosecond);

void BM_QueryOneClassLive(benchmark::State& state) {
  wmi::linux_layer::LinuxComRuntime runtime(wmi::linux_layer::LiveLinuxMachine());
  syscode::WmiHardwareSources readers(runtime);
  for (auto _ : state) benchmark::DoNotOptimize(readers.ReadHardDiskSerial());
}
BENCHMARK(BM_QueryOneClassLive)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
