// The public library's C and C++ API, linked as a vendor links it.
#include "syscode/syscode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>
#include <thread>

#include "lib/syscode_internal.h"

namespace {

struct ValuesCase {
  const char* name;
  const char* values[SYSCODE_SOURCE_COUNT];
  int result;
  const char* code;  // when result >= 0; else what syscode_last_error_message() says
};

void PrintTo(const ValuesCase& c, std::ostream* os) { *os << c.name; }

class CodeFromValues : public ::testing::TestWithParam<ValuesCase> {};

TEST_P(CodeFromValues, GivesTheCodeOrRefusesValuesThatAreNoPress) {
  const ValuesCase& c = GetParam();
  char buf[SYSCODE_CODE_BUFFER_SIZE];
  std::memset(buf, 'x', sizeof buf);
  const int result = syscode_code_from_values(c.values, buf, sizeof buf);
  EXPECT_EQ(result, c.result);
  if (c.result >= 0) {
    EXPECT_STREQ(buf, c.code);
    EXPECT_EQ(std::strlen(buf), static_cast<size_t>(result));
  } else {
    EXPECT_EQ(buf[0], '\0') << "a failure leaves the buffer empty";
    EXPECT_STREQ(syscode_last_error_message(), c.code);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CodeFromValues,
    ::testing::Values(
        ValuesCase{"worked example",
                   {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", nullptr, nullptr, nullptr},
                   25,
                   "900603007249AQRXZ7MK29X31"},
        ValuesCase{"source 7 reached", {"BFEBFBFF000306A9", "", "", "", "", "", "2864434397"}, 4, "1008"},
        ValuesCase{
            "third part from source 7", {"BFEBFBFF000306A9", "", "mb.42/77zx-r", "", "", "", "2864434397"}, 4, "9008"},
        ValuesCase{"parts from sources 1, 4 and 5",
                   {"BFEBFBFF000306A9", "1.02b", "", "S1A7-QX92-KM3", "LEGACY BIOS 2.07", nullptr, nullptr},
                   25,
                   "100603009XQ9AB3MK202SOI73"},
        ValuesCase{
            "UTF-8 and invalid bytes leave the code alone",
            {"BFEBFBFF000306A9", "1.02b\xC3\xA9", "mb.42/77zx-r\xFF", "S1A7-QX92-KM3", nullptr, nullptr, nullptr},
            25,
            "900603007249AQRXZ7MK29X31"},
        ValuesCase{"a value after the derivation stopped is ignored",
                   {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", "x", nullptr, nullptr},
                   25,
                   "900603007249AQRXZ7MK29X31"},
        ValuesCase{
            "all seven values of an inventory",
            {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", "LEGACY BIOS 2.07", "ASUSTeK", "2864434397"},
            25,
            "900603007249AQRXZ7MK29X31"},
        ValuesCase{"a gap after the derivation stopped",
                   {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", nullptr, "ASUSTeK", nullptr},
                   25,
                   "900603007249AQRXZ7MK29X31"},
        ValuesCase{"a source the derivation reads is NULL",
                   {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", nullptr, nullptr, nullptr, nullptr},
                   SYSCODE_ERROR_VALUES,
                   "value 3 (HardDiskSerialNumber) is missing, but the derivation reads it: values 0 to 2 gave "
                   "2 parts of the 3 it needs"},
        ValuesCase{"a missing value before later ones",
                   {"BFEBFBFF000306A9", "", nullptr, "S1A7-QX92-KM3", "x", "y", "z"},
                   SYSCODE_ERROR_VALUES,
                   "value 2 (BaseBordSerialNumber) is missing, but the derivation reads it: values 0 to 1 gave "
                   "1 part of the 3 it needs"},
        ValuesCase{"DiskDriveSignature missing",
                   {"BFEBFBFF000306A9", "", "", "", "", "", nullptr},
                   SYSCODE_ERROR_VALUES,
                   "value 6 (DiskDriveSignature) is missing, but the derivation reads it: values 0 to 5 gave "
                   "1 part of the 3 it needs"},
        ValuesCase{"no value at all",
                   {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
                   SYSCODE_ERROR_VALUES,
                   "value 0 (CpuId) is missing, but the derivation reads it: it always starts with CpuId"}));

const char* const kWorked[SYSCODE_SOURCE_COUNT] = {
    "BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", nullptr, nullptr, nullptr};
const char* const kShort[SYSCODE_SOURCE_COUNT] = {"", "", "", "", "", "", ""};  // code "0000"

TEST(LibraryBuffers, TooSmallBufferIsRefusedAndLeftEmpty) {
  struct Case {
    const char* const* values;
    size_t size;
    int result;
  };
  for (const Case& c : {Case{kWorked, 25, SYSCODE_ERROR_BUFFER_TOO_SMALL}, Case{kWorked, 26, 25},
                        Case{kShort, 4, SYSCODE_ERROR_BUFFER_TOO_SMALL}, Case{kShort, 5, 4},
                        Case{kShort, 1, SYSCODE_ERROR_BUFFER_TOO_SMALL}}) {
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(syscode_code_from_values(c.values, buf, c.size), c.result) << "size " << c.size;
    if (c.result < 0) {
      EXPECT_EQ(buf[0], '\0') << "size " << c.size;
      const std::string length = c.values == kWorked ? "25" : "4";
      EXPECT_EQ(syscode_last_error_message(), "the code has " + length + " characters and needs a buffer of " +
                                                  std::to_string(std::stoi(length) + 1) + " bytes, but size is " +
                                                  std::to_string(c.size));
    }
    EXPECT_EQ(buf[c.size], 'x') << "wrote beyond size " << c.size;
  }
}

TEST(LibraryBuffers, NullPointers) {
  char buf[SYSCODE_CODE_BUFFER_SIZE] = "x";
  EXPECT_EQ(syscode_code_from_values(nullptr, buf, sizeof buf), SYSCODE_ERROR_ARGUMENT);
  EXPECT_STREQ(syscode_last_error_message(), "values is NULL");
  EXPECT_EQ(buf[0], '\0');
  EXPECT_EQ(syscode_code_from_values(kWorked, nullptr, 26), SYSCODE_ERROR_ARGUMENT);
  EXPECT_STREQ(syscode_last_error_message(), "buf is NULL, but size is 26");
  EXPECT_EQ(syscode_code_from_values(kWorked, nullptr, 0), SYSCODE_ERROR_BUFFER_TOO_SMALL);
  EXPECT_EQ(syscode_get_code(nullptr, 26), SYSCODE_ERROR_ARGUMENT);
  EXPECT_STREQ(syscode_last_error_message(), "buf is NULL, but size is 26");
}

// The detail belongs to the thread whose call failed, and stays until the
// next failure there.
TEST(LibraryErrors, LastErrorMessageIsPerThreadAndKeptBySuccess) {
  char buf[SYSCODE_CODE_BUFFER_SIZE];
  std::string fresh;
  std::thread([&] { fresh = syscode_last_error_message(); }).join();
  EXPECT_EQ(fresh, "");

  ASSERT_EQ(syscode_code_from_values(nullptr, buf, sizeof buf), SYSCODE_ERROR_ARGUMENT);
  std::thread([] {
    char other[2];
    syscode_code_from_values(kWorked, other, sizeof other);
  }).join();
  EXPECT_STREQ(syscode_last_error_message(), "values is NULL");
  ASSERT_EQ(syscode_code_from_values(kWorked, buf, sizeof buf), 25);
  EXPECT_STREQ(syscode_last_error_message(), "values is NULL");
}

TEST(LibraryErrors, EveryResultHasAText) {
  for (int result : {SYSCODE_ERROR_ARGUMENT, SYSCODE_ERROR_BUFFER_TOO_SMALL, SYSCODE_ERROR_VALUES,
                     SYSCODE_ERROR_HARDWARE, SYSCODE_ERROR_INTERNAL}) {
    EXPECT_STRNE(syscode_error_text(result), "ok");
    EXPECT_STRNE(syscode_error_text(result), "unknown error");
  }
  EXPECT_STREQ(syscode_error_text(25), "ok");
  EXPECT_STREQ(syscode_version(), SYSCODE_VERSION_FOR_TEST);
}

bool IsCode(const std::string& code) {
  if (code.size() != 4 && code.size() != 25) return false;
  for (char c : code) {
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'))) return false;
  }
  return code.substr(1, 2) == "00";
}

TEST(LibraryMachine, GetCodeGivesThisMachinesCodeEveryTime) {
  char buf[SYSCODE_CODE_BUFFER_SIZE];
  const int result = syscode_get_code(buf, sizeof buf);
  ASSERT_GE(result, 0) << syscode_error_text(result);
  EXPECT_EQ(std::strlen(buf), static_cast<size_t>(result));
  EXPECT_TRUE(IsCode(buf)) << buf;
  // Each call is a first press in a new window: no mask bits carry over.
  EXPECT_EQ(syscode::GetCode(), std::string(buf));
  char small[4];
  EXPECT_EQ(syscode_get_code(small, sizeof small), SYSCODE_ERROR_BUFFER_TOO_SMALL);
}

// A runtime in which WMI cannot be reached: no running locator, and
// creating one fails as on a machine without the WMI service.
class NoWmiRuntime : public wmi::ComRuntime {
 public:
  wmi::HRESULT GetActiveObject(const wmi::Guid&, std::shared_ptr<wmi::IUnknownObject>*) override {
    return wmi::kMK_E_UNAVAILABLE;
  }
  wmi::HRESULT CoCreateInstance(const wmi::Guid&, std::uint32_t, const wmi::Guid&,
                                std::shared_ptr<wmi::IUnknownObject>*) override {
    ++creations;
    return static_cast<wmi::HRESULT>(0x80040154u);  // REGDB_E_CLASSNOTREG
  }
  syscode::Text TakeErrorDescription() override { return syscode::Text(); }
  syscode::Text SystemMessage(wmi::HRESULT hr) override {
    return hr == static_cast<wmi::HRESULT>(0x80040154u) ? u"Class not registered\r\n" : syscode::Text();
  }
  int creations = 0;
};

TEST(LibraryMachine, NoWmiAtAllIsAnErrorNotTheCodeOfEmptySources) {
  NoWmiRuntime runtime;
  try {
    const std::string code = syscode::internal::GetCode(runtime);
    FAIL() << "gave " << code;
  } catch (const syscode::internal::HardwareUnavailable& e) {
    EXPECT_STREQ(e.what(), "the WMI locator could not be created: Class not registered");
  }
  EXPECT_EQ(runtime.creations, 7) << "every reader tried";
}

TEST(LibraryCpp, CodeFromValues) {
  syscode::SourceValues values;
  values[0] = "BFEBFBFF000306A9";
  values[1] = "1.02b";
  values[2] = "mb.42/77zx-r";
  try {
    syscode::CodeFromValues(values);
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("value 3 (HardDiskSerialNumber) is missing"), std::string::npos) << e.what();
  }
  values[3] = "S1A7-QX92-KM3";
  EXPECT_EQ(syscode::CodeFromValues(values), "900603007249AQRXZ7MK29X31");
  values[6] = "2864434397";
  EXPECT_EQ(syscode::CodeFromValues(values), "900603007249AQRXZ7MK29X31");
}

}  // namespace
