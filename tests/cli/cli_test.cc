// The real syscode-cli program: output, error messages and exit statuses.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "syscode/syscode.h"
#include "fakes/file_bytes.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char kSep[] = "--------------------------------------------------\r\n";

using fakes::ReadBytes;
using fakes::WriteBytes;

std::string Quote(const std::string& arg) {
  std::string out = "'";
  for (char c : arg) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return out + "'";
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

// Runs syscode-cli in its own empty working directory, so that any file it
// writes there shows.
class CliTest : public ::testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "runs the program through a POSIX shell";
#else
    char pattern[] = "/tmp/syscode-cli-test-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    work_ = dir_ / "work";
    fs::create_directory(work_);
#endif
  }
  void TearDown() override {
    if (!dir_.empty()) fs::remove_all(dir_);
  }

  // Runs the program; `out` is where standard output goes (a file of the
  // test by default), `in` what standard input reads (nothing by default).
  Outcome Cli(const std::vector<std::string>& args, const std::string& in = "/dev/null", const std::string& out = "") {
    std::string command = "cd " + Quote(work_.string()) + " && " + Quote(SYSCODE_CLI_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " <" + Quote(in) + " >" + Quote(out.empty() ? (dir_ / "out").string() : out) + " 2>" +
               Quote((dir_ / "err").string());
    fs::remove(dir_ / "out");
    Outcome run;
    const int raw = std::system(command.c_str());
#ifndef _WIN32
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    run.out = ReadBytes(dir_ / "out");
    run.err = ReadBytes(dir_ / "err");
    return run;
  }

  // The names in the working directory.
  std::vector<std::string> WorkFiles() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(work_)) names.push_back(entry.path().filename().string());
    return names;
  }

  fs::path dir_;
  fs::path work_;
};

const std::string kExampleLog = std::string(SYSCODE_SOURCE_DIR) + "/examples/LogD.txt";

TEST_F(CliTest, FromLogPrintsTheCodeOfEveryPressOfTheExampleLog) {
  const Outcome run = Cli({"--from-log", kExampleLog});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out,
            "900603007249AQRXZ7MK29X31  lines 1-5\n1008  lines 6-13\n9008  lines 14-21\n"
            "100603009XQ9AB3MK202SOI73  lines 22-27\n900603007249AQRXZ7MK29X31  lines 28-32\n");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(Cli({"--from-log=" + kExampleLog}).out, run.out);
}

TEST_F(CliTest, FromLogSkipsIncompletePressesWithANote) {
  const std::string worked =
      "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
      "HardDiskSerialNumber = S1A7-QX92-KM3\r\n";
  WriteBytes(dir_ / "cut.txt", "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\n" + worked + kSep + worked);
  const Outcome run = Cli({"--from-log", (dir_ / "cut.txt").string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "900603007249AQRXZ7MK29X31  lines 3-7\n");
  EXPECT_NE(run.err.find("cut.txt:1-2: incomplete press skipped"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("cut.txt:8-11: incomplete press skipped"), std::string::npos) << run.err;
}

// Stderr lines after "syscode-cli: <file>"; the presses that can be decoded
// still are.
TEST_F(CliTest, FromLogReportsEachBadStretchAndDecodesTheRest) {
  const std::string worked =
      "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
      "HardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
      std::string(kSep);
  const std::string code = "900603007249AQRXZ7MK29X31";
  auto utf16le = [](const std::string& ascii) {
    std::string out = "\xFF\xFE";
    for (char c : ascii) out += std::string(1, c) + '\0';
    return out;
  };
  struct Case {
    const char* name;
    std::string content;  // empty: the file is not created
    int status;
    std::string out;
    std::vector<std::string> err;  // each line after "syscode-cli: <file>"
  };
  const std::vector<Case> cases = {
      {"missing.txt", "", 1, "", {": no such file"}},
      {"garbage.txt",
       "hello\r\n",
       1,
       "",
       {":1: not a diagnostic log: the first line is neither a source line nor the separator line",
        ": no complete press in the log"}},
      {"unknown.txt",
       "CpuId = 1\r\nMacAddress = 2\r\n",
       1,
       "",
       {":1: incomplete press skipped (no separator line before the end of the file)",
        ":2: unknown label \"MacAddress = \"", ": no complete press in the log"}},
      {"three.txt",
       "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
       "HardDiskSerialNumber = S1A7-QX92-KM3\r\nBiosName = x\r\n" +
           std::string(kSep),
       0,
       code + "  lines 1-6\n",
       {":5: \"BiosName = \" line after three parts were in hand"}},
      {"empty-line.txt",
       worked + "\r\n" + worked,
       0,
       code + "  lines 1-5\n" + code + "  lines 7-11\n",
       {":6: an empty line where no press is open"}},
      {"garbage-between.txt",
       worked + "x\r\ny\r\n" + worked,
       0,
       code + "  lines 1-5\n" + code + "  lines 8-12\n",
       {":6-7: neither a source line nor the separator line, and no press is open"}},
      {"short-write.txt",
       "CpuId = BFEBFBFF0003" + worked,
       0,
       code + "  lines 1-5\n",
       {":1: \"CpuId = \" inside a line: a line written only in part (a full disk?) ran on into the next line; "
        "the text from the inner label on is read as a line of its own"}},
      {"interleaved.txt",
       "CpuId = BFEBFBFF000306A9\r\nCpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBiosVersion = 1.02b\r\n"
       "BaseBordSerialNumber = mb.42/77zx-r\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
       "HardDiskSerialNumber = S1A7-QX92-KM3\r\nHardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
           std::string(kSep) + kSep,
       0,
       code + "  lines 2-9\n" + code + "  lines 1-10\n",
       {}},
      {"utf16.txt",
       utf16le(worked),
       0,
       code + "  lines 1-5\n",
       {": the file is UTF-16 (little-endian), not the ANSI text the program writes (saved again by an editor?); "
        "read from its characters"}},
      {"lf.txt",
       "CpuId = BFEBFBFF000306A9\nBiosVersion = 1.02b\n",
       1,
       "",
       {":1-2: not a diagnostic log: its lines end with LF, not CR LF", ": no complete press in the log"}},
      {"cr.txt",
       "CpuId = BFEBFBFF000306A9\rBiosVersion = 1.02b\r",
       1,
       "",
       {":1-2: not a diagnostic log: its lines end with CR only, not CR LF", ": no complete press in the log"}},
      {"crcrlf.txt",
       "CpuId = BFEBFBFF000306A9\r\r\nBiosVersion = 1.02b\r\r\n",
       1,
       "",
       {":1-2: not a diagnostic log: its lines end with CR CR LF, not CR LF", ": no complete press in the log"}},
  };
  for (const Case& c : cases) {
    const fs::path file = dir_ / c.name;
    if (!c.content.empty()) WriteBytes(file, c.content);
    const Outcome run = Cli({"--from-log", file.string()});
    EXPECT_EQ(run.status, c.status) << c.name << "\n" << run.err;
    EXPECT_EQ(run.out, c.out) << c.name;
    std::istringstream lines(run.err);
    std::vector<std::string> err;
    for (std::string line; std::getline(lines, line);) err.push_back(line);
    ASSERT_EQ(err.size(), c.err.size()) << c.name << "\n" << run.err;
    for (std::size_t i = 0; i < err.size(); ++i) {
      // The converted-line-end reasons go on with advice; the start names them.
      EXPECT_EQ(err[i].rfind("syscode-cli: " + file.string() + c.err[i], 0), 0u) << c.name << "\n" << err[i];
    }
  }
  const Outcome folder = Cli({"--from-log", dir_.string()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(CliTest, FromLogReadsStandardInputAndSeveralFilesAndStrictFailsOnABadStretch) {
  WriteBytes(dir_ / "good.txt", ReadBytes(kExampleLog));
  WriteBytes(dir_ / "bad.txt", ReadBytes(kExampleLog) + "stray\r\n");
  const Outcome in = Cli({"--from-log", "-"}, (dir_ / "good.txt").string());
  EXPECT_EQ(in.status, 0) << in.err;
  EXPECT_EQ(in.out, Cli({"--from-log", kExampleLog}).out);

  const std::string good = (dir_ / "good.txt").string();
  const std::string bad = (dir_ / "bad.txt").string();
  const Outcome two = Cli({"--from-log", good, bad});
  EXPECT_EQ(two.status, 0) << two.err;
  EXPECT_NE(two.out.find("900603007249AQRXZ7MK29X31  " + good + ":lines 1-5\n"), std::string::npos) << two.out;
  EXPECT_NE(two.out.find("900603007249AQRXZ7MK29X31  " + bad + ":lines 28-32\n"), std::string::npos) << two.out;
  EXPECT_EQ(two.err,
            "syscode-cli: " + bad + ":33: neither a source line nor the separator line, and no press is open\n");
  const auto json = nlohmann::json::parse(Cli({"--from-log", good, bad, "--json"}).out);
  ASSERT_EQ(json.size(), 2u);
  EXPECT_EQ(json[1].at("file"), bad);
  EXPECT_EQ(json[1].at("problems").at(0).at("line"), 33);

  const Outcome strict = Cli({"--from-log", good, bad, "--strict"});
  EXPECT_EQ(strict.status, 1);
  EXPECT_EQ(strict.out, two.out);
  EXPECT_EQ(Cli({"--strict", "--from-log", good}).status, 0);

  // One file missing: the others are decoded, the status tells the failure.
  const Outcome missing = Cli({"--from-log", good, (dir_ / "none.txt").string()});
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.out.find("lines 28-32"), std::string::npos);
}

TEST_F(CliTest, FromLogRefusesAnOversizedLogNamingIt) {
  // Sparse: no disk space used. /dev/zero never ends.
  const fs::path big = dir_ / "big.txt";
  WriteBytes(big, "CpuId = \r\n");
  fs::resize_file(big, (std::uintmax_t{64} << 20) + 1);
  for (const std::string& file : {big.string(), std::string("/dev/zero")}) {
    const Outcome run = Cli({"--from-log", file});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("syscode-cli: " + file + ": larger than 64 MiB", 0), 0u) << run.err;
  }
}

TEST_F(CliTest, ControlCharactersFromFilesAndArgumentsAreEscaped) {
  const Outcome name = Cli({"--from-log", "\x1B]0;owned\x07"});
  EXPECT_EQ(name.err, "syscode-cli: \\x1B]0;owned\\x07: no such file\n");
  const Outcome query = Cli({"--query", "Win32_\x1B[2J"});
  EXPECT_EQ(query.err.find('\x1B'), std::string::npos) << query.err;
  EXPECT_NE(query.err.find("Win32_\\x1B[2J"), std::string::npos) << query.err;
  // A C1 control (CSI) as a Latin-1 byte and as UTF-8 inside a value.
  WriteBytes(dir_ / "c1.txt",
             "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\x9B\r\nBaseBordSerialNumber = mb.42/77zx-r\xC2\x9B\r\n"
             "HardDiskSerialNumber = S1A7-QX92-KM3\r\n" +
                 std::string(kSep));
  const Outcome sources = Cli({"--from-log", (dir_ / "c1.txt").string(), "--sources"});
  EXPECT_EQ(sources.status, 0);
  EXPECT_NE(sources.out.find("BiosVersion = 1.02b\\x9B\n"), std::string::npos) << sources.out;
  EXPECT_NE(sources.out.find("BaseBordSerialNumber = mb.42/77zx-r\\x9B\n"), std::string::npos) << sources.out;
  const Outcome json = Cli({"--from-log", (dir_ / "c1.txt").string(), "--json"});
  EXPECT_EQ(json.out.find("\xC2\x9B"), std::string::npos);
  EXPECT_EQ(nlohmann::json::parse(json.out)["presses"][0]["sources"][2]["raw"], "mb.42/77zx-r\xC2\x9B");
}

TEST_F(CliTest, OutputThatCannotBeWrittenFailsInEveryMode) {
  WriteBytes(dir_ / "log.txt", ReadBytes(kExampleLog));
  const std::string log = (dir_ / "log.txt").string();
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {},
           {"--json"},
           {"--sources"},
           {"--from-log", log},
           {"--from-log", log, "--json"},
           {"--check", "1008", "--from-log", log},
           {"--query", "Win32_Processor"},
           {"--help"},
           {"--version"},
       }) {
    const std::string what = args.empty() ? "(no option)" : args[0];
    const Outcome full = Cli(args, "/dev/null", "/dev/full");
    EXPECT_EQ(full.status, 1) << what;
    EXPECT_NE(full.err.find("syscode-cli: cannot write the output: "), std::string::npos) << what << full.err;
  }
#ifndef _WIN32
  // A pipe whose reader is gone.
  int fds[2];
  ASSERT_EQ(::pipe(fds), 0);
  ::close(fds[0]);
  const std::string fd_path = "/dev/fd/" + std::to_string(fds[1]);
  const Outcome pipe = Cli({"--from-log", log}, "/dev/null", fd_path);
  ::close(fds[1]);
  EXPECT_EQ(pipe.status, 1);
  EXPECT_NE(pipe.err.find("cannot write the output: Broken pipe"), std::string::npos) << pipe.err;
#endif
}

TEST_F(CliTest, CheckTellsMatchMaskDigitsAndTypingErrors) {
  struct Case {
    std::string code;
    int status;
    std::string out;  // the start of standard output
  };
  const std::vector<Case> cases = {
      {"9006-03007-249AQ-RXZ7M-K29X31", 0, "900603007249AQRXZ7MK29X31: match: the press at lines 1-5\n"},
      {"1008", 0, "1008: match: the press at lines 6-13\n"},
      // The accumulation example: the window's second press showed ...X33.
      {"900603007249aqrxz7mk29x33", 1,
       "900603007249AQRXZ7MK29X33: no match\n"
       "  the press at lines 1-5 gives 900603007249AQRXZ7MK29X31: only the mask digits differ: mask digits of a "
       "later press in the same window: the typed mask 0x39 holds this press's 0x19 and 0x20 (BiosName)"},
      {"9006030O7249AQRXZ7MK29X31", 1,
       "9006030O7249AQRXZ7MK29X31: no match\n"
       "  the press at lines 1-5 gives 900603007249AQRXZ7MK29X31: likely a typing error: characters that look "
       "alike: O for 0 at position 8\n"},
      {"ZZZZ", 1, "ZZZZ: no match\n"},
  };
  for (const Case& c : cases) {
    const Outcome run = Cli({"--check", c.code, "--from-log", kExampleLog});
    EXPECT_EQ(run.status, c.status) << c.code << run.err;
    EXPECT_EQ(run.out.rfind(c.out, 0), 0u) << c.code << "\n" << run.out;
  }
  const Outcome bad = Cli({"--check", "9006*", "--from-log", kExampleLog});
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("not a system code"), std::string::npos);
  const Outcome json = Cli({"--check", "900603007249AQRXZ7MK29X33", "--from-log", kExampleLog, "--json"});
  EXPECT_EQ(json.status, 1);
  const auto j = nlohmann::json::parse(json.out);
  EXPECT_EQ(j.at("match"), false);
  EXPECT_EQ(j.at("candidates").at(4).at("verdict"), "mask_only");
  EXPECT_EQ(j.at("candidates").at(4).at("later_press_mask"), true);

  // Against this machine: its own code matches.
  const Outcome plain = Cli({});
  ASSERT_EQ(plain.status, 0);
  const std::string code = plain.out.substr(0, plain.out.size() - 1);
  const Outcome machine = Cli({"--check", code});
  EXPECT_EQ(machine.status, 0) << machine.err;
  EXPECT_EQ(machine.out, code + ": match: this machine\n");
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(CliTest, TheLibraryGivesTheSameObjectsAsTheProgram) {
  const std::string bytes = ReadBytes(kExampleLog);
  char* decoded = syscode_decode_log(bytes.data(), bytes.size());
  ASSERT_NE(decoded, nullptr);
  auto program = nlohmann::json::parse(Cli({"--from-log", kExampleLog, "--json"}).out);
  program["file"] = nullptr;  // the library has no file name
  EXPECT_EQ(nlohmann::json::parse(decoded), program);
  syscode_free(decoded);

  char* report = nullptr;
  EXPECT_EQ(syscode_check_code("9006-0300", bytes.data(), bytes.size(), &report), 0);
  ASSERT_NE(report, nullptr);
  auto checked = nlohmann::json::parse(Cli({"--check", "9006-0300", "--from-log", kExampleLog, "--json"}).out);
  for (auto& candidate : checked.at("candidates")) candidate["file"] = nullptr;
  EXPECT_EQ(nlohmann::json::parse(report), checked);
  syscode_free(report);
}

TEST_F(CliTest, UsageErrorsExitWithTwo) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--bogus"},
           {"stray"},
           {"--from-log"},
           {"--from-log", kExampleLog, "--log"},
           {"--from-log", kExampleLog, "--query", "Win32_BIOS"},
           {"--sources", "--json"},
           {"--query", "Win32_BIOS", "--sources"},
           {"--namespace", "root\\CIMV2"},
           {"--json=yes"},
           {"--log="},
       }) {
    const Outcome run = Cli(args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_EQ(run.out, "") << args[0];
    EXPECT_NE(run.err.find("--help"), std::string::npos) << run.err;
  }
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(CliTest, HelpAndVersion) {
  const Outcome help = Cli({"--help"});
  EXPECT_EQ(help.status, 0);
  for (const char* word : {"Usage: syscode-cli", "--from-log", "--sources", "--json", "--log", "--query", "Exit status",
                           "  2  the command line is wrong"}) {
    EXPECT_NE(help.out.find(word), std::string::npos) << word;
  }
  const Outcome version = Cli({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.out, std::string("syscode-cli ") + SYSCODE_VERSION_FOR_TEST + "\n");
}

TEST_F(CliTest, ThisMachineWritesNoFileAndJsonAgreesWithThePlainCode) {
  const Outcome plain = Cli({});
  ASSERT_EQ(plain.status, 0) << plain.err;
  EXPECT_TRUE(WorkFiles().empty());
  const std::string code = plain.out.substr(0, plain.out.size() - 1);

  const Outcome json_run = Cli({"--json"});
  ASSERT_EQ(json_run.status, 0);
  const auto json = nlohmann::json::parse(json_run.out);  // throws if malformed
  EXPECT_EQ(json.at("schema"), 1);
  EXPECT_EQ(json.at("code"), code);
  // The mask as a number: the code's last digit is its high, the first its low half.
  EXPECT_EQ(json.at("mask").get<int>(), std::stoi(code.substr(code.size() - 1) + code.substr(0, 1), nullptr, 16));
  const auto& sources = json.at("sources");
  ASSERT_EQ(sources.size(), 7u);
  const char* names[] = {"CpuId",    "BiosVersion",          "BaseBordSerialNumber", "HardDiskSerialNumber",
                         "BiosName", "BaseBordManufacturer", "DiskDriveSignature"};
  int used = 0;
  for (size_t i = 0; i < 7; ++i) {
    const auto& s = sources[i];
    EXPECT_EQ(s.at("name"), names[i]);
    EXPECT_EQ(s.at("label"), std::string(names[i]) + " = ");
    if (!s.at("read").get<bool>()) {
      EXPECT_TRUE(s.at("raw").is_null());
      EXPECT_TRUE(s.at("part").is_null());
    }
    if (s.at("used").get<bool>()) {
      ++used;
      EXPECT_NE(code.find(s.at("part").get<std::string>().substr(6)), std::string::npos);
    }
  }
  EXPECT_EQ(used, code.size() == 25 ? 3 : 0);

  const Outcome sources_run = Cli({"--sources"});
  EXPECT_EQ(sources_run.status, 0);
  EXPECT_NE(sources_run.out.find("CpuId = "), std::string::npos);
  EXPECT_TRUE(WorkFiles().empty());
}

TEST_F(CliTest, LogAppendsThePressThatFromLogReadsBack) {
  const Outcome first = Cli({"--log"});
  ASSERT_EQ(first.status, 0) << first.err;
  EXPECT_EQ(WorkFiles(), std::vector<std::string>{"LogD.txt"});
  ASSERT_EQ(Cli({"--log=other.txt"}).status, 0);
  const std::string log = ReadBytes(work_ / "LogD.txt");
  EXPECT_EQ(log.rfind("CpuId = ", 0), 0u);
  EXPECT_EQ(log.substr(log.size() - 52), kSep);
  EXPECT_EQ(ReadBytes(work_ / "other.txt"), log);
  const Outcome back = Cli({"--from-log", "LogD.txt"});
  EXPECT_EQ(back.out, first.out.substr(0, first.out.size() - 1) + "  lines 1-" +
                          std::to_string(std::count(log.begin(), log.end(), '\n')) + "\n");
}

TEST_F(CliTest, LogFailureGivesTheFileErrorAndStatusOne) {
  fs::create_directory(work_ / "LogD.txt");  // a folder in the log's place
  const Outcome folder = Cli({"--log"});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.out, "");
  EXPECT_EQ(folder.err, "syscode-cli: LogD.txt: File access denied. (it is a folder)\n");
  const Outcome missing = Cli({"--log=no/such/folder/LogD.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err,
            "syscode-cli: no/such/folder/LogD.txt: Invalid file name - no/such/folder/LogD.txt. (the folder "
            "no/such/folder does not exist)\n");
}

TEST_F(CliTest, QueryPrintsTheTableOrFails) {
  const Outcome table = Cli({"--query", "Win32_Processor"});
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_EQ(table.out.rfind("Instance", 0), 0u) << table.out;
  const Outcome json_run = Cli({"--query", "Win32_Processor", "--json"});
  EXPECT_EQ(json_run.status, 0);
  const auto json = nlohmann::json::parse(json_run.out);
  EXPECT_EQ(json.at("schema"), 1);
  EXPECT_EQ(json.at("rows").at(0).at("instance"), 1);
  // Typed cells where the class's schema says so, the text form beside them.
  const auto& row = json.at("rows").at(0);
  EXPECT_TRUE(row.at("values").at("NumberOfCores").is_number_unsigned()) << row;
  EXPECT_TRUE(row.at("text").at("NumberOfCores").is_string());
  EXPECT_TRUE(row.at("values").at("ProcessorId").is_string());
  const auto failed = nlohmann::json::parse(Cli({"--query", "Win32_NoSuchClass", "--json"}).out);
  EXPECT_EQ(failed.at("result"), -1);
  EXPECT_FALSE(failed.at("error").get<std::string>().empty());
  EXPECT_TRUE(failed.at("rows").empty());
  EXPECT_TRUE(failed.at("columns").empty());
  const Outcome bad = Cli({"--query", "Win32_NoSuchClass"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err.rfind("syscode-cli: query Win32_NoSuchClass failed", 0), 0u) << bad.err;
}

}  // namespace
