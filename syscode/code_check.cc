#include "syscode/code_check.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace syscode {

namespace {

Text Number(long long n) { return DecimalText(n); }

// Pairs people mix up when they copy a code by hand.
bool LookAlike(char16_t a, char16_t b) {
  static constexpr char16_t kPairs[][2] = {{u'O', u'0'}, {u'I', u'1'}, {u'B', u'8'}, {u'S', u'5'}};
  for (const auto& pair : kPairs) {
    if ((a == pair[0] && b == pair[1]) || (a == pair[1] && b == pair[0])) return true;
  }
  return false;
}

int HexValue(char16_t c) {
  if (c >= u'0' && c <= u'9') return c - u'0';
  if (c >= u'A' && c <= u'F') return c - u'A' + 10;
  return -1;
}

// The mask a code's two digits spell (low digit first, high digit last), or -1.
int MaskOf(const Text& code) {
  if (code.size() < 2) return -1;
  const int low = HexValue(code.front());
  const int high = HexValue(code.back());
  if (low < 0 || high < 0) return -1;
  return high << 4 | low;
}

Text SourceNames(std::uint8_t bits) {
  Text names;
  for (const SourceInfo& source : kSources) {
    if (bits & source.bit) names += (names.empty() ? Text() : Text(u", ")) + source.name;
  }
  return names;
}

Text Char(char16_t c) { return Text(1, c); }

std::vector<Difference> Differences(const Text& typed, const Text& code, bool skip_mask_digits) {
  std::vector<Difference> out;
  for (std::size_t i = 0; i < typed.size() && i < code.size(); ++i) {
    if (skip_mask_digits && (i == 0 || i + 1 == code.size())) continue;
    if (typed[i] != code[i]) out.push_back({static_cast<int>(i + 1), typed[i], code[i]});
  }
  return out;
}

// The typing error the differences show, or empty text.
Text TypingError(const std::vector<Difference>& d) {
  if (d.empty()) return Text();
  if (std::all_of(d.begin(), d.end(), [](const Difference& x) { return LookAlike(x.typed, x.code); })) {
    Text what;
    for (const Difference& x : d) {
      what += (what.empty() ? Text() : Text(u", ")) + Char(x.typed) + u" for " + Char(x.code) + u" at position " +
              Number(x.position);
    }
    return u"characters that look alike: " + what;
  }
  if (d.size() == 1) {
    return u"one character changed: " + Char(d[0].typed) + u" for " + Char(d[0].code) + u" at position " +
           Number(d[0].position);
  }
  if (d.size() == 2 && d[1].position == d[0].position + 1 && d[0].typed == d[1].code && d[1].typed == d[0].code) {
    return u"two characters swapped at positions " + Number(d[0].position) + u" and " + Number(d[1].position);
  }
  return Text();
}

// One character missing from or added to the code.
Text LengthTypo(const Text& typed, const Text& code) {
  const bool missing = typed.size() + 1 == code.size();
  const bool extra = typed.size() == code.size() + 1;
  if (!missing && !extra) return Text();
  const Text& longer = missing ? code : typed;
  const Text& shorter = missing ? typed : code;
  for (std::size_t i = 0; i < longer.size(); ++i) {
    if (longer.substr(0, i) + longer.substr(i + 1) == shorter) {
      return (missing ? u"one character missing: " : u"one character too many: ") + Char(longer[i]) + u" at position " +
             Number(static_cast<long long>(i + 1));
    }
  }
  return Text();
}

// The typed mask digits as those of a later press in the same window as the
// candidate's press: they hold the press's bits and more, never bit 0x04.
bool LaterPressMask(int typed_mask, std::uint8_t press_mask) {
  return typed_mask >= 0 && (typed_mask & press_mask) == press_mask && typed_mask != press_mask &&
         (typed_mask & 0x04) == 0;
}

Text MaskStory(int typed_mask, const CheckCandidate& c) {
  const auto extra = static_cast<std::uint8_t>(typed_mask & ~c.mask);
  Text story = u"mask digits of a later press in the same window: the typed mask " +
               MaskText(static_cast<std::uint8_t>(typed_mask)) + u" holds this press's " + MaskText(c.mask) + u" and " +
               MaskText(extra) + u" (" + SourceNames(extra) + u") from earlier presses since the window was opened";
  if (c.file) {
    if ((c.earlier_mask & extra) == extra) {
      story += u"; earlier presses in this log set these bits";
    } else {
      story += u"; no earlier press in this log sets " + MaskText(static_cast<std::uint8_t>(extra & ~c.earlier_mask)) +
               u", so those presses are not in this log";
    }
  }
  return story;
}

CandidateCheck CheckOne(const Text& typed, const CheckCandidate& c) {
  CandidateCheck check;
  if (typed == c.code) {
    check.verdict = CheckVerdict::kMatch;
    check.explanation = u"the code of this press";
    return check;
  }
  const int typed_mask = MaskOf(typed);
  if (typed.size() == c.code.size()) {
    const bool later = LaterPressMask(typed_mask, c.mask);
    std::vector<Difference> all = Differences(typed, c.code, false);
    std::vector<Difference> body = Differences(typed, c.code, true);
    if (body.empty()) {
      check.verdict = CheckVerdict::kMaskOnly;
      check.differences = std::move(all);
      check.later_press_mask = later;
      check.explanation =
          later ? u"only the mask digits differ: " + MaskStory(typed_mask, c)
                : u"only the mask digits differ, but the typed mask " +
                      (typed_mask < 0 ? Text(u"is no mask") : MaskText(static_cast<std::uint8_t>(typed_mask))) +
                      u" cannot follow this press's " + MaskText(c.mask) +
                      u" in one window (bits are only ever added, and 0x04 is never set): a typing error?";
      return check;
    }
    if (Text typo = TypingError(all); !typo.empty()) {
      check.verdict = CheckVerdict::kTypingError;
      check.differences = std::move(all);
      check.explanation = u"likely a typing error: " + typo;
      return check;
    }
    if (later) {
      if (Text typo = TypingError(body); !typo.empty()) {
        check.verdict = CheckVerdict::kTypingError;
        check.later_press_mask = true;
        check.differences = std::move(all);
        check.explanation = u"likely a typing error: " + typo + u"; and " + MaskStory(typed_mask, c);
        return check;
      }
    }
    check.differences = std::move(all);
  } else if (Text typo = LengthTypo(typed, c.code); !typo.empty()) {
    check.verdict = CheckVerdict::kTypingError;
    check.explanation = u"likely a typing error: " + typo;
    return check;
  }
  check.explanation = u"a different code";
  return check;
}

}  // namespace

bool NormalizeTypedCode(TextView typed, Text* code, Text* problem) {
  code->clear();
  for (char16_t c : typed) {
    if (c == u'-' || c == u' ' || c == u'\t') continue;
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    if ((c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
      code->push_back(c);
      continue;
    }
    *problem = u"not a system code: it may hold only letters, digits, dashes and blanks";
    return false;
  }
  if (code->empty()) {
    *problem = u"not a system code: it is empty";
    return false;
  }
  return true;
}

CheckResult CheckCode(TextView typed, const std::vector<CheckCandidate>& candidates) {
  CheckResult result;
  result.typed = Text(typed);
  Text problem;
  if (!NormalizeTypedCode(typed, &result.code, &problem)) return result;
  for (const CheckCandidate& c : candidates) {
    result.checks.push_back(CheckOne(result.code, c));
    if (result.checks.back().verdict == CheckVerdict::kMatch) result.match = true;
  }
  return result;
}

CheckCandidate CandidateOfPress(const RecordedPress& press, const std::optional<Text>& file, std::uint8_t* earlier) {
  const ReplayResult replay = ReplayPress(press.values);
  CheckCandidate candidate{replay.code, replay.mask, file, press.first_line, press.last_line, *earlier};
  *earlier |= replay.mask;
  return candidate;
}

std::vector<CheckCandidate> CandidatesOfLog(const DecodedLog& log, const std::optional<Text>& file) {
  std::vector<CheckCandidate> out;
  std::uint8_t earlier = 0;
  for (const RecordedPress& press : log.presses) out.push_back(CandidateOfPress(press, file, &earlier));
  return out;
}

DecodedLog CandidatesOfLogBytes(std::string_view bytes, const std::optional<Text>& file,
                                std::vector<CheckCandidate>* candidates) {
  std::uint8_t earlier = 0;
  return ReadDiagnosticLog(
      bytes, [&](RecordedPress& press) { candidates->push_back(CandidateOfPress(press, file, &earlier)); });
}

namespace {

const char* VerdictName(CheckVerdict verdict) {
  switch (verdict) {
    case CheckVerdict::kMatch: return "match";
    case CheckVerdict::kMaskOnly: return "mask_only";
    case CheckVerdict::kTypingError: return "typing_error";
    case CheckVerdict::kDifferent: break;
  }
  return "different";
}

}  // namespace

Json CheckJson(const CheckResult& result, const std::vector<CheckCandidate>& candidates, bool against_log) {
  Json list = Json::array();
  for (std::size_t i = 0; i < candidates.size() && i < result.checks.size(); ++i) {
    const CheckCandidate& c = candidates[i];
    const CandidateCheck& check = result.checks[i];
    Json differences = Json::array();
    for (const Difference& d : check.differences) {
      differences.push_back(
          {{"position", d.position}, {"typed", ToUtf8(Char(d.typed))}, {"code", ToUtf8(Char(d.code))}});
    }
    list.push_back({{"file", c.file ? Json(ToUtf8(*c.file)) : Json(nullptr)},
                    {"first_line", against_log ? Json(c.first_line) : Json(nullptr)},
                    {"last_line", against_log ? Json(c.last_line) : Json(nullptr)},
                    {"code", ToUtf8(c.code)},
                    {"mask", c.mask},
                    {"mask_hex", ToUtf8(MaskText(c.mask))},
                    {"verdict", VerdictName(check.verdict)},
                    {"later_press_mask", check.later_press_mask},
                    {"differences", std::move(differences)},
                    {"explanation", ToUtf8(check.explanation)}});
  }
  return {{"schema", kJsonSchema},       {"typed", ToUtf8(result.typed)},
          {"code", ToUtf8(result.code)}, {"against", against_log ? "log" : "machine"},
          {"match", result.match},       {"candidates", std::move(list)}};
}

std::string DecodeLogJson(std::string_view bytes) {
  if (bytes.size() > kMaxLogBytes) throw std::length_error("log larger than 64 MiB");
  std::string text;
  WriteLogJson(bytes, std::nullopt, 0, [&text](const std::string& piece) { text += piece; });
  return text;
}

}  // namespace syscode
