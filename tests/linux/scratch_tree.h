// A scratch tree below the test's temporary folder, standing for a machine's
// root folder; removed afterwards.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

namespace linux_layer_test {

class ScratchTree {
 public:
  ScratchTree() : root_(NewRoot()) {
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
  }
  ~ScratchTree() {
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }
  ScratchTree(const ScratchTree&) = delete;
  ScratchTree& operator=(const ScratchTree&) = delete;

  std::string root() const { return root_.string(); }

  void Write(const std::string& path, const std::string& text) {
    std::filesystem::path file = root_ / path;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
  }
  // /sys/block/<name> -> ../devices/<device_path>/<name>, with a device
  // folder; SCSI and virtio disks sit in a "block" folder of their device.
  void AddDisk(const std::string& name, const std::string& device_path, bool block_folder = true) {
    const std::string folder = device_path + (block_folder ? "/block/" : "/") + name;
    Write("sys/devices/" + folder + "/device/uevent", "");
    std::filesystem::create_directories(root_ / "sys/block");
    std::filesystem::create_symlink("../devices/" + folder, root_ / "sys/block" / name);
  }
  void AddDiskAttribute(const std::string& name, const std::string& attribute, const std::string& text) {
    const std::string link = std::filesystem::read_symlink(root_ / "sys/block" / name).string();
    Write("sys/block/" + link + "/" + attribute, text);
  }

 private:
  static std::filesystem::path NewRoot() {
    static int count = 0;
    return std::filesystem::path(::testing::TempDir()) /
           ("linux-layer-" + std::to_string(::getpid()) + "-" + std::to_string(++count));
  }
  std::filesystem::path root_;
};

}  // namespace linux_layer_test
