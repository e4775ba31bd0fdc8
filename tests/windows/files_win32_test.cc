// The Win32 file edge: real kernel32 error codes and the messages they give,
// appending, sharing and the ANSI code page.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "base/files_win32.h"
#include "base/wide_text.h"
#include "syscode/diagnostic_log.h"
#include "base/errors.h"
#include "base/file_system.h"
#include "base/text_file.h"

namespace {

using syscode::FileSystem;
using syscode::FromWide;
using syscode::Text;
using syscode::Wide;

// A fresh folder under the temporary folder, removed with its files.
class TempFolder {
 public:
  TempFolder() {
    wchar_t base[MAX_PATH];
    GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"syscode-files-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount64());
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~TempFolder() {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((path_ + L"\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = path_ + L"\\" + found.cFileName;
        SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          RemoveDirectoryW(name.c_str());
        } else {
          DeleteFileW(name.c_str());
        }
      } while (FindNextFileW(search, &found));
      FindClose(search);
    }
    RemoveDirectoryW(path_.c_str());
  }
  Text Path(const std::wstring& name) const {
    const std::wstring full = path_ + L"\\" + name;
    return FromWide(full.c_str(), full.size());
  }

 private:
  std::wstring path_;
};

std::string Content(const Text& name) {
  HANDLE h =
      CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string out;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) out.append(buffer, got);
  CloseHandle(h);
  return out;
}

void Put(const Text& name, const std::string& bytes) {
  HANDLE h = CreateFileW(Wide(name), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(h);
}

class Win32FilesTest : public testing::Test {
 protected:
  FileSystem& fs = syscode::SystemFileSystem();
  TempFolder folder;
};

TEST_F(Win32FilesTest, CreateReplacesAndAppendAddsAtTheEnd) {
  const Text name = folder.Path(L"out.txt");
  Put(name, "old content");
  syscode::WriteSingleLineFile(fs, name, u"ABCDE");
  EXPECT_EQ(Content(name), "ABCDE\r\n");

  Put(name, "no line break");
  syscode::DiagnosticLog log(fs, name);
  log.AppendLogLine(u"CpuId = X");
  log.AppendLogLine(u"second");
  EXPECT_EQ(Content(name), "no line breakCpuId = X\r\nsecond\r\n");
}

TEST_F(Win32FilesTest, AppendCreatesAMissingFile) {
  const Text name = folder.Path(L"LogD.txt");
  syscode::DiagnosticLog(fs, name).AppendLogLine(u"line");
  EXPECT_EQ(Content(name), "line\r\n");
}

TEST_F(Win32FilesTest, FileExistsOnlyForFiles) {
  Put(folder.Path(L"file.txt"), "x");
  CreateDirectoryW(Wide(folder.Path(L"dir.txt")), nullptr);
  EXPECT_TRUE(fs.FileExists(folder.Path(L"file.txt")));
  EXPECT_FALSE(fs.FileExists(folder.Path(L"dir.txt")));
  EXPECT_FALSE(fs.FileExists(folder.Path(L"missing.txt")));
}

// What a failing open reports: the Windows code and the message built from it.
struct OpenFailure {
  const char* what;
  bool append;
  const wchar_t* name;  // in the temporary folder
  int code;
  const char16_t* message;  // nullptr: "Invalid file name - <name>"
};

TEST_F(Win32FilesTest, FailingOpensGiveTheSystemCodeAndItsMessage) {
  CreateDirectoryW(Wide(folder.Path(L"folder")), nullptr);
  const OpenFailure cases[] = {
      {"append in a missing folder", true, L"no-such-folder\\LogD.txt", 3, nullptr},
      {"create in a missing folder", false, L"no-such-folder\\out.txt", 3, nullptr},
      {"append to a folder", true, L"folder", 5, u"File access denied"},
      // A device name stands for the device in every folder; nothing may
      // wait on one or report writes into it as a saved line.
      {"append to a device", true, L"NUL", 5, u"File access denied"},
      {"create a device", false, L"NUL", 5, u"File access denied"},
      {"create over a folder", false, L"folder", 5, u"File access denied"},
  };
  for (const OpenFailure& c : cases) {
    SCOPED_TRACE(c.what);
    const Text name = folder.Path(c.name);
    FileSystem::Handle handle = 0;
    const int code = c.append ? fs.OpenForAppend(name, &handle) : fs.Create(name, &handle);
    EXPECT_EQ(code, c.code);
    EXPECT_EQ(syscode::FileErrorMessage(code, name), c.message ? Text(c.message) : u"Invalid file name - " + name);
  }
}

// Opening for appending creates a missing file and never empties an
// existing one, in one call: no existence test decides between the two.
TEST_F(Win32FilesTest, OpenForAppendCreatesOrKeeps) {
  const Text name = folder.Path(L"LogD.txt");
  FileSystem::Handle handle = 0;
  ASSERT_EQ(fs.OpenForAppend(name, &handle), 0);
  EXPECT_EQ(syscode::WriteAll(fs, handle, "first\r\n"), 0);
  EXPECT_EQ(fs.Close(handle), 0);
  ASSERT_EQ(fs.OpenForAppend(name, &handle), 0);
  EXPECT_EQ(syscode::WriteAll(fs, handle, "second\r\n"), 0);
  EXPECT_EQ(fs.Close(handle), 0);
  EXPECT_EQ(Content(name), "first\r\nsecond\r\n");
}

TEST(Win32FileErrorCode, AFullDiskIsAlways112) {
  const struct {
    unsigned long last_error;
    int code;
  } cases[] = {{ERROR_HANDLE_DISK_FULL, 112},
               {ERROR_DISK_FULL, 112},
               {ERROR_ACCESS_DENIED, 5},
               {ERROR_SHARING_VIOLATION, 32},
               {ERROR_PATH_NOT_FOUND, 3}};
  for (const auto& c : cases) EXPECT_EQ(syscode::FileErrorCode(c.last_error), c.code) << c.last_error;
}

TEST_F(Win32FilesTest, AFileHeldWithoutWriteSharingGivesASharingViolation) {
  const Text name = folder.Path(L"LogD.txt");
  Put(name, "x");
  HANDLE holder = CreateFileW(Wide(name), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  try {
    syscode::DiagnosticLog(fs, name).AppendLogLine(u"line");
    ADD_FAILURE() << "no error";
  } catch (const syscode::FileError& e) {
    EXPECT_EQ(e.Code(), 32);
    EXPECT_EQ(e.Message(), u"I/O error 32");
  }
  CloseHandle(holder);
  EXPECT_EQ(Content(name), "x");
}

TEST_F(Win32FilesTest, OthersMayReadButNotWriteWhileTheFileIsOpen) {
  const Text name = folder.Path(L"out.txt");
  FileSystem::Handle handle = 0;
  ASSERT_EQ(fs.Create(name, &handle), 0);
  HANDLE reader =
      CreateFileW(Wide(name), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(reader, INVALID_HANDLE_VALUE);
  HANDLE writer =
      CreateFileW(Wide(name), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (reader != INVALID_HANDLE_VALUE) CloseHandle(reader);
  if (writer != INVALID_HANDLE_VALUE) CloseHandle(writer);
  EXPECT_EQ(fs.Close(handle), 0);
}

TEST_F(Win32FilesTest, AReadOnlyFileIsDenied) {
  const Text name = folder.Path(L"LogD.txt");
  Put(name, "kept");
  ASSERT_TRUE(SetFileAttributesW(Wide(name), FILE_ATTRIBUTE_READONLY));
  HANDLE probe = CreateFileW(Wide(name), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (probe != INVALID_HANDLE_VALUE) {
    // Wine run by root (as in a container) maps read-only to file modes
    // that root may write anyway.
    CloseHandle(probe);
    GTEST_SKIP() << "the platform lets this user write read-only files";
  }
  FileSystem::Handle handle = 0;
  EXPECT_EQ(fs.OpenForAppend(name, &handle), 5);
  EXPECT_EQ(fs.Create(name, &handle), 5);
  EXPECT_EQ(Content(name), "kept");
}

TEST_F(Win32FilesTest, ClosingAClosedHandleReportsItsCode) {
  const Text name = folder.Path(L"out.txt");
  FileSystem::Handle handle = 0;
  ASSERT_EQ(fs.Create(name, &handle), 0);
  ASSERT_EQ(fs.Close(handle), 0);
  EXPECT_EQ(fs.Close(handle), ERROR_INVALID_HANDLE);
}

TEST(Win32AnsiCodePage, ConvertsWithTheCodePagesSubstituteCharacter) {
  FileSystem& fs = syscode::SystemFileSystem();
  CPINFO info{};
  ASSERT_TRUE(GetCPInfo(CP_ACP, &info));
  const std::string substitute(1, static_cast<char>(info.DefaultChar[0]));
  EXPECT_EQ(fs.ToAnsiCodePage(u""), "");
  EXPECT_EQ(fs.ToAnsiCodePage(u"CpuId = BFEBFBFF000306A9"), "CpuId = BFEBFBFF000306A9");
  // CJK and Arabic letters are in no single-byte code page.
  if (info.MaxCharSize == 1) {
    EXPECT_EQ(fs.ToAnsiCodePage(u"a\u4E2D\u0634b"), "a" + substitute + substitute + "b");
  }
  if (GetACP() == 1252) {
    EXPECT_EQ(fs.ToAnsiCodePage(u"\u00E9\u20AC"), "\xE9\x80");
  }
}

}  // namespace
