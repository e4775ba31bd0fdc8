// The Linux hardware layer over a machine the input describes: which files
// and links exist below the root (so the disk set, the disk names, their
// device paths below /sys/devices, every sysfs and DMI attribute,
// /proc/cpuinfo, the FADT and the udev records), the CPUID leaf and the
// whole first sector of every disk. The seeds are the captured machines of
// tests/data (linux_layer_seeds writes them; fuzz/run does so before each
// run) and linux_layer.dict holds the sysfs and cpuinfo keys.
//
// Every class is read through QueryWmiTable on the layer's runtime.
// Whatever the machine: no crash, no failed query (the layer only delivers
// values its own types turn into text), a table of instance_count + 1 rows
// of at least two cells of one width with "Instance" in the corner.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "fakes/machine_probe_fakes.h"
#include "file_tree_input.h"
#include "platform/linux/wbem_linux.h"
#include "wmi/wmiquery.h"

namespace {

namespace fs = std::filesystem;
using syscode::Text;

const Text kClasses[] = {u"Win32_Processor", u"Win32_BIOS", u"Win32_BaseBoard", u"Win32_PhysicalMedia",
                         u"Win32_DiskDrive"};

// One temporary root, made once, emptied and refilled for each input.
class Root {
 public:
  Root() {
    // In memory where there is a tmpfs: every input rewrites the tree.
    std::string pattern =
        fs::is_directory("/dev/shm") ? "/dev/shm/syscode-fuzz-root-XXXXXX" : "/tmp/syscode-fuzz-root-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
  }
  ~Root() {
    std::error_code ec;
    fs::remove_all(path_, ec);
  }
  const fs::path& path() const { return path_; }

  void Clear() {
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(path_, ec)) fs::remove_all(entry.path(), ec);
  }

  void Apply(const fuzzing::Record& r, fakes::FakeMachineProbe& probe) {
    if (r.kind == 's') {
      std::string sector = r.content;
      sector.resize(512);
      probe.sectors[r.path] = sector;
      return;
    }
    if (r.kind == 'c') {
      unsigned eax = 0, edx = 0;
      if (std::sscanf(r.content.c_str(), "eax=%x edx=%x", &eax, &edx) == 2) {
        probe.cpuid = wmi::linux_layer::CpuidLeaf1{eax, edx};
      }
      return;
    }
    fuzzing::WriteRecord(path_, r);
  }

 private:
  fs::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Root root;
  root.Clear();
  auto probe = std::make_shared<fakes::FakeMachineProbe>();
  for (const fuzzing::Record& r : fuzzing::DecodeRecords(data, size, 400)) root.Apply(r, *probe);

  wmi::linux_layer::LinuxComRuntime runtime(wmi::linux_layer::LinuxMachine{root.path().string(), probe});
  for (const Text& cls : kClasses) {
    wmi::T2DimStrArray table;
    std::int32_t count = 0;
    Text error;
    const std::int32_t result = wmi::QueryWmiTable(runtime, u".", u"root\\CIMV2", u"", u"", cls, table, count, error);
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
