// tessary-cli --png, read back with libpng and compared pixel for pixel with the tiles that the
// listing beside it spells.
#include <gtest/gtest.h>
#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <random>
#include <string_view>

#include "cli/cli.h"
#include "testdata/scratch_dir.h"

namespace tessary {
namespace {

// The tiles of a classic listing: the digits of all their row lines, one after another.
struct Listed {
  std::string digits;
  size_t width = 0;   // digits of a row line
  size_t height = 0;  // row lines of a tile
};

// Read through raw pointers: the listings of a few hundred KiB are long for a debug build.
Listed ListedTiles(const std::string& listing) {
  Listed tiles;
  tiles.digits.resize(listing.size());
  char* out = tiles.digits.data();
  size_t labels = 0, row_lines = 0;
  const char* const stop = listing.data() + listing.size();
  for (const char *line = listing.data(), *end = line; line < stop; line = end + 1) {
    end = std::find(line, stop, '\n');
    if (std::string_view(line, static_cast<size_t>(end - line)).rfind(" .db ", 0) != 0) {
      ++labels;
      continue;
    }
    const char* const row = out;
    for (const char* c = line; c < end; ++c) {
      if (*c == '0' || *c == '1') *out++ = *c;
    }
    tiles.width = static_cast<size_t>(out - row);
    ++row_lines;
  }
  tiles.digits.resize(static_cast<size_t>(out - tiles.digits.data()));
  tiles.height = row_lines / std::max<size_t>(labels, 1);
  return tiles;
}

// The picture those tiles make at scale 1, a string of '1' (black) and '0' (white) per pixel
// row; the unused cells of the last row are white.
std::vector<std::string> Drawn(const Listed& tiles, size_t columns) {
  const size_t w = tiles.width, h = tiles.height, count = tiles.digits.size() / (w * h);
  std::vector<std::string> rows((count + columns - 1) / columns * h, std::string(columns * w, '0'));
  for (size_t t = 0; t < count; ++t) {
    for (size_t y = 0; y < h; ++y) {
      rows[t / columns * h + y].replace(t % columns * w, w, tiles.digits, (t * h + y) * w, w);
    }
  }
  return rows;
}

// `digits` with every pixel `scale` times, packed as a PNG row of one bit per pixel. `wide` holds
// each byte value's bits `scale` times over (WideBytes).
std::string Packed(const std::string& digits, const std::vector<std::string>& wide) {
  std::string packed;
  for (size_t x = 0; x < digits.size(); x += 8) {
    size_t byte = 0;
    for (size_t k = 0; k < 8; ++k) byte = byte << 1 | (digits[x + k] == '1');
    packed += wide[byte];
  }
  return packed;
}

std::vector<std::string> WideBytes(size_t scale) {
  std::vector<std::string> wide(256, std::string(scale, '\0'));
  for (size_t value = 0; value < 256; ++value) {
    for (size_t x = 0; x < 8 * scale; ++x) {
      if (value >> (7 - x / scale) & 1) wide[value][x / 8] |= static_cast<char>(0x80 >> x % 8);
    }
  }
  return wide;
}

// "" when `path` is a PNG of two colours, 0 white and 1 black, that ends with IEND and whose
// rows are `want` at `scale`; else what differs. Read a row at a time: a scaled picture of a
// few hundred KiB of tiles has hundreds of millions of pixels.
std::string Compare(const std::string& path, const std::vector<std::string>& want, size_t scale) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "cannot open " + path;
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::string problem, row, want_row;
  std::vector<std::string> wide;  // (here: libpng's errors jump past the branches below)
  if (setjmp(png_jmpbuf(png))) {
    problem = "libpng refused it";
  } else {
    png_init_io(png, file);
    png_set_user_limits(png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_read_info(png, info);
    png_colorp colours = nullptr;
    int count = 0;
    png_get_PLTE(png, info, &colours, &count);
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_bit_depth(png, info) != 1 || count != 2 || colours[0].red != 255 ||
        colours[0].green != 255 || colours[0].blue != 255 || colours[1].red != 0 ||
        colours[1].green != 0 || colours[1].blue != 0) {
      problem = "not white 0 and black 1";
    } else if (width != want[0].size() * scale || height != want.size() * scale) {
      problem = "size " + std::to_string(width) + "x" + std::to_string(height);
    } else {
      row.resize(png_get_rowbytes(png, info));
      wide = WideBytes(scale);
      for (png_uint_32 y = 0; y < height; ++y) {
        png_read_row(png, reinterpret_cast<png_bytep>(row.data()), nullptr);
        if (y % scale == 0) want_row = Packed(want[y / scale], wide);
        if (problem.empty() && row != want_row) problem = "row " + std::to_string(y) + " differs";
      }
      png_read_end(png, nullptr);
    }
  }
  png_destroy_read_struct(&png, &info, nullptr);
  std::fseek(file, -12, SEEK_END);
  char tail[12] = {};
  const size_t got = std::fread(tail, 1, sizeof(tail), file);
  std::fclose(file);
  // A reader stops after the pixels; the file must still end as a PNG does.
  if (problem.empty() &&
      std::string(tail, got) != std::string("\0\0\0\0IEND\xAE\x42\x60\x82", 12)) {
    problem = "no IEND at the end";
  }
  return problem;
}

// Every case runs in a folder holding in.bin, 600 KiB of random bytes; "$T" is tessary-cli.
TEST(TilePictureTest, ShowsTheListedTiles) {
  const struct {
    const char* script;
    size_t columns, scale;
  } cases[] = {
      {"$T --png p.png in.bin out.asm", 16, 1},  // several batches
      {"$T --png p.png --vertical --skip odd --png-columns 5 --end 1000 in.bin out.asm", 5, 1},
      {"$T --png p.png --shape 8x12 --png-scale 3 --end 81920 in.bin out.asm", 16, 3},
      {"$T --png p.png --shape 16x16 --invert --png-columns 5 --end 2000 in.bin out.asm", 5, 1},
      {"$T --png p.png --png-columns 3 --png-scale 2 - out.asm <in.bin", 3, 2},
      // Glyph cells of sizes no block shape has, from a file and a pipe of unknown length.
      {"$T --png p.png --glyph 24x21 --glyph-gap 1 --png-columns 3 --end 5000 in.bin out.asm", 3,
       1},
      {"head -c 300000 in.bin | $T --png p.png --glyph 8x16 --png-scale 2 - out.asm", 16, 2},
      // Regression: a pipe read without --end (its tile count known only at its end) that
      // held more than one batch of tiles was encoded at once into a batch's buffer. At
      // scale 1 with 16 columns a batch is 262144 bytes of tiles; the input is read 256 KiB at
      // a time.
      {"head -c 262144 in.bin | $T --png p.png - out.asm", 16, 1},
      {"head -c 262145 in.bin | $T --png p.png - out.asm", 16, 1},
      {"head -c 262272 in.bin | $T --png p.png - out.asm", 16, 1},
      {"head -c 262272 in.bin | $T --end 262272 --png p.png - out.asm", 16, 1},
      {"head -c 524416 in.bin | $T --png-scale 2 --png p.png - out.asm", 16, 2},
      {"head -c 262272 in.bin | $T --png-scale 16 --png p.png - out.asm", 16, 16},
      // 8x12: 192 bytes of tiles per 256 of input; one band past the batch of 262080.
      {"head -c 349696 in.bin | $T --shape 8x12 --png p.png - out.asm", 16, 1},
      {"head -c 300000 in.bin | $T --shape 16x16 --png-scale 3 --png-columns 7 --png p.png - "
       "out.asm",
       7, 3},
  };
  ScratchDir scratch;
  std::mt19937 random(7);
  std::string input(600 << 10, '\0');
  for (char& byte : input) byte = static_cast<char>(random());
  scratch.Put("in.bin", input);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    const std::string command = "cd '" + scratch.dir().string() +
                                "' && T='" TESSARY_CLI_PATH "' && " + c.script + " 2>err.txt";
    const int status = std::system(command.c_str());
    EXPECT_EQ(status, 0) << scratch.Get("err.txt");
    if (status != 0) continue;
    // Nothing on stderr but the note on the bytes of a partial row.
    const std::string err = scratch.Get("err.txt");
    EXPECT_TRUE(err.empty() || (err.rfind("tessary-cli: note: ", 0) == 0 &&
                                std::count(err.begin(), err.end(), '\n') == 1))
        << err;
    EXPECT_EQ(Compare(scratch.Path("p.png"), Drawn(ListedTiles(scratch.Get("out.asm")), c.columns),
                      c.scale),
              "");
  }
}

}  // namespace
}  // namespace tessary
