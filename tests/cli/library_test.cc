// The public library's C and C++ API, linked as a vendor links it.
#include "syscode/syscode.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

namespace {

struct ValuesCase {
  const char* name;
  const char* values[SYSCODE_SOURCE_COUNT];
  int result;
  const char* code;  // when result >= 0
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
        ValuesCase{"third part from source 7",
                   {"BFEBFBFF000306A9", "", "mb.42/77zx-r", "", "", "", "2864434397"},
                   4,
                   "9008"},
        ValuesCase{"parts from sources 1, 4 and 5",
                   {"BFEBFBFF000306A9", "1.02b", "", "S1A7-QX92-KM3", "LEGACY BIOS 2.07", nullptr, nullptr},
                   25,
                   "100603009XQ9AB3MK202SOI73"},
        ValuesCase{"UTF-8 and invalid bytes leave the code alone",
                   {"BFEBFBFF000306A9", "1.02b\xC3\xA9", "mb.42/77zx-r\xFF", "S1A7-QX92-KM3", nullptr, nullptr,
                    nullptr},
                   25,
                   "900603007249AQRXZ7MK29X31"},
        ValuesCase{"a source the derivation reads is NULL",
                   {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", nullptr, nullptr, nullptr, nullptr},
                   SYSCODE_ERROR_VALUES,
                   nullptr},
        ValuesCase{"a value after the derivation stopped",
                   {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3", "x", nullptr, nullptr},
                   SYSCODE_ERROR_VALUES,
                   nullptr},
        ValuesCase{"no value at all", {nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr},
                   SYSCODE_ERROR_VALUES, nullptr}));

const char* const kWorked[SYSCODE_SOURCE_COUNT] = {"BFEBFBFF000306A9", "1.02b", "mb.42/77zx-r", "S1A7-QX92-KM3",
                                                   nullptr, nullptr, nullptr};
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
    }
    EXPECT_EQ(buf[c.size], 'x') << "wrote beyond size " << c.size;
  }
}

TEST(LibraryBuffers, NullPointers) {
  char buf[SYSCODE_CODE_BUFFER_SIZE];
  EXPECT_EQ(syscode_code_from_values(nullptr, buf, sizeof buf), SYSCODE_ERROR_ARGUMENT);
  EXPECT_EQ(syscode_code_from_values(kWorked, nullptr, 26), SYSCODE_ERROR_ARGUMENT);
  EXPECT_EQ(syscode_code_from_values(kWorked, nullptr, 0), SYSCODE_ERROR_BUFFER_TOO_SMALL);
  EXPECT_EQ(syscode_get_code(nullptr, 26), SYSCODE_ERROR_ARGUMENT);
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

TEST(LibraryCpp, CodeFromValues) {
  syscode::SourceValues values;
  values[0] = "BFEBFBFF000306A9";
  values[1] = "1.02b";
  values[2] = "mb.42/77zx-r";
  EXPECT_THROW(syscode::CodeFromValues(values), std::invalid_argument);
  values[3] = "S1A7-QX92-KM3";
  EXPECT_EQ(syscode::CodeFromValues(values), "900603007249AQRXZ7MK29X31");
  values[6] = "2864434397";
  try {
    syscode::CodeFromValues(values);
    FAIL() << "no error";
  } catch (const std::invalid_argument& e) {
    EXPECT_NE(std::string(e.what()).find("DiskDriveSignature"), std::string::npos) << e.what();
  }
}

}  // namespace
