#include "base/errors.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "base/text.h"

namespace {

using syscode::Text;

TEST(FileErrorTest, MessageForEachCode) {
  struct {
    int code;
    Text message;
  } cases[] = {
      {2, u"The specified file was not found"},
      {3, u"Invalid file name - C:\\x\\LogD.txt"},
      {4, u"Too many open files"},
      {5, u"File access denied"},
      {32, u"I/O error 32"},
      {112, u"I/O error 112"},
      {0, u"I/O error 0"},
  };
  for (const auto& c : cases) {
    syscode::FileError error(c.code, u"C:\\x\\LogD.txt");
    EXPECT_EQ(error.Message(), c.message) << c.code;
    EXPECT_EQ(error.Code(), c.code);
  }
}

TEST(ErrorDisplayTextTest, AppendsPeriodOnlyAfterCharactersAbove46) {
  struct {
    Text in;
    Text out;
  } cases[] = {
      {u"File access denied", u"File access denied."},
      {u"Done.", u"Done."},
      {u"a-", u"a-"},
      {u"a,", u"a,"},
      {u"a!", u"a!"},
      {u"(x)", u"(x)"},
      {u"trailing ", u"trailing "},
      {u"a/", u"a/."},  // "/" is 47
      {u"I/O error 112", u"I/O error 112."},
      {u"\u062e\u0637\u0627", u"\u062e\u0637\u0627."},
      {u"", u""},
  };
  for (const auto& c : cases) EXPECT_EQ(syscode::ErrorDisplayText(c.in), c.out);
}

TEST(MessageOfTest, EveryKindOfFailure) {
  auto capture = [](auto thrower) {
    try {
      thrower();
    } catch (...) {
      return syscode::MessageOf(std::current_exception());
    }
    return Text(u"not thrown");
  };
  EXPECT_EQ(capture([] { throw syscode::FileError(5, u"x"); }), u"File access denied");
  EXPECT_EQ(capture([] { throw std::bad_alloc(); }), u"Out of memory");
  EXPECT_EQ(capture([] { throw std::runtime_error("caf\xc3\xa9"); }), u"caf\u00e9");
  EXPECT_EQ(capture([] { throw 42; }), u"");
  EXPECT_EQ(syscode::MessageOf(nullptr), u"");
}

TEST(TextTest, TrimRemovesCodesUpTo32Only) {
  EXPECT_EQ(syscode::Trim(u"\t\r\n \x01 a b \x1f\x20"), u"a b");
  EXPECT_EQ(syscode::Trim(u"\u00a0a\u00a0"), u"\u00a0a\u00a0");  // no-break space is not trimmed
  EXPECT_EQ(syscode::Trim(u"   "), u"");
  EXPECT_EQ(syscode::TrimTrailingBlanksAndPeriods(u"  Not found. . \r\n"), u"  Not found");
}

TEST(TextTest, Utf8RoundTripAndBadBytes) {
  const Text text = u"a\u00e9\u062e\U0001F600";
  EXPECT_EQ(syscode::FromUtf8(syscode::ToUtf8(text)), text);
  EXPECT_EQ(syscode::FromUtf8("\xff"
                              "a\xc3"),
            u"\ufffda\ufffd");
  EXPECT_EQ(syscode::ToUtf8(Text(1, u'\xd800')), "\xef\xbf\xbd");
  EXPECT_EQ(syscode::FromLatin1("\xe9z"), u"\u00e9z");
  EXPECT_EQ(syscode::DecimalText(-9223372036854775807LL - 1), u"-9223372036854775808");
  EXPECT_EQ(syscode::DecimalText(18446744073709551615ULL), u"18446744073709551615");
}

}  // namespace
