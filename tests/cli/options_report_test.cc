// The option parser and the per-source report of syscode-cli.
#include <gtest/gtest.h>

#include "app/cli/options.h"
#include "app/cli/report.h"

namespace {

using app::cli::Options;
using app::cli::ParseCommandLine;
using syscode::Text;

struct ParseCase {
  const char* name;
  std::vector<Text> args;
  Text error;  // the start of the error; empty for a good command line
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << c.name; }

class ParseCases : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseCases, AcceptOrRefuse) {
  const ParseCase& c = GetParam();
  const Text error = ParseCommandLine(c.args).error;
  if (c.error.empty()) {
    EXPECT_EQ(error, u"") << syscode::ToUtf8(error);
  } else {
    EXPECT_TRUE(error.starts_with(c.error)) << syscode::ToUtf8(error);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseCases,
    ::testing::Values(
        ParseCase{"nothing", {}, u""}, ParseCase{"value as next argument", {u"--from-log", u"x"}, u""},
        ParseCase{"value after =", {u"--query=Win32_BIOS", u"--json", u"--server", u"."}, u""},
        ParseCase{"log with file", {u"--log=a.txt", u"--sources"}, u""},
        ParseCase{"help wins over conflicts", {u"--sources", u"--json", u"--help"}, u""},
        ParseCase{"missing value", {u"--query"}, u"option --query needs a value"},
        ParseCase{"empty value", {u"--from-log="}, u"option --from-log needs a non-empty value"},
        ParseCase{"value on a flag", {u"--sources=1"}, u"option --sources takes no value"},
        ParseCase{"unknown", {u"--frm-log", u"x"}, u"unknown option '--frm-log'"},
        ParseCase{"stray", {u"LogD.txt"}, u"unexpected argument 'LogD.txt'"},
        ParseCase{"after --", {u"--", u"x"}, u"unexpected argument 'x'"},
        ParseCase{"log and from-log", {u"--from-log", u"x", u"--log"}, u"options --from-log and --log"},
        ParseCase{"namespace alone", {u"--namespace", u"root"}, u"option --namespace needs --query"},
        ParseCase{"abbreviation", {u"--from", u"x", u"--so"}, u""},
        ParseCase{"ambiguous abbreviation", {u"--s"}, u"option '--s' is ambiguous (--sources, --strict, --server)"},
        ParseCase{"abbreviated flag with a value", {u"--js=1"}, u"option --json takes no value"},
        ParseCase{"log with a separate file",
                  {u"--log", u"my.txt"},
                  u"unexpected argument 'my.txt' (--log takes its file only as --log=FILE)"},
        ParseCase{"from-log without a file", {u"--from-log", u"--json"}, u"option --from-log needs a file"},
        ParseCase{"strict alone", {u"--strict"}, u"option --strict needs --from-log"},
        ParseCase{"check with query", {u"--check", u"1008", u"--query", u"x"}, u"options --check and --query"},
        ParseCase{"check without code", {u"--check"}, u"option --check needs a value"},
        ParseCase{"unknown short option", {u"-hx"}, u"unknown option '-x'"}));

TEST(ParseCommandLineTest, LogsFromEveryPlace) {
  // The value of --from-log=, operands before and after options, "-" for
  // standard input, and after "--" a name that looks like an option.
  const Options o =
      ParseCommandLine({u"a.txt", u"--from-log=b.txt", u"-", u"--json", u"c.txt", u"--", u"--d.txt"}).options;
  EXPECT_TRUE(o.from_log);
  EXPECT_TRUE(o.json);
  EXPECT_EQ(o.files, (std::vector<Text>{u"a.txt", u"b.txt", u"-", u"c.txt", u"--d.txt"}));
  // A second parse starts afresh (getopt keeps global state).
  EXPECT_TRUE(ParseCommandLine({u"--from-log", u"x"}).options.files == std::vector<Text>{u"x"});
  const Options check = ParseCommandLine({u"--check", u"9006-03007", u"--from-log", u"LogD.txt", u"--strict"}).options;
  EXPECT_EQ(check.check, Text(u"9006-03007"));
  EXPECT_TRUE(check.strict);
}

TEST(ParseCommandLineTest, Values) {
  const Options o = ParseCommandLine({u"--log", u"--json"}).options;
  EXPECT_EQ(o.log, Text(u"LogD.txt"));
  EXPECT_TRUE(o.json);
  const Options q = ParseCommandLine({u"--query", u"SELECT * FROM Win32_BIOS", u"--namespace=root\\x"}).options;
  EXPECT_EQ(q.query, Text(u"SELECT * FROM Win32_BIOS"));
  EXPECT_EQ(q.name_space, u"root\\x");
  EXPECT_EQ(q.server, u".");
}

// A press as an ordinary Linux user sees it: the board serial could not be
// read, so the part comes from further down; the first source too short.
syscode::PressFacts UserPress() {
  syscode::PressFacts press;
  press.code = u"1008";
  press.mask = 0x81;
  auto& s = press.trace.sources;
  for (auto& source : s) source.read = true;
  s[0].raw = u"BFEBFBFF000306A9";
  s[0].part = u"00306A9";
  s[1].raw = u"1.0";
  s[6].raw = u"2864434397";
  s[6].part = u"4434397";
  press.trace.body_emptied = true;
  return press;
}

TEST(SourcesReportTest, ExplainsEverySourceAndHintsAtRoot) {
  // The board serial exists but could not be read; BiosName is just empty.
  const Text text = app::cli::SourcesText(UserPress(), [](int source) { return source == 2; });
  const std::string out = syscode::ToUtf8(text);
  EXPECT_NE(out.find("Code: 1008 (source mask 0x81)"), std::string::npos);
  EXPECT_NE(out.find("BiosVersion = 1.0\n    no part: too short (2 letters and digits, 7 needed)"), std::string::npos)
      << out;
  EXPECT_NE(out.find("BaseBordSerialNumber = \n    no part: empty (it could not be read without root rights"),
            std::string::npos)
      << out;
  // BiosName needs no root: no hint.
  EXPECT_NE(out.find("BiosName = \n    no part: empty\n"), std::string::npos) << out;
  EXPECT_NE(out.find("part 4434397, not used"), std::string::npos) << out;
  EXPECT_EQ(syscode::ToUtf8(app::cli::SourcesText(UserPress())).find("root"), std::string::npos);
}

TEST(SourcesReportTest, JsonMarksPartsOfAnEmptiedBodyAsUnused) {
  const auto json = syscode::PressJson(UserPress());
  EXPECT_EQ(json.at("mask"), 0x81);
  EXPECT_EQ(json.at("mask_hex"), "0x81");
  EXPECT_EQ(json.at("sources").at(0).at("part"), "00306A9");
  EXPECT_FALSE(json.at("sources").at(0).at("used").get<bool>());
}

TEST(SourcesReportTest, LogBytesShowAsUtf8WhenTheyAreUtf8) {
  syscode::PressFacts press = UserPress();
  press.from_log = true;
  press.trace.sources[1].raw = syscode::FromLatin1("caf\xC3\xA9\r\nx");
  press.trace.sources[2].raw = syscode::FromLatin1("caf\xE9");
  const std::string out = syscode::ToUtf8(app::cli::SourcesText(press));
  EXPECT_NE(out.find("BiosVersion = caf\xC3\xA9\\r\\nx\n"), std::string::npos) << out;
  EXPECT_NE(out.find("BaseBordSerialNumber = caf\xC3\xA9\n"), std::string::npos) << out;  // Latin-1 é
}

TEST(TableTextTest, AlignsColumns) {
  EXPECT_EQ(app::cli::TableText({{u"Instance", u"Name"}, {u"1", u"x"}, {u"10", u"longer"}}),
            u"Instance  Name\n1         x\n10        longer\n");
}

}  // namespace

namespace {

TEST(QueryJsonTest, TypedCellsByCimTypeNullsOnlyWhereTheValueWasNull) {
  const std::vector<std::vector<Text>> table = {
      {u"Instance", u"Name", u"Cores", u"Enabled", u"Serial", u"Levels"},
      {u"1", u"NULL", u"4", u"True", u"NULL", u"1|2"},
      {u"2", u"cpu", u"NULL", u"False", u"x", u"3"},
      {u"", u"", u"", u"", u"", u""},  // an instance the enumeration never delivered
  };
  app::cli::ColumnTypes types;
  types.types = {std::nullopt, 8, 19, 11, 8, 18};
  types.nulls = {{}, {false, false, false, false, true, false}, {false, false, true, false, false, false}};
  const auto json = app::cli::QueryJson(u"Win32_X", u"root\\CIMV2", u".", 5, 3, u"", table, types);
  EXPECT_EQ(json.at("schema"), 1);
  EXPECT_EQ(json.at("columns").at(1).at("cim_type"), 19);
  ASSERT_EQ(json.at("rows").size(), 2u);
  const auto& first = json["rows"][0]["values"];
  EXPECT_EQ(first.at("Name"), "NULL");  // the text NULL of a string value
  EXPECT_EQ(first.at("Cores"), 4);
  EXPECT_EQ(first.at("Enabled"), true);
  EXPECT_TRUE(first.at("Serial").is_null());
  EXPECT_EQ(first.at("Levels"), "1|2");  // an array stays text
  EXPECT_TRUE(json["rows"][1]["values"].at("Cores").is_null());
  EXPECT_EQ(json["rows"][1]["values"].at("Enabled"), false);
  EXPECT_EQ(json["rows"][1]["text"].at("Cores"), "NULL");

  const auto failed = app::cli::QueryJson(u"Win32_X", u"root\\CIMV2", u".", -1, 3, u"Access denied", table, types);
  EXPECT_TRUE(failed.at("rows").empty());
  EXPECT_TRUE(failed.at("columns").empty());
  EXPECT_EQ(failed.at("error"), "Access denied");
}

}  // namespace
