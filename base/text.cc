#include "base/text.h"

#include <cstdint>

namespace syscode {

Text Trim(TextView text) {
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && text[begin] <= 32) ++begin;
  while (end > begin && text[end - 1] <= 32) --end;
  return Text(text.substr(begin, end - begin));
}

Text TrimTrailingBlanksAndPeriods(TextView text) {
  size_t end = text.size();
  while (end > 0 && (text[end - 1] <= 32 || text[end - 1] == u'.')) --end;
  return Text(text.substr(0, end));
}

std::string ToUtf8(TextView text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    uint32_t c = text[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (c >> 6)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (c >> 12)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (c >> 18)));
      out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return out;
}

Text FromUtf8(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  size_t i = 0;
  while (i < bytes.size()) {
    const auto b0 = static_cast<unsigned char>(bytes[i]);
    uint32_t c = 0xFFFD;
    size_t len = 1;
    auto cont = [&](size_t k) {
      return i + k < bytes.size() && (static_cast<unsigned char>(bytes[i + k]) & 0xC0) == 0x80;
    };
    auto at = [&](size_t k) { return static_cast<uint32_t>(static_cast<unsigned char>(bytes[i + k]) & 0x3F); };
    if (b0 < 0x80) {
      c = b0;
    } else if (b0 >= 0xC2 && b0 <= 0xDF && cont(1)) {
      c = ((b0 & 0x1F) << 6) | at(1);
      len = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF && cont(1) && cont(2)) {
      c = ((b0 & 0x0F) << 12) | (at(1) << 6) | at(2);
      len = 3;
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    } else if (b0 >= 0xF0 && b0 <= 0xF4 && cont(1) && cont(2) && cont(3)) {
      c = ((b0 & 0x07) << 18) | (at(1) << 12) | (at(2) << 6) | at(3);
      len = 4;
      if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
    }
    if (c >= 0x10000) {
      c -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      out.push_back(static_cast<char16_t>(c));
    }
    i += len;
  }
  return out;
}

Text FromLatin1(std::string_view bytes) {
  Text out;
  out.reserve(bytes.size());
  for (char ch : bytes) out.push_back(static_cast<char16_t>(static_cast<unsigned char>(ch)));
  return out;
}

Text DecimalText(long long value) {
  if (value >= 0) return DecimalText(static_cast<unsigned long long>(value));
  // Negate in unsigned arithmetic so the lowest value does not overflow.
  return u"-" + DecimalText(0ULL - static_cast<unsigned long long>(value));
}

Text DecimalText(unsigned long long value) {
  char16_t digits[24];
  size_t n = 0;
  do {
    digits[n++] = static_cast<char16_t>(u'0' + value % 10);
    value /= 10;
  } while (value != 0);
  Text out;
  while (n > 0) out.push_back(digits[--n]);
  return out;
}

}  // namespace syscode
