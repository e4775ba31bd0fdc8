// The system code: seven sources, a 7-character part from each of the first
// three usable ones, the 21 characters scrambled in blocks of five and
// wrapped in the two hexadecimal digits of the source mask.
//
// The window owns one CodeAssembly for its whole life: the source mask
// (ExistItem) is only ever OR-ed, so the mask digits of a press carry every
// source that gave a part on any earlier press in the same window.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "syscode/diagnostic_log.h"
#include "syscode/hardware_sources.h"
#include "base/text.h"

namespace syscode {

// What one press did with each source (for explaining a code).
struct SourceTrace {
  bool read = false;         // the reader ran (and its line was logged)
  Text raw;                  // the raw value it returned
  std::optional<Text> part;  // the 7 characters it gave, if any
};

struct PressTrace {
  std::array<SourceTrace, kSourceCount> sources;
  bool body_emptied = false;  // collection reached source 7 and dropped the body
};

class CodeAssembly {
 public:
  CodeAssembly(HardwareSources& sources, LogSink& log);

  // One press: collect, scramble, wrap, log the separator. Throws FileError
  // when a log line cannot be written; bits set before that stay set.
  Text GetSystemCode();

  // The source mask: 0 at creation, afterwards only OR-ed.
  std::uint8_t ExistItem() const { return exist_item_; }

  // When set, the next presses record what they did with each source.
  void SetTrace(PressTrace* trace) { trace_ = trace; }

  // The steps, public so tests and tools can run them one by one.
  Text CollectHardwareParts();
  Text WrapWithSourceMask(Text scrambled_body) const;
  static Text NormalizeIdentifier(Text value);
  static Text RightChars(Text text, std::size_t count);
  static Text ScrambleBody(Text body);
  static Text ReverseBlocks(Text text, std::size_t block_length);
  static Text ReverseText(Text text);

 private:
  HardwareSources& sources_;
  LogSink& log_;
  std::uint8_t exist_item_ = 0;
  PressTrace* trace_ = nullptr;
};

}  // namespace syscode
