// The log decoder over arbitrary bytes, the way syscode-cli meets a
// customer's file: written to a file, read back by the command line's
// reader, decoded, and printed in every output format (the code list with
// lines, --sources, --json, and --check against the presses). Invariants:
// every press replays through the derivation to a 4- or 25-character code;
// every line number lies inside the file; problems come in line order and
// incomplete presses in first-line order; the JSON parses back and holds the
// same codes; no printed text carries a control character other than its
// line breaks; the strict form throws exactly when there is a problem; a
// press's own code always checks as a match.
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "app/cli/console.h"
#include "app/cli/report.h"
#include "syscode/code_check.h"
#include "syscode/log_decoder.h"
#include "syscode/press_report.h"

namespace {

const std::string& TempFile() {
  static const std::string path = [] {
    char name[] = "/tmp/syscode-log-fuzz-XXXXXX";
    const int fd = ::mkstemp(name);
    if (fd < 0) std::abort();
    ::close(fd);
    return std::string(name);
  }();
  return path;
}

void NoControls(const syscode::Text& text) {
  for (char16_t c : text) {
    if (c == u'\n') continue;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F)) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  {
    std::FILE* file = std::fopen(TempFile().c_str(), "wb");
    if (file == nullptr) std::abort();
    if (size > 0 && std::fwrite(data, 1, size, file) != size) std::abort();
    std::fclose(file);
  }
  std::string bytes;
  syscode::Text reason;
  if (!app::cli::ReadLogFile(syscode::FromUtf8(TempFile()), &bytes, &reason)) std::abort();
  if (bytes != input) std::abort();

  const syscode::DecodedLog log = syscode::ReadDiagnosticLog(bytes);
  // A line count the file can hold: UTF-16 halves the bytes, never more lines.
  const long long max_line = static_cast<long long>(size) + 1;
  auto inside = [max_line](int first, int last) { return first >= 1 && first <= last && last <= max_line; };
  for (const auto& press : log.presses) {
    if (!inside(press.first_line, press.last_line)) std::abort();
    const syscode::ReplayResult replay = syscode::ReplayPress(press.values);
    if (replay.status != syscode::ReplayResult::Status::kOk) std::abort();
    if (replay.code.size() != 4 && replay.code.size() != 25) std::abort();
  }
  for (std::size_t i = 0; i < log.problems.size(); ++i) {
    const auto& p = log.problems[i];
    if (!inside(p.first_line, p.last_line) || p.line < p.first_line || p.line > p.last_line) std::abort();
    if (i > 0 && p.line < log.problems[i - 1].line) std::abort();
  }
  for (std::size_t i = 0; i < log.incomplete.size(); ++i) {
    if (!inside(log.incomplete[i].first_line, log.incomplete[i].last_line)) std::abort();
    if (i > 0 && log.incomplete[i].first_line < log.incomplete[i - 1].first_line) std::abort();
  }

  // The strict form agrees.
  bool threw = false;
  try {
    syscode::DecodeDiagnosticLog(bytes);
  } catch (const syscode::LogFormatError& e) {
    threw = true;
    if (e.Line() < 1 || e.Line() > max_line) std::abort();
  }
  if (threw != !log.problems.empty()) std::abort();

  // Every output format.
  const std::string json_text = syscode::JsonText(syscode::LogJson(log, syscode::Text(u"LogD.txt")));
  for (char c : json_text) {
    if (c == 0x7F || (static_cast<unsigned char>(c) < 0x20 && c != '\n')) std::abort();
  }
  if (json_text.find("\xC2\x80") != std::string::npos) std::abort();
  const syscode::Json back = syscode::Json::parse(json_text);  // throws (and so fails) when malformed
  if (back.at("presses").size() != log.presses.size()) std::abort();
  // The streamed form (the program's and the library's) is the same text.
  std::string streamed;
  syscode::WriteLogJson(bytes, syscode::Text(u"LogD.txt"), 0, [&](const std::string& piece) { streamed += piece; });
  if (streamed != json_text) std::abort();
  if (syscode::DecodeLogJson(bytes).empty()) std::abort();
  for (std::size_t i = 0; i < log.presses.size(); ++i) {
    const syscode::PressFacts facts = syscode::FactsOfRecordedPress(log.presses[i]);
    if (back["presses"][i]["code"] != syscode::ToUtf8(facts.code)) std::abort();
    const syscode::Text text = app::cli::SourcesText(facts);
    NoControls(text);
    if (text.find(facts.code) == syscode::Text::npos) std::abort();
  }
  for (const auto& p : log.problems) NoControls(app::cli::Printable(p.reason));

  const std::vector<syscode::CheckCandidate> candidates = syscode::CandidatesOfLog(log, std::nullopt);
  for (const auto& candidate : candidates) {
    if (!syscode::CheckCode(candidate.code, candidates).match) std::abort();
  }
  // The input's first bytes as a typed code: never a crash, JSON always valid.
  const syscode::CheckResult typed =
      syscode::CheckCode(syscode::FromLatin1(input.substr(0, std::min<std::size_t>(size, 30))), candidates);
  const syscode::Json reparsed = syscode::Json::parse(syscode::JsonText(syscode::CheckJson(typed, candidates, true)));
  if (!reparsed.is_object()) std::abort();
  return 0;
}
