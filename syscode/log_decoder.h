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
//   - A label line with its trailing blank lost ("CpuId =") is the label with
//     an empty value (editors strip trailing blanks).
//   - Bytes are taken as Latin-1 code units: only the ASCII letters and digits
//     decide the code, and every other byte stays a non-ASCII character.
//   - A press is the label lines up to a separator line. It must be a press
//     the derivation can write: labels in source order from CpuId, each source
//     once, exactly the sources the derivation reads for those values (no line
//     after three parts were in hand, none missing before the separator).
//     This is checked by replaying the values through CodeAssembly.
//   - A press cut short by a failed log write (its lines followed by a new
//     CpuId line without a separator, or lines without a separator at the end
//     of the file) gave no code in the window. It is reported as incomplete
//     and skipped, provided its lines are the start of a possible press.
//   - Any other line that cannot belong to a press is an error.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "syscode/code_assembly.h"
#include "syscode/errors.h"
#include "syscode/hardware_sources.h"
#include "syscode/text.h"

namespace syscode {

// The raw values of one press in source order; nullopt for a source the
// press did not read.
using RecordedValues = std::array<std::optional<Text>, kSourceCount>;

// A complete press: its values and the line number (from 1) of its first line.
struct RecordedPress {
  int first_line = 0;
  RecordedValues values;
};

// A press without a separator, skipped: where its lines are and why.
struct IncompletePress {
  int first_line = 0;
  int last_line = 0;
  Text reason;
};

struct DecodedLog {
  std::vector<RecordedPress> presses;
  std::vector<IncompletePress> incomplete;
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

// Reads the bytes of a diagnostic log. Returns the complete presses in file
// order and the incomplete ones that were skipped. Throws LogFormatError for
// a line that cannot belong to a press. An empty file gives no press.
DecodedLog DecodeDiagnosticLog(std::string_view bytes);

// The outcome of replaying recorded values through a fresh CodeAssembly
// (a newly opened window, ExistItem 0, no log written).
struct ReplayResult {
  enum class Status {
    kOk,             // the derivation read exactly the recorded sources
    kMissingSource,  // it asked for `source`, which was not recorded
    kUnreadSources,  // it stopped before reading `source`, which was recorded
  };
  Status status = Status::kOk;
  int source = -1;          // the source index the status names
  Text code;                // the code (kOk only)
  std::uint8_t mask = 0;    // ExistItem after the press (kOk only)
  PressTrace trace;         // what the press did with each source (kOk only)
};

// Replays one press. Never throws for inconsistent values; they give a
// status other than kOk.
ReplayResult ReplayPress(const RecordedValues& values);

// The reason text for a replay that is not kOk ("missing ..." / "line after
// three parts ...").
Text ReplayProblem(const ReplayResult& result);

}  // namespace syscode
