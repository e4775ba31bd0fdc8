// The user's decimal separator comes from the user's regional settings;
// real values are written with it. The setting is changed for the Wine
// prefix while the test runs and put back afterwards.
#include <windows.h>

#include <gtest/gtest.h>

#include "base/wide_text.h"
#include "base/locale.h"
#include "wmi/property_text.h"

namespace {

class UserDecimalSeparatorTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_GT(GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved_, 16), 0); }
  void TearDown() override { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, saved_); }

  wchar_t saved_[16] = {};
};

TEST_F(UserDecimalSeparatorTest, FollowsTheUsersSetting) {
  for (const wchar_t* separator : {L",", L".", L"::"}) {
    ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator));
    EXPECT_EQ(syscode::UserDecimalSeparator(), syscode::FromWide(separator));
  }
}

TEST_F(UserDecimalSeparatorTest, RealValuesTakeACommaSeparator) {
  ASSERT_TRUE(SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, L","));
  EXPECT_EQ(wmi::RealText(0.5, syscode::UserDecimalSeparator()), u"0,5");
  EXPECT_EQ(wmi::RealText(-2.5, syscode::UserDecimalSeparator()), u"-2,5");
  EXPECT_EQ(wmi::RealText(1.5e-7, syscode::UserDecimalSeparator()), u"1,5E-7");
}

}  // namespace
