#include "app/banner_image.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(BannerImageTest, ShippedBannerDecodesTo600By90) {
  const std::string jpeg = ReadBytes(SYSCODE_RESOURCES_DIR "/banner.jpg");
  ASSERT_FALSE(jpeg.empty());
  app::DecodedImage image;
  std::string error;
  ASSERT_TRUE(app::DecodeJpeg(reinterpret_cast<const unsigned char*>(jpeg.data()), jpeg.size(), &image, &error))
      << error;
  EXPECT_EQ(image.width, 600);
  EXPECT_EQ(image.height, 90);
  ASSERT_EQ(image.pixels.size(), 600u * 90u);
  for (std::uint32_t pixel : image.pixels) ASSERT_EQ(pixel >> 24, 0xFFu);
}

TEST(BannerImageTest, DataThatIsNotJpegIsRefusedWithReason) {
  const std::string cases[] = {"", "not a picture", std::string("\xFF\xD8\xFF\xE0", 4)};
  for (const std::string& data : cases) {
    app::DecodedImage image;
    std::string error;
    EXPECT_FALSE(app::DecodeJpeg(reinterpret_cast<const unsigned char*>(data.data()), data.size(), &image, &error))
        << data.size();
    EXPECT_FALSE(error.empty());
    EXPECT_TRUE(image.pixels.empty());
  }
}

}  // namespace
