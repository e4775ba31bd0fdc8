// Reading a diagnostic log back: the presses it records and the code each of
// them gives. Support staff check a customer's code against the customer's
// LogD.txt with it, so the recorded values run through the very same
// CodeAssembly that the window uses.
//
// The format, as the window writes it: one line per source read (label and
// raw value), then the separator line; every line ends with CR LF. Reading:
//   - Lines are split on CR LF only; a lone LF stays inside its value. A last
//     line without CR LF counts as a line.
//   - A line that is neither one of the seven label lines nor the separator
//     continues the previous value (the value had a line break in it): it is
//     joined to it with CR LF. Such a line that looks like a label of its own
//     ("Word = ...", a name of letters, digits or "_" followed by " = ") is an
//     unknown label, not a continuation, since no hardware value is written
//     that way and taking it as part of a value would change the code.
//   - A line with a label inside it, not at its start, is the trace of a line
//     written only in part (a full disk) that the next press's first line ran
//     on into. It is reported; the text from the inner label on is read as a
//     line of its own, and the cut line's press stays incomplete.
//   - A label line with its trailing blank lost ("CpuId =") is the label with
//     an empty value (editors strip trailing blanks).
//   - Bytes are taken as Latin-1 code units: only the ASCII letters and digits
//     decide the code, and every other byte stays a non-ASCII character. A
//     file saved again as UTF-16 (with or without a byte-order mark) is read
//     from its characters, with a note: the conversion keeps every letter,
//     digit and line end.
//   - A file whose line ends were converted (LF only, CR only, CR CR LF) is
//     refused as a whole, named as what it is: a lone LF inside a value can no
//     longer be told from a line end, so the values are no longer certain.
//   - A press is the label lines up to a separator line. It must be a press
//     the derivation can write: labels in source order from CpuId, each source
//     once, exactly the sources the derivation reads for those values (no line
//     after three parts were in hand, none missing before the separator).
//     This is checked by replaying the values through CodeAssembly after each
//     line.
//   - Two copies of the program appending to the same log interleave their
//     lines. Up to kMaxOpenPresses presses are therefore open at once: a
//     CpuId line opens one, and a label line (or the separator) goes to the
//     newest open press that expects exactly that line next.
//   - A press without a separator (cut short by a failed log write) gave no
//     code in the window; it is reported as incomplete and skipped.
//   - Any other line that cannot belong to a press is a bad stretch: it is
//     reported with its lines and reason, and decoding goes on after it.
#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "syscode/code_assembly.h"
#include "base/errors.h"
#include "syscode/hardware_sources.h"
#include "base/text.h"

namespace syscode {

// The largest log that is read. A real LogD.txt holds at most eight short
// lines per press and stays in kilobytes; anything near this size is no
// diagnostic log, and refusing it bounds the memory a hostile file can take.
inline constexpr std::size_t kMaxLogBytes = std::size_t{64} << 20;  // 64 MiB

// Presses that can be open at once (copies of the program writing together).
inline constexpr int kMaxOpenPresses = 4;

// Incomplete presses and bad stretches kept in a DecodedLog; the rest are
// only counted.
inline constexpr std::size_t kMaxReportedStretches = 1000;

// The raw values of one press in source order; nullopt for a source the
// press did not read.
using RecordedValues = std::array<std::optional<Text>, kSourceCount>;

// A complete press: its values and the line numbers (from 1) of its first
// and last line (the separator).
struct RecordedPress {
  int first_line = 0;
  int last_line = 0;
  RecordedValues values;
};

// A press without a separator, skipped: where its lines are and why.
struct IncompletePress {
  int first_line = 0;
  int last_line = 0;
  Text reason;
};

// Lines that cannot belong to a press: the stretch, the line where the
// problem shows and the reason.
struct LogProblem {
  int first_line = 0;
  int last_line = 0;
  int line = 0;
  Text reason;
};

// How the file's bytes were read.
enum class LogEncoding {
  kAnsi,     // as the window writes it (a UTF-8 byte-order mark is skipped)
  kUtf16Le,  // saved again as UTF-16, little-endian
  kUtf16Be,  // saved again as UTF-16, big-endian
};

struct DecodedLog {
  LogEncoding encoding = LogEncoding::kAnsi;
  std::vector<RecordedPress> presses;       // in the order of their separator lines (none when streamed)
  std::size_t press_count = 0;              // complete presses found, streamed or kept
  std::vector<IncompletePress> incomplete;  // by first line
  std::vector<LogProblem> problems;         // by line
  std::size_t unreported = 0;               // incomplete presses and problems beyond kMaxReportedStretches
};

// The log cannot be read as a diagnostic log. Message: "line N: reason".
class LogFormatError : public Exception {
 public:
  LogFormatError(int line, const Text& reason);
  int Line() const noexcept { return line_; }
  const Text& Reason() const noexcept { return reason_; }

 private:
  int line_;
  Text reason_;
};

// Reads the bytes of a diagnostic log: every press that can be decoded, the
// incomplete presses and every bad stretch. Never throws for the content
// (std::bad_alloc can escape). Bytes beyond kMaxLogBytes are the caller's
// to refuse; this reads whatever it is given.
DecodedLog ReadDiagnosticLog(std::string_view bytes);

// The same, handing each complete press to `sink` as soon as its separator
// line is read instead of keeping it, so that memory does not grow with the
// number of presses; the result's `presses` stays empty.
using PressSink = std::function<void(RecordedPress& press)>;
DecodedLog ReadDiagnosticLog(std::string_view bytes, const PressSink& sink);

// How ReadDiagnosticLog reads these bytes (UTF-16 or as the window writes).
LogEncoding DetectLogEncoding(std::string_view bytes);

// The same, all or nothing: throws LogFormatError for the first bad stretch
// (at the line where it shows). An empty file gives no press.
DecodedLog DecodeDiagnosticLog(std::string_view bytes);

// The text of an encoding for messages ("UTF-16 (little-endian)").
Text EncodingName(LogEncoding encoding);

// The outcome of replaying recorded values through a fresh CodeAssembly
// (a newly opened window, ExistItem 0, no log written).
struct ReplayResult {
  enum class Status {
    kOk,             // the derivation read exactly the recorded sources
    kMissingSource,  // it asked for `source`, which was not recorded
    kUnreadSources,  // it stopped before reading `source`, which was recorded
  };
  Status status = Status::kOk;
  int source = -1;        // the source index the status names
  Text code;              // the code (kOk only)
  std::uint8_t mask = 0;  // ExistItem after the press (kOk only)
  PressTrace trace;       // what the press did with each source (kOk only)
};

// Replays one press. Never throws for inconsistent values; they give a
// status other than kOk.
ReplayResult ReplayPress(const RecordedValues& values);

// The reason text for a replay that is not kOk ("missing ..." / "line after
// three parts ...").
Text ReplayProblem(const ReplayResult& result);

}  // namespace syscode
