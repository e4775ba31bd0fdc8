#include "platform/linux/processor.h"

#include <cstdio>
#include <map>
#include <utility>

#include "wmi/property_text.h"

namespace wmi::linux_layer {

namespace {

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

std::optional<std::string> Field(const LogicalProcessor& p, const char* key) {
  auto it = p.fields.find(key);
  if (it == p.fields.end()) return std::nullopt;
  return it->second;
}

// The physical package of a logical processor: "physical id" in cpuinfo,
// else the sysfs topology, else package 0.
unsigned long long PackageOf(const LogicalProcessor& p, const FileTree& tree) {
  if (auto id = Field(p, "physical id")) {
    if (auto v = ParseUnsigned(*id)) return *v;
  }
  if (auto number = Field(p, "processor")) {
    if (auto v = ReadNumber(tree, "/sys/devices/system/cpu/cpu" + *number + "/topology/physical_package_id")) {
      return *v;
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
  auto family = Field(p, "cpu family");
  auto model = Field(p, "model");
  auto stepping = Field(p, "stepping");
  if (!family || !model || !stepping) return std::nullopt;
#if defined(__x86_64__)
  std::string prefix = Field(p, "vendor_id") == "GenuineIntel" ? "Intel64" : "AMD64";
#else
  std::string prefix = "x86";
#endif
  return prefix + " Family " + *family + " Model " + *model + " Stepping " + *stepping;
#else
  (void)p;
  return std::nullopt;
#endif
}

std::optional<std::uint32_t> Count(const std::optional<std::string>& text) {
  if (!text) return std::nullopt;
  auto v = ParseUnsigned(*text);
  if (!v) return std::nullopt;
  return static_cast<std::uint32_t>(*v);
}

std::vector<WmiInstance> ReadProcessors(const ClassSchema& schema, const LinuxMachine& machine) {
  FileTree tree(machine.root);
  std::vector<LogicalProcessor> logical;
  if (auto text = tree.ReadFile("/proc/cpuinfo")) logical = ParseCpuinfo(*text);

  // Packages in ascending id, each with its logical processors.
  std::map<unsigned long long, std::vector<const LogicalProcessor*>> packages;
  for (const auto& p : logical) packages[PackageOf(p, tree)].push_back(&p);
  // A machine always has a processor: without a readable cpuinfo it is one
  // package whose details are unknown (null), CPUID still answers.
  static const LogicalProcessor kUnknown;
  if (packages.empty()) packages[0].push_back(&kUnknown);

  std::optional<std::string> processor_id;
  if (machine.probe) {
    if (auto cpuid = machine.probe->Cpuid1()) {
      char id[17];
      std::snprintf(id, sizeof id, "%08X%08X", cpuid->edx, cpuid->eax);
      processor_id = id;
    }
  }

  std::vector<WmiInstance> instances;
  std::uint32_t index = 0;
  for (const auto& [package, members] : packages) {
    (void)package;
    const LogicalProcessor& first = *members.front();
    const auto caption = ProcessorCaption(first);
    std::optional<std::uint32_t> logical_count;
    if (!logical.empty()) logical_count = static_cast<std::uint32_t>(members.size());
    instances.push_back(InstanceBuilder(schema)
                            .Uint16(u"Architecture", ArchitectureCode())
                            .String(u"Caption", caption)
                            .String(u"Description", caption)
                            .String(u"DeviceID", "CPU" + std::to_string(index))
                            .String(u"Manufacturer", Field(first, "vendor_id"))
                            .String(u"Name", Field(first, "model name"))
                            .Uint32(u"NumberOfCores", Count(Field(first, "cpu cores")))
                            .Uint32(u"NumberOfLogicalProcessors", logical_count)
                            .String(u"ProcessorId", processor_id)
                            .String(u"Role", u"CPU")
                            .String(u"Status", u"OK")
                            .Build());
    ++index;
  }
  return instances;
}

}  // namespace

const ClassSchema& ProcessorClass() {
  static const ClassSchema row = {u"Win32_Processor",
                                  {{u"Architecture", cim::kUint16},
                                   {u"Caption", cim::kString},
                                   {u"Description", cim::kString},
                                   {u"DeviceID", cim::kString},
                                   {u"Manufacturer", cim::kString},
                                   {u"Name", cim::kString},
                                   {u"NumberOfCores", cim::kUint32},
                                   {u"NumberOfLogicalProcessors", cim::kUint32},
                                   {u"ProcessorId", cim::kString},
                                   {u"Role", cim::kString},
                                   {u"Status", cim::kString}},
                                  &ReadProcessors};
  return row;
}

}  // namespace wmi::linux_layer
