#include "syscode/log_decoder.h"

#include <algorithm>
#include <list>
#include <utility>

#include "syscode/diagnostic_log.h"

namespace syscode {

namespace {

constexpr std::string_view kLineEnd = "\r\n";
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

Text Quoted(const Text& text) { return u"\"" + text + u"\""; }
Text LabelOf(int source) { return kSources[source].label; }
Text Number(int n) { return DecimalText(static_cast<long long>(n)); }

// Serves recorded values. A source that was not recorded reads as empty text
// and is remembered: the derivation asked for a line the press does not
// have, so the replay is not one the window could have written.
class RecordedSources : public IndexedHardwareSources {
 public:
  explicit RecordedSources(const RecordedValues& values) : values_(values) {}

  bool WasRead(int source) const { return read_[source]; }
  // The first source asked for that was not recorded, or -1.
  int FirstMissing() const { return first_missing_; }

 protected:
  Text ReadSource(int source) override {
    if (!values_[source]) {
      if (first_missing_ < 0) first_missing_ = source;
      return Text();
    }
    read_[source] = true;
    return *values_[source];
  }

 private:
  const RecordedValues& values_;
  std::array<bool, kSourceCount> read_{};
  int first_missing_ = -1;
};

// The source whose label starts `line`, with the value after the label, or
// -1. A label whose trailing blank was lost counts, with an empty value.
int MatchLabel(TextView line, Text* value) {
  for (int source = 0; source < kSourceCount; ++source) {
    const TextView label = kSources[source].label;
    if (line.starts_with(label)) {
      *value = Text(line.substr(label.size()));
      return source;
    }
    if (line == label.substr(0, label.size() - 1)) {
      value->clear();
      return source;
    }
  }
  return -1;
}

// Where the last label inside `line` at or after `from` starts, or npos.
std::size_t LastInnerLabel(TextView line, std::size_t from) {
  std::size_t last = TextView::npos;
  for (const SourceInfo& source : kSources) {
    const std::size_t at = line.rfind(source.label);
    if (at != TextView::npos && at >= from && (last == TextView::npos || at > last)) last = at;
  }
  return last;
}

bool IsNameChar(char16_t c) {
  return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'_';
}

// "Word = ..." or "Word =": the shape of a label line. Returns the label.
std::optional<Text> LabelShape(TextView line) {
  std::size_t end = 0;
  while (end < line.size() && IsNameChar(line[end])) ++end;
  if (end == 0) return std::nullopt;
  const TextView rest = line.substr(end);
  if (rest == u" =" || rest.starts_with(u" = ")) return Text(line.substr(0, end)) + u" = ";
  return std::nullopt;
}

bool IsLogLine(std::string_view bytes) {
  const Text line = FromLatin1(bytes);
  Text value;
  return line == kLogSeparator || MatchLabel(line, &value) >= 0;
}

// A log whose line ends were converted: the reason to refuse it, or empty.
// Only a file whose first line is a log line counts, so that other text
// files keep the plainer "not a diagnostic log" of their first line.
Text ConvertedLineEnds(std::string_view bytes) {
  constexpr const char16_t* kAsk = u"; the values are no longer certain, ask for the file as the program wrote it";
  const std::size_t crlf = bytes.find(kLineEnd);
  if (crlf == std::string_view::npos) {
    const std::size_t lf = bytes.find('\n');
    const std::size_t cr = bytes.find('\r');
    if (lf != std::string_view::npos && (cr == std::string_view::npos || lf < cr) && IsLogLine(bytes.substr(0, lf))) {
      return Text(
                 u"not a diagnostic log: its lines end with LF, not CR LF (the file was converted, e.g. by a "
                 u"mail or version-control program)") +
             kAsk;
    }
    if (cr != std::string_view::npos && IsLogLine(bytes.substr(0, cr))) {
      return Text(
                 u"not a diagnostic log: its lines end with CR only, not CR LF (the file was converted to "
                 u"old Mac line ends)") +
             kAsk;
    }
    return Text();
  }
  // Every CR LF after a CR: each line end was converted a second time.
  if (crlf == 0 || bytes[crlf - 1] != '\r' || !IsLogLine(bytes.substr(0, crlf - 1))) return Text();
  for (std::size_t at = crlf; at != std::string_view::npos; at = bytes.find(kLineEnd, at + 1)) {
    if (at == 0 || bytes[at - 1] != '\r') return Text();
  }
  return Text(
             u"not a diagnostic log: its lines end with CR CR LF, not CR LF (the line ends were converted "
             u"twice)") +
         kAsk;
}

// UTF-16 with a byte-order mark, or without one when the first characters
// are ASCII with a zero byte each (as a log saved again as UTF-16 starts).
std::optional<LogEncoding> Utf16Encoding(std::string_view bytes) {
  if (bytes.starts_with("\xFF\xFE")) return LogEncoding::kUtf16Le;
  if (bytes.starts_with("\xFE\xFF")) return LogEncoding::kUtf16Be;
  const std::size_t probe = std::min<std::size_t>(bytes.size(), 64) & ~std::size_t{1};
  if (probe < 4) return std::nullopt;
  bool le = true;
  bool be = true;
  for (std::size_t i = 0; i < probe; i += 2) {
    le = le && bytes[i] != 0 && bytes[i + 1] == 0;
    be = be && bytes[i] == 0 && bytes[i + 1] != 0;
  }
  if (le) return LogEncoding::kUtf16Le;
  if (be) return LogEncoding::kUtf16Be;
  return std::nullopt;
}

// The characters of UTF-16 bytes as UTF-8 (the form values read from a log
// are shown in), without the byte-order mark.
std::string Utf16ToUtf8(std::string_view bytes, LogEncoding encoding) {
  Text text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto a = static_cast<unsigned char>(bytes[i]);
    const auto b = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<char16_t>(encoding == LogEncoding::kUtf16Le ? a | (b << 8) : (a << 8) | b));
  }
  if (!text.empty() && text[0] == 0xFEFF) text.erase(0, 1);
  return ToUtf8(text);
}

// The press being read: its values, the line of each source, and what the
// derivation reads next for these values.
struct OpenPress {
  int first_line = 0;
  int last_line = 0;
  int count = 0;            // sources recorded, always a prefix of the source order
  int expects = 0;          // the source read next, or kSourceCount for the separator
  int next_press_line = 0;  // where a later press started while this one was open
  RecordedValues values;
  std::array<int, kSourceCount> lines{};

  void Update() {
    const ReplayResult replay = ReplayPress(values);
    expects = replay.status == ReplayResult::Status::kMissingSource ? replay.source : kSourceCount;
  }
};

class Decoder {
 public:
  explicit Decoder(const PressSink* sink) : sink_(sink) {}

  DecodedLog Run(std::string_view bytes) {
    std::string transcoded;
    if (const std::optional<LogEncoding> utf16 = Utf16Encoding(bytes)) {
      result_.encoding = *utf16;
      if (bytes.size() % 2 != 0) {
        Problem(1, 1, 1, u"the file is UTF-16 but has an odd number of bytes: its last byte is ignored");
      }
      transcoded = Utf16ToUtf8(bytes, *utf16);
      bytes = transcoded;
    } else if (bytes.starts_with(kUtf8Bom)) {
      bytes.remove_prefix(kUtf8Bom.size());
    }
    if (const Text converted = ConvertedLineEnds(bytes); !converted.empty()) {
      Problem(1, LineCount(bytes), 1, converted);
      return std::move(result_);
    }
    int number = 0;
    while (!bytes.empty()) {
      const std::size_t end = bytes.find(kLineEnd);
      const std::size_t length = end == std::string_view::npos ? bytes.size() : end;
      Take(++number, FromLatin1(bytes.substr(0, length)));
      bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + kLineEnd.size());
    }
    while (!open_.empty()) CloseIncomplete(open_.begin());
    std::sort(result_.incomplete.begin(), result_.incomplete.end(),
              [](const IncompletePress& a, const IncompletePress& b) { return a.first_line < b.first_line; });
    return std::move(result_);
  }

 private:
  using Press = std::list<OpenPress>::iterator;

  static int LineCount(std::string_view bytes) {
    const auto lf = std::count(bytes.begin(), bytes.end(), '\n');
    const auto cr = std::count(bytes.begin(), bytes.end(), '\r');
    // LF ends the lines of LF-only and CR CR LF files, CR those of CR-only ones.
    const auto ends = lf > 0 ? lf : cr;
    const bool last_open = !bytes.empty() && bytes.back() != '\n' && bytes.back() != '\r';
    return static_cast<int>(std::min<long long>(ends + (last_open ? 1 : 0), 0x7FFFFFFF));
  }

  void Take(int number, Text text) {
    if (text == kLogSeparator) return TakeSeparator(number);
    Text value;
    const int source = MatchLabel(text, &value);
    const std::size_t from = source >= 0 ? text.size() - value.size() : 1;
    if (const std::size_t inner = LastInnerLabel(text, from); inner != TextView::npos) {
      // A line cut short by a failed write, with the next press's first line
      // glued on; the text from the last inner label on is a whole line.
      Text found;
      const Text rest = text.substr(inner);
      const int inner_source = MatchLabel(rest, &found);
      Problem(number, number, number,
              Quoted(LabelOf(inner_source)) +
                  u" inside a line: a line written only in part (a full disk?) "
                  u"ran on into the next line; the text from the inner label on is read as a line of its own");
      last_fed_.reset();
      return TakeLabel(number, inner_source, std::move(found));
    }
    if (source >= 0) return TakeLabel(number, source, std::move(value));
    TakeContinuation(number, text);
  }

  // The newest open press that expects `next`.
  std::optional<Press> Expecting(int next) {
    for (auto it = open_.end(); it != open_.begin();) {
      --it;
      if (it->expects == next) return it;
    }
    return std::nullopt;
  }

  void TakeLabel(int number, int source, Text value) {
    Press press;
    if (source == 0) {
      for (OpenPress& older : open_) {
        if (older.next_press_line == 0) older.next_press_line = number;
      }
      if (static_cast<int>(open_.size()) >= kMaxOpenPresses) CloseIncomplete(open_.begin());
      press = open_.emplace(open_.end());
      press->first_line = number;
    } else if (const std::optional<Press> found = Expecting(source)) {
      press = *found;
    } else {
      Problem(number, number, number, OutOfOrder(source));
      last_fed_.reset();
      return;
    }
    press->values[source] = std::move(value);
    press->lines[source] = number;
    press->last_line = number;
    press->count = source + 1;
    press->Update();
    last_fed_ = press;
  }

  Text OutOfOrder(int source) const {
    const Text what = u"labels out of order: " + Quoted(LabelOf(source)) + u" line";
    if (open_.empty()) return what + u" without a " + Quoted(LabelOf(0)) + u" line before it";
    const OpenPress& newest = open_.back();
    if (newest.expects < kSourceCount) return what + u" where " + Quoted(LabelOf(newest.expects)) + u" belongs";
    if (newest.count == kSourceCount) return what + u" where the separator line belongs";
    return Quoted(LabelOf(source)) + u" line after three parts were in hand";
  }

  void TakeContinuation(int number, const Text& text) {
    if (std::optional<Text> label = LabelShape(text)) {
      Problem(number, number, number, u"unknown label " + Quoted(*label));
      last_fed_.reset();
      return;
    }
    if (!last_fed_) {
      Text reason;
      if (number == 1) {
        reason = u"not a diagnostic log: the first line is neither a source line nor the separator line";
      } else if (text.empty()) {
        reason = u"an empty line where no press is open";
      } else {
        reason = u"neither a source line nor the separator line, and no press is open";
      }
      Problem(number, number, number, reason);
      return;
    }
    // The previous value had a line break: the line belongs to it.
    OpenPress& press = **last_fed_;
    *press.values[press.count - 1] += u"\r\n" + text;
    press.last_line = number;
    press.Update();
  }

  void TakeSeparator(int number) {
    last_fed_.reset();
    if (const std::optional<Press> complete = Expecting(kSourceCount)) {
      RecordedPress press{(*complete)->first_line, number, std::move((*complete)->values)};
      open_.erase(*complete);
      ++result_.press_count;
      if (sink_ != nullptr) {
        (*sink_)(press);
      } else {
        result_.presses.push_back(std::move(press));
      }
      return;
    }
    if (open_.empty()) return Problem(number, number, number, u"separator line without a press before it");
    // The newest press lacks lines the derivation reads: it is no press the
    // window wrote, so it goes with the separator.
    const OpenPress& newest = open_.back();
    ReplayResult replay;
    replay.status = ReplayResult::Status::kMissingSource;
    replay.source = newest.expects;
    Problem(newest.first_line, number, number, ReplayProblem(replay));
    open_.pop_back();
  }

  void CloseIncomplete(Press press) {
    Text reason = press->next_press_line != 0 ? u"cut short: a new press starts at line " +
                                                    Number(press->next_press_line) + u" without a separator line"
                                              : Text(u"no separator line before the end of the file");
    if (result_.incomplete.size() < kMaxReportedStretches) {
      result_.incomplete.push_back({press->first_line, press->last_line, std::move(reason)});
    } else {
      ++result_.unreported;
    }
    if (last_fed_ && *last_fed_ == press) last_fed_.reset();
    open_.erase(press);
  }

  // Adjacent bad lines make one stretch, with the reason of its first line.
  void Problem(int first, int last, int line, Text reason) {
    if (!result_.problems.empty()) {
      LogProblem& previous = result_.problems.back();
      if (first == previous.last_line + 1 && first == line) {
        previous.last_line = last;
        return;
      }
    }
    if (result_.problems.size() >= kMaxReportedStretches) {
      ++result_.unreported;
      return;
    }
    result_.problems.push_back({first, last, line, std::move(reason)});
  }

  const PressSink* sink_;
  DecodedLog result_;
  std::list<OpenPress> open_;      // oldest first
  std::optional<Press> last_fed_;  // the press the last line went to
};

}  // namespace

LogFormatError::LogFormatError(int line, const Text& reason)
    : Exception(u"line " + DecimalText(static_cast<long long>(line)) + u": " + reason), line_(line), reason_(reason) {}

DecodedLog ReadDiagnosticLog(std::string_view bytes) { return Decoder(nullptr).Run(bytes); }

DecodedLog ReadDiagnosticLog(std::string_view bytes, const PressSink& sink) { return Decoder(&sink).Run(bytes); }

LogEncoding DetectLogEncoding(std::string_view bytes) { return Utf16Encoding(bytes).value_or(LogEncoding::kAnsi); }

DecodedLog DecodeDiagnosticLog(std::string_view bytes) {
  DecodedLog log = ReadDiagnosticLog(bytes);
  if (!log.problems.empty()) {
    const auto first = std::min_element(log.problems.begin(), log.problems.end(),
                                        [](const LogProblem& a, const LogProblem& b) { return a.line < b.line; });
    throw LogFormatError(first->line, first->reason);
  }
  return log;
}

Text EncodingName(LogEncoding encoding) {
  switch (encoding) {
    case LogEncoding::kUtf16Le: return u"UTF-16 (little-endian)";
    case LogEncoding::kUtf16Be: return u"UTF-16 (big-endian)";
    case LogEncoding::kAnsi: break;
  }
  return u"ANSI";
}

ReplayResult ReplayPress(const RecordedValues& values) {
  ReplayResult result;
  RecordedSources sources(values);
  NullLog log;
  CodeAssembly assembly(sources, log);
  assembly.SetTrace(&result.trace);
  result.code = assembly.GetSystemCode();
  result.mask = assembly.ExistItem();
  auto fail = [&result](ReplayResult::Status status, int source) {
    result.status = status;
    result.source = source;
    result.code.clear();
    result.mask = 0;
    return result;
  };
  if (sources.FirstMissing() >= 0) return fail(ReplayResult::Status::kMissingSource, sources.FirstMissing());
  for (int source = 0; source < kSourceCount; ++source) {
    if (values[source] && !sources.WasRead(source)) return fail(ReplayResult::Status::kUnreadSources, source);
  }
  return result;
}

Text ReplayProblem(const ReplayResult& result) {
  switch (result.status) {
    case ReplayResult::Status::kMissingSource:
      return u"the press ends before the " + Quoted(LabelOf(result.source)) + u" line, which the derivation reads next";
    case ReplayResult::Status::kUnreadSources:
      return Quoted(LabelOf(result.source)) + u" line after three parts were in hand";
    case ReplayResult::Status::kOk: break;
  }
  return Text();
}

}  // namespace syscode
