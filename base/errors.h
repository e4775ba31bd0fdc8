// Failures travel as exceptions that carry a message text. Only the WMI query
// catches them (it turns any failure into a result and a message); everything
// else lets them reach the front end's general error handler.
#pragma once

#include <exception>
#include <string>

#include "base/text.h"

namespace syscode {

// An error with a message. The message may be empty.
class Exception : public std::exception {
 public:
  explicit Exception(Text message);
  const Text& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return utf8_.c_str(); }

 private:
  Text message_;
  std::string utf8_;
};

// A failed create, open, write or close of a text file. Carries the
// operating system's error code in Windows numbering (on Linux the errno is
// mapped, see platform/linux/files_posix.cc).
class FileError : public Exception {
 public:
  FileError(int code, const Text& file_name);
  int Code() const noexcept { return code_; }

 private:
  int code_;
};

// Windows error codes the file layer produces and tests refer to.
namespace oserr {
inline constexpr int kFileNotFound = 2;
inline constexpr int kPathNotFound = 3;
inline constexpr int kTooManyOpenFiles = 4;
inline constexpr int kAccessDenied = 5;
inline constexpr int kInvalidHandle = 6;
inline constexpr int kNotEnoughMemory = 8;
inline constexpr int kWriteProtect = 19;
inline constexpr int kSharingViolation = 32;
inline constexpr int kLockViolation = 33;
inline constexpr int kFileExists = 80;
inline constexpr int kInvalidParameter = 87;
inline constexpr int kDiskFull = 112;
inline constexpr int kInvalidName = 123;
inline constexpr int kFilenameTooLong = 206;
inline constexpr int kAlreadyExists = 183;
inline constexpr int kDirectory = 267;
}  // namespace oserr

// The message of a file error with this code:
//   2 "The specified file was not found", 3 "Invalid file name - <name>",
//   4 "Too many open files", 5 "File access denied", others "I/O error <code>".
Text FileErrorMessage(int code, const Text& file_name);

// The text the general error handler shows for an error message: "." is
// appended unless the last character's code is 46 or below. An empty
// message stays empty.
Text ErrorDisplayText(const Text& message);

// The message of any caught exception: an Exception's message, a
// std::bad_alloc as "Out of memory", another std::exception's what() (UTF-8),
// empty for anything else.
Text MessageOf(const std::exception_ptr& failure);

}  // namespace syscode
