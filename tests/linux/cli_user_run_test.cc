// syscode-cli on this machine as an ordinary user and as root: a user run
// whose code root would not reproduce must say so, and root's run never
// advises running as root. When the test itself runs as root, the user run
// drops to "nobody" in the child before the program starts.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

std::string ReadAll(int fd) {
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, static_cast<std::size_t>(n));
  ::close(fd);
  return text;
}

CliRun RunCli(const std::vector<std::string>& args, bool as_user) {
  int out[2], err[2];
  if (::pipe(out) != 0 || ::pipe(err) != 0) return {};
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out[1], 1);
    ::dup2(err[1], 2);
    ::close(out[0]);
    ::close(err[0]);
    if (as_user && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(126);
    std::vector<char*> argv{const_cast<char*>(SYSCODE_CLI_PATH)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(SYSCODE_CLI_PATH, argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  ::close(err[1]);
  CliRun run;
  run.out = ReadAll(out[0]);  // the outputs are small: reading one after the other cannot block
  run.err = ReadAll(err[0]);
  int status = 0;
  if (child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  return run;
}

bool Says(const CliRun& run) { return run.err.find("could not be read without root rights") != std::string::npos; }

TEST(CliUserRunTest, AUserRunThatRootMayNotReproduceSaysSoOnStderrAndInJson) {
  const CliRun plain = RunCli({}, true);
  if (::geteuid() == 0 && (plain.status == 126 || plain.status == 127)) {
    GTEST_SKIP() << "an ordinary user cannot start " << SYSCODE_CLI_PATH << " here (a folder closed to others)";
  }
  const CliRun json = RunCli({"--json"}, true);
  ASSERT_EQ(plain.status, 0) << plain.err;
  ASSERT_EQ(json.status, 0) << json.err;
  const bool may_differ = json.out.find("\"root_may_differ\": true") != std::string::npos;
  EXPECT_NE(json.out.find("\"root_may_differ\""), std::string::npos) << json.out;
  EXPECT_EQ(Says(plain), may_differ) << plain.err;
  if (::geteuid() != 0) GTEST_SKIP() << "a root run is needed to compare with";
  const CliRun root = RunCli({}, false);
  ASSERT_EQ(root.status, 0) << root.err;
  EXPECT_FALSE(Says(root)) << root.err;
  if (root.out != plain.out) {
    EXPECT_TRUE(Says(plain)) << "user " << plain.out << "root " << root.out;
  }
}

}  // namespace
