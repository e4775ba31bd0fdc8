// Which of this machine's sources the calling user could not read although
// they are there, and whether a privileged user would have read them: the
// platform fact behind the front ends' "run as root" notes. The front ends
// know it only through this header. Linux answers it
// (platform/linux/source_access_linux.cc); Windows, where the program reads
// every source as an ordinary user, has nothing to tell.
#pragma once

#include <array>
#include <vector>

#include "syscode/code_assembly.h"
#include "syscode/hardware_sources.h"
#include "base/text.h"

namespace syscode {

struct SourceAccess {
  int source = 0;                // index in kSources (0 = CpuId ... 6 = DiskDriveSignature)
  bool needs_privilege = false;  // refused for lack of rights: a privileged user (root) would read it
  Text reason;                   // what the refusal was: "permission denied", "operation not permitted", ...
};

// The sources of this machine that this process could not read just now,
// each once, in source order. Sources that are simply absent are not listed.
std::vector<SourceAccess> UnreadableSources();

// Of `unreadable`, the sources a privileged user would read and that a press
// read (read[i]: the press read source i). When this is not empty, a
// privileged run on the same machine may give another code; sources the
// press never reached cannot change it.
inline std::vector<SourceAccess> PrivilegeLimitsOfPress(const std::array<bool, kSourceCount>& read,
                                                        const std::vector<SourceAccess>& unreadable) {
  std::vector<SourceAccess> limits;
  for (const SourceAccess& access : unreadable) {
    if (access.needs_privilege && access.source >= 0 && access.source < kSourceCount && read[access.source]) {
      limits.push_back(access);
    }
  }
  return limits;
}

inline std::vector<SourceAccess> PrivilegeLimitsOfPress(const PressTrace& press,
                                                        const std::vector<SourceAccess>& unreadable) {
  std::array<bool, kSourceCount> read{};
  for (int i = 0; i < kSourceCount; ++i) read[i] = press.sources[i].read;
  return PrivilegeLimitsOfPress(read, unreadable);
}

}  // namespace syscode
