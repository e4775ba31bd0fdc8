#include "platform/linux/machine.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace wmi::linux_layer {

namespace {

// Closes a file descriptor when it goes out of scope.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

// Closes a directory stream when it goes out of scope.
class DirectoryStream {
 public:
  explicit DirectoryStream(const std::string& path) : dir_(::opendir(path.c_str())) {}
  ~DirectoryStream() {
    if (dir_ != nullptr) ::closedir(dir_);
  }
  DirectoryStream(const DirectoryStream&) = delete;
  DirectoryStream& operator=(const DirectoryStream&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

// Reads up to `limit` bytes; nullopt on a read error.
std::optional<std::string> ReadUpTo(int fd, std::size_t limit) {
  std::string out;
  char buffer[4096];
  while (out.size() < limit) {
    std::size_t want = std::min(sizeof buffer, limit - out.size());
    ssize_t got = ::read(fd, buffer, want);
    if (got < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (got == 0) break;
    out.append(buffer, static_cast<std::size_t>(got));
  }
  return out;
}

class LiveProbe : public MachineProbe {
 public:
  std::optional<CpuidLeaf1> Cpuid1() override {
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return std::nullopt;
    return CpuidLeaf1{eax, edx};
#else
    return std::nullopt;
#endif
  }

  std::optional<std::string> ReadFirstSector(const std::string& device_name) override {
    if (device_name.empty() || device_name.find('/') != std::string::npos) return std::nullopt;
    std::string path = "/dev/" + device_name;
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (fd.get() < 0) return std::nullopt;
    auto bytes = ReadUpTo(fd.get(), 512);
    if (!bytes || bytes->size() != 512) return std::nullopt;
    return bytes;
  }

  int OpenError(const std::string& path) override {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    return fd.get() < 0 ? errno : 0;
  }
};

constexpr std::size_t kFileLimit = 1 << 20;  // sysfs attributes and DMI tables are far smaller

}  // namespace

std::shared_ptr<MachineProbe> LiveMachineProbe() { return std::make_shared<LiveProbe>(); }

LinuxMachine LiveLinuxMachine() { return LinuxMachine{"/", LiveMachineProbe()}; }

std::string FileTree::Host(std::string_view path) const {
  std::string out = root_;
  while (!out.empty() && out.back() == '/') out.pop_back();
  if (path.empty() || path.front() != '/') out.push_back('/');
  out.append(path);
  return out;
}

std::optional<std::string> FileTree::ReadFile(std::string_view path) const {
  FileDescriptor fd(::open(Host(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (fd.get() < 0) return std::nullopt;
  struct stat info;
  if (::fstat(fd.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  return ReadUpTo(fd.get(), kFileLimit);
}

std::optional<std::string> FileTree::ReadAttribute(std::string_view path) const {
  auto text = ReadFile(path);
  if (text && !text->empty() && text->back() == '\n') text->pop_back();
  return text;
}

std::vector<std::string> FileTree::List(std::string_view path) const {
  std::vector<std::string> names;
  DirectoryStream dir(Host(path));
  if (dir.get() == nullptr) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<std::string> FileTree::LinkText(std::string_view path) const {
  char buffer[4096];
  ssize_t n = ::readlink(Host(path).c_str(), buffer, sizeof buffer);
  if (n < 0 || static_cast<std::size_t>(n) >= sizeof buffer) return std::nullopt;
  return std::string(buffer, static_cast<std::size_t>(n));
}

bool FileTree::Exists(std::string_view path) const {
  struct stat info;
  return ::lstat(Host(path).c_str(), &info) == 0;
}

}  // namespace wmi::linux_layer
