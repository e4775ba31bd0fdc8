// The diagnostic log: one line per source read, one separator per press.
#pragma once

#include "base/file_system.h"
#include "base/text.h"

namespace syscode {

inline constexpr char16_t kLogFileName[] = u"LogD.txt";
// 50 hyphen-minus characters.
inline constexpr char16_t kLogSeparator[] = u"--------------------------------------------------";

// Where the derivation writes its lines.
class LogSink {
 public:
  virtual ~LogSink() = default;
  // Appends one line; throws FileError when it cannot be written.
  virtual void AppendLogLine(const Text& line) = 0;
};

// The log file: every line is opened (or created), written with CR LF and
// closed on its own, against the working directory of that moment.
class DiagnosticLog : public LogSink {
 public:
  explicit DiagnosticLog(FileSystem& fs, Text file_name = kLogFileName);
  void AppendLogLine(const Text& line) override;

 private:
  FileSystem& fs_;
  Text file_name_;
};

// A sink that keeps nothing (a derivation that must write no file).
class NullLog : public LogSink {
 public:
  void AppendLogLine(const Text&) override {}
};

}  // namespace syscode
