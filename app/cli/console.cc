#include "app/cli/console.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>

#include "syscode/log_decoder.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#include <shellapi.h>

#include "base/wide_text.h"
#else
#include <unistd.h>
#endif

namespace app::cli {

namespace {

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// The first failed write to standard output: its errno (or -1 when there is
// none to tell), 0 while every write succeeded.
int g_output_error = 0;

void NoteOutputError() {
  if (g_output_error == 0) g_output_error = errno != 0 ? errno : -1;
}

Text ReasonOfErrno(int error) {
  switch (error) {
    case ENOENT: return u"no such file";
    case EACCES:
    case EPERM: return u"permission denied";
    case EISDIR: return u"is a folder, not a file";
    default: return syscode::FromUtf8(std::strerror(error));
  }
}

// Writes bytes (standard output stays buffered until FinishOutput; the
// error stream is flushed at once); false when the write fails.
bool PutBytes(std::FILE* stream, const std::string& bytes) {
  errno = 0;
  if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), stream) != bytes.size()) return false;
  return stream == stdout || std::fflush(stream) == 0;
}

#ifdef _WIN32
// UTF-16 to the console when the handle is one, UTF-8 otherwise.
bool Write(DWORD which, std::FILE* stream, const Text& text) {
  HANDLE handle = ::GetStdHandle(which);
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && handle != nullptr && ::GetConsoleMode(handle, &mode)) {
    if (std::fflush(stream) != 0) return false;
    Text crlf;
    for (char16_t c : text) {
      if (c == u'\n') crlf.push_back(u'\r');
      crlf.push_back(c);
    }
    DWORD written = 0;
    errno = 0;
    return crlf.empty() || (::WriteConsoleW(handle, crlf.data(), static_cast<DWORD>(crlf.size()), &written, nullptr) &&
                            written == crlf.size());
  }
  return PutBytes(stream, syscode::ToUtf8(text));
}
#endif

Text Hex2(unsigned value) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  return Text(u"\\x") + kHex[(value >> 4) & 15] + kHex[value & 15];
}

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

}  // namespace

std::vector<Text> CommandLineArguments(int argc, char** argv) {
  std::vector<Text> args;
#ifdef _WIN32
  (void)argc;
  (void)argv;
  int count = 0;
  LPWSTR* wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (wide != nullptr) {
    for (int i = 1; i < count; ++i) args.push_back(syscode::FromWide(wide[i]));
    ::LocalFree(wide);
  }
#else
  for (int i = 1; i < argc; ++i) args.push_back(syscode::FromUtf8(argv[i]));
#endif
  return args;
}

void PrepareConsole() {
#ifndef _WIN32
  std::signal(SIGPIPE, SIG_IGN);
#endif
}

void WriteOut(const Text& text) {
  if (g_output_error != 0) return;
#ifdef _WIN32
  if (!Write(STD_OUTPUT_HANDLE, stdout, text)) NoteOutputError();
#else
  if (!PutBytes(stdout, syscode::ToUtf8(text))) NoteOutputError();
#endif
}

void WriteErr(const Text& text) {
  // Nowhere to report a failure of the error stream itself.
#ifdef _WIN32
  (void)Write(STD_ERROR_HANDLE, stderr, text);
#else
  (void)PutBytes(stderr, syscode::ToUtf8(text));
#endif
}

void WriteOutUtf8(const std::string& text) {
#ifdef _WIN32
  WriteOut(syscode::FromUtf8(text));
#else
  if (g_output_error != 0) return;
  if (!PutBytes(stdout, text)) NoteOutputError();
#endif
}

bool FinishOutput(Text* reason) {
  errno = 0;
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) NoteOutputError();
  if (g_output_error == 0) return true;
  *reason = g_output_error > 0 ? syscode::FromUtf8(std::strerror(g_output_error)) : Text(u"write failed");
  return false;
}

Text Printable(TextView text) {
  Text out;
  out.reserve(text.size());
  for (char16_t c : text) {
    if (c == u'\r') {
      out += u"\\r";
    } else if (c == u'\n') {
      out += u"\\n";
    } else if (c == u'\t') {
      out += u"\\t";
    } else if (IsControl(c)) {
      out += Hex2(c);
    } else {
      out.push_back(c);
    }
  }
  return out;
}

void ReportError(const Text& text) {
  Text shown;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = text.find(u'\n', start);
    shown += Printable(TextView(text).substr(start, end == Text::npos ? Text::npos : end - start));
    if (end == Text::npos) break;
    shown += u"\n";
    start = end + 1;
  }
  WriteErr(u"syscode-cli: " + shown + u"\n");
}

bool ReadLogFile(const Text& name, std::string* bytes, Text* reason) {
  std::FILE* stream = nullptr;
  FilePtr file;
  if (name == u"-") {
    stream = stdin;
#ifdef _WIN32
    ::_setmode(::_fileno(stdin), _O_BINARY);
#endif
  } else {
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
    file.reset(::_wfopen(path.c_str(), L"rb"));
#else
    file.reset(std::fopen(path.c_str(), "rb"));
#endif
    if (!file) {
      *reason = ReasonOfErrno(errno);
      return false;
    }
    stream = file.get();
  }
  try {
    bytes->clear();
    char buffer[65536];
    std::size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, stream)) > 0) {
      bytes->append(buffer, got);
      if (bytes->size() > syscode::kMaxLogBytes) {
        *reason = u"larger than 64 MiB: no diagnostic log is that large (one press adds a few hundred bytes)";
        bytes->clear();
        return false;
      }
    }
  } catch (const std::bad_alloc&) {
    bytes->clear();
    bytes->shrink_to_fit();
    *reason = u"out of memory while reading it";
    return false;
  }
  if (std::ferror(stream)) {
    *reason = u"cannot be read: " + ReasonOfErrno(errno);
    return false;
  }
  return true;
}

}  // namespace app::cli
