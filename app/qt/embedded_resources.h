// Pictures built into the program (generated from resources/ by
// embed_file.cmake): the banner JPEG and the icon PNG.
#pragma once

#include <cstddef>

namespace app::qt::embedded {

extern const unsigned char kBannerJpeg[];
extern const std::size_t kBannerJpegSize;

extern const unsigned char kIconPng[];
extern const std::size_t kIconPngSize;

}  // namespace app::qt::embedded
