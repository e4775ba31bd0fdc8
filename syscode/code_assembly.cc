#include "syscode/code_assembly.h"

#include <algorithm>
#include <utility>

namespace syscode {

namespace {
constexpr std::size_t kPartLength = 7;
constexpr int kPartsNeeded = 3;
// After source 7 a body shorter than this is dropped. Three parts make only
// 21 characters, so a collection that reaches source 7 never keeps a body;
// the stored codes of such machines depend on it.
constexpr std::size_t kMinimumBodyAfterLastSource = 23;
constexpr std::size_t kScrambleBlock = 5;
}  // namespace

CodeAssembly::CodeAssembly(HardwareSources& sources, LogSink& log) : sources_(sources), log_(log) {}

Text CodeAssembly::GetSystemCode() {
  Text body = CollectHardwareParts();
  Text scrambled = ScrambleBody(std::move(body));
  Text code = WrapWithSourceMask(std::move(scrambled));
  log_.AppendLogLine(kLogSeparator);
  return code;
}

Text CodeAssembly::CollectHardwareParts() {
  if (trace_ != nullptr) *trace_ = PressTrace{};
  Text body;
  int part_count = 0;
  for (int index = 0; index < kSourceCount; ++index) {
    const SourceInfo& source = kSources[index];
    Text raw = (sources_.*source.read)();
    log_.AppendLogLine(source.label + raw);
    if (trace_ != nullptr) {
      trace_->sources[index].read = true;
      trace_->sources[index].raw = raw;
    }
    if (!raw.empty()) {
      Text normalized = NormalizeIdentifier(raw);
      if (normalized.size() >= kPartLength) {
        Text part = RightChars(std::move(normalized), kPartLength);
        if (trace_ != nullptr) trace_->sources[index].part = part;
        body += part;
        ++part_count;
        exist_item_ |= source.bit;
      }
    }
    // The stop test runs after the sources 2 to 6 only.
    if (index >= 1 && index <= 5 && part_count >= kPartsNeeded) return body;
  }
  if (part_count < kPartsNeeded || body.size() < kMinimumBodyAfterLastSource) {
    body.clear();
    if (trace_ != nullptr) trace_->body_emptied = true;
  }
  return body;
}

Text CodeAssembly::NormalizeIdentifier(Text value) {
  Text out;
  out.reserve(value.size());
  for (char16_t c : value) {
    if ((c >= u'0' && c <= u'9') || (c >= u'A' && c <= u'Z')) {
      out.push_back(c);
    } else if (c >= u'a' && c <= u'z') {
      out.push_back(static_cast<char16_t>(c - 32));
    }
  }
  return out;
}

Text CodeAssembly::RightChars(Text text, std::size_t count) {
  if (count >= text.size()) return text;
  return text.substr(text.size() - count);
}

Text CodeAssembly::ScrambleBody(Text body) {
  if (body.empty()) return Text();
  return ReverseBlocks(std::move(body), kScrambleBlock);
}

Text CodeAssembly::ReverseBlocks(Text text, std::size_t block_length) {
  if (text.empty() || block_length == 0) return text;
  Text out;
  out.reserve(text.size());
  for (std::size_t start = 0; start < text.size(); start += block_length) {
    const std::size_t length = std::min(block_length, text.size() - start);
    out += ReverseText(text.substr(start, length));
  }
  return out;
}

Text CodeAssembly::ReverseText(Text text) {
  std::reverse(text.begin(), text.end());
  return text;
}

Text CodeAssembly::WrapWithSourceMask(Text scrambled_body) const {
  static constexpr char16_t kHex[] = u"0123456789ABCDEF";
  const char16_t high = kHex[exist_item_ >> 4];
  const char16_t low = kHex[exist_item_ & 0x0F];
  Text code;
  code.reserve(scrambled_body.size() + 4);
  code.push_back(low);
  code += u"00";
  code += scrambled_body;
  code.push_back(high);
  return code;
}

}  // namespace syscode
