// Writes the seed corpus of the Linux layer fuzzer: one input per captured
// machine folder.
//   linux_layer_seeds OUT_DIR CAPTURE_DIR...
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "file_tree_input.h"

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: %s OUT_DIR CAPTURE_DIR...\n", argv[0]);
    return 2;
  }
  const std::filesystem::path out_dir = argv[1];
  std::filesystem::create_directories(out_dir);
  for (int i = 2; i < argc; ++i) {
    const std::filesystem::path capture = std::filesystem::path(argv[i]).lexically_normal();
    const std::string name =
        capture.has_filename() ? capture.filename().string() : capture.parent_path().filename().string();
    std::ofstream(out_dir / ("capture-" + name), std::ios::binary) << fuzzing::EncodeTree(capture);
  }
  return 0;
}
