#include "syscode/code_assembly.h"

#include <gtest/gtest.h>

#include "fakes/fake_sources.h"
#include "base/errors.h"

namespace {

using fakes::FixedSources;
using fakes::MemoryLog;
using syscode::CodeAssembly;
using syscode::Text;

const std::array<Text, 7> kWorkedExample = {
    u"BFEBFBFF000306A9", u"1.02b", u"mb.42/77zx-r", u"S1A7-QX92-KM3", u"", u"", u""};

TEST(CodeAssemblyTest, WorkedExampleGivesCodeAndLogLines) {
  FixedSources sources(kWorkedExample);
  MemoryLog log;
  CodeAssembly assembly(sources, log);
  EXPECT_EQ(assembly.GetSystemCode(), u"900603007249AQRXZ7MK29X31");
  EXPECT_EQ(assembly.ExistItem(), 0x19);
  EXPECT_EQ(log.lines,
            (std::vector<Text>{u"CpuId = BFEBFBFF000306A9", u"BiosVersion = 1.02b",
                               u"BaseBordSerialNumber = mb.42/77zx-r", u"HardDiskSerialNumber = S1A7-QX92-KM3",
                               u"--------------------------------------------------"}));
  EXPECT_EQ(sources.calls, (std::vector<int>{0, 1, 2, 3}));
}

struct PressCase {
  const char* name;
  std::array<Text, 7> values;
  Text code;
  int mask;
  int lines;  // source lines logged
};

void PrintTo(const PressCase& c, std::ostream* os) { *os << c.name; }

class CodeAssemblyCases : public ::testing::TestWithParam<PressCase> {};

TEST_P(CodeAssemblyCases, FirstPressInNewWindow) {
  const PressCase& c = GetParam();
  FixedSources sources(c.values);
  MemoryLog log;
  CodeAssembly assembly(sources, log);
  EXPECT_EQ(assembly.GetSystemCode(), c.code) << c.name;
  EXPECT_EQ(assembly.ExistItem(), c.mask) << c.name;
  ASSERT_EQ(static_cast<int>(log.lines.size()), c.lines + 1) << c.name;
  for (int i = 0; i < c.lines; ++i) {
    EXPECT_EQ(log.lines[i], syscode::kSources[i].label + c.values[i]) << c.name << " line " << i;
  }
  EXPECT_EQ(log.lines.back(), syscode::kLogSeparator);
}

// One case in two lines: the inputs, then what they give.
// clang-format off
INSTANTIATE_TEST_SUITE_P(
    Table, CodeAssemblyCases,
    ::testing::Values(
        PressCase{"two parts, source 7 reached", {u"BFEBFBFF000306A9", u"", u"", u"", u"", u"", u"2864434397"},
                  u"1008", 0x81, 7},
        PressCase{"third part from source 7 still empties the body",
                  {u"BFEBFBFF000306A9", u"", u"mb.42/77zx-r", u"", u"", u"", u"2864434397"}, u"9008", 0x89, 7},
        PressCase{"every source empty", {u"", u"", u"", u"", u"", u"", u""}, u"0000", 0x00, 7},
        PressCase{"sources 1 to 3 stop after 3", {u"ABCDEFG1", u"HIJKLMN2", u"OPQRSTU3", u"x", u"x", u"x", u"x"},
                  u"B00FEDCBKJI1GP2NMLUTSRQ30", 0x0B, 3},
        PressCase{"exactly 7 taken whole, 6 gives nothing",
                  {u"1234567", u"ABCDEF", u"ab-cd-ef-12", u"QWERTYU", u"", u"", u""}, u"90054321DCB76Q21FEYTREWU1",
                  0x19, 4},
        PressCase{"non-ASCII and punctuation only", {u"\u0661\u0662\u0663\u0664\u0665\u0666\u0667\u0668", u"-.-.-.-.-.",
                  u"", u"", u"", u"", u"123456"}, u"0000", 0x00, 7},
        PressCase{"signature below one million leaves bit 0x80 clear",
                  {u"AAAAAAA", u"BBBBBBB", u"", u"", u"", u"", u"999999"}, u"3000", 0x03, 7}),
    [](const auto& info) {
      std::string n = info.param.name;
      for (char& ch : n) if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return n;
    });
// clang-format on

TEST(CodeAssemblyTest, MaskAccumulatesAcrossPresses) {
  FixedSources sources({u"BFEBFBFF000306A9", u"1.02b", u"", u"S1A7-QX92-KM3", u"LEGACY BIOS 2.07", u"", u""});
  MemoryLog log;
  CodeAssembly assembly(sources, log);
  EXPECT_EQ(assembly.GetSystemCode(), u"100603009XQ9AB3MK202SOI73");
  EXPECT_EQ(assembly.ExistItem(), 0x31);
  sources.values = kWorkedExample;
  EXPECT_EQ(assembly.GetSystemCode(), u"900603007249AQRXZ7MK29X33");
  EXPECT_EQ(assembly.ExistItem(), 0x39);
}

TEST(CodeAssemblyTest, FailedLogLineEndsPressButKeepsBits) {
  FixedSources sources(kWorkedExample);
  MemoryLog log;
  log.fail_at = 5;  // the separator line
  log.fail = [] { throw syscode::FileError(112, u"LogD.txt"); };
  CodeAssembly assembly(sources, log);
  EXPECT_THROW(assembly.GetSystemCode(), syscode::FileError);
  EXPECT_EQ(assembly.ExistItem(), 0x19);
  EXPECT_EQ(log.lines.size(), 4u);

  // A failure on the first line of a later press: bits from before stay set.
  log.fail_at = 6;
  log.fail = [] { throw syscode::FileError(5, u"LogD.txt"); };
  EXPECT_THROW(assembly.GetSystemCode(), syscode::FileError);
  EXPECT_EQ(assembly.ExistItem(), 0x19);
  EXPECT_EQ(sources.calls.size(), 5u);  // the reader ran before its line failed
}

TEST(CodeAssemblyTest, TextSteps) {
  struct {
    Text in;
    Text out;
  } reverse_blocks[] = {{u"ABCDEFGHIJ", u"EDCBAJIHGF"},
                        {u"ABCDEFGHIJK", u"EDCBAJIHGFK"},
                        {u"ABC", u"CBA"},
                        {u"", u""},
                        {u"00306A94277ZXRQX92KM3", u"603007249AQRXZ7MK29X3"}};
  for (const auto& c : reverse_blocks) EXPECT_EQ(CodeAssembly::ReverseBlocks(c.in, 5), c.out);
  EXPECT_EQ(CodeAssembly::ScrambleBody(u""), u"");
  EXPECT_EQ(CodeAssembly::NormalizeIdentifier(u"ab-cd-ef-12"), u"ABCDEF12");
  EXPECT_EQ(CodeAssembly::NormalizeIdentifier(u" \t\u00e9z\u0130{`@[9"), u"Z9");
  EXPECT_EQ(CodeAssembly::RightChars(u"ABCDEF12", 7), u"BCDEF12");
  EXPECT_EQ(CodeAssembly::ReverseText(u"abc"), u"cba");
}

TEST(CodeAssemblyTest, Position24IsLastCharacterOfThirdPart) {
  FixedSources sources({u"1111111", u"2222222", u"ABCDEFZ", u"", u"", u"", u""});
  MemoryLog log;
  CodeAssembly assembly(sources, log);
  EXPECT_EQ(assembly.GetSystemCode()[23], u'Z');
}

}  // namespace
