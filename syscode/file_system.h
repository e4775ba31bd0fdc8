// The file seam: the few file operations the two written files need. Every
// operation reports the operating system's error code in Windows numbering
// (0 = success), so the messages are the same on every platform.
#pragma once

#include <cstdint>
#include <string>

#include "syscode/text.h"

namespace syscode {

class FileSystem {
 public:
  using Handle = std::intptr_t;

  virtual ~FileSystem() = default;

  // Creates `name` for writing with normal attributes, replacing (emptying)
  // an existing file. Others may read it while it is open, not write it.
  // On success stores the handle in *handle and returns 0.
  virtual int Create(const Text& name, Handle* handle) = 0;

  // Opens the existing file `name` for writing at its end, with the same
  // sharing as Create. Returns 0 or the error code.
  virtual int OpenForAppend(const Text& name, Handle* handle) = 0;

  // Writes all of `bytes`. Returns 0 or the error code (112 for a full disk).
  virtual int Write(Handle handle, const std::string& bytes) = 0;

  // Closes the handle; the handle is gone whatever the result. Returns 0 or
  // the error code.
  virtual int Close(Handle handle) = 0;

  // True when `name` exists and is a file (not a folder).
  virtual bool FileExists(const Text& name) = 0;

  // The text converted to the system's ANSI code page; characters the code
  // page cannot hold become the conversion's substitute character.
  virtual std::string ToAnsiCodePage(const Text& text) = 0;
};

// The platform's real file system (Win32 calls on Windows, POSIX on Linux).
FileSystem& SystemFileSystem();

// A FileSystem that forwards every call to another one; tests derive from it
// to fail single calls.
class ForwardingFileSystem : public FileSystem {
 public:
  explicit ForwardingFileSystem(FileSystem& target) : target_(target) {}
  int Create(const Text& name, Handle* handle) override { return target_.Create(name, handle); }
  int OpenForAppend(const Text& name, Handle* handle) override {
    return target_.OpenForAppend(name, handle);
  }
  int Write(Handle handle, const std::string& bytes) override { return target_.Write(handle, bytes); }
  int Close(Handle handle) override { return target_.Close(handle); }
  bool FileExists(const Text& name) override { return target_.FileExists(name); }
  std::string ToAnsiCodePage(const Text& text) override { return target_.ToAnsiCodePage(text); }

 protected:
  FileSystem& target() { return target_; }

 private:
  FileSystem& target_;
};

}  // namespace syscode
