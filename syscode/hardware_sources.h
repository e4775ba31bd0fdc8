// The seven hardware sources, in the fixed order the derivation visits them.
#pragma once

#include <array>
#include <cstdint>

#include "base/text.h"

namespace syscode {

// The source seam: each operation returns the trimmed raw value of one
// source, possibly empty. A press calls them through the `read` of the rows
// of kSources. The WMI readers, recorded log values and test fakes all plug
// in here.
class HardwareSources {
 public:
  virtual ~HardwareSources() = default;
  virtual Text ReadCpuId() = 0;
  virtual Text ReadBiosVersion() = 0;
  virtual Text ReadBaseBoardSerial() = 0;
  virtual Text ReadHardDiskSerial() = 0;
  virtual Text ReadBiosName() = 0;
  virtual Text ReadBaseBoardManufacturer() = 0;
  virtual Text ReadDiskDriveSignature() = 0;
};

// Sources that keep one value per row of kSources, in an array by the row's
// index (0 = CpuId ... 6 = DiskDriveSignature): the recorded values of a
// log, the test fakes and the Qt window's note of what a press read. The
// seven operations all forward to ReadSource. The WMI readers do not sit on
// it: each of their operations reads its own row.
class IndexedHardwareSources : public HardwareSources {
 public:
  Text ReadCpuId() final { return ReadSource(0); }
  Text ReadBiosVersion() final { return ReadSource(1); }
  Text ReadBaseBoardSerial() final { return ReadSource(2); }
  Text ReadHardDiskSerial() final { return ReadSource(3); }
  Text ReadBiosName() final { return ReadSource(4); }
  Text ReadBaseBoardManufacturer() final { return ReadSource(5); }
  Text ReadDiskDriveSignature() final { return ReadSource(6); }

 protected:
  // The raw value of source `index`.
  virtual Text ReadSource(int index) = 0;
};

struct SourceInfo {
  const char16_t* name;             // CpuId, BiosVersion, ...
  const char16_t* label;            // the log label, ending in a blank
  const char16_t* wmi_class;        // the WMI class its reader enumerates
  const char16_t* property;         // the property its reader picks
  bool null_word_test;              // whether "NULL"/"null"/"Null" become empty text
  std::uint8_t bit;                 // its bit in the source mask
  Text (HardwareSources::*read)();  // the operation that reads it
};

inline constexpr int kSourceCount = 7;

inline constexpr std::array<SourceInfo, kSourceCount> kSources = {{
    {u"CpuId", u"CpuId = ", u"Win32_Processor", u"ProcessorId", true, 0x01, &HardwareSources::ReadCpuId},
    {u"BiosVersion", u"BiosVersion = ", u"Win32_BIOS", u"Version", true, 0x02, &HardwareSources::ReadBiosVersion},
    {u"BaseBordSerialNumber", u"BaseBordSerialNumber = ", u"Win32_BaseBoard", u"SerialNumber", false, 0x08,
     &HardwareSources::ReadBaseBoardSerial},
    {u"HardDiskSerialNumber", u"HardDiskSerialNumber = ", u"Win32_PhysicalMedia", u"SerialNumber", true, 0x10,
     &HardwareSources::ReadHardDiskSerial},
    {u"BiosName", u"BiosName = ", u"Win32_BIOS", u"Name", true, 0x20, &HardwareSources::ReadBiosName},
    {u"BaseBordManufacturer", u"BaseBordManufacturer = ", u"Win32_BaseBoard", u"Manufacturer", false, 0x40,
     &HardwareSources::ReadBaseBoardManufacturer},
    {u"DiskDriveSignature", u"DiskDriveSignature = ", u"Win32_DiskDrive", u"Signature", true, 0x80,
     &HardwareSources::ReadDiskDriveSignature},
}};

}  // namespace syscode
