// The log of the worked example, as the window writes it: the four lines
// of the press that gave 900603007249AQRXZ7MK29X31, then the separator.
#pragma once

#include <string>

namespace fakes {

inline const std::string kLogSeparator = "--------------------------------------------------\r\n";

inline const std::string kWorkedLog =
    "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
    "HardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
    kLogSeparator;

}  // namespace fakes
