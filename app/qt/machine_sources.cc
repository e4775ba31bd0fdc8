#include "app/qt/machine_sources.h"

#include "syscode/errors.h"

namespace app {

using syscode::Text;

namespace {

// Until the readers are part of the build, every read fails loudly rather
// than yielding a code made from nothing.
class MissingSources : public syscode::HardwareSources {
 public:
  Text ReadCpuId() override { return Fail(); }
  Text ReadBiosVersion() override { return Fail(); }
  Text ReadBaseBoardSerial() override { return Fail(); }
  Text ReadHardDiskSerial() override { return Fail(); }
  Text ReadBiosName() override { return Fail(); }
  Text ReadBaseBoardManufacturer() override { return Fail(); }
  Text ReadDiskDriveSignature() override { return Fail(); }

 private:
  static Text Fail() { throw syscode::Exception(u"The hardware readers are not built in"); }
};

}  // namespace

syscode::HardwareSources& MachineSources() {
  static MissingSources sources;
  return sources;
}

}  // namespace app
