#include "base/text_file.h"

#include <algorithm>
#include <utility>

#include "base/errors.h"

namespace syscode {

TextFile::TextFile(FileSystem& fs, Text name) : fs_(fs), name_(std::move(name)) {}

TextFile::~TextFile() {
  if (open_) fs_.Close(handle_);
}

void TextFile::Rewrite() { Open(false); }

// No existence test decides here: OpenForAppend creates a missing file
// without emptying one that appeared meanwhile (another process's first
// line) or that a failing test took for missing.
void TextFile::Append() { Open(true); }

void TextFile::Open(bool append) {
  if (open_) Close();
  buffer_.clear();
  FileSystem::Handle handle = 0;
  const int code = append ? fs_.OpenForAppend(name_, &handle) : fs_.Create(name_, &handle);
  if (code != 0) throw FileError(code, name_);
  handle_ = handle;
  open_ = true;
}

void TextFile::WriteLine(const Text& line) {
  buffer_ += fs_.ToAnsiCodePage(line);
  buffer_ += "\r\n";
}

void TextFile::Close() {
  if (!open_) return;
  int write_code = 0;
  if (!buffer_.empty()) write_code = WriteAll(fs_, handle_, buffer_);
  buffer_.clear();
  open_ = false;
  const int close_code = fs_.Close(handle_);
  if (close_code != 0) throw FileError(close_code, name_);
  if (write_code != 0) throw FileError(write_code, name_);
}

int WriteAll(FileSystem& fs, FileSystem::Handle handle, std::string_view bytes) {
  while (!bytes.empty()) {
    std::size_t written = 0;
    if (const int code = fs.Write(handle, bytes, &written); code != 0) return code;
    // A write that takes nothing and reports nothing would repeat forever;
    // a file system that takes nothing has no room left.
    if (written == 0) return oserr::kDiskFull;
    bytes.remove_prefix(std::min(written, bytes.size()));
  }
  return 0;
}

void WriteSingleLineFile(FileSystem& fs, const Text& name, const Text& line) {
  TextFile file(fs, name);
  file.Rewrite();
  file.WriteLine(line);
  file.Close();
}

}  // namespace syscode
