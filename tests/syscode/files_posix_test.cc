// File errors that only a real POSIX system produces: a full disk, a
// process out of descriptors, a user without write permission. CI runs as
// root, so permission errors are reached in a child that drops to "nobody".
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "fakes/temp_dir.h"
#include "platform/linux/files_posix.h"
#include "syscode/diagnostic_log.h"
#include "syscode/errors.h"

namespace {

using fakes::ScopedWorkingDirectory;
using syscode::DiagnosticLog;
using syscode::FileError;
using syscode::SystemFileSystem;

// Runs `body` in a forked child and returns the FileError code it reports
// through its exit status (0 when nothing was thrown, 255 for anything else).
template <typename Body>
int CodeInChild(Body body) {
  const pid_t pid = fork();
  if (pid == 0) {
    int code = 0;
    try {
      body();
    } catch (const FileError& e) {
      code = e.Code();
    } catch (...) {
      code = 255;
    }
    _exit(code > 255 ? 254 : code);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(PosixFilesTest, FullDiskIsIoError112) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ScopedWorkingDirectory dir;
  std::filesystem::create_symlink("/dev/full", "LogD.txt");
  DiagnosticLog log(SystemFileSystem());
  try {
    log.AppendLogLine(u"CpuId = x");
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Code(), 112);
    EXPECT_EQ(e.Message(), u"I/O error 112");
  }
}

TEST(PosixFilesTest, UnwritableFolderOrFileIsAccessDenied) {
  ScopedWorkingDirectory dir;
  // The child drops to an unprivileged user; root would pass every check.
  const auto as_nobody = [](auto body) {
    return CodeInChild([&] {
      if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) _exit(253);
      body();
    });
  };
  chmod(dir.path().c_str(), 0755);
  // The folder belongs to root and is not writable for "nobody".
  EXPECT_EQ(as_nobody([] { DiagnosticLog(SystemFileSystem()).AppendLogLine(u"x"); }), 5);
  // A read-only LogD.txt.
  fakes::WriteBytes("LogD.txt", "old\r\n");
  chmod("LogD.txt", 0444);
  chmod(dir.path().c_str(), 0777);
  EXPECT_EQ(as_nobody([] { DiagnosticLog(SystemFileSystem()).AppendLogLine(u"x"); }), 5);
  EXPECT_EQ(fakes::ReadBytes("LogD.txt"), "old\r\n");
}

TEST(PosixFilesTest, OutOfDescriptorsIsTooManyOpenFiles) {
  ScopedWorkingDirectory dir;
  const int code = CodeInChild([] {
    DiagnosticLog log(SystemFileSystem());
    // A line and a failure first, so that a sanitizer runtime has checked
    // these paths (it needs descriptors of its own for that) before none
    // are left.
    log.AppendLogLine(u"first");
    try {
      DiagnosticLog(SystemFileSystem(), u"missing/LogD.txt").AppendLogLine(u"x");
    } catch (const FileError&) {
    }
    rlimit limit{0, 0};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = 3;  // stdin, stdout, stderr and nothing more
    setrlimit(RLIMIT_NOFILE, &limit);
    log.AppendLogLine(u"x");
  });
  EXPECT_EQ(code, 4);
}

TEST(PosixFilesTest, ErrnoTable) {
  struct {
    int errno_value;
    int code;
  } cases[] = {{ENOENT, 2}, {ENOTDIR, 3}, {EMFILE, 4}, {ENFILE, 4}, {EACCES, 5}, {EPERM, 5},
               {EISDIR, 5}, {EROFS, 19}, {ETXTBSY, 32}, {ENOSPC, 112}, {EDQUOT, 112}, {ENAMETOOLONG, 206},
               {EXDEV, 31}};
  for (const auto& c : cases) EXPECT_EQ(syscode::WindowsErrorFromErrno(c.errno_value), c.code) << c.errno_value;
}

TEST(PosixFilesTest, CodePageFollowsTheLocale) {
  const char* old = std::getenv("LC_ALL");
  const std::string saved = old ? old : "";
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(SystemFileSystem().ToAnsiCodePage(u"a\u00e9\u062e"), "a\xc3\xa9\xd8\xae");
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(SystemFileSystem().ToAnsiCodePage(u"a\u00e9\u062e"), "a??");
  if (old) setenv("LC_ALL", saved.c_str(), 1); else unsetenv("LC_ALL");
}

}  // namespace
