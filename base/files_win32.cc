// The file seam on Windows: the Win32 file calls, with the codes of
// GetLastError handed on (a full disk always as 112).
#include <windows.h>

#include <cstddef>
#include <string_view>

#include "base/files_win32.h"
#include "base/wide_text.h"
#include "base/file_system.h"

namespace syscode {

int FileErrorCode(unsigned long last_error) {
  return last_error == ERROR_HANDLE_DISK_FULL ? ERROR_DISK_FULL : static_cast<int>(last_error);
}

namespace {

int LastFileError() { return FileErrorCode(::GetLastError()); }

HANDLE ToHandle(FileSystem::Handle handle) { return reinterpret_cast<HANDLE>(handle); }

class Win32FileSystem : public FileSystem {
 public:
  int Create(const Text& name, Handle* handle) override { return Open(name, CREATE_ALWAYS, handle); }

  // OPEN_ALWAYS: a missing file is created, an existing one (also one
  // another process created a moment ago) is kept and appended to.
  int OpenForAppend(const Text& name, Handle* handle) override {
    Handle opened = 0;
    if (int error = Open(name, OPEN_ALWAYS, &opened); error != 0) return error;
    LARGE_INTEGER zero{};
    if (!::SetFilePointerEx(ToHandle(opened), zero, nullptr, FILE_END)) {
      const int error = LastFileError();
      ::CloseHandle(ToHandle(opened));
      return error;
    }
    *handle = opened;
    return 0;
  }

  int Write(Handle handle, std::string_view bytes, std::size_t* written) override {
    const DWORD chunk = bytes.size() > 0x40000000u ? 0x40000000u : static_cast<DWORD>(bytes.size());
    DWORD taken = 0;
    if (!::WriteFile(ToHandle(handle), bytes.data(), chunk, &taken, nullptr)) return LastFileError();
    *written = taken;
    return 0;
  }

  int Close(Handle handle) override { return ::CloseHandle(ToHandle(handle)) ? 0 : LastFileError(); }

  bool FileExists(const Text& name) override {
    const DWORD attributes = ::GetFileAttributesW(Wide(name));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }

  std::string ToAnsiCodePage(const Text& text) override {
    if (text.empty()) return std::string();
    const wchar_t* wide = Wide(text);
    const int length = static_cast<int>(text.size());
    const int size = ::WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::string();
    std::string out(static_cast<size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
    return out;
  }

 private:
  // Opens for writing; others may read meanwhile, not write. Only a file
  // on a disk is kept: a device name ("CON", "COM1", "NUL") or a pipe is
  // refused with access denied, as a folder is, so nothing waits on one.
  // Links are followed: a standard user cannot plant a file symbolic link
  // (that takes the create-symbolic-link privilege), and the program runs
  // as the invoking user.
  static int Open(const Text& name, DWORD disposition, Handle* handle) {
    HANDLE h =
        ::CreateFileW(Wide(name), GENERIC_WRITE, FILE_SHARE_READ, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return LastFileError();
    if (::GetFileType(h) != FILE_TYPE_DISK) {
      ::CloseHandle(h);
      return ERROR_ACCESS_DENIED;
    }
    *handle = reinterpret_cast<Handle>(h);
    return 0;
  }
};

}  // namespace

FileSystem& SystemFileSystem() {
  static Win32FileSystem file_system;
  return file_system;
}

}  // namespace syscode
