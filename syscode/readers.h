// The seven hardware readers over WMI: each enumerates one class on the
// local machine and picks one property of the first instance.
#pragma once

#include <cstdint>

#include "syscode/hardware_sources.h"
#include "wmi/com_runtime.h"

namespace syscode {

// What one reader saw on its way to its value, for explaining an empty or
// odd value on the command line. Observing changes nothing a reader returns.
struct ReaderDetail {
  std::int32_t result = 0;          // QueryWmiTable's n: -1 failed, 0 no instance walked
  std::int32_t instance_count = 0;  // the set's Count
  Text error_text;                  // the failure's message when result is -1
  bool property_found = false;      // a header cell within the walk names the property
  bool null_word = false;           // the value was a null word the reader turned into empty text
  Text value;                       // what the reader returned
};

class ReaderObserver {
 public:
  virtual ~ReaderObserver() = default;
  // Called once per reading, after the reader has its value.
  virtual void SourceRead(int index, const ReaderDetail& detail) = 0;
};

// Each reader runs QueryWmiTable(".", "root\CIMV2", "", "", <class>) and
// returns the trimmed value of its property in the first instance. Empty
// text when the query fails, the class has no instance or no header cell
// names the property; for the readers whose source has the null-word test,
// also when the value is exactly "NULL", "null" or "Null" after trimming.
// Nothing is kept between calls.
class WmiHardwareSources : public HardwareSources {
 public:
  explicit WmiHardwareSources(wmi::ComRuntime& runtime = wmi::PlatformComRuntime()) : runtime_(runtime) {}

  // Tells `observer` (when not null) what every later reading saw.
  void SetObserver(ReaderObserver* observer) { observer_ = observer; }

  Text ReadCpuId() override;
  Text ReadBiosVersion() override;
  Text ReadBaseBoardSerial() override;
  Text ReadHardDiskSerial() override;
  Text ReadBiosName() override;
  Text ReadBaseBoardManufacturer() override;
  Text ReadDiskDriveSignature() override;

 private:
  // The reader of `source`, a row of kSources: its class, its property and
  // whether it has the null-word test.
  Text Read(const SourceInfo& source);
  Text Query(const SourceInfo& source, ReaderDetail& detail);

  wmi::ComRuntime& runtime_;
  ReaderObserver* observer_ = nullptr;
};

}  // namespace syscode
