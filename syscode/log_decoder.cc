#include "syscode/log_decoder.h"

#include <utility>

#include "syscode/diagnostic_log.h"

namespace syscode {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

Text Quoted(const Text& text) { return u"\"" + text + u"\""; }
Text LabelOf(int source) { return kSources[source].label; }

// Serves recorded values; asking for a source that was not recorded ends
// the replay.
class RecordedSources : public IndexedHardwareSources {
 public:
  struct NotRecorded {
    int source;
  };

  explicit RecordedSources(const RecordedValues& values) : values_(values) {}

  bool WasRead(int source) const { return read_[source]; }

 protected:
  Text ReadSource(int source) override {
    if (!values_[source]) throw NotRecorded{source};
    read_[source] = true;
    return *values_[source];
  }

  const RecordedValues& values_;
  std::array<bool, kSourceCount> read_{};
};

// The source whose label starts `line`, with the value after the label, or
// -1. A label whose trailing blank was lost counts, with an empty value.
int MatchLabel(const Text& line, Text* value) {
  for (int source = 0; source < kSourceCount; ++source) {
    const TextView label = kSources[source].label;
    if (line.starts_with(label)) {
      *value = line.substr(label.size());
      return source;
    }
    if (line == label.substr(0, label.size() - 1)) {
      value->clear();
      return source;
    }
  }
  return -1;
}

bool IsNameChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// "Word = ..." or "Word =": the shape of a label line. Returns the label.
std::optional<Text> LabelShape(const Text& line) {
  std::size_t end = 0;
  while (end < line.size() && IsNameChar(line[end])) ++end;
  if (end == 0) return std::nullopt;
  const TextView rest = TextView(line).substr(end);
  if (rest == u" =" || rest.starts_with(u" = ")) return line.substr(0, end) + u" = ";
  return std::nullopt;
}

// A log whose lines were converted to LF: no CR LF anywhere, and what comes
// before the first LF is a source line or the separator.
bool HasLfLineEndsOnly(std::string_view bytes) {
  if (bytes.find(kLineEnd) != std::string_view::npos) return false;
  const std::size_t lf = bytes.find('\n');
  if (lf == std::string_view::npos) return false;
  const Text first = FromLatin1(bytes.substr(0, lf));
  Text value;
  return first == kLogSeparator || MatchLabel(first, &value) >= 0;
}

struct Line {
  int number;
  std::string_view bytes;
};

std::vector<Line> SplitLines(std::string_view bytes) {
  std::vector<Line> lines;
  int number = 0;
  while (!bytes.empty()) {
    const std::size_t end = bytes.find(kLineEnd);
    const std::size_t length = end == std::string_view::npos ? bytes.size() : end;
    lines.push_back({++number, bytes.substr(0, length)});
    bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + kLineEnd.size());
  }
  return lines;
}

// The press being read: its values and the line of each source.
struct OpenPress {
  int first_line = 0;
  int last_line = 0;
  int count = 0;  // sources recorded, always a prefix of the source order
  RecordedValues values;
  std::array<int, kSourceCount> lines{};
};

class Decoder {
 public:
  DecodedLog Run(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Bom)) bytes.remove_prefix(kUtf8Bom.size());
    if (HasLfLineEndsOnly(bytes)) throw LogFormatError(1, u"not a diagnostic log: its lines end with LF, not CR LF");
    for (const Line& line : SplitLines(bytes)) Take(line.number, FromLatin1(line.bytes));
    if (open_) CloseIncomplete(u"no separator line before the end of the file");
    return std::move(result_);
  }

 private:
  void Take(int number, const Text& text) {
    Text value;
    if (text == kLogSeparator) {
      CloseComplete(number);
    } else if (const int source = MatchLabel(text, &value); source >= 0) {
      TakeLabel(number, source, std::move(value));
    } else {
      TakeContinuation(number, text);
    }
  }

  void TakeLabel(int number, int source, Text value) {
    if (source == 0 && open_) {
      CloseIncomplete(u"cut short: a new press starts at line " + DecimalText(static_cast<long long>(number)) +
                      u" without a separator line");
    }
    if (source == 0) {
      open_.emplace();
      open_->first_line = number;
    } else if (!open_) {
      throw LogFormatError(number, u"labels out of order: " + Quoted(LabelOf(source)) +
                                       u" line without a " + Quoted(LabelOf(0)) + u" line before it");
    } else if (source != open_->count) {
      // After all seven sources only the separator line can follow.
      const Text expected =
          open_->count < kSourceCount ? Quoted(LabelOf(open_->count)) : Text(u"the separator line");
      throw LogFormatError(number, u"labels out of order: " + Quoted(LabelOf(source)) + u" line where " +
                                       expected + u" belongs");
    }
    open_->values[source] = std::move(value);
    open_->lines[source] = number;
    open_->last_line = number;
    open_->count = source + 1;
  }

  void TakeContinuation(int number, const Text& text) {
    if (std::optional<Text> label = LabelShape(text)) {
      throw LogFormatError(number, u"unknown label " + Quoted(*label));
    }
    if (!open_) {
      throw LogFormatError(number, number == 1 ? Text(u"not a diagnostic log: the first line is neither a "
                                                      u"source line nor the separator line")
                                               : Text(u"neither a source line nor the separator line, and "
                                                      u"no press is open"));
    }
    // The previous value had a line break: the line belongs to it.
    *open_->values[open_->count - 1] += u"\r\n" + text;
    open_->last_line = number;
  }

  void CloseComplete(int separator_line) {
    if (!open_) throw LogFormatError(separator_line, u"separator line without a press before it");
    const ReplayResult replay = ReplayPress(open_->values);
    if (replay.status != ReplayResult::Status::kOk) {
      const int line =
          replay.status == ReplayResult::Status::kUnreadSources ? open_->lines[replay.source] : separator_line;
      throw LogFormatError(line, ReplayProblem(replay));
    }
    result_.presses.push_back({open_->first_line, std::move(open_->values)});
    open_.reset();
  }

  // A press without a separator: fine if its lines are the start of a
  // possible press (a later line failed to be written).
  void CloseIncomplete(Text reason) {
    const ReplayResult replay = ReplayPress(open_->values);
    if (replay.status == ReplayResult::Status::kUnreadSources) {
      throw LogFormatError(open_->lines[replay.source], ReplayProblem(replay));
    }
    result_.incomplete.push_back({open_->first_line, open_->last_line, std::move(reason)});
    open_.reset();
  }

  DecodedLog result_;
  std::optional<OpenPress> open_;
};

}  // namespace

LogFormatError::LogFormatError(int line, const Text& reason)
    : Exception(u"line " + DecimalText(static_cast<long long>(line)) + u": " + reason),
      line_(line),
      reason_(reason) {}

DecodedLog DecodeDiagnosticLog(std::string_view bytes) { return Decoder().Run(bytes); }

ReplayResult ReplayPress(const RecordedValues& values) {
  ReplayResult result;
  RecordedSources sources(values);
  NullLog log;
  CodeAssembly assembly(sources, log);
  assembly.SetTrace(&result.trace);
  try {
    result.code = assembly.GetSystemCode();
  } catch (const RecordedSources::NotRecorded& missing) {
    result.status = ReplayResult::Status::kMissingSource;
    result.source = missing.source;
    result.code.clear();
    return result;
  }
  result.mask = assembly.ExistItem();
  for (int source = 0; source < kSourceCount; ++source) {
    if (values[source] && !sources.WasRead(source)) {
      result.status = ReplayResult::Status::kUnreadSources;
      result.source = source;
      result.code.clear();
      result.mask = 0;
      return result;
    }
  }
  return result;
}

Text ReplayProblem(const ReplayResult& result) {
  switch (result.status) {
    case ReplayResult::Status::kMissingSource:
      return u"the press ends before the " + Quoted(LabelOf(result.source)) +
             u" line, which the derivation reads next";
    case ReplayResult::Status::kUnreadSources:
      return Quoted(LabelOf(result.source)) + u" line after three parts were in hand";
    case ReplayResult::Status::kOk:
      break;
  }
  return Text();
}

}  // namespace syscode
