#include "syscode/press_report.h"

#include "syscode/hardware_sources.h"

namespace syscode {

namespace {

constexpr std::size_t kPartLength = 7;

bool IsNullWord(const Text& value) { return value == u"NULL" || value == u"null" || value == u"Null"; }

Text Count(std::size_t n) { return DecimalText(static_cast<unsigned long long>(n)); }

bool Used(const PressFacts& press, int source) {
  return press.trace.sources[source].part.has_value() && !press.trace.body_emptied;
}

const char* EncodingKey(LogEncoding encoding) {
  switch (encoding) {
    case LogEncoding::kUtf16Le: return "UTF-16LE";
    case LogEncoding::kUtf16Be: return "UTF-16BE";
    case LogEncoding::kAnsi: break;
  }
  return "ANSI";
}

}  // namespace

PressFacts FactsOfRecordedPress(const RecordedPress& press) {
  const ReplayResult replay = ReplayPress(press.values);
  PressFacts facts;
  facts.code = replay.code;
  facts.mask = replay.mask;
  facts.trace = replay.trace;
  facts.from_log = true;
  return facts;
}

SourceExplanation ExplainSource(const PressFacts& press, int source) {
  const SourceTrace& s = press.trace.sources[source];
  const SourceInfo& info = kSources[source];
  if (!s.read) return {SourceOutcome::kNotRead, u"not read: three parts were already in hand"};
  if (s.part) {
    if (Used(press, source)) return {SourceOutcome::kUsed, u"part " + *s.part};
    return {SourceOutcome::kNotUsed,
            u"part " + *s.part + u", not used: collection reached DiskDriveSignature, so the body was emptied"};
  }
  if (const std::optional<ReaderDetail>& d = press.details[source]) {
    if (d->result < 0) {
      return {SourceOutcome::kQueryFailed,
              u"no part: query failed" + (d->error_text.empty() ? Text() : u": " + d->error_text)};
    }
    if (d->result == 0) return {SourceOutcome::kNoInstance, u"no part: no instance of " + Text(info.wmi_class)};
    if (!d->property_found) {
      return {SourceOutcome::kNoProperty,
              u"no part: no such property: " + Text(info.wmi_class) + u" has no " + Text(info.property)};
    }
    if (d->null_word) return {SourceOutcome::kNull, u"no part: the value is null"};
  }
  if (s.raw.empty()) return {SourceOutcome::kEmpty, u"no part: empty"};
  if (!info.null_word_test && IsNullWord(s.raw)) {
    return {SourceOutcome::kNull, u"no part: the value is null (" + s.raw + u", too short)"};
  }
  const Text normalized = CodeAssembly::NormalizeIdentifier(s.raw);
  return {SourceOutcome::kTooShort, u"no part: too short (" + Count(normalized.size()) + u" letters and digits, " +
                                        Count(kPartLength) + u" needed)"};
}

const char* OutcomeName(SourceOutcome outcome) {
  switch (outcome) {
    case SourceOutcome::kUsed: return "used";
    case SourceOutcome::kNotUsed: return "not_used";
    case SourceOutcome::kNotRead: return "not_read";
    case SourceOutcome::kQueryFailed: return "query_failed";
    case SourceOutcome::kNoInstance: return "no_instance";
    case SourceOutcome::kNoProperty: return "no_property";
    case SourceOutcome::kNull: return "null";
    case SourceOutcome::kEmpty: return "empty";
    case SourceOutcome::kTooShort: break;
  }
  return "too_short";
}

Text ShownRaw(const Text& raw, bool from_log) {
  if (!from_log) return raw;
  std::string bytes;
  bytes.reserve(raw.size());
  for (char16_t c : raw) bytes.push_back(static_cast<char>(c));
  const Text decoded = FromUtf8(bytes);
  return ToUtf8(decoded) == bytes ? decoded : raw;
}

Text MaskText(std::uint8_t mask) {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  return Text(u"0x") + kHex[mask >> 4] + kHex[mask & 15];
}

Json PressJson(const PressFacts& press) {
  Json sources = Json::array();
  for (int source = 0; source < kSourceCount; ++source) {
    const SourceInfo& info = kSources[source];
    const SourceTrace& s = press.trace.sources[source];
    const SourceExplanation why = ExplainSource(press, source);
    Json entry = {
        {"name", ToUtf8(info.name)},
        {"label", ToUtf8(info.label)},
        {"class", ToUtf8(info.wmi_class)},
        {"property", ToUtf8(info.property)},
        {"read", s.read},
        {"raw", s.read ? Json(ToUtf8(ShownRaw(s.raw, press.from_log))) : Json(nullptr)},
        {"part", s.part ? Json(ToUtf8(*s.part)) : Json(nullptr)},
        {"used", Used(press, source)},
        {"outcome", OutcomeName(why.outcome)},
        {"why", ToUtf8(why.text)},
    };
    if (const std::optional<ReaderDetail>& d = press.details[source]; d && d->result < 0) {
      entry["query_error"] = ToUtf8(d->error_text);
    }
    sources.push_back(std::move(entry));
  }
  return {{"code", ToUtf8(press.code)},
          {"mask", press.mask},
          {"mask_hex", ToUtf8(MaskText(press.mask))},
          {"sources", std::move(sources)}};
}

namespace {

// DEL and C1 controls as \u escapes; JSON's own escaping leaves them raw.
std::string EscapeControls(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    // U+0080 to U+009F are C2 80 to C2 9F in UTF-8.
    if (c == 0xC2 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) <= 0x9F &&
        static_cast<unsigned char>(text[i + 1]) >= 0x80) {
      const auto code = static_cast<unsigned char>(text[++i]);
      out += "\\u00";
      out.push_back(kHex[code >> 4]);
      out.push_back(kHex[code & 15]);
    } else if (c == 0x7F) {
      out += "\\u007f";
    } else {
      out.push_back(static_cast<char>(c));
    }
  }
  return out;
}

// `text` with every line after the first moved right by `indent`.
std::string Indented(const std::string& text, int indent) {
  const std::string pad(static_cast<std::size_t>(indent), ' ');
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    out.push_back(c);
    if (c == '\n') out += pad;
  }
  return out;
}

Json IncompleteJson(const DecodedLog& log) {
  Json incomplete = Json::array();
  for (const IncompletePress& press : log.incomplete) {
    incomplete.push_back(
        {{"first_line", press.first_line}, {"last_line", press.last_line}, {"reason", ToUtf8(press.reason)}});
  }
  return incomplete;
}

Json ProblemsJson(const DecodedLog& log) {
  Json problems = Json::array();
  for (const LogProblem& problem : log.problems) {
    problems.push_back({{"first_line", problem.first_line},
                        {"last_line", problem.last_line},
                        {"line", problem.line},
                        {"reason", ToUtf8(problem.reason)}});
  }
  return problems;
}

Json RecordedPressJson(const RecordedPress& press) {
  Json entry = PressJson(FactsOfRecordedPress(press));
  entry["first_line"] = press.first_line;
  entry["last_line"] = press.last_line;
  return entry;
}

}  // namespace

std::string JsonText(const Json& json) { return EscapeControls(json.dump(2)); }

Json LogJson(const DecodedLog& log, const std::optional<Text>& file) {
  Json presses = Json::array();
  for (const RecordedPress& press : log.presses) presses.push_back(RecordedPressJson(press));
  return {{"schema", kJsonSchema},
          {"file", file ? Json(ToUtf8(*file)) : Json(nullptr)},
          {"encoding", EncodingKey(log.encoding)},
          {"presses", std::move(presses)},
          {"incomplete", IncompleteJson(log)},
          {"problems", ProblemsJson(log)},
          {"unreported", log.unreported}};
}

DecodedLog WriteLogJson(std::string_view bytes, const std::optional<Text>& file, int indent,
                        const std::function<void(const std::string&)>& out) {
  // The same text as JsonText(LogJson(...)), written key by key.
  const std::string pad(static_cast<std::size_t>(indent), ' ');
  auto field = [&](const char* key, const Json& value, bool last) {
    out(pad + "  \"" + key + "\": " + Indented(EscapeControls(value.dump(2)), indent + 2) + (last ? "\n" : ",\n"));
  };
  out("{\n");
  field("schema", kJsonSchema, false);
  field("file", file ? Json(ToUtf8(*file)) : Json(nullptr), false);
  field("encoding", EncodingKey(DetectLogEncoding(bytes)), false);
  out(pad + "  \"presses\": [");
  bool any = false;
  const PressSink sink = [&](RecordedPress& press) {
    out((any ? ",\n" : "\n") + pad + "    " + Indented(EscapeControls(RecordedPressJson(press).dump(2)), indent + 4));
    any = true;
  };
  DecodedLog log = ReadDiagnosticLog(bytes, sink);
  out(any ? "\n" + pad + "  ],\n" : std::string("],\n"));
  field("incomplete", IncompleteJson(log), false);
  field("problems", ProblemsJson(log), false);
  field("unreported", log.unreported, true);
  out(pad + "}");
  return log;
}

}  // namespace syscode
