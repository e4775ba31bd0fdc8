#include "app/cli/console.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#else
#include <unistd.h>
#endif

namespace cli {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

Text ReasonOfErrno(int error) {
  switch (error) {
    case ENOENT:
      return u"no such file";
    case EACCES:
    case EPERM:
      return u"permission denied";
    case EISDIR:
      return u"is a folder, not a file";
    default:
      return syscode::FromUtf8(std::strerror(error));
  }
}

#ifdef _WIN32
// UTF-16 to the console when the handle is one, UTF-8 otherwise.
void Write(DWORD which, std::FILE* stream, const Text& text) {
  HANDLE handle = ::GetStdHandle(which);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    Text crlf;
    for (char16_t c : text) {
      if (c == u'\n') crlf.push_back(u'\r');
      crlf.push_back(c);
    }
    DWORD written = 0;
    ::WriteConsoleW(handle, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr);
    return;
  }
  const std::string bytes = syscode::ToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stream);
  std::fflush(stream);
}
#endif

}  // namespace

std::vector<Text> CommandLineArguments(int argc, char** argv) {
  std::vector<Text> args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 1; i < count; ++i) args.emplace_back(reinterpret_cast<const char16_t*>(wide[i]));
    ::LocalFree(wide);
  }
#else
  for (int i = 1; i < argc; ++i) args.push_back(syscode::FromUtf8(argv[i]));
#endif
  return args;
}

void WriteOut(const Text& text) {
#ifdef _WIN32
  Write(STD_OUTPUT_HANDLE, stdout, text);
#else
  WriteOutUtf8(syscode::ToUtf8(text));
#endif
}

void WriteErr(const Text& text) {
#ifdef _WIN32
  Write(STD_ERROR_HANDLE, stderr, text);
#else
  const std::string bytes = syscode::ToUtf8(text);
  std::fwrite(bytes.data(), 1, bytes.size(), stderr);
  std::fflush(stderr);
#endif
}

void WriteOutUtf8(const std::string& text) {
#ifdef _WIN32
  WriteOut(syscode::FromUtf8(text));
#else
  std::fwrite(text.data(), 1, text.size(), stdout);
  std::fflush(stdout);
#endif
}

bool ReadWholeFile(const Text& name, std::string* bytes, Text* reason) {
#ifdef _WIN32
  const std::filesystem::path path(name);
#else
  const std::filesystem::path path(syscode::ToUtf8(name));
#endif
  std::error_code ec;
  if (std::filesystem::is_directory(path, ec)) {
    *reason = u"is a folder, not a file";
    return false;
  }
  errno = 0;
#ifdef _WIN32
  FilePtr file(::_wfopen(path.c_str(), L"rb"));
#else
  FilePtr file(std::fopen(path.c_str(), "rb"));
#endif
  if (!file) {
    *reason = ReasonOfErrno(errno);
    return false;
  }
  bytes->clear();
  char buffer[65536];
  std::size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, file.get())) > 0) bytes->append(buffer, got);
  if (std::ferror(file.get())) {
    *reason = u"cannot be read: " + ReasonOfErrno(errno);
    return false;
  }
  return true;
}

bool RunsWithoutRoot() {
#ifdef _WIN32
  return false;
#else
  return ::geteuid() != 0;
#endif
}

}  // namespace cli
