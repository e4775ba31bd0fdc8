// The file seam on POSIX. errno values are mapped to the Windows error codes
// the file-error messages are written for, in one table (kErrnoToWindows).
#include <fcntl.h>
#include <langinfo.h>
#include <locale.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <iconv.h>

#include "platform/linux/files_posix.h"
#include "syscode/errors.h"
#include "syscode/file_system.h"

namespace syscode {

namespace {

struct ErrnoMapping {
  int errno_value;
  int windows_code;
};

// errno -> Windows error code. Errors of creating a file in a folder that
// does not exist come as ENOENT and are handled by the caller (code 3).
constexpr ErrnoMapping kErrnoToWindows[] = {
    {ENOENT, oserr::kFileNotFound},       // 2  The specified file was not found
    {ENOTDIR, oserr::kPathNotFound},      // 3  a path component is not a folder
    {EMFILE, oserr::kTooManyOpenFiles},   // 4  this process's limit
    {ENFILE, oserr::kTooManyOpenFiles},   // 4  the system's limit
    {EACCES, oserr::kAccessDenied},       // 5  permissions
    {EPERM, oserr::kAccessDenied},        // 5  immutable file, sealed, ...
    {EISDIR, oserr::kAccessDenied},       // 5  a folder in the file's place
    {EBADF, oserr::kInvalidHandle},       // 6
    {ENOMEM, oserr::kNotEnoughMemory},    // 8
    {EROFS, oserr::kWriteProtect},        // 19 read-only file system
    {ETXTBSY, oserr::kSharingViolation},  // 32 in use in a way that excludes us
    {EBUSY, oserr::kSharingViolation},    // 32
    {EAGAIN, oserr::kLockViolation},      // 33 locked
    {EEXIST, oserr::kFileExists},         // 80
    {EINVAL, oserr::kInvalidParameter},   // 87
    {ENOSPC, oserr::kDiskFull},           // 112 disk full
    {EDQUOT, oserr::kDiskFull},           // 112 quota exhausted
    {ENAMETOOLONG, oserr::kFilenameTooLong},  // 206
    {EFBIG, 223},                         // ERROR_FILE_TOO_LARGE
    {ELOOP, 1921},                        // ERROR_CANT_RESOLVE_FILENAME
    {EIO, 1117},                          // ERROR_IO_DEVICE
};

constexpr int kGeneralFailure = 31;  // ERROR_GEN_FAILURE, for anything unlisted

class PosixFileSystem : public FileSystem {
 public:
  int Create(const Text& name, Handle* handle) override {
    const std::string path = ToUtf8(name);
    const int fd = RetryOpen(path, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC);
    if (fd < 0) {
      // Creating fails with ENOENT only when a folder on the path is missing.
      return errno == ENOENT ? oserr::kPathNotFound : WindowsErrorFromErrno(errno);
    }
    *handle = fd;
    return 0;
  }

  int OpenForAppend(const Text& name, Handle* handle) override {
    const int fd = RetryOpen(ToUtf8(name), O_WRONLY | O_APPEND | O_CLOEXEC);
    if (fd < 0) return WindowsErrorFromErrno(errno);
    *handle = fd;
    return 0;
  }

  int Write(Handle handle, const std::string& bytes) override {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
      const ssize_t n = ::write(static_cast<int>(handle), data, left);
      if (n < 0) {
        if (errno == EINTR) continue;
        return WindowsErrorFromErrno(errno);
      }
      data += n;
      left -= static_cast<size_t>(n);
    }
    return 0;
  }

  int Close(Handle handle) override {
    // close() is not retried on EINTR: the descriptor is gone either way.
    if (::close(static_cast<int>(handle)) != 0 && errno != EINTR) return WindowsErrorFromErrno(errno);
    return 0;
  }

  bool FileExists(const Text& name) override {
    struct stat st;
    return ::stat(ToUtf8(name).c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
  }

  std::string ToAnsiCodePage(const Text& text) override { return ToLocaleCharset(text); }

 private:
  static int RetryOpen(const std::string& path, int flags) {
    int fd;
    do {
      fd = ::open(path.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    return fd;
  }
};

}  // namespace

int WindowsErrorFromErrno(int errno_value) {
  for (const ErrnoMapping& m : kErrnoToWindows) {
    if (m.errno_value == errno_value) return m.windows_code;
  }
  return kGeneralFailure;
}

std::string ToLocaleCharset(const Text& text) {
  // The "ANSI code page" of a Linux process is the character set of its
  // locale (LC_CTYPE from the environment).
  std::string charset = "ANSI_X3.4-1968";
  if (locale_t loc = ::newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(nullptr))) {
    charset = ::nl_langinfo_l(CODESET, loc);
    ::freelocale(loc);
  }
  if (charset == "UTF-8" || charset == "utf8") return ToUtf8(text);
  std::string out;
  iconv_t cd = ::iconv_open(charset.c_str(), "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
  }
  // Character by character, so that one that does not fit becomes "?".
  for (size_t i = 0; i < text.size(); ++i) {
    size_t len = (text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size()) ? 2 : 1;
    std::string in = ToUtf8(TextView(text).substr(i, len));
    i += len - 1;
    char buf[16];
    char* inp = in.data();
    size_t inleft = in.size();
    char* outp = buf;
    size_t outleft = sizeof buf;
    if (::iconv(cd, &inp, &inleft, &outp, &outleft) == static_cast<size_t>(-1) || inleft != 0) {
      out.push_back('?');
      ::iconv(cd, nullptr, nullptr, nullptr, nullptr);
    } else {
      out.append(buf, static_cast<size_t>(outp - buf));
    }
  }
  ::iconv_close(cd);
  return out;
}

FileSystem& SystemFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace syscode
