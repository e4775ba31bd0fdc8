// A machine as fuzzer input: a list of records, each a kind byte and two
// fields (a path and its content). A field ends at a 0x00 byte; 0x01
// escapes the byte after it, so any content (a binary first sector) fits
// and a mutation that drops a terminator only merges two records.
//
//   'f' path content   a file below the root with that content
//   'l' path target    a symbolic link below the root
//   'd' path -         an empty folder
//   's' name sector    the first sector the probe reads for /dev/<name>
//   'c' - text         CPUID leaf 1 as "eax=XXXXXXXX edx=XXXXXXXX"
//
// EncodeTree turns a captured machine (tests/data/<name>) into this form;
// the fuzzer decodes it with DecodeRecords.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace fuzzing {

struct Record {
  char kind = 0;
  std::string path;
  std::string content;
};

inline void AppendField(std::string& out, std::string_view field) {
  for (char c : field) {
    if (c == '\0' || c == '\1') out.push_back('\1');
    out.push_back(c);
  }
  out.push_back('\0');
}

inline std::string EncodeRecord(const Record& r) {
  std::string out(1, r.kind);
  AppendField(out, r.path);
  AppendField(out, r.content);
  return out;
}

// At most `max_records` records; a field cut off by the end of the input
// ends there.
inline std::vector<Record> DecodeRecords(const std::uint8_t* data, std::size_t size, std::size_t max_records) {
  std::vector<Record> records;
  std::size_t i = 0;
  const auto field = [&](std::string& out) {
    while (i < size && data[i] != 0) {
      if (data[i] == 1 && i + 1 < size) ++i;
      out.push_back(static_cast<char>(data[i++]));
    }
    if (i < size) ++i;  // the terminator
  };
  while (i < size && records.size() < max_records) {
    Record r;
    r.kind = static_cast<char>(data[i++]);
    field(r.path);
    field(r.content);
    records.push_back(std::move(r));
  }
  return records;
}

// A relative path that stays below the root: no absolute path, no "..",
// no empty name. Empty when the record's path is none of these.
inline std::filesystem::path BelowRoot(const std::string& path) {
  std::filesystem::path out;
  for (const std::filesystem::path& part : std::filesystem::path(path).relative_path()) {
    const std::string name = part.string();
    if (name.empty() || name == ".") continue;
    if (name == "..") return {};
    out /= part;
  }
  return out;
}

// A link target that, resolved from the link's folder, stays below the
// root (the layer follows links, and the fuzzer must not read the host's
// own /sys).
inline bool TargetStaysBelowRoot(const std::filesystem::path& link, const std::string& target) {
  if (target.empty() || target[0] == '/') return false;
  auto depth = std::distance(link.begin(), link.end()) - 1;
  for (const std::filesystem::path& part : std::filesystem::path(target)) {
    if (part == "..") {
      if (--depth < 0) return false;
    } else if (part != "." && !part.empty()) {
      ++depth;
    }
  }
  return true;
}

// Writes a file, link or folder record below `root`; other kinds and
// paths or targets leaving the root are skipped.
inline void WriteRecord(const std::filesystem::path& root, const Record& r) {
  namespace fs = std::filesystem;
  if (r.kind != 'f' && r.kind != 'l' && r.kind != 'd') return;
  const fs::path relative = BelowRoot(r.path);
  if (relative.empty()) return;
  const fs::path file = root / relative;
  std::error_code ec;
  fs::create_directories(file.parent_path(), ec);
  if (r.kind == 'f') {
    std::ofstream(file, std::ios::binary | std::ios::trunc) << r.content;
  } else if (r.kind == 'd') {
    fs::create_directories(file, ec);
  } else if (TargetStaysBelowRoot(relative, r.content)) {
    fs::create_symlink(r.content, file, ec);
  }
}

inline std::string ReadWholeFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A captured machine folder as records: its files and links, its empty
// folders, cpuid.txt as 'c' and sectors/<name>.hex as 's' with the bytes.
inline std::string EncodeTree(const std::filesystem::path& capture) {
  namespace fs = std::filesystem;
  std::string out;
  std::vector<fs::path> entries;
  for (auto it = fs::recursive_directory_iterator(capture); it != fs::recursive_directory_iterator(); ++it) {
    entries.push_back(it->path());
  }
  std::sort(entries.begin(), entries.end());
  for (const fs::path& entry : entries) {
    // Lexically: fs::relative would resolve the links themselves.
    const std::string relative = entry.lexically_relative(capture).generic_string();
    const fs::file_status status = fs::symlink_status(entry);
    if (fs::is_symlink(status)) {
      out += EncodeRecord({'l', relative, fs::read_symlink(entry).string()});
    } else if (fs::is_directory(status)) {
      if (fs::is_empty(entry)) out += EncodeRecord({'d', relative, ""});
    } else if (relative == "cpuid.txt") {
      out += EncodeRecord({'c', "", ReadWholeFile(entry)});
    } else if (relative.rfind("sectors/", 0) == 0 && entry.extension() == ".hex") {
      std::string hex = ReadWholeFile(entry), bytes;
      for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
      }
      out += EncodeRecord({'s', entry.stem().string(), bytes});
    } else if (relative != "README.md" && relative != "capture.sh" && relative != "unreadable.txt") {
      out += EncodeRecord({'f', relative, ReadWholeFile(entry)});
    }
  }
  return out;
}

}  // namespace fuzzing
