// File errors that only a real POSIX system produces: a full disk, a
// process out of descriptors, a user without write permission, FIFOs,
// devices and planted links, processes racing to create the log. CI runs
// as root, so permission errors are reached in a child that drops to
// "nobody".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>

#include "fakes/temp_dir.h"
#include "base/files_posix.h"
#include "syscode/diagnostic_log.h"
#include "base/errors.h"
#include "base/text_file.h"

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

// Opens /dev/full for the log as it is (the seam itself refuses devices),
// so the write reaches the device that answers every write with ENOSPC.
class DevFullFileSystem : public syscode::ForwardingFileSystem {
 public:
  DevFullFileSystem() : ForwardingFileSystem(SystemFileSystem()) {}
  int OpenForAppend(const syscode::Text&, Handle* handle) override {
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0) return 31;
    *handle = fd;
    return 0;
  }
};

TEST(PosixFilesTest, FullDiskIsIoError112) {
  if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
  ScopedWorkingDirectory dir;
  DevFullFileSystem files;
  DiagnosticLog log(files);
  try {
    log.AppendLogLine(u"CpuId = x");
    FAIL() << "no error";
  } catch (const FileError& e) {
    EXPECT_EQ(e.Code(), 112);
    EXPECT_EQ(e.Message(), u"I/O error 112");
  }
}

// A real full file system: a tmpfs of four pages mounted in a private mount
// namespace of a child. The log fills its last page but 10 bytes, so the
// kernel takes 10 bytes of the next line (a short write) and refuses the
// rest: the press must fail with 112, not succeed with half a line.
TEST(PosixFilesTest, ShortWriteOnAFullFileSystemIsReported) {
  ScopedWorkingDirectory dir;
  const std::string folder = dir.path().string();
  const std::string filler(4 * 4096 - 10, 'x');
  const int code = CodeInChild([&] {
    if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) _exit(250);
    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
    if (mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=16k") != 0) _exit(250);
    if (chdir(folder.c_str()) != 0) _exit(251);
    fakes::WriteBytes("LogD.txt", filler);
    if (fakes::ReadBytes("LogD.txt") != filler) _exit(251);
    try {
      DiagnosticLog(SystemFileSystem()).AppendLogLine(u"CpuId = BFEBFBFF000306A9");
    } catch (const FileError& e) {
      // The 10 bytes the kernel took are in the file; nothing claims the
      // whole line was written.
      _exit(fakes::ReadBytes("LogD.txt") == filler + "CpuId = BF" ? e.Code() : 252);
    }
    _exit(0);
  });
  if (code == 250) GTEST_SKIP() << "no tmpfs mount allowed here";
  EXPECT_EQ(code, 112);
}

// The log must never make a press wait: a FIFO or a device in the place of
// the file is refused at once with "File access denied", for the log and for
// the saved file. Each case runs in a child with an alarm, so a blocking
// open fails the case instead of hanging the suite.
TEST(PosixFilesTest, FifoOrDeviceInThePlaceOfTheFileIsRefusedWithoutBlocking) {
  enum Kind { kFifo, kFifoWithReader, kDeviceLink };
  struct Case {
    const char* what;
    Kind kind;
    bool save;
  } cases[] = {
      {"log: FIFO without a reader", kFifo, false},
      {"log: FIFO with a reader", kFifoWithReader, false},
      {"log: link to a character device", kDeviceLink, false},
      {"save: FIFO without a reader", kFifo, true},
      {"save: FIFO with a reader", kFifoWithReader, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedWorkingDirectory dir;
    int reader = -1;
    if (c.kind == kDeviceLink) {
      std::filesystem::create_symlink("/dev/null", "LogD.txt");
    } else {
      ASSERT_EQ(mkfifo("LogD.txt", 0666), 0);
      if (c.kind == kFifoWithReader) reader = ::open("LogD.txt", O_RDONLY | O_NONBLOCK);
    }
    const int code = CodeInChild([&] {
      alarm(5);
      if (c.save) {
        syscode::WriteSingleLineFile(SystemFileSystem(), u"LogD.txt", u"900603007249AQRXZ7MK29X31");
      } else {
        DiagnosticLog(SystemFileSystem()).AppendLogLine(u"CpuId = x");
      }
    });
    EXPECT_EQ(code, 5);
    if (reader >= 0) {
      char byte;
      EXPECT_LE(::read(reader, &byte, 1), 0) << "bytes reached the FIFO";
      ::close(reader);
    }
  }
}

// As root, a final link is followed only when it belongs to the folder's
// owner or to root itself; anything else is refused with "File access
// denied" and the file it points to stays as it was, for the log and for the
// saved file.
TEST(PosixFilesTest, PrivilegedProcessFollowsOnlyLinksOfTheFoldersOwner) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root";
  struct Case {
    const char* what;
    uid_t folder_owner;
    mode_t folder_mode;
    uid_t link_owner;
    bool save;
    bool followed;
  } cases[] = {
      {"world-writable sticky folder, link of another user", 0, 01777, 65534, false, false},
      {"same, saving through the link", 0, 01777, 65534, true, false},
      {"user's folder, link of a third user", 65534, 0777, 65533, false, false},
      {"user's folder, link of its owner", 65534, 0777, 65534, false, true},
      {"user's folder, link made by root", 65534, 0777, 0, false, true},
      {"root's folder, link made by root", 0, 0755, 0, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ScopedWorkingDirectory outer;
    std::filesystem::create_directory("victim");
    fakes::WriteBytes("victim/target", "root's file\n");
    std::filesystem::create_directory("folder");
    ASSERT_EQ(chown("folder", c.folder_owner, c.folder_owner), 0);
    ASSERT_EQ(chmod("folder", c.folder_mode), 0);
    const std::string target = (outer.path() / "victim/target").string();
    std::filesystem::create_symlink(target, "folder/LogD.txt");
    ASSERT_EQ(lchown("folder/LogD.txt", c.link_owner, c.link_owner), 0);
    std::filesystem::current_path("folder");
    int code = 0;
    try {
      if (c.save) {
        syscode::WriteSingleLineFile(SystemFileSystem(), u"LogD.txt", u"1008");
      } else {
        DiagnosticLog(SystemFileSystem()).AppendLogLine(u"CpuId = x");
      }
    } catch (const FileError& e) {
      code = e.Code();
    }
    std::filesystem::current_path(outer.path());
    if (c.followed) {
      EXPECT_EQ(code, 0);
      EXPECT_EQ(fakes::ReadBytes(target), c.save ? "1008\r\n" : "root's file\nCpuId = x\r\n");
    } else {
      EXPECT_EQ(code, 5);
      EXPECT_EQ(fakes::ReadBytes(target), "root's file\n");
    }
    EXPECT_TRUE(std::filesystem::is_symlink("folder/LogD.txt"));
  }
}

// Without privileges the link is followed as the kernel allows: the kernel
// applies its own rule to the folders where it matters.
TEST(PosixFilesTest, UnprivilegedProcessFollowsLinks) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to prepare the owners";
  ScopedWorkingDirectory dir;
  chmod(dir.path().c_str(), 0777);
  fakes::WriteBytes("target", "");
  chmod("target", 0666);
  std::filesystem::create_symlink("target", "LogD.txt");
  ASSERT_EQ(lchown("LogD.txt", 65533, 65533), 0);
  const int code = CodeInChild([] {
    if (setgid(65534) != 0 || setuid(65534) != 0) _exit(253);
    DiagnosticLog(SystemFileSystem()).AppendLogLine(u"CpuId = x");
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(fakes::ReadBytes("target"), "CpuId = x\r\n");
}

// Several processes whose first line creates the log at the same moment:
// none may empty what another wrote. Bounded by a count of rounds and a
// time limit; before creating without truncating, about one round in
// fifteen lost a line.
TEST(PosixFilesTest, ProcessesCreatingTheLogAtOnceLoseNoLine) {
  constexpr int kRounds = 300;
  constexpr int kWriters = 3;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  ScopedWorkingDirectory dir;
  int rounds = 0;
  for (; rounds < kRounds && std::chrono::steady_clock::now() < deadline; ++rounds) {
    std::filesystem::remove("LogD.txt");
    int start[2];
    ASSERT_EQ(pipe(start), 0);
    pid_t writers[kWriters];
    for (int w = 0; w < kWriters; ++w) {
      writers[w] = fork();
      if (writers[w] == 0) {
        close(start[1]);
        char byte;
        (void)!read(start[0], &byte, 1);  // returns when the parent closes its end
        try {
          DiagnosticLog(SystemFileSystem()).AppendLogLine(u"writer " + syscode::FromUtf8(std::to_string(w)));
        } catch (...) {
          _exit(1);
        }
        _exit(0);
      }
    }
    close(start[0]);
    close(start[1]);  // all writers start together
    for (pid_t pid : writers) {
      int status = 0;
      waitpid(pid, &status, 0);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const std::string log = fakes::ReadBytes("LogD.txt");
    size_t lines = 0;
    for (size_t at = log.find("\r\n"); at != std::string::npos; at = log.find("\r\n", at + 2)) ++lines;
    ASSERT_EQ(lines, static_cast<size_t>(kWriters)) << "round " << rounds << ": " << log;
  }
  RecordProperty("rounds", rounds);
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
  } cases[] = {{ENOENT, 2}, {ENOTDIR, 3},  {EMFILE, 4},   {ENFILE, 4},   {EACCES, 5},         {EPERM, 5}, {EISDIR, 5},
               {EROFS, 19}, {ETXTBSY, 32}, {ENOSPC, 112}, {EDQUOT, 112}, {ENAMETOOLONG, 206}, {EXDEV, 31}};
  for (const auto& c : cases) EXPECT_EQ(syscode::WindowsErrorFromErrno(c.errno_value), c.code) << c.errno_value;
}

TEST(PosixFilesTest, CodePageFollowsTheLocale) {
  const char* old = std::getenv("LC_ALL");
  const std::string saved = old ? old : "";
  setenv("LC_ALL", "C.UTF-8", 1);
  EXPECT_EQ(SystemFileSystem().ToAnsiCodePage(u"a\u00e9\u062e"), "a\xc3\xa9\xd8\xae");
  setenv("LC_ALL", "C", 1);
  EXPECT_EQ(SystemFileSystem().ToAnsiCodePage(u"a\u00e9\u062e"), "a??");
  if (old)
    setenv("LC_ALL", saved.c_str(), 1);
  else
    unsetenv("LC_ALL");
}

}  // namespace
