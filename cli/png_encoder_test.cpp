// PngEncoder read back with libpng, and the size its compression choices give.
#include "cli/png_encoder.h"

#include <gtest/gtest.h>

#include <random>

namespace tessary {
namespace {

// The PNG of `rows` (`row_bytes` each) at `scale`, handed over `per_call` rows at a time and
// deflated 100 at a time.
std::string Encoded(const std::string& rows, size_t row_bytes, int scale, size_t per_call) {
  PngEncoder encoder;
  const size_t height = rows.size() / row_bytes;
  EXPECT_TRUE(encoder.Begin(row_bytes, static_cast<uint32_t>(height * scale), scale, 100));
  const auto* data = reinterpret_cast<const uint8_t*>(rows.data());
  for (size_t y = 0; y < height; y += per_call) {
    EXPECT_TRUE(encoder.AddRows(data + y * row_bytes, std::min(per_call, height - y)));
  }
  EXPECT_TRUE(encoder.End());
  std::string png;
  encoder.TakeBytes(&png);
  return png;
}

// A byte per pixel: 0 for a bit 1, 255 for a bit 0.
std::string Pixels(const std::string& rows, size_t row_bytes, size_t scale) {
  std::string pixels;
  for (size_t y = 0; y < rows.size() / row_bytes * scale; ++y) {
    for (size_t x = 0; x < row_bytes * 8 * scale; ++x) {
      const auto byte = static_cast<uint8_t>(rows[y / scale * row_bytes + x / scale / 8]);
      pixels += (byte & 0x80 >> (x / scale % 8)) ? '\0' : '\xFF';
    }
  }
  return pixels;
}

std::string Decoded(const std::string& png) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, png.data(), png.size())) return image.message;
  image.format = PNG_FORMAT_GRAY;
  std::string pixels(PNG_IMAGE_SIZE(image), '\0');
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return image.message;
  return pixels;
}

// Pictures one row short of the rows deflated at once, that many, one row over and one row over
// twice that, handed over whole or a few rows at a time.
TEST(PngEncoderTest, RowsAcrossTheDeflateBuffer) {
  std::mt19937 random(3);
  for (const auto& [row_bytes, scale] : {std::pair<size_t, int>{100, 1}, {3, 16}}) {
    for (const size_t height : {99, 100, 101, 201}) {
      std::string rows(height * row_bytes, '\0');
      for (char& byte : rows) byte = static_cast<char>(random());
      for (const size_t per_call : {height, size_t{7}}) {
        SCOPED_TRACE(std::to_string(row_bytes) + " bytes at scale " + std::to_string(scale) + ", " +
                     std::to_string(height) + " rows, " + std::to_string(per_call) + " a call");
        const std::string png = Encoded(rows, row_bytes, scale, per_call);
        EXPECT_TRUE(Decoded(png) == Pixels(rows, row_bytes, scale));
        EXPECT_EQ(png.substr(png.size() - 8, 4), "IEND");
      }
    }
  }
}

// Regression: rows after the end (two batches handed over as the last) were deflated forever.
TEST(PngEncoderTest, EndsOnce) {
  PngEncoder encoder;
  const uint8_t row[2] = {0x81, 0x7E};
  ASSERT_TRUE(encoder.Begin(2, 1, 1, 2));
  ASSERT_TRUE(encoder.AddRows(row, 1));
  ASSERT_TRUE(encoder.End());
  EXPECT_FALSE(encoder.End());
  EXPECT_FALSE(encoder.AddRows(row, 1));
  EXPECT_EQ(encoder.problem(), "the picture was already ended");
}

// Regression: swapped compression levels went unseen. Small pictures are deflated fully; big
// ones at scale 1 are stored (for speed), big scaled ones compressed with run lengths.
TEST(PngEncoderTest, CompressesAsTheSizeAllows) {
  std::mt19937 random(5);
  std::string noise(4096 * 64, '\0');  // 256 KiB of pixels at scale 1
  for (char& byte : noise) byte = static_cast<char>(random());
  const std::string blank(4096 * 65, '\0');
  const struct {
    std::string rows;
    int scale;
    double most, least;  // of the PNG's size over that of its filtered rows
  } cases[] = {
      {blank.substr(0, 4096 * 64), 1, 0.01, 0},  // 256 KiB of pixels: still small
      {noise, 2, 0.6, 0},                        // 1 MiB of pixels, the repeats all zeros
      {blank, 1, 1.1, 1},                        // just over 256 KiB: stored
  };
  for (const auto& c : cases) {
    const size_t height = c.rows.size() / 4096 * c.scale;
    const double filtered = static_cast<double>(height * (1 + 4096 * c.scale));
    const double ratio = static_cast<double>(Encoded(c.rows, 4096, c.scale, 64).size()) / filtered;
    EXPECT_LE(ratio, c.most) << c.rows.size() << " bytes at scale " << c.scale;
    EXPECT_GE(ratio, c.least) << c.rows.size() << " bytes at scale " << c.scale;
  }
}

}  // namespace
}  // namespace tessary
