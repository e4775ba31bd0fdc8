// The file seam: the few file operations the two written files need. Every
// operation reports the operating system's error code in Windows numbering
// (0 = success), so the messages are the same on every platform.
//
// Both opens accept only a regular file (or create one): a folder, a FIFO or
// a device in the file's place is refused with 5 (access denied) without
// blocking. A privileged process on Linux follows a final symbolic link only
// when the link belongs to the folder's owner (or to the process itself).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/text.h"

namespace syscode {

class FileSystem {
 public:
  using Handle = std::intptr_t;

  virtual ~FileSystem() = default;

  // Creates `name` for writing with normal attributes, replacing (emptying)
  // an existing file. Others may read it while it is open, not write it.
  // On success stores the handle in *handle and returns 0.
  virtual int Create(const Text& name, Handle* handle) = 0;

  // Opens `name` for writing at its end, creating an empty file when there
  // is none, in one step: an existing file is never emptied, so two
  // processes creating the same log at once both keep their lines. Same
  // sharing as Create. Returns 0 or the error code.
  virtual int OpenForAppend(const Text& name, Handle* handle) = 0;

  // One write of the system: takes a prefix of `bytes` and stores its
  // length in *written. Returns 0 or the error code (112 for a full disk).
  // A success may take fewer bytes than offered (a short write); the caller
  // offers the rest again (see WriteAll).
  virtual int Write(Handle handle, std::string_view bytes, std::size_t* written) = 0;

  // Closes the handle; the handle is gone whatever the result. Returns 0 or
  // the error code.
  virtual int Close(Handle handle) = 0;

  // True when `name` exists and is a file (not a folder). False also when
  // the test itself fails, so no writer lets it decide whether to empty a
  // file.
  virtual bool FileExists(const Text& name) = 0;

  // The text converted to the system's ANSI code page; characters the code
  // page cannot hold become the conversion's substitute character.
  virtual std::string ToAnsiCodePage(const Text& text) = 0;
};

// Writes all of `bytes` through as many Write calls as it takes. Returns 0,
// the first error code, or 112 when a write takes nothing without an error
// (no room left).
int WriteAll(FileSystem& fs, FileSystem::Handle handle, std::string_view bytes);

// The platform's real file system (Win32 calls on Windows, POSIX on Linux).
FileSystem& SystemFileSystem();

// A FileSystem that forwards every call to another one; tests derive from it
// to fail single calls.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& target) : target_(target) {}
  int Create(const Text& name, Handle* handle) override { return target_.Create(name, handle); }
  int OpenForAppend(const Text& name, Handle* handle) override { return target_.OpenForAppend(name, handle); }
  int Write(Handle handle, std::string_view bytes, std::size_t* written) override {
    return target_.Write(handle, bytes, written);
  }
  int Close(Handle handle) override { return target_.Close(handle); }
  bool FileExists(const Text& name) override { return target_.FileExists(name); }
  std::string ToAnsiCodePage(const Text& text) override { return target_.ToAnsiCodePage(text); }

 protected:
  FileSystem& target() { return target_; }

 private:
  FileSystem& target_;
};

}  // namespace syscode
