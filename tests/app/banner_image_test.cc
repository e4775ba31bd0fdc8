#include "app/banner_image.h"
#include "fakes/file_bytes.h"

#include <gtest/gtest.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <fstream>
#include <iterator>
#include <string>

namespace {

using fakes::ReadBytes;

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

// Pictures whose error comes after decoding began: libjpeg then longjmps
// out of the decoder, past whatever the decoding frame holds. Each must be
// refused with the reason, without pixels, and without leaking (LeakSanitizer
// in the asan build; the heap in use, where glibc reports it).
TEST(BannerImageTest, PictureFailingAfterDecodingBeganIsRefusedWithoutLeak) {
  const std::string banner = ReadBytes(SYSCODE_RESOURCES_DIR "/banner.jpg");
  ASSERT_GT(banner.size(), 1000u);
  ASSERT_EQ(banner.substr(banner.size() - 2), "\xFF\xD9");
  const size_t scan = banner.find("\xFF\xDA");
  ASSERT_NE(scan, std::string::npos);
  std::string middle = banner;  // a start marker in the middle of the rows
  middle.insert((scan + banner.size()) / 2, "\xFF\xD8");
  std::string end = banner;  // the end marker replaced by a second start marker
  end[end.size() - 1] = '\xD8';
  for (const std::string* data : {&middle, &end}) {
    SCOPED_TRACE(data == &middle ? "fails in the middle" : "fails at the end");
    const auto decode = [&](app::DecodedImage* image, std::string* error) {
      return app::DecodeJpeg(reinterpret_cast<const unsigned char*>(data->data()), data->size(), image, error);
    };
    app::DecodedImage image;
    std::string error;
    EXPECT_FALSE(decode(&image, &error));
    EXPECT_NE(error.find("SOI"), std::string::npos) << error;
    EXPECT_TRUE(image.pixels.empty());
#if defined(__GLIBC__) && !defined(__SANITIZE_ADDRESS__)
    // 50 more failures may not keep a row (1,800 bytes) each.
    const size_t before = mallinfo2().uordblks;
    for (int i = 0; i < 50; ++i) decode(&image, &error);
    EXPECT_LT(mallinfo2().uordblks, before + 1800) << "heap grew by " << mallinfo2().uordblks - before;
#endif
  }
}

}  // namespace
