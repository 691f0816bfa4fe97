// tessary-cli --png, read back with libpng and compared pixel for pixel with the tiles that the
// listing beside it spells.
#include <gtest/gtest.h>
#include <png.h>

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

#include "cli/cli.h"
#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

// The tiles of a classic listing, each its row lines' digits.
std::vector<std::vector<std::string>> ListedTiles(const std::string& listing) {
  std::vector<std::vector<std::string>> tiles;
  std::istringstream lines(listing);
  for (std::string line; std::getline(lines, line);) {
    if (line.rfind(" .db ", 0) != 0) {  // a label line
      tiles.emplace_back();
      continue;
    }
    std::string digits;
    for (const char c : line) {
      if (c == '0' || c == '1') digits += c;
    }
    tiles.back().push_back(digits);
  }
  return tiles;
}

// The picture those tiles make, one byte per pixel: 0 for a digit 1, 255 for a 0 or no tile.
std::string Drawn(const std::vector<std::vector<std::string>>& tiles, size_t columns, size_t scale,
                  size_t* width) {
  const size_t w = tiles[0][0].size(), h = tiles[0].size();
  *width = columns * w * scale;
  const size_t bands = (tiles.size() + columns - 1) / columns;
  std::string pixels(*width * bands * h * scale, '\xFF');
  for (size_t t = 0; t < tiles.size(); ++t) {
    for (size_t y = 0; y < h * scale; ++y) {
      for (size_t x = 0; x < w * scale; ++x) {
        const size_t at = (t / columns * h * scale + y) * *width + t % columns * w * scale + x;
        if (tiles[t][y / scale][x / scale] == '1') pixels[at] = 0;
      }
    }
  }
  return pixels;
}

std::string ReadPng(const std::string& path, size_t* width) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return image.message;
  image.format = PNG_FORMAT_GRAY;
  std::string pixels(PNG_IMAGE_SIZE(image), '\0');
  if (!png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr)) return image.message;
  *width = image.width;
  // A reader stops after the pixels; the file must still end as a PNG does.
  std::ifstream file(path, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(file), {}};
  const std::string iend("\0\0\0\0IEND\xAE\x42\x60\x82", 12);
  if (bytes.size() < 12 || bytes.compare(bytes.size() - 12, 12, iend) != 0) return "no IEND";
  return pixels;
}

TEST(TilePictureTest, UsageErrors) {
  const struct {
    std::vector<std::string> args;
    std::string error;
  } cases[] = {
      {{"--png-columns", "0", "--png", "p", "a", "b"},
       "--png-columns takes a whole number from 1 to 1024, not \"0\""},
      {{"--png-scale=17", "--png", "p", "a", "b"},
       "--png-scale takes a whole number from 1 to 16, not \"17\""},
      {{"--png-scale", "2x", "a", "b"},
       "--png-scale takes a whole number from 1 to 16, not \"2x\""},
      {{"--png-columns", "5", "a", "b"}, "--png-columns goes with --png"},
      {{"--png=", "a", "b"}, "--png needs a file name"},
  };
  for (const auto& c : cases) {
    CliRequest r;
    EXPECT_EQ(ParseCliArgs(c.args, &r).value_or("(accepted)"), c.error);
  }
}

TEST(TilePictureTest, ShowsTheListedTiles) {
  const struct {
    const char* args;
    size_t columns, scale;
  } cases[] = {
      {"in.bin out.asm", 16, 1},
      {"--vertical --skip odd --png-columns 5 --end 1000 in.bin out.asm", 5, 1},
      {"--shape 8x12 --png-scale 3 in.bin out.asm", 16, 3},  // several batches
      {"--shape 16x16 --invert --png-columns 5 --end 2000 in.bin out.asm", 5, 1},
      {"--png-columns 3 --png-scale 2 - out.asm <in.bin", 3, 2},  // count known at the end
  };
  ScratchDir scratch;
  std::mt19937 random(7);
  std::string input(80 << 10, '\0');
  for (char& byte : input) byte = static_cast<char>(random());
  scratch.Put("in.bin", input);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    const std::string command = "cd '" + scratch.dir().string() +
                                "' && '" TESSARY_CLI_PATH "' --png p.png " + c.args + " 2>err.txt";
    ASSERT_EQ(std::system(command.c_str()), 0) << scratch.Get("err.txt");
    size_t want_width = 0, width = 0;
    const std::string want =
        Drawn(ListedTiles(scratch.Get("out.asm")), c.columns, c.scale, &want_width);
    const std::string got = ReadPng(scratch.Path("p.png"), &width);
    ASSERT_EQ(width, want_width);
    ASSERT_EQ(got.size(), want.size());
    const size_t wrong = static_cast<size_t>(
        std::mismatch(got.begin(), got.end(), want.begin()).first - got.begin());
    EXPECT_EQ(wrong, got.size()) << "first wrong pixel at x " << wrong % width << ", y "
                                 << wrong / width;
  }
}

}  // namespace
}  // namespace tessary
