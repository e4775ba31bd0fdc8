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

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

const char kSep[] = "--------------------------------------------------\r\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFile(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

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

  Outcome Cli(const std::vector<std::string>& args) {
    std::string command = "cd " + Quote(work_.string()) + " && " + Quote(SYSCODE_CLI_PATH);
    for (const std::string& arg : args) command += " " + Quote(arg);
    command += " >" + Quote((dir_ / "out").string()) + " 2>" + Quote((dir_ / "err").string());
    Outcome run;
    const int raw = std::system(command.c_str());
#ifndef _WIN32
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
#endif
    run.out = ReadFile(dir_ / "out");
    run.err = ReadFile(dir_ / "err");
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
            "900603007249AQRXZ7MK29X31\n1008\n9008\n100603009XQ9AB3MK202SOI73\n900603007249AQRXZ7MK29X31\n");
  EXPECT_EQ(run.err, "");
  EXPECT_TRUE(WorkFiles().empty());
  EXPECT_EQ(Cli({"--from-log=" + kExampleLog}).out, run.out);
}

TEST_F(CliTest, FromLogSkipsIncompletePressesWithANote) {
  const std::string worked =
      "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
      "HardDiskSerialNumber = S1A7-QX92-KM3\r\n";
  WriteFile(dir_ / "cut.txt", "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\n" + worked + kSep + worked);
  const Outcome run = Cli({"--from-log", (dir_ / "cut.txt").string()});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "900603007249AQRXZ7MK29X31\n");
  EXPECT_NE(run.err.find("cut.txt:1-2: incomplete press skipped"), std::string::npos) << run.err;
  EXPECT_NE(run.err.find("cut.txt:8-11: incomplete press skipped"), std::string::npos) << run.err;
}

TEST_F(CliTest, FromLogRefusesBadInputWithOneLineAndWritesNothing) {
  struct Case {
    const char* name;
    std::string content;  // empty: the file is not created
    std::string message;  // expected after "syscode-cli: <file>"
  };
  const std::vector<Case> cases = {
      {"missing.txt", "", ": no such file"},
      {"garbage.txt", "hello\r\n", ":1: not a diagnostic log"},
      {"unknown.txt", "CpuId = 1\r\nMacAddress = 2\r\n", ":2: unknown label \"MacAddress = \""},
      {"order.txt", "CpuId = 1\r\nBiosName = 2\r\n", ":2: labels out of order"},
      {"three.txt",
       "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
       "HardDiskSerialNumber = S1A7-QX92-KM3\r\nBiosName = x\r\n" + std::string(kSep),
       ":5: \"BiosName = \" line after three parts were in hand"},
  };
  for (const Case& c : cases) {
    const fs::path file = dir_ / c.name;
    if (!c.content.empty()) WriteFile(file, c.content);
    const Outcome run = Cli({"--from-log", file.string()});
    EXPECT_EQ(run.status, 1) << c.name;
    EXPECT_EQ(run.out, "") << c.name;
    EXPECT_EQ(run.err.rfind("syscode-cli: " + file.string() + c.message, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const Outcome folder = Cli({"--from-log", dir_.string()});
  EXPECT_EQ(folder.status, 1);
  EXPECT_NE(folder.err.find("is a folder"), std::string::npos) << folder.err;
  EXPECT_TRUE(WorkFiles().empty());
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
  for (const char* word : {"Usage: syscode-cli", "--from-log", "--sources", "--json", "--log", "--query",
                           "Exit status", "  2  the command line is wrong"}) {
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
  EXPECT_EQ(json.at("code"), code);
  const auto& sources = json.at("sources");
  ASSERT_EQ(sources.size(), 7u);
  const char* names[] = {"CpuId", "BiosVersion", "BaseBordSerialNumber", "HardDiskSerialNumber",
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
  const std::string log = ReadFile(work_ / "LogD.txt");
  EXPECT_EQ(log.rfind("CpuId = ", 0), 0u);
  EXPECT_EQ(log.substr(log.size() - 52), kSep);
  EXPECT_EQ(ReadFile(work_ / "other.txt"), log);
  const Outcome back = Cli({"--from-log", "LogD.txt"});
  EXPECT_EQ(back.out, first.out);
}

TEST_F(CliTest, LogFailureGivesTheFileErrorAndStatusOne) {
  fs::create_directory(work_ / "LogD.txt");  // a folder in the log's place
  const Outcome folder = Cli({"--log"});
  EXPECT_EQ(folder.status, 1);
  EXPECT_EQ(folder.out, "");
  EXPECT_EQ(folder.err, "syscode-cli: File access denied.\n");
  const Outcome missing = Cli({"--log=no/such/folder/LogD.txt"});
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.err, "syscode-cli: Invalid file name - no/such/folder/LogD.txt.\n");
}

TEST_F(CliTest, QueryPrintsTheTableOrFails) {
  const Outcome table = Cli({"--query", "Win32_Processor"});
  EXPECT_EQ(table.status, 0) << table.err;
  EXPECT_EQ(table.out.rfind("Instance", 0), 0u) << table.out;
  const Outcome json_run = Cli({"--query", "Win32_Processor", "--json"});
  EXPECT_EQ(json_run.status, 0);
  EXPECT_EQ(nlohmann::json::parse(json_run.out).at("table").at(0).at(0), "Instance");
  const Outcome bad = Cli({"--query", "Win32_NoSuchClass"});
  EXPECT_EQ(bad.status, 1);
  EXPECT_EQ(bad.out, "");
  EXPECT_EQ(bad.err.rfind("syscode-cli: query Win32_NoSuchClass failed", 0), 0u) << bad.err;
}

}  // namespace
