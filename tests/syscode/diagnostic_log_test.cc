// The log's bytes and its file errors, on the platform's real file system
// (natively and, cross-compiled, under Wine).
#include "syscode/diagnostic_log.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "fakes/fake_sources.h"
#include "fakes/temp_dir.h"
#include "syscode/code_assembly.h"
#include "base/errors.h"
#include "base/text_file.h"

namespace {

using fakes::ReadBytes;
using fakes::ScopedWorkingDirectory;
using fakes::WriteBytes;
using syscode::DiagnosticLog;
using syscode::FileError;
using syscode::SystemFileSystem;
using syscode::Text;

// Runs `action`, which must throw a FileError, and returns it.
template <typename Action>
FileError ExpectFileError(Action action) {
  try {
    action();
  } catch (const FileError& e) {
    return e;
  }
  ADD_FAILURE() << "no FileError";
  return FileError(0, u"");
}

TEST(DiagnosticLogTest, PressWritesCrLfLinesWithoutBom) {
  ScopedWorkingDirectory dir;
  fakes::FixedSources sources({u"BFEBFBFF000306A9", u"1.02b", u"mb.42/77zx-r", u"S1A7-QX92-KM3", u"", u"", u""});
  DiagnosticLog log(SystemFileSystem());
  syscode::CodeAssembly assembly(sources, log);
  assembly.GetSystemCode();
  assembly.GetSystemCode();
  const std::string press =
      "CpuId = BFEBFBFF000306A9\r\nBiosVersion = 1.02b\r\nBaseBordSerialNumber = mb.42/77zx-r\r\n"
      "HardDiskSerialNumber = S1A7-QX92-KM3\r\n"
      "--------------------------------------------------\r\n";
  EXPECT_EQ(ReadBytes("LogD.txt"), press + press);
}

TEST(DiagnosticLogTest, AppendsToExistingFileEvenWithoutFinalLineBreak) {
  ScopedWorkingDirectory dir;
  WriteBytes("LogD.txt", "old line\r\npartial");
  DiagnosticLog log(SystemFileSystem());
  log.AppendLogLine(u"CpuId = ");
  log.AppendLogLine(u"value with\nline break");
  EXPECT_EQ(ReadBytes("LogD.txt"), "old line\r\npartialCpuId = \r\nvalue with\nline break\r\n");
}

TEST(DiagnosticLogTest, FollowsTheWorkingDirectoryOfEachLine) {
  ScopedWorkingDirectory dir;
  std::filesystem::create_directory("other");
  DiagnosticLog log(SystemFileSystem());
  log.AppendLogLine(u"first");
  std::filesystem::current_path("other");
  log.AppendLogLine(u"second");
  std::filesystem::current_path(dir.path());
  EXPECT_EQ(ReadBytes("LogD.txt"), "first\r\n");
  EXPECT_EQ(ReadBytes("other/LogD.txt"), "second\r\n");
}

TEST(DiagnosticLogTest, FolderInPlaceOfTheFileIsAccessDenied) {
  ScopedWorkingDirectory dir;
  std::filesystem::create_directory("LogD.txt");
  DiagnosticLog log(SystemFileSystem());
  const FileError e = ExpectFileError([&] { log.AppendLogLine(u"CpuId = x"); });
  EXPECT_EQ(e.Code(), 5);
  EXPECT_EQ(e.Message(), u"File access denied");
}

TEST(DiagnosticLogTest, MissingFolderIsInvalidFileName) {
  ScopedWorkingDirectory dir;
  DiagnosticLog log(SystemFileSystem(), u"missing/LogD.txt");
  const FileError e = ExpectFileError([&] { log.AppendLogLine(u"x"); });
  EXPECT_EQ(e.Code(), 3);
  EXPECT_EQ(e.Message(), u"Invalid file name - missing/LogD.txt");
  EXPECT_FALSE(std::filesystem::exists("missing"));
}

TEST(DiagnosticLogTest, NonAsciiCharactersBecomeSubstitutes) {
  ScopedWorkingDirectory dir;
  DiagnosticLog log(SystemFileSystem());
  log.AppendLogLine(u"BiosName = \u0627\u06cc\u0633\u0648\u0633 A");
  const std::string bytes = ReadBytes("LogD.txt");
  // ASCII survives unchanged in every code page; what the others become
  // depends on the code page, but never a line break or a lost ASCII byte.
  ASSERT_GE(bytes.size(), 15u);
  EXPECT_EQ(bytes.substr(0, 11), "BiosName = ");
  EXPECT_EQ(bytes.substr(bytes.size() - 4), " A\r\n");
}

TEST(TextFileTest, RewriteReplacesTheWholeFile) {
  ScopedWorkingDirectory dir;
  WriteBytes("HardwareInfo.txt", "an older and much longer content\r\n");
  syscode::WriteSingleLineFile(SystemFileSystem(), u"HardwareInfo.txt", u"900603007249AQRXZ7MK29X31");
  EXPECT_EQ(ReadBytes("HardwareInfo.txt"), "900603007249AQRXZ7MK29X31\r\n");
  syscode::WriteSingleLineFile(SystemFileSystem(), u"HardwareInfo.txt", u"1008");
  EXPECT_EQ(ReadBytes("HardwareInfo.txt"), "1008\r\n");
}

// Fails the calls named by the test; counts closes so a leak shows.
class FailingFileSystem : public syscode::ForwardingFileSystem {
 public:
  FailingFileSystem() : ForwardingFileSystem(SystemFileSystem()) {}
  int create_error = 0, append_error = 0, write_error = 0, close_error = 0;
  int opens = 0, closes = 0;

  int Create(const Text& name, Handle* handle) override {
    if (create_error != 0) return create_error;
    ++opens;
    return ForwardingFileSystem::Create(name, handle);
  }
  int OpenForAppend(const Text& name, Handle* handle) override {
    if (append_error != 0) return append_error;
    ++opens;
    return ForwardingFileSystem::OpenForAppend(name, handle);
  }
  int Write(Handle handle, std::string_view bytes, std::size_t* written) override {
    if (write_error != 0) return write_error;
    return ForwardingFileSystem::Write(handle, bytes, written);
  }
  int Close(Handle handle) override {
    ++closes;
    const int real = ForwardingFileSystem::Close(handle);
    return close_error != 0 ? close_error : real;
  }
};

// A file system whose writes succeed but take nothing: without a check the
// write loop would repeat forever; it is a full disk.
class NothingTakenFileSystem : public syscode::ForwardingFileSystem {
 public:
  NothingTakenFileSystem() : ForwardingFileSystem(SystemFileSystem()) {}
  int Write(Handle, std::string_view, std::size_t* written) override {
    *written = 0;
    return 0;
  }
};

TEST(TextFileTest, AWriteThatTakesNothingIsAFullDisk) {
  ScopedWorkingDirectory dir;
  NothingTakenFileSystem fs;
  const FileError e = ExpectFileError([&] { DiagnosticLog(fs).AppendLogLine(u"line"); });
  EXPECT_EQ(e.Code(), 112);
  EXPECT_EQ(ReadBytes("LogD.txt"), "");
}

TEST(TextFileTest, EveryFailingStepRaisesItsCodeAndClosesTheFile) {
  // The log opens (and creates) through OpenForAppend; the saved file is
  // created through Create.
  enum Writer { kLog, kSave };
  struct Case {
    const char* name;
    Writer writer;
    const char* before;  // the file beforehand (nullptr: none)
    int create, append, write, close;
    int expected_code;
    const char* expected_bytes;  // the file afterwards (nullptr: no file)
  } cases[] = {
      {"create fails", kSave, nullptr, 32, 0, 0, 0, 32, nullptr},
      {"creating a missing log fails", kLog, nullptr, 0, 32, 0, 0, 32, nullptr},
      {"append fails", kLog, "old\r\n", 0, 5, 0, 0, 5, "old\r\n"},
      {"write fails", kLog, nullptr, 0, 0, 112, 0, 112, ""},
      {"write of a save fails", kSave, "old\r\n", 0, 0, 112, 0, 112, ""},
      {"close fails", kLog, nullptr, 0, 0, 0, 6, 6, "line\r\n"},
      {"write and close fail: close wins", kLog, nullptr, 0, 0, 112, 6, 6, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedWorkingDirectory dir;
    if (c.before != nullptr) WriteBytes("LogD.txt", c.before);
    FailingFileSystem fs;
    fs.create_error = c.create;
    fs.append_error = c.append;
    fs.write_error = c.write;
    fs.close_error = c.close;
    DiagnosticLog log(fs);
    const FileError e = ExpectFileError([&] {
      if (c.writer == kLog) {
        log.AppendLogLine(u"line");
      } else {
        syscode::WriteSingleLineFile(fs, u"LogD.txt", u"line");
      }
    });
    EXPECT_EQ(e.Code(), c.expected_code);
    EXPECT_EQ(fs.closes, fs.opens);
    if (c.expected_bytes == nullptr) {
      EXPECT_FALSE(std::filesystem::exists("LogD.txt"));
    } else {
      EXPECT_EQ(ReadBytes("LogD.txt"), c.expected_bytes);
    }
  }
}

}  // namespace
