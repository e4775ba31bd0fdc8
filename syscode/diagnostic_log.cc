#include "syscode/diagnostic_log.h"

#include <utility>

#include "base/text_file.h"

namespace syscode {

DiagnosticLog::DiagnosticLog(FileSystem& fs, Text file_name) : fs_(fs), file_name_(std::move(file_name)) {}

void DiagnosticLog::AppendLogLine(const Text& line) {
  TextFile file(fs_, file_name_);
  file.Append();
  file.WriteLine(line);
  file.Close();
}

}  // namespace syscode
