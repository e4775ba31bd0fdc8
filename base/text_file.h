// A text file written line by line in the ANSI code page with CR LF line
// ends and no byte-order mark: the writer of both files the tool writes.
#pragma once

#include <string>

#include "base/file_system.h"
#include "base/text.h"

namespace syscode {

class TextFile {
 public:
  TextFile(FileSystem& fs, Text name);
  ~TextFile();  // closes a file still open, ignoring errors
  TextFile(const TextFile&) = delete;
  TextFile& operator=(const TextFile&) = delete;

  // Creates the file, replacing an existing one. Throws FileError.
  void Rewrite();
  // Opens the file at its end, creating it empty when there is none; an
  // existing file is never emptied. Throws FileError.
  void Append();
  // Buffers the line converted to the ANSI code page, then CR LF.
  void WriteLine(const Text& line);
  // Writes the buffer out (all of it, however many writes it takes) and
  // closes the file. The file is closed also when the write fails; a failed
  // close is raised, otherwise a failed write.
  void Close();

  const Text& Name() const { return name_; }

 private:
  void Open(bool append);

  FileSystem& fs_;
  Text name_;
  FileSystem::Handle handle_ = 0;
  bool open_ = false;
  std::string buffer_;
};

// Writes `line` as the whole content of a new file `name` (create, write,
// close). Throws FileError.
void WriteSingleLineFile(FileSystem& fs, const Text& name, const Text& line);

}  // namespace syscode
