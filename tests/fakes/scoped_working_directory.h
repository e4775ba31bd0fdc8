// A fresh folder that becomes the working directory for one test and is
// removed afterwards, with the previous working directory restored.
#pragma once

#include <filesystem>
#include <random>
#include <string>

#include "fakes/file_bytes.h"

namespace fakes {

class ScopedWorkingDirectory {
 public:
  ScopedWorkingDirectory() : previous_(std::filesystem::current_path()) {
    std::random_device rd;
    path_ =
        std::filesystem::temp_directory_path() / ("syscode-test-" + std::to_string(rd()) + "-" + std::to_string(rd()));
    std::filesystem::create_directories(path_);
    std::filesystem::current_path(path_);
  }
  ~ScopedWorkingDirectory() {
    std::error_code ec;
    std::filesystem::current_path(previous_, ec);
    std::filesystem::permissions(path_, std::filesystem::perms::all, ec);
    std::filesystem::remove_all(path_, ec);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path previous_;
  std::filesystem::path path_;
};

}  // namespace fakes
