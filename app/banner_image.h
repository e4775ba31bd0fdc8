// The banner picture: a baseline JPEG kept in the program's resources,
// decoded with libjpeg (decompression only) into 32-bit pixels that both
// windows can draw.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace app {

struct DecodedImage {
  int width = 0;
  int height = 0;
  // Top-down rows of width pixels, each 0xFFRRGGBB (bytes B, G, R, A in
  // memory on little-endian machines: the layout of a 32-bit DIB and of
  // QImage::Format_ARGB32).
  std::vector<std::uint32_t> pixels;
};

// Decodes a JPEG held in memory. Returns false, with a reason in *error,
// when the data is not a JPEG libjpeg can read.
bool DecodeJpeg(const unsigned char* data, std::size_t size, DecodedImage* image, std::string* error);

}  // namespace app
