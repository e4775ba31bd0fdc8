// Where the Linux hardware layer reads from: a folder that stands for the
// file system root (the live "/" or a captured tree of /sys and /proc files),
// and a probe for what is no file content: the CPUID instruction, the first
// sector of a block device, and why a file could not be opened. Tests point
// the root at a capture and fake the probe.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wmi::linux_layer {

struct CpuidLeaf1 {
  std::uint32_t eax = 0;
  std::uint32_t edx = 0;
};

class MachineProbe {
 public:
  virtual ~MachineProbe() = default;
  // EAX and EDX of CPUID leaf 1 on the calling processor; nullopt where the
  // instruction does not exist (every non-x86 machine).
  virtual std::optional<CpuidLeaf1> Cpuid1() = 0;
  // The first 512 bytes of the block device /dev/`device_name`; nullopt when
  // the device cannot be opened (no permission, absent) or gives fewer bytes.
  virtual std::optional<std::string> ReadFirstSector(const std::string& device_name) = 0;
  // The errno with which opening the live file `path` ("/sys/...", "/dev/sda")
  // for reading fails for this process, 0 when it opens or when the probe
  // cannot tell. Only asked when a front end wants to know whether a
  // source a privileged user could read was refused (source_access_linux.h).
  virtual int OpenError(const std::string& path) {
    (void)path;
    return 0;
  }
};

// The probe of the running machine: the instruction itself and /dev.
std::shared_ptr<MachineProbe> LiveMachineProbe();

// Files below a root folder, addressed by their live absolute paths
// ("/sys/block"). Every read is fresh; nothing is cached.
class FileTree {
 public:
  explicit FileTree(std::string root) : root_(std::move(root)) {}

  // The whole content of the file; nullopt when it is absent or unreadable.
  std::optional<std::string> ReadFile(std::string_view path) const;
  // The file's content without one trailing line feed (sysfs attribute form).
  std::optional<std::string> ReadAttribute(std::string_view path) const;
  // The names in a folder, sorted bytewise, without "." and ".."; empty when
  // the folder is absent or unreadable.
  std::vector<std::string> List(std::string_view path) const;
  // The text of a symbolic link; nullopt when `path` is no link.
  std::optional<std::string> LinkText(std::string_view path) const;
  // Whether anything exists at `path` (a dangling link counts).
  bool Exists(std::string_view path) const;

  const std::string& root() const { return root_; }

 private:
  std::string Host(std::string_view path) const;
  std::string root_;
};

// Everything one query reads: the tree and the probe.
struct LinuxMachine {
  std::string root = "/";
  std::shared_ptr<MachineProbe> probe;
};

// The live machine: root "/" and the live probe.
LinuxMachine LiveLinuxMachine();

}  // namespace wmi::linux_layer
