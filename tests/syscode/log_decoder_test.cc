#include "syscode/log_decoder.h"

#include "syscode/press_report.h"
#include "fakes/worked_log.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using syscode::DecodeDiagnosticLog;
using syscode::DecodedLog;
using syscode::LogFormatError;
using syscode::RecordedValues;
using syscode::ReplayPress;
using syscode::ReplayResult;
using syscode::Text;

const std::string& kSep = fakes::kLogSeparator;
// The worked example as the window logs it.
const std::string& kWorked = fakes::kWorkedLog;
const std::string kEmpty2To6 =
    "BiosVersion = \r\nBaseBordSerialNumber = \r\nHardDiskSerialNumber = \r\nBiosName = \r\n"
    "BaseBordManufacturer = \r\n";

std::vector<Text> CodesOf(const DecodedLog& log) {
  std::vector<Text> codes;
  for (const auto& press : log.presses) codes.push_back(ReplayPress(press.values).code);
  return codes;
}

struct GoodCase {
  const char* name;
  std::string bytes;
  std::vector<Text> codes;         // of the complete presses, in order
  std::vector<int> first_lines;    // of the complete presses
  std::vector<int> incomplete_at;  // first lines of the skipped presses
};

void PrintTo(const GoodCase& c, std::ostream* os) { *os << c.name; }

class GoodLogs : public ::testing::TestWithParam<GoodCase> {};

TEST_P(GoodLogs, GiveTheCodesOfTheirPresses) {
  const GoodCase& c = GetParam();
  const DecodedLog log = DecodeDiagnosticLog(c.bytes);
  EXPECT_EQ(CodesOf(log), c.codes);
  std::vector<int> first_lines;
  for (const auto& press : log.presses) first_lines.push_back(press.first_line);
  EXPECT_EQ(first_lines, c.first_lines);
  std::vector<int> incomplete_at;
  for (const auto& press : log.incomplete) incomplete_at.push_back(press.first_line);
  EXPECT_EQ(incomplete_at, c.incomplete_at);
}

INSTANTIATE_TEST_SUITE_P(
    Table, GoodLogs,
    ::testing::Values(
        GoodCase{"worked example", kWorked, {u"900603007249AQRXZ7MK29X31"}, {1}, {}},
        GoodCase{"two parts, source 7 reached",
                 "CpuId = BFEBFBFF000306A9\r\n" + kEmpty2To6 + "DiskDriveSignature = 2864434397\r\n" + kSep,
                 {u"1008"},
                 {1},
                 {}},
        GoodCase{"three parts, the third from source 7",
                 "CpuId = BFEBFBFF000306A9\r\nBiosVersion = \r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
                 "HardDiskSerialNumber = \r\nBiosName = \r\nBaseBordManufacturer = \r\n"
                 "DiskDriveSignature = 2864434397\r\n" +
                     kSep,
                 {u"9008"},
                 {1},
                 {}},
        GoodCase{"each press as a first press",
                 "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = \r\n"
                 "HardDiskSerialNumber = S1A7-QX92-KM3\r\nBiosName = LEGACY BIOS 2.07\r\n" +
                     kSep + kWorked,
                 {u"100603009XQ9AB3MK202SOI73", u"900603007249AQRXZ7MK29X31"},
                 {1, 7},
                 {}},
        GoodCase{
            "no source usable", "CpuId = \r\n" + kEmpty2To6 + "DiskDriveSignature = \r\n" + kSep, {u"0000"}, {1}, {}},
        GoodCase{"empty file", "", {}, {}, {}},
        GoodCase{"no final CR LF", kWorked.substr(0, kWorked.size() - 2), {u"900603007249AQRXZ7MK29X31"}, {1}, {}},
        GoodCase{"UTF-8 byte-order mark", "\xEF\xBB\xBF" + kWorked, {u"900603007249AQRXZ7MK29X31"}, {1}, {}},
        GoodCase{"non-ASCII bytes stay out of the code",
                 "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\n"
                 "BaseBordSerialNumber = mb.42/77zx-r\xC3\xA9\xFF\r\nHardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
                     kSep,
                 {u"900603007249AQRXZ7MK29X31"},
                 {1},
                 {}},
        GoodCase{"value broken over lines",
                 "CpuId = BFEBFBFF\r\n000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
                 "HardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
                     kSep,
                 {u"900603007249AQRXZ7MK29X31"},
                 {1},
                 {}},
        GoodCase{"label line that lost its trailing blank",
                 "CpuId = BFEBFBFF000306A9\r\nBiosVersion =\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
                 "HardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
                     kSep,
                 {u"900603007249AQRXZ7MK29X31"},
                 {1},
                 {}},
        GoodCase{"press cut short before a new press",
                 "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\n" + kWorked,
                 {u"900603007249AQRXZ7MK29X31"},
                 {3},
                 {1}},
        GoodCase{"press whose separator was not written",
                 kWorked.substr(0, kWorked.size() - kSep.size()) + kWorked,
                 {u"900603007249AQRXZ7MK29X31"},
                 {5},
                 {1}},
        GoodCase{"lines without separator at the end",
                 kWorked + "CpuId = BFEBFBFF000306A9\r\nBiosVersion = ",
                 {u"900603007249AQRXZ7MK29X31"},
                 {1},
                 {6}}));

TEST(LogDecoderTest, ContinuationLinesJoinWithCrLfAndLoneLfStays) {
  const DecodedLog log = DecodeDiagnosticLog(
      "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nrev\n7\r\nBaseBordSerialNumber = \r\n"
      "HardDiskSerialNumber = \r\n\r\nBiosName = x\r\n\xE9t\xE9\r\nBaseBordManufacturer = \r\n"
      "DiskDriveSignature = 1\r\n" +
      kSep);
  ASSERT_EQ(log.presses.size(), 1u);
  const RecordedValues& v = log.presses[0].values;
  EXPECT_EQ(v[1], Text(u"1.02b\r\nrev\n7"));
  EXPECT_EQ(v[3], Text(u"\r\n"));  // an empty continuation line
  EXPECT_EQ(v[4], Text(u"x\r\n\u00E9t\u00E9"));
  EXPECT_EQ(v[6], Text(u"1"));
  // The line break is part of the value, so it changes the part.
  EXPECT_EQ(ReplayPress(v).trace.sources[1].part, Text(u"02BREV7"));
}

struct BadCase {
  const char* name;
  std::string bytes;
  int line;
  Text reason;  // the start of the reason
};

void PrintTo(const BadCase& c, std::ostream* os) { *os << c.name; }

class BadLogs : public ::testing::TestWithParam<BadCase> {};

TEST_P(BadLogs, NameTheLineAndTheReason) {
  const BadCase& c = GetParam();
  try {
    DecodeDiagnosticLog(c.bytes);
    FAIL() << "no error";
  } catch (const LogFormatError& e) {
    EXPECT_EQ(e.Line(), c.line);
    EXPECT_TRUE(e.Reason().starts_with(c.reason)) << syscode::ToUtf8(e.Reason());
    EXPECT_TRUE(e.Message().starts_with(u"line " + syscode::DecimalText(static_cast<long long>(c.line)) + u": "));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, BadLogs,
    ::testing::Values(
        BadCase{"not a log", "hello\r\nworld\r\n", 1, u"not a diagnostic log"},
        BadCase{"binary file",
                std::string("\x7F"
                            "ELF\x02\x01\n\0\0",
                            9),
                1, u"not a diagnostic log: the first line"},
        BadCase{"LF line ends only", "CpuId = BFEBFBFF000306A9\nBiosVersion = 1.02b\n", 1,
                u"not a diagnostic log: its lines end with LF"},
        BadCase{"unknown label", "CpuId = BFEBFBFF000306A9\r\nMacAddress = 001122334455\r\n", 2,
                u"unknown label \"MacAddress = \""},
        BadCase{"unknown label at the start", "Serial = 1\r\n", 1, u"unknown label \"Serial = \""},
        BadCase{"label skipped", "CpuId = BFEBFBFF000306A9\r\nBaseBordSerialNumber = 1\r\n", 2, u"labels out of order"},
        BadCase{"press not starting with CpuId", "BiosVersion = 1.02b\r\n" + kWorked, 1, u"labels out of order"},
        BadCase{"label repeated", "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1\r\nBiosVersion = 2\r\n", 3,
                u"labels out of order"},
        BadCase{"label after all seven sources",
                "CpuId = \r\nBiosVersion = \r\nBaseBordSerialNumber = NULL\r\nHardDiskSerialNumber = \r\n"
                "BiosName = \r\nBaseBordManufacturer = NULL\r\nDiskDriveSignature = \r\nBiosName = \r\n" +
                    kSep,
                8, u"labels out of order: \"BiosName = \" line where the separator line belongs"},
        BadCase{"line after three parts", kWorked.substr(0, kWorked.size() - kSep.size()) + "BiosName = x\r\n" + kSep,
                5, u"\"BiosName = \" line after three parts"},
        BadCase{"line after three parts at the end of the file",
                kWorked.substr(0, kWorked.size() - kSep.size()) + "BiosName = x\r\n", 5,
                u"\"BiosName = \" line after three parts"},
        BadCase{"source missing before the separator",
                "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = \r\n" + kSep, 4,
                u"the press ends before the \"HardDiskSerialNumber = \" line"},
        BadCase{"separator first", kSep + kWorked, 1, u"separator line without a press"},
        BadCase{"two separators", kWorked + kSep, 6, u"separator line without a press"},
        BadCase{"text after a separator", kWorked + "trailing text\r\n", 6,
                u"neither a source line nor the separator"}));

// ReadDiagnosticLog decodes around bad stretches.
struct DamagedCase {
  const char* name;
  std::string bytes;
  std::vector<Text> codes;
  std::vector<int> first_lines;
  std::vector<int> problem_lines;  // the line each problem shows at
  std::vector<int> incomplete_at;
};

void PrintTo(const DamagedCase& c, std::ostream* os) { *os << c.name; }

class DamagedLogs : public ::testing::TestWithParam<DamagedCase> {};

TEST_P(DamagedLogs, GiveThePressesAroundTheDamage) {
  const DamagedCase& c = GetParam();
  const DecodedLog log = syscode::ReadDiagnosticLog(c.bytes);
  EXPECT_EQ(CodesOf(log), c.codes);
  std::vector<int> first_lines, problem_lines, incomplete_at;
  for (const auto& press : log.presses) first_lines.push_back(press.first_line);
  for (const auto& problem : log.problems) problem_lines.push_back(problem.line);
  for (const auto& press : log.incomplete) incomplete_at.push_back(press.first_line);
  EXPECT_EQ(first_lines, c.first_lines);
  EXPECT_EQ(problem_lines, c.problem_lines);
  EXPECT_EQ(incomplete_at, c.incomplete_at);
}

const Text kW = u"900603007249AQRXZ7MK29X31";
const std::string kWorkedLines = kWorked.substr(0, kWorked.size() - kSep.size());

INSTANTIATE_TEST_SUITE_P(
    Table, DamagedLogs,
    ::testing::Values(
        DamagedCase{"label out of order inside a press",
                    "CpuId = BFEBFBFF000306A9\r\nBiosName = x\r\n" + kWorked.substr(26),
                    {kW},
                    {1},
                    {2},
                    {}},
        DamagedCase{"separator too early drops that press only",
                    "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\n" + kSep + kWorked,
                    {kW},
                    {4},
                    {3},
                    {}},
        // A short write of "CpuId = 178BFBFF" glued to the next press's first line;
        // without the check the glued value gives the same part and the damage
        // passes unseen.
        DamagedCase{"short write glued to the next press", "CpuId = 178BFBFF" + kWorked, {kW}, {1}, {1}, {}},
        DamagedCase{"short write inside the label", "Cpu" + kWorked, {kW}, {1}, {1}, {}},
        DamagedCase{"short write of a later line",
                    "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.0" + kWorked,
                    {kW},
                    {2},
                    {2},
                    {1}},
        DamagedCase{"short write of the separator", kWorkedLines + "-----" + kWorked, {kW}, {5}, {5}, {1}},
        DamagedCase{"two copies interleaving different values",
                    "CpuId = BFEBFBFF000306A9\r\nCpuId = \r\nBiosVersion = \r\nBiosVersion = 1.02b\r\n"
                    "BaseBordSerialNumber = \r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
                    "HardDiskSerialNumber = \r\nHardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
                        kSep + "BiosName = \r\nBaseBordManufacturer = \r\nDiskDriveSignature = \r\n" + kSep,
                    {kW, u"0000"},
                    {1, 2},
                    {},
                    {}},
        DamagedCase{"UTF-16 big-endian without a byte-order mark",
                    [] {
                      std::string out;
                      for (char c : kWorked) out += std::string(1, '\0') + c;
                      return out;
                    }(),
                    {kW},
                    {1},
                    {},
                    {}},
        DamagedCase{"empty lines between presses", kWorked + "\r\n\r\n" + kWorked, {kW, kW}, {1, 8}, {6}, {}}));

TEST(LogDecoderTest, NamesTheEncodingAndConvertedLineEnds) {
  std::string utf16 = "\xFF\xFE";
  for (char c : kWorked) utf16 += std::string(1, c) + '\0';
  EXPECT_EQ(syscode::ReadDiagnosticLog(utf16).encoding, syscode::LogEncoding::kUtf16Le);
  struct Case {
    std::string bytes;
    Text reason;
  };
  for (const Case& c : std::vector<Case>{
           {"CpuId = 1\nBiosVersion = 2\n", u"not a diagnostic log: its lines end with LF, not CR LF"},
           {"CpuId = 1\rBiosVersion = 2\r", u"not a diagnostic log: its lines end with CR only"},
           {"CpuId = 1\r\r\nBiosVersion = 2\r\r\n", u"not a diagnostic log: its lines end with CR CR LF"}}) {
    const DecodedLog log = syscode::ReadDiagnosticLog(c.bytes);
    ASSERT_EQ(log.problems.size(), 1u);
    EXPECT_TRUE(log.problems[0].reason.starts_with(c.reason)) << syscode::ToUtf8(log.problems[0].reason);
    EXPECT_EQ(log.problems[0].first_line, 1);
    EXPECT_EQ(log.problems[0].last_line, 2);
    EXPECT_TRUE(log.presses.empty());
  }
}

TEST(LogDecoderTest, ManyCutPressesKeepAtMostFourOpenAndReportTheRest) {
  std::string bytes;
  for (int i = 0; i < 10; ++i) bytes += "CpuId = BFEBFBFF000306A9\r\n";
  bytes += kWorked;
  const DecodedLog log = syscode::ReadDiagnosticLog(bytes);
  EXPECT_EQ(CodesOf(log), std::vector<Text>{kW});
  EXPECT_EQ(log.incomplete.size(), 10u);
  EXPECT_EQ(log.incomplete.front().reason, u"cut short: a new press starts at line 2 without a separator line");
}

TEST(ReplayPressTest, ReportsValuesThatAreNotOnePress) {
  RecordedValues values;
  values[0] = u"BFEBFBFF000306A9";
  values[1] = u"1.02b";
  values[2] = u"mb.42/77zx-r";
  ReplayResult r = ReplayPress(values);
  EXPECT_EQ(r.status, ReplayResult::Status::kMissingSource);
  EXPECT_EQ(r.source, 3);
  EXPECT_TRUE(r.code.empty());

  values[3] = u"S1A7-QX92-KM3";
  r = ReplayPress(values);
  EXPECT_EQ(r.status, ReplayResult::Status::kOk);
  EXPECT_EQ(r.code, u"900603007249AQRXZ7MK29X31");
  EXPECT_EQ(r.mask, 0x19);

  values[6] = u"2864434397";  // a gap: sources 5 and 6 not read
  r = ReplayPress(values);
  EXPECT_EQ(r.status, ReplayResult::Status::kUnreadSources);
  EXPECT_EQ(r.source, 6);
}

}  // namespace

namespace {

TEST(LogJsonTest, StreamedTextIsTheTextOfTheWholeObject) {
  // Presses, a bad stretch and a skipped press, at the top level and as an
  // element of an array.
  const std::string bytes = kWorked + "stray\r\nCpuId = 1\r\n" + kWorked + "CpuId = x\x9B\r\n";
  const syscode::DecodedLog whole = syscode::ReadDiagnosticLog(bytes);
  for (int indent : {0, 2}) {
    std::string streamed;
    const syscode::DecodedLog log =
        syscode::WriteLogJson(bytes, Text(u"LogD.txt"), indent, [&](const std::string& piece) { streamed += piece; });
    EXPECT_EQ(log.press_count, 2u);
    EXPECT_TRUE(log.presses.empty());
    const syscode::Json json = syscode::LogJson(whole, Text(u"LogD.txt"));
    EXPECT_EQ(syscode::Json::parse(streamed), json);
    if (indent == 0) {
      EXPECT_EQ(streamed, syscode::JsonText(json));
    }
    EXPECT_EQ(streamed.find("\xC2\x9B"), std::string::npos);  // C1 written as \u009b
  }
}

}  // namespace
