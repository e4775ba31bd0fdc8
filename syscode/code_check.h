// Checking a code a customer typed against the presses it may come from: the
// presses of their LogD.txt or this machine. Tells a match, a code that is a
// press's own but carries the mask digits of a later press in the same
// window, and the likely typing errors (O/0, I/1, B/8, S/5, one character
// changed, one missing or extra, two neighbours swapped).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "syscode/press_report.h"
#include "base/text.h"

namespace syscode {

// A code the typed one is compared with.
struct CheckCandidate {
  Text code;
  std::uint8_t mask = 0;     // the press's own source mask
  std::optional<Text> file;  // the log it comes from, when known
  int first_line = 0;        // its lines in that log; 0 for this machine
  int last_line = 0;
  std::uint8_t earlier_mask = 0;  // the bits of the presses before it in the same log
};

enum class CheckVerdict {
  kMatch,        // the very code
  kMaskOnly,     // the same but for the two mask digits
  kTypingError,  // a likely typing error away (mask digits of a later press allowed)
  kDifferent,    // none of these
};

struct Difference {
  int position = 0;  // from 1, in the code without dashes
  char16_t typed = 0;
  char16_t code = 0;
};

struct CandidateCheck {
  CheckVerdict verdict = CheckVerdict::kDifferent;
  bool later_press_mask = false;  // the typed mask digits hold this press's bits and more
  std::vector<Difference> differences;
  Text explanation;
};

struct CheckResult {
  Text typed;  // as given
  Text code;   // without dashes and blanks, upper case
  bool match = false;
  std::vector<CandidateCheck> checks;  // one per candidate, in order
};

// The typed code without dashes, blanks and tabs, in upper case. Returns
// false with `problem` set when anything else than letters and digits is
// left, or nothing at all.
bool NormalizeTypedCode(TextView typed, Text* code, Text* problem);

// Compares a normalized code with every candidate.
CheckResult CheckCode(TextView typed, const std::vector<CheckCandidate>& candidates);

// The candidates of a decoded log: each complete press as the first press of
// a new window, with the bits of the presses before it.
std::vector<CheckCandidate> CandidatesOfLog(const DecodedLog& log, const std::optional<Text>& file);

// One press as a candidate; `earlier` holds the bits of the log's presses
// before it and receives this press's bits too.
CheckCandidate CandidateOfPress(const RecordedPress& press, const std::optional<Text>& file, std::uint8_t* earlier);

// The candidates of a log's bytes, decoded press by press (nothing of the
// presses kept but the candidates). Returns the decoded log without presses.
DecodedLog CandidatesOfLogBytes(std::string_view bytes, const std::optional<Text>& file,
                                std::vector<CheckCandidate>* candidates);

// {"schema", "typed", "code", "against": "log"|"machine", "match",
//  "candidates": [{"file", "first_line", "last_line", "code", "mask",
//  "mask_hex", "verdict", "later_press_mask", "differences", "explanation"}]}.
Json CheckJson(const CheckResult& result, const std::vector<CheckCandidate>& candidates, bool against_log);

// The library's forms, also used by the tests: the JSON text of one decoded
// log ("file" null); and a check of `typed` against a log's bytes. Both
// refuse a log larger than kMaxLogBytes with std::length_error.
std::string DecodeLogJson(std::string_view bytes);

}  // namespace syscode
