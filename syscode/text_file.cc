#include "syscode/text_file.h"

#include <utility>

#include "syscode/errors.h"

namespace syscode {

TextFile::TextFile(FileSystem& fs, Text name) : fs_(fs), name_(std::move(name)) {}

TextFile::~TextFile() {
  if (open_) fs_.Close(handle_);
}

void TextFile::Rewrite() { Open(false); }

void TextFile::Append() { Open(fs_.FileExists(name_)); }

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
  if (!buffer_.empty()) write_code = fs_.Write(handle_, buffer_);
  buffer_.clear();
  open_ = false;
  const int close_code = fs_.Close(handle_);
  if (close_code != 0) throw FileError(close_code, name_);
  if (write_code != 0) throw FileError(write_code, name_);
}

void WriteSingleLineFile(FileSystem& fs, const Text& name, const Text& line) {
  TextFile file(fs, name);
  file.Rewrite();
  file.WriteLine(line);
  file.Close();
}

}  // namespace syscode
