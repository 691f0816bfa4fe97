#include "run/picture_input.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "run/mem_file_system.h"
#include "run/test_png.h"

namespace tessary {
namespace {

using namespace std::string_literals;

using Grid = std::vector<std::string>;  // rows of pixels, '#' for a digit 1
using Samples = std::vector<uint16_t>;  // one pixel's samples

// The cell bytes of a picture of digits, written out cell by cell, completed to 128 bytes.
std::string CellsOf(const Grid& grid) {
  const size_t w = grid[0].size(), h = grid.size();
  std::string out;
  for (size_t band = 0; band < (h + 7) / 8; ++band) {
    for (size_t cell = 0; cell < (w + 7) / 8; ++cell) {
      for (size_t y = band * 8; y < band * 8 + 8; ++y) {
        int byte = 0;
        for (size_t x = cell * 8; x < cell * 8 + 8; ++x) {
          byte = byte << 1 | (y < h && x < w && grid[y][x] == '#');
        }
        out += static_cast<char>(byte);
      }
    }
  }
  out.resize((out.size() + 127) / 128 * 128, '\0');
  return out;
}

Grid Pattern(size_t w, size_t h, unsigned seed) {
  std::mt19937 random(seed);
  Grid grid(h, std::string(w, '.'));
  for (auto& row : grid) {
    for (char& c : row) c = random() % 3 == 0 ? '#' : '.';
  }
  return grid;
}

TestPng Paint(const Grid& grid, int depth, int type, const Samples& ink, const Samples& paper) {
  TestPng png(static_cast<uint32_t>(grid[0].size()), static_cast<uint32_t>(grid.size()), depth,
              type);
  for (const auto& row : grid) {
    for (char c : row) {
      for (uint16_t v : c == '#' ? ink : paper) png.samples.push_back(v);
    }
  }
  return png;
}

class PictureTest : public ::testing::Test {
 protected:
  OpenedInput Open(const std::string& file, bool stream = false, PictureSettings settings = {}) {
    files.files["p"] = file;
    files.streams.clear();
    if (stream) files.streams.insert("p");
    std::unique_ptr<InputFile> raw;
    EXPECT_FALSE(files.OpenInput("p", &raw));
    return OpenPictureOrRaw(std::move(raw), settings);
  }

  // Everything `in` reads from offset 0 on, `step` bytes a read; "! reason" on an error.
  static std::string ReadAll(InputFile& in, const std::string& problem, size_t step = 4096) {
    std::string all, piece(step, '\0');
    for (size_t got = 1; got > 0; all.append(piece, 0, got)) {
      if (std::error_code ec = in.Read(all.size(), piece.data(), step, &got)) return "! " + problem;
    }
    return all;
  }

  // The cell bytes of `file`, or "! reason" when it is refused.
  std::string Cells(const std::string& file, bool stream = false, int threshold = 0) {
    OpenedInput opened = Open(file, stream, {threshold, {}});
    if (opened.error) return "! " + opened.problem;
    EXPECT_NE(opened.picture, nullptr);
    return ReadAll(*opened.input, opened.picture->problem());
  }

  MemFileSystem files;
};

// The layout of the cells, written out by hand: 13x9 pixels are 2x2 cells, then 12 blank ones.
TEST_F(PictureTest, CellsInReadingOrderCompletedWithPaper) {
  Grid grid(9, std::string(13, '.'));
  grid[0] = "#............";
  grid[1] = "........#...#";
  grid[7] = ".#...........";
  grid[8] = "#...........#";
  const TestPng png = Paint(grid, 1, 0, {0}, {1});
  std::string want(128, '\0');
  want[0] = '\x80', want[7] = '\x40', want[9] = '\x88', want[16] = '\x80', want[24] = '\x08';
  OpenedInput opened = Open(png.File());
  ASSERT_FALSE(opened.error) << opened.problem;
  EXPECT_EQ(ReadAll(*opened.input, ""), want);
  EXPECT_EQ(*opened.input->Size(), 128u);
  uint32_t x = 0, y = 0;
  EXPECT_TRUE(opened.picture->CellCorner(31, &x, &y));
  EXPECT_EQ(std::pair(x, y), std::pair(8u, 8u));
  EXPECT_FALSE(opened.picture->CellCorner(32, &x, &y));  // a blank cell
}

// Every colour type and bit depth, interlaced or not, from a file and from a stream; the ink is
// the darker colour whatever its sample values, place in the palette or transparency.
TEST_F(PictureTest, EveryColourTypeAndDepth) {
  const std::string bw = "\0\0\0\xFF\xFF\xFF"s;
  const struct {
    int depth, type;
    Samples ink, paper;
    std::string palette = "", transparency = "";
  } cases[] = {
      {1, 0, {0}, {1}},
      {2, 0, {1}, {2}},
      {4, 0, {14}, {15}},  // light grey ink on white
      {8, 0, {200}, {255}},
      {16, 0, {0xFFFE}, {0xFFFF}},      // told apart by the low byte only
      {8, 0, {128}, {0}, "", "\0\0"s},  // black is transparent, so white
      {1, 3, {0}, {1}, bw},
      {1, 3, {1}, {0}, "\xFF\xFF\xFF\0\0\0"s},
      {2, 3, {3}, {0}, "\xFF\xFF\xFF\xFF\0\0\0\xFF\0\0\0\xFF"s},  // blue ink is last
      {4, 3, {1}, {2}, "\x10\x10\x10\xC8\xC8\xC8\xFF\xFF\xFF"s},  // dark grey unused
      {8, 3, {2}, {0}, bw + "\x80\0\0"s, "\0"s},                  // entry 0 black, transparent
      {8, 2, {10, 20, 200}, {250, 250, 240}},
      {16, 2, {0x7FFF, 0x7FFF, 0x7FFF}, {0x8000, 0x8000, 0x8000}},   // by one step of 65535
      {8, 2, {0, 0, 255}, {255, 0, 0}},                              // blue is darker than red
      {8, 2, {100, 100, 100}, {0, 0, 0}, "", std::string(6, '\0')},  // black is transparent
      {8, 4, {0, 255}, {0, 0}},
      {16, 4, {0x8000, 0xFFFF}, {0, 0}},
      {8, 6, {255, 0, 0, 255}, {0, 0, 0, 0}},
      {8, 6, {0, 0, 255, 255}, {255, 0, 0, 255}},  // blue and red, opaque
      {16, 6, {0, 0, 65535, 65535}, {65535, 0, 0, 65535}},
      {16, 6, {0, 0, 0, 0x8000}, {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF}},
  };
  const Grid grid = Pattern(21, 11, 1);
  for (const auto& c : cases) {
    for (bool interlaced : {false, true}) {
      TestPng png = Paint(grid, c.depth, c.type, c.ink, c.paper);
      png.palette = c.palette;
      png.transparency = c.transparency;
      png.interlaced = interlaced;
      png.idat_piece = 50;
      SCOPED_TRACE(testing::Message() << "depth " << c.depth << " type " << c.type << " ink "
                                      << c.ink[0] << (interlaced ? " interlaced" : ""));
      EXPECT_EQ(Cells(png.File(), false), CellsOf(grid));
      EXPECT_EQ(Cells(png.File(), true), CellsOf(grid));
    }
  }
}

// One colour is ink only when darker than mid-grey; a threshold decides every pixel, of two
// colours as of many; transparency is composited over white before either.
TEST_F(PictureTest, OneColourAndThresholds) {
  const Grid all(9, std::string(13, '#')), none(9, std::string(13, '.'));
  EXPECT_EQ(Cells(Paint(all, 8, 0, {127}, {}).File()), CellsOf(all));
  EXPECT_EQ(Cells(Paint(all, 8, 0, {128}, {}).File()), CellsOf(none));
  TestPng lone = Paint(all, 1, 3, {0}, {});
  lone.palette = "\x7F\x7F\x7F";  // a palette of one colour, grey 127
  EXPECT_EQ(Cells(lone.File()), CellsOf(all));
  const Grid grid = Pattern(21, 11, 2);
  EXPECT_EQ(Cells(Paint(grid, 8, 0, {200}, {255}).File(), false, 128), CellsOf(none));
  EXPECT_EQ(Cells(Paint(grid, 8, 0, {200}, {255}).File(), false, 201), CellsOf(grid));
  // Half-transparent black over white is grey 127.0 (32639 of 65535).
  const TestPng half = Paint(grid, 8, 6, {0, 0, 0, 128}, {0, 0, 0, 0});
  EXPECT_EQ(Cells(half.File(), false, 128), CellsOf(grid));
  EXPECT_EQ(Cells(half.File(), false, 127), CellsOf(none));
  // A ramp of 256 greys: a pixel is 1 when its grey is below the threshold.
  TestPng ramp{16, 16, 8, 0};
  for (int v = 0; v < 256; ++v) ramp.samples.push_back(static_cast<uint16_t>(v));
  for (int threshold : {1, 128, 255}) {
    Grid want(16, std::string(16, '.'));
    for (int v = 0; v < threshold; ++v) want[v / 16][v % 16] = '#';
    EXPECT_EQ(Cells(ramp.File(), true, threshold), CellsOf(want)) << threshold;
  }
  EXPECT_EQ(Cells(ramp.File()),
            "! the picture has 256 colours, more than the two that can be told apart without a "
            "threshold (the first pixel of a third colour is at x 2, y 0)");
}

// A header, then picture data that is no zlib stream.
std::string HeaderOnly(uint32_t w, uint32_t h, int depth, int type, bool interlaced = false) {
  return "\x89PNG\r\n\x1A\n" +
         PngChunk("IHDR", Big32(w) + Big32(h) + static_cast<char>(depth) + static_cast<char>(type) +
                              "\0\0"s + static_cast<char>(interlaced)) +
         PngChunk("IDAT", "junk") + PngChunk("IEND", "");
}

// Each refusal with its exact reason; each limit also one step inside it.
TEST_F(PictureTest, RefusalsSayWhy) {
  const std::string good = Paint(Pattern(21, 11, 3), 8, 0, {0}, {255}).File();
  std::string crc = good;
  crc[45] ^= 1;
  TestPng index = Paint(Grid{"........", ".....#.."}, 2, 3, {3}, {0});
  index.palette = "\0\0\0\x80\x80\x80\xFF\xFF\xFF"s;
  TestPng third(8, 1, 2, 0);  // the third colour inside a byte
  third.samples = {0, 1, 0, 0, 0, 0, 2, 0};
  TestPng many{300, 300, 8, 2};
  for (int i = 0; i < 90000; ++i)
    many.samples.insert(many.samples.end(),
                        {uint16_t(i & 255), uint16_t(i >> 8 & 255), uint16_t(i >> 16)});
  const std::string broken = "! damaged PNG file: its picture data cannot be decoded";
  const std::string ends = "! truncated PNG file: it ends after ";
  const struct {
    std::string file, reason;
  } cases[] = {
      {good.substr(0, 45), ends + "45 bytes, inside its IDAT chunk at byte 33"},
      {good.substr(0, 36), ends + "36 bytes, inside the length and name of a chunk"},
      {good.substr(0, good.size() - 12),
       ends + std::to_string(good.size() - 12) + " bytes, before its IEND chunk"},
      {crc, "! damaged PNG file: the CRC of its IDAT chunk at byte 33 does not match"},
      {HeaderOnly(8, 8, 1, 0), broken},
      {index.File(),
       "! the pixel at x 5, y 1 has palette index 3, outside its palette of 3 colours"},
      {HeaderOnly(0, 5, 8, 0), "! the picture has no pixels (it is 0 by 5 pixels)"},
      {HeaderOnly(1000001, 1, 1, 0),
       "! the picture is 1000001 pixels wide, more than the 1000000 that can be read"},
      {HeaderOnly(1000000, 1, 1, 0), broken},
      {HeaderOnly(1000000, 17184, 1, 0),
       "! the picture's 1000000 by 17184 pixels make 2148000000 bytes of 8x8 cells, more than "
       "the 2147483647 that offsets reach"},
      {HeaderOnly(1000000, 17176, 1, 0), broken},
      {HeaderOnly(4096, 4097, 8, 6, true),
       "! the picture is interlaced, so it is decoded whole, and its 4096 by 4097 pixels take 65 "
       "MiB that way, more than 64 MiB; save it without interlacing"},
      {HeaderOnly(4096, 4096, 8, 6, true), broken},
      {HeaderOnly(4, 4, 3, 0),
       "! damaged PNG file: its header gives bit depth 3, which colour type 0 cannot have"},
      {HeaderOnly(4, 4, 8, 3),
       "! damaged PNG file: it has no palette (PLTE chunk) before its picture data"},
      {third.File(),
       "! the picture has 3 colours, more than the two that can be told apart without a "
       "threshold (the first pixel of a third colour is at x 6, y 0)"},
      {many.File(),
       "! the picture has more than 65536 colours, more than the two that can be told apart "
       "without a threshold (the first pixel of a third colour is at x 2, y 0)"},
  };
  for (const auto& c : cases) EXPECT_EQ(Cells(c.file, true), c.reason);
}

// Reads of any size at any offset, forward and back: a band of 17 pixels is 24 bytes, and 17x21
// pixels are 72 bytes of cells, then 56 blank ones.
TEST_F(PictureTest, ReadsAcrossBandsAndBack) {
  const Grid grid = Pattern(17, 21, 4);
  const std::string want = CellsOf(grid);
  const std::string file = Paint(grid, 1, 0, {0}, {1}).File();
  for (bool stream : {false, true}) {
    files.stream_chunk = 5;
    files.interrupted_reads = 2;
    OpenedInput opened = Open(file, stream);
    ASSERT_FALSE(opened.error) << opened.problem;
    InputFile& in = *opened.input;
    for (size_t step : {1, 7, 23, 24, 25, 128}) EXPECT_EQ(ReadAll(in, "", step), want) << step;
    const struct {
      uint64_t offset;
      size_t count, got;
    } reads[] = {{24, 1, 1}, {23, 2, 2}, {47, 3, 3},  {50, 200, 78}, {3, 30, 30},
                 {71, 2, 2}, {72, 8, 8}, {127, 5, 1}, {128, 5, 0},   {0, 128, 128}};
    for (const auto& r : reads) {
      std::string buf(r.count, '?');
      size_t got = 99;
      EXPECT_FALSE(in.Read(r.offset, buf.data(), r.count, &got));
      EXPECT_EQ(got, r.got) << r.offset;
      EXPECT_EQ(buf.substr(0, got), want.substr(r.offset, r.got)) << r.offset;
    }
    uint32_t x = 0, y = 0;
    EXPECT_TRUE(opened.picture->CellCorner(71, &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(16u, 16u));
    EXPECT_FALSE(opened.picture->CellCorner(72, &x, &y));
  }
}

// Anything but a PNG file reads as it is: a file through the same input, a stream with the
// bytes read to tell replayed, however short.
TEST_F(PictureTest, OtherInputsReadAsTheyAre) {
  for (const std::string& bytes : {"\x89PNG\r\n\x1A_and more"s, "\x89PNG"s, ""s}) {
    files.stream_chunk = 3;
    files.streams.clear();
    files.files["p"] = bytes;
    std::unique_ptr<InputFile> raw;
    ASSERT_FALSE(files.OpenInput("p", &raw));
    const InputFile* same = raw.get();
    OpenedInput opened = OpenPictureOrRaw(std::move(raw), {});
    EXPECT_EQ(opened.input.get(), same);
    EXPECT_EQ(opened.picture, nullptr);
    opened = Open(bytes, true);
    ASSERT_FALSE(opened.error);
    EXPECT_FALSE(opened.input->Size());
    EXPECT_EQ(ReadAll(*opened.input, "", 2), bytes);
  }
}

// A read error, a cancel and a file changed under the reader each stop it with their reason.
TEST_F(PictureTest, ReadErrorsCancelsAndChanges) {
  TestPng png = Paint(Pattern(21, 11, 6), 4, 3, {1}, {2});
  png.palette = "\x10\x10\x10\0\0\0\xFF\xFF\xFF"s;
  files.read_error = std::make_error_code(std::errc::io_error);
  OpenedInput opened = Open(png.File());
  EXPECT_EQ(opened.error, std::errc::io_error);
  EXPECT_EQ(opened.problem, opened.error.message());
  files.read_error = {};
  int asked = 0;
  for (int stop_at : {1, 2}) {
    opened = Open(png.File(), stop_at == 1, {0, [&] { return ++asked % stop_at != 0; }});
    EXPECT_EQ(opened.error, std::errc::operation_canceled);
  }
  opened = Open(png.File());
  ASSERT_FALSE(opened.error);
  png.palette = "\x10\x10\x10\0\0\0\xFF\xFF\xFE"s;
  files.files["p"] = png.File();  // the same size, in place
  EXPECT_EQ(ReadAll(*opened.input, opened.picture->problem()),
            "! the picture changed while it was read");
  // A palette index past the palette found only as the cells are read (one colour possible).
  TestPng lone = Paint(Grid{"...#...."}, 1, 3, {1}, {0});
  lone.palette = "\0\0\0"s;
  opened = Open(lone.File());
  ASSERT_FALSE(opened.error);
  EXPECT_EQ(ReadAll(*opened.input, opened.picture->problem()),
            "! the pixel at x 3, y 0 has palette index 1, outside its palette of 1 colour");
}

}  // namespace
}  // namespace tessary
