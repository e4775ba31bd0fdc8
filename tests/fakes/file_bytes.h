// A file's bytes, read or written whole, for tests that check what a
// program wrote or hand it a prepared file.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace fakes {

// The file's bytes; empty when it cannot be read.
inline std::string ReadBytes(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Creates or replaces the file with exactly `bytes`.
inline void WriteBytes(const std::filesystem::path& file, const std::string& bytes) {
  std::ofstream out(file, std::ios::binary);
  out << bytes;
}

}  // namespace fakes
