// Machine probes for the Linux hardware layer's tests: one with values set
// by the test, one that reads them from a captured tree (cpuid.txt,
// sectors/<disk>.hex and unreadable.txt, as tests/data/capture.sh writes
// them).
#pragma once

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "platform/linux/machine.h"

namespace fakes {

using wmi::linux_layer::CpuidLeaf1;

class FakeMachineProbe : public wmi::linux_layer::MachineProbe {
 public:
  std::optional<CpuidLeaf1> cpuid;
  std::map<std::string, std::string> sectors;  // device name -> first 512 bytes
  std::map<std::string, int> open_errors;      // live path -> errno of its open
  int cpuid_calls = 0;
  int sector_calls = 0;

  std::optional<CpuidLeaf1> Cpuid1() override {
    ++cpuid_calls;
    return cpuid;
  }
  std::optional<std::string> ReadFirstSector(const std::string& device_name) override {
    ++sector_calls;
    auto it = sectors.find(device_name);
    if (it == sectors.end()) return std::nullopt;
    return it->second;
  }
  int OpenError(const std::string& path) override {
    auto it = open_errors.find(path);
    return it == open_errors.end() ? 0 : it->second;
  }
};

class CaptureMachineProbe : public wmi::linux_layer::MachineProbe {
 public:
  explicit CaptureMachineProbe(std::string root) : root_(std::move(root)) {}

  // "eax=00B00F21 edx=178BFBFF" in cpuid.txt; absent file: no CPUID.
  std::optional<CpuidLeaf1> Cpuid1() override {
    std::ifstream in(root_ + "/cpuid.txt");
    std::string line;
    if (!std::getline(in, line)) return std::nullopt;
    unsigned eax = 0, edx = 0;
    if (std::sscanf(line.c_str(), "eax=%x edx=%x", &eax, &edx) != 2) return std::nullopt;
    return CpuidLeaf1{eax, edx};
  }

  // sectors/<name>.hex: 512 bytes as 1024 hexadecimal digits.
  std::optional<std::string> ReadFirstSector(const std::string& device_name) override {
    std::ifstream in(root_ + "/sectors/" + device_name + ".hex");
    std::stringstream hex;
    hex << in.rdbuf();
    std::string digits = hex.str();
    while (!digits.empty() && (digits.back() == '\n' || digits.back() == ' ')) digits.pop_back();
    if (digits.size() != 1024) return std::nullopt;
    std::string bytes;
    for (std::size_t i = 0; i < digits.size(); i += 2) {
      bytes.push_back(static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    }
    return bytes;
  }

  // unreadable.txt lists "ERRNO /live/path" for every file that existed but
  // could not be read when the capture was made; other paths open when the
  // capture holds them (a device node when its sector was read).
  int OpenError(const std::string& path) override {
    std::ifstream in(root_ + "/unreadable.txt");
    std::string name, listed;
    while (in >> name >> listed) {
      if (listed != path) continue;
      static const std::map<std::string, int> kErrors = {
          {"EACCES", EACCES}, {"EPERM", EPERM}, {"ENXIO", ENXIO}, {"ENODEV", ENODEV}, {"EBUSY", EBUSY}};
      auto it = kErrors.find(name);
      return it == kErrors.end() ? EIO : it->second;
    }
    std::string held = path.rfind("/dev/", 0) == 0 ? root_ + "/sectors/" + path.substr(5) + ".hex" : root_ + path;
    struct stat info;
    return ::lstat(held.c_str(), &info) == 0 ? 0 : ENOENT;
  }

 private:
  std::string root_;
};

}  // namespace fakes
