// The seven hardware readers over WMI: each enumerates one class on the
// local machine and picks one property of the first instance.
#pragma once

#include "syscode/hardware_sources.h"
#include "wmi/com_runtime.h"

namespace syscode {

// Each reader runs QueryWmiTable(".", "root\CIMV2", "", "", <class>) and
// returns the trimmed value of its property in the first instance. Empty
// text when the query fails, the class has no instance or no header cell
// names the property; for the readers whose source has the null-word test,
// also when the value is exactly "NULL", "null" or "Null" after trimming.
// Nothing is kept between calls.
class WmiHardwareSources : public IndexedHardwareSources {
 public:
  explicit WmiHardwareSources(wmi::ComRuntime& runtime = wmi::PlatformComRuntime()) : runtime_(runtime) {}

 protected:
  // The reader of kSources[index].
  Text ReadSource(int index) override;

 private:

  wmi::ComRuntime& runtime_;
};

}  // namespace syscode
