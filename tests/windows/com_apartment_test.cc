// The program's COM set-up: OLE and a single-threaded apartment, given back
// only when they were taken.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <thread>

#include "wmi/com_apartment.h"

namespace {

using wmi::ComApartment;

// The apartment of the calling thread, or CO_E_NOTINITIALIZED.
HRESULT ApartmentType(APTTYPE* type) {
  APTTYPEQUALIFIER qualifier;
  return CoGetApartmentType(type, &qualifier);
}

// Runs `body` on a thread of its own, which starts without COM.
template <typename F>
void OnFreshThread(F body) {
  std::thread(body).join();
}

TEST(ComApartment, HoldsASingleThreadedApartmentAndGivesItBack) {
  OnFreshThread([] {
    APTTYPE type{};
    {
      ComApartment apartment(ComApartment::Mode::kOleAndCom);
      EXPECT_TRUE(apartment.ole_initialized());
      EXPECT_TRUE(apartment.com_initialized());
      ASSERT_EQ(ApartmentType(&type), S_OK);
      EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << type;
    }
    EXPECT_EQ(ApartmentType(&type), CO_E_NOTINITIALIZED);
  });
}

TEST(ComApartment, LeavesAnApartmentItCouldNotJoin) {
  OnFreshThread([] {
    ASSERT_EQ(CoInitializeEx(nullptr, COINIT_MULTITHREADED), S_OK);
    {
      ComApartment apartment(ComApartment::Mode::kOleAndCom);
      EXPECT_FALSE(apartment.ole_initialized());
      EXPECT_FALSE(apartment.com_initialized());
    }
    APTTYPE type{};
    EXPECT_EQ(ApartmentType(&type), S_OK);
    EXPECT_EQ(type, APTTYPE_MTA);
    CoUninitialize();
  });
}

// The command line's and the library's threads: the apartment alone, no OLE.
TEST(ComApartment, ComModeTakesNoOle) {
  OnFreshThread([] {
    APTTYPE type{};
    {
      ComApartment apartment;
      EXPECT_FALSE(apartment.ole_initialized());
      EXPECT_TRUE(apartment.com_initialized());
      ASSERT_EQ(ApartmentType(&type), S_OK);
      EXPECT_TRUE(type == APTTYPE_STA || type == APTTYPE_MAINSTA) << type;
    }
    EXPECT_EQ(ApartmentType(&type), CO_E_NOTINITIALIZED);
  });
}

}  // namespace
