// The file seam on POSIX. errno values are mapped to the Windows error codes
// the file-error messages are written for, in one table (kErrnoToWindows).
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <limits.h>
#include <locale.h>
#include <sys/auxv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "base/files_posix.h"
#include "base/errors.h"
#include "base/file_system.h"

namespace syscode {

namespace {

struct ErrnoMapping {
  int errno_value;
  int windows_code;
};

// errno -> Windows error code. Errors of creating a file in a folder that
// does not exist come as ENOENT and are handled by the caller (code 3).
constexpr ErrnoMapping kErrnoToWindows[] = {
    {ENOENT, oserr::kFileNotFound},           // 2  The specified file was not found
    {ENOTDIR, oserr::kPathNotFound},          // 3  a path component is not a folder
    {EMFILE, oserr::kTooManyOpenFiles},       // 4  this process's limit
    {ENFILE, oserr::kTooManyOpenFiles},       // 4  the system's limit
    {EACCES, oserr::kAccessDenied},           // 5  permissions
    {EPERM, oserr::kAccessDenied},            // 5  immutable file, sealed, ...
    {EISDIR, oserr::kAccessDenied},           // 5  a folder in the file's place
    {EBADF, oserr::kInvalidHandle},           // 6
    {ENOMEM, oserr::kNotEnoughMemory},        // 8
    {EROFS, oserr::kWriteProtect},            // 19 read-only file system
    {ETXTBSY, oserr::kSharingViolation},      // 32 in use in a way that excludes us
    {EBUSY, oserr::kSharingViolation},        // 32
    {EAGAIN, oserr::kLockViolation},          // 33 locked
    {EEXIST, oserr::kFileExists},             // 80
    {EINVAL, oserr::kInvalidParameter},       // 87
    {ENOSPC, oserr::kDiskFull},               // 112 disk full
    {EDQUOT, oserr::kDiskFull},               // 112 quota exhausted
    {ENAMETOOLONG, oserr::kFilenameTooLong},  // 206
    {EFBIG, 223},                             // ERROR_FILE_TOO_LARGE
    {ELOOP, 1921},                            // ERROR_CANT_RESOLVE_FILENAME
    {EIO, 1117},                              // ERROR_IO_DEVICE
};

constexpr int kGeneralFailure = 31;  // ERROR_GEN_FAILURE, for anything unlisted

// A conversion descriptor closed when it goes out of scope.
class ScopedIconv {
 public:
  ScopedIconv(const char* to, const char* from) : cd_(::iconv_open(to, from)) {}
  ~ScopedIconv() {
    if (valid()) ::iconv_close(cd_);
  }
  ScopedIconv(const ScopedIconv&) = delete;
  ScopedIconv& operator=(const ScopedIconv&) = delete;
  bool valid() const { return cd_ != reinterpret_cast<iconv_t>(-1); }
  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// A descriptor closed when it goes out of scope, unless released.
class Descriptor {
 public:
  explicit Descriptor(int fd = -1) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }

 private:
  int fd_;
};

int RetryOpenAt(int dir, const char* path, int flags) {
  int fd;
  do {
    fd = ::openat(dir, path, flags, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Root, or a program that gained rights at start (set-user-ID, set-group-ID,
// file capabilities): such a process must not be led by a planted link to
// write into a file its user could not write.
bool Privileged() { return ::geteuid() == 0 || ::getauxval(AT_SECURE) != 0; }

// Opens the final symbolic link `path` for a privileged process, following
// it only when it belongs to the owner of its folder or to the process
// itself (the rule of the kernel's protected_symlinks). The link is checked
// and followed through descriptors, so it cannot be swapped in between.
// Returns the descriptor, or -1 with errno (EACCES for a refused link).
int OpenCheckedLink(const std::string& path, int flags) {
  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  const std::string base = slash == std::string::npos ? path : path.substr(slash + 1);
  Descriptor dir(RetryOpenAt(AT_FDCWD, folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) return -1;
  Descriptor link(RetryOpenAt(dir.get(), base.c_str(), O_PATH | O_NOFOLLOW | O_CLOEXEC));
  if (link.get() < 0) return -1;
  struct stat dir_stat, link_stat;
  if (::fstat(dir.get(), &dir_stat) != 0 || ::fstat(link.get(), &link_stat) != 0) return -1;
  // Replaced by something that is no link meanwhile: open that, still
  // without following.
  if (!S_ISLNK(link_stat.st_mode)) return RetryOpenAt(dir.get(), base.c_str(), flags | O_NOFOLLOW);
  if (link_stat.st_uid != dir_stat.st_uid && link_stat.st_uid != ::geteuid()) {
    errno = EACCES;
    return -1;
  }
  char target[PATH_MAX + 1];
  const ssize_t length = ::readlinkat(link.get(), "", target, PATH_MAX);
  if (length < 0) return -1;
  target[length] = '\0';
  // A relative target is resolved from the link's folder, as the kernel does.
  return RetryOpenAt(dir.get(), target, flags);
}

// Opens `path` for writing (creating it when `flags` has O_CREAT) and keeps
// the descriptor only if it is a regular file. O_NONBLOCK makes the open of
// a FIFO or device return at once instead of waiting for a reader; the
// type is then checked on the opened descriptor itself, so nothing can be
// swapped in between.
int OpenRegularFile(const Text& name, int flags, FileSystem::Handle* handle) {
  const std::string path = ToUtf8(name);
  flags |= O_WRONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;
  const bool privileged = Privileged();
  int fd = RetryOpenAt(AT_FDCWD, path.c_str(), privileged ? flags | O_NOFOLLOW : flags);
  if (fd < 0 && privileged && errno == ELOOP) fd = OpenCheckedLink(path, flags);
  if (fd < 0) {
    switch (errno) {
      // Creating fails with ENOENT only when a folder on the path is missing.
      case ENOENT: return oserr::kPathNotFound;
      // A FIFO without a reader, a device without its unit.
      case ENXIO: return oserr::kAccessDenied;
      default: return WindowsErrorFromErrno(errno);
    }
  }
  Descriptor opened(fd);
  struct stat st;
  if (::fstat(fd, &st) != 0) return WindowsErrorFromErrno(errno);
  if (!S_ISREG(st.st_mode)) return oserr::kAccessDenied;
  const int status = ::fcntl(fd, F_GETFL);
  if (status < 0 || ::fcntl(fd, F_SETFL, status & ~O_NONBLOCK) != 0) return WindowsErrorFromErrno(errno);
  *handle = opened.release();
  return 0;
}

class PosixFileSystem : public FileSystem {
 public:
  int Create(const Text& name, Handle* handle) override { return OpenRegularFile(name, O_CREAT | O_TRUNC, handle); }

  // O_CREAT without O_TRUNC: a missing file is created, an existing one
  // (also one another process created a moment ago) is appended to.
  int OpenForAppend(const Text& name, Handle* handle) override {
    return OpenRegularFile(name, O_CREAT | O_APPEND, handle);
  }

  int Write(Handle handle, std::string_view bytes, std::size_t* written) override {
    ssize_t n;
    do {
      n = ::write(static_cast<int>(handle), bytes.data(), bytes.size());
    } while (n < 0 && errno == EINTR);
    if (n < 0) return WindowsErrorFromErrno(errno);
    *written = static_cast<std::size_t>(n);
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
  if (const ScopedLocale loc(LC_CTYPE_MASK); loc.get() != nullptr) charset = ::nl_langinfo_l(CODESET, loc.get());
  if (charset == "UTF-8" || charset == "utf8") return ToUtf8(text);
  std::string out;
  const ScopedIconv cd(charset.c_str(), "UTF-8");
  if (!cd.valid()) {
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
    if (::iconv(cd.get(), &inp, &inleft, &outp, &outleft) == static_cast<size_t>(-1) || inleft != 0) {
      out.push_back('?');
      ::iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);
    } else {
      out.append(buf, static_cast<size_t>(outp - buf));
    }
  }
  return out;
}

FileSystem& SystemFileSystem() {
  static PosixFileSystem instance;
  return instance;
}

}  // namespace syscode
