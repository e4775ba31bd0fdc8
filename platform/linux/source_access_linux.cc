#include "platform/linux/source_access_linux.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <string>

#include "platform/linux/drives.h"
#include "platform/linux/firmware.h"

namespace wmi::linux_layer {

namespace {

// Source indexes (kSources).
constexpr int kBiosVersion = 1;
constexpr int kBaseBoardSerial = 2;
constexpr int kBaseBoardManufacturer = 5;
constexpr int kDiskDriveSignature = 6;

}  // namespace

syscode::Text OpenErrorText(int error) {
  switch (error) {
    case EACCES: return u"permission denied";
    case EPERM: return u"operation not permitted";
    case ENXIO:
    case ENODEV: return u"no such device";
    case EIO: return u"input/output error";
    case EBUSY: return u"device or resource busy";
    default: return u"error " + syscode::DecimalText(static_cast<unsigned long long>(error));
  }
}

std::vector<syscode::SourceAccess> UnreadableSources(const LinuxMachine& machine, bool privileged) {
  std::vector<syscode::SourceAccess> found;
  if (!machine.probe) return found;
  FileTree tree(machine.root);
  auto check = [&](int source, const std::string& path) {
    const int error = machine.probe->OpenError(path);
    if (error == 0 || error == ENOENT || error == ENOTDIR) return;  // readable, or simply absent
    const bool needs_privilege = error == EACCES && !privileged;
    auto same =
        std::find_if(found.begin(), found.end(), [&](const syscode::SourceAccess& a) { return a.source == source; });
    if (same == found.end()) {
      found.push_back({source, needs_privilege, OpenErrorText(error)});
    } else if (needs_privilege && !same->needs_privilege) {
      *same = {source, true, OpenErrorText(error)};
    }
  };
  check(kBiosVersion, kFadtPath);
  check(kBaseBoardSerial, kBoardSerialPath);
  if (HasBaseBoardData(tree) && !BootsWithUefi(tree)) {
    // On a legacy boot the entry point decides whether Windows shows the
    // base board at all.
    check(kBaseBoardSerial, kSmbiosEntryPointPath);
    check(kBaseBoardManufacturer, kSmbiosEntryPointPath);
  }
  const auto disks = PhysicalDisks(tree);
  if (!disks.empty()) check(kDiskDriveSignature, "/dev/" + disks.front().name);
  std::sort(found.begin(), found.end(),
            [](const syscode::SourceAccess& a, const syscode::SourceAccess& b) { return a.source < b.source; });
  return found;
}

}  // namespace wmi::linux_layer

namespace syscode {

std::vector<SourceAccess> UnreadableSources() {
  return wmi::linux_layer::UnreadableSources(wmi::linux_layer::LiveLinuxMachine(), ::geteuid() == 0);
}

}  // namespace syscode
