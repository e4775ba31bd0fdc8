// Hardware sources with fixed values, and a log kept in memory.
#pragma once

#include <array>
#include <functional>
#include <vector>

#include "syscode/diagnostic_log.h"
#include "syscode/hardware_sources.h"

namespace fakes {

using syscode::Text;

class FixedSources : public syscode::IndexedHardwareSources {
 public:
  FixedSources() = default;
  explicit FixedSources(std::array<Text, syscode::kSourceCount> values) : values(std::move(values)) {}

  std::array<Text, syscode::kSourceCount> values;
  std::vector<int> calls;  // the source indexes read, in order

 protected:
  Text ReadSource(int index) override {
    calls.push_back(index);
    return values[index];
  }
};

// Keeps the lines; fails (throws what `fail` returns) at line number
// `fail_at` (1-based, counted over the sink's life) when set.
class MemoryLog : public syscode::LogSink {
 public:
  std::vector<Text> lines;
  int fail_at = 0;
  int count = 0;
  std::function<void()> fail;

  void AppendLogLine(const Text& line) override {
    ++count;
    if (fail_at != 0 && count == fail_at && fail) fail();
    lines.push_back(line);
  }
};

}  // namespace fakes
