// Every Windows test runs on a thread that holds OLE and a single-threaded
// COM apartment, as the program's main thread does.
#include <gtest/gtest.h>

#include <memory>

#include "wmi/com_apartment.h"

namespace {

class ComApartmentEnvironment : public testing::Environment {
 public:
  void SetUp() override { apartment_ = std::make_unique<wmi::ComApartment>(wmi::ComApartment::Mode::kOleAndCom); }
  void TearDown() override { apartment_.reset(); }

 private:
  std::unique_ptr<wmi::ComApartment> apartment_;
};

const testing::Environment* const kEnvironment = testing::AddGlobalTestEnvironment(new ComApartmentEnvironment);

}  // namespace
