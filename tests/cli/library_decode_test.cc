// The library's log decoder and code check, through the C API as a binding
// (ctypes, FFI) calls them.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <memory>
#include <string>

#include "syscode/syscode.h"
#include "fakes/worked_log.h"

namespace {

using nlohmann::json;

const std::string& kSep = fakes::kLogSeparator;
// The worked example as the window logs it (kWorked), then the accumulation example's
// first press (its own code ends in 1; the window showed ...X33 on the
// press after it).
const std::string& kWorked = fakes::kWorkedLog;
const std::string kFirstOfTwo =
    "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = \r\n"
    "HardDiskSerialNumber = S1A7-QX92-KM3\r\nBiosName = LEGACY BIOS 2.07\r\n" +
    kSep;

struct Freed {
  void operator()(char* p) const { syscode_free(p); }
};
using Text = std::unique_ptr<char, Freed>;

json Decode(const std::string& bytes) {
  Text text(syscode_decode_log(bytes.data(), bytes.size()));
  EXPECT_NE(text, nullptr);
  return text ? json::parse(text.get()) : json();
}

TEST(LibraryDecodeLog, GivesEveryPressWithItsLinesAndEveryBadStretch) {
  const json log = Decode(kFirstOfTwo + "garbage\r\n" + kWorked + "\r\n");
  EXPECT_EQ(log.at("schema"), 1);
  EXPECT_TRUE(log.at("file").is_null());
  EXPECT_EQ(log.at("encoding"), "ANSI");
  ASSERT_EQ(log.at("presses").size(), 2u);
  EXPECT_EQ(log["presses"][0]["code"], "100603009XQ9AB3MK202SOI73");
  EXPECT_EQ(log["presses"][0]["mask"], 0x31);
  EXPECT_EQ(log["presses"][0]["first_line"], 1);
  EXPECT_EQ(log["presses"][0]["last_line"], 6);
  EXPECT_EQ(log["presses"][1]["code"], "900603007249AQRXZ7MK29X31");
  EXPECT_EQ(log["presses"][1]["first_line"], 8);
  EXPECT_EQ(log["presses"][1]["sources"][2]["outcome"], "used");
  EXPECT_EQ(log["presses"][0]["sources"][2]["outcome"], "empty");
  EXPECT_EQ(log["presses"][0]["sources"][6]["outcome"], "not_read");
  ASSERT_EQ(log.at("problems").size(), 2u);
  EXPECT_EQ(log["problems"][0]["line"], 7);
  EXPECT_EQ(log["problems"][1]["line"], 13);  // the empty line after the last press
}

TEST(LibraryDecodeLog, EmptyInputAndBadArguments) {
  const json empty = Decode("");
  EXPECT_TRUE(empty.at("presses").empty());
  EXPECT_TRUE(empty.at("problems").empty());
  Text none(syscode_decode_log(nullptr, 0));
  ASSERT_NE(none, nullptr);
  EXPECT_EQ(syscode_decode_log(nullptr, 5), nullptr);
  syscode_free(nullptr);
}

struct CheckCase {
  const char* name;
  const char* code;
  int result;
  const char* verdict;  // of the press at line 1, when the result is 0 or 1
};

void PrintTo(const CheckCase& c, std::ostream* os) { *os << c.name; }

class LibraryCheckCode : public ::testing::TestWithParam<CheckCase> {};

TEST_P(LibraryCheckCode, AgainstALog) {
  const CheckCase& c = GetParam();
  const std::string log = kWorked;
  char* raw = nullptr;
  const int result = syscode_check_code(c.code, log.data(), log.size(), &raw);
  Text report(raw);
  EXPECT_EQ(result, c.result);
  if (c.result < 0) {
    EXPECT_EQ(report, nullptr);
    return;
  }
  ASSERT_NE(report, nullptr);
  const json j = json::parse(report.get());
  EXPECT_EQ(j.at("schema"), 1);
  EXPECT_EQ(j.at("against"), "log");
  EXPECT_EQ(j.at("match"), c.result == 1);
  EXPECT_EQ(j["candidates"][0]["verdict"], c.verdict);
  EXPECT_EQ(j["candidates"][0]["first_line"], 1);
  // Without a report pointer the answer is the same.
  EXPECT_EQ(syscode_check_code(c.code, log.data(), log.size(), nullptr), c.result);
}

INSTANTIATE_TEST_SUITE_P(
    Table, LibraryCheckCode,
    ::testing::Values(CheckCase{"as shown", "9006-03007-249AQ-RXZ7M-K29X31", 1, "match"},
                      CheckCase{"lower case and blanks", " 90060 3007249aqrxz7mk29x31 ", 1, "match"},
                      CheckCase{"a later press's mask", "900603007249AQRXZ7MK29X33", 0, "mask_only"},
                      CheckCase{"O for 0", "9006O3007249AQRXZ7MK29X31", 0, "typing_error"},
                      CheckCase{"two swapped", "900630007249AQRXZ7MK29X31", 0, "typing_error"},
                      CheckCase{"another code", "1008", 0, "different"},
                      CheckCase{"not a code", "9006+3007", SYSCODE_ERROR_ARGUMENT, ""},
                      CheckCase{"nothing", "", SYSCODE_ERROR_ARGUMENT, ""}));

TEST(LibraryCheckCodeTest, NullCodeIsRefused) {
  char* report = reinterpret_cast<char*>(1);
  EXPECT_EQ(syscode_check_code(nullptr, nullptr, 0, &report), SYSCODE_ERROR_ARGUMENT);
  EXPECT_EQ(report, nullptr);
}

// A failed call leaves its own detail, not an earlier call's.
TEST(LibraryCheckCodeTest, FailuresNameTheirDetail) {
  EXPECT_EQ(syscode_check_code(nullptr, nullptr, 0, nullptr), SYSCODE_ERROR_ARGUMENT);
  EXPECT_STREQ(syscode_last_error_message(), "code is NULL");
  EXPECT_EQ(syscode_check_code("9006+3007", nullptr, 0, nullptr), SYSCODE_ERROR_ARGUMENT);
  EXPECT_EQ(std::string(syscode_last_error_message()).rfind("the code is no system code: ", 0), 0u);
  EXPECT_EQ(syscode_decode_log(nullptr, 5), nullptr);
  EXPECT_STREQ(syscode_last_error_message(), "bytes is NULL, but length is 5");
}

TEST(LibraryCheckCodeTest, AgainstThisMachine) {
  char code[SYSCODE_CODE_BUFFER_SIZE];
  ASSERT_GT(syscode_get_code(code, sizeof code), 0);
  char* raw = nullptr;
  EXPECT_EQ(syscode_check_code(code, nullptr, 0, &raw), 1);
  Text report(raw);
  ASSERT_NE(report, nullptr);
  const json j = json::parse(report.get());
  EXPECT_EQ(j.at("against"), "machine");
  EXPECT_EQ(j["candidates"][0]["code"], code);
  EXPECT_TRUE(j["candidates"][0]["first_line"].is_null());
}

}  // namespace
