#include "run/listed_tiles.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "run/mem_file_system.h"
#include "run/range_check.h"
#include "run/run.h"
#include "run/tile_sheet.h"

namespace tessary {
namespace {

// Every walk the run can take, with and without the tiles of a partial last row, over ranges
// that end inside and on tile rows; and glyphs.
TEST(ListedTilesTest, OrderIsTheRunsOwn) {
  const WalkChoice walks[] = {{Shape::k8x8, false, false, true},
                              {Shape::k8x8, false, true, true},
                              {Shape::k8x8, false, true, false},
                              {Shape::k8x8, true, false, true},
                              {Shape::k8x8, true, true, true},
                              {Shape::k8x8, true, true, false},
                              {Shape::k8x12, false, false, true},
                              {Shape::k16x16, false, false, true},
                              {Shape::k8x8, false, false, true, false, GlyphShape{16, 2, 4}},
                              {Shape::k8x8, false, false, true, false, GlyphShape{8, 16, 0}}};
  for (WalkChoice choice : walks) {
    for (const bool every : {false, true}) {
      if (every && choice.glyph) continue;
      choice.every = every;
      for (const int32_t start : {0, 3}) {
        const int32_t length = 5 * 128 + 40;
        // Every byte of a block holds the block's place in the file, so each listed tile's first
        // row line tells where the run took it from.
        std::string bytes(static_cast<size_t>(start + length + 256), '\0');
        for (size_t k = 0; k < bytes.size(); ++k) bytes[k] = static_cast<char>((k - start) / 8);
        MemFileSystem files;
        files.files["in"] = bytes;
        RunOptions options;
        std::tie(options.shape, options.vertical, options.skip, options.even, options.every_tile,
                 options.glyph) = std::tuple(choice.shape, choice.vertical, choice.skip,
                                             choice.even, choice.every, choice.glyph);
        std::tie(options.input_path, options.output_path, options.start_text, options.end_text) =
            std::tuple("in", "out", std::to_string(start), std::to_string(start + length));
        FixedStyleHost host({});
        ASSERT_EQ(tessary::Run(options, host, files).status, RunStatus::kDone);
        std::vector<int64_t> listed;  // the offsets in the range of the tiles the run listed
        std::istringstream lines(files.files["out"]);
        for (std::string line, previous; std::getline(lines, line); previous = line) {
          if (previous.find(';') != std::string::npos) {
            listed.push_back(8 * std::stoll(line.substr(line.find('%') + 1, 8), nullptr, 2));
          }
        }
        const ListedTiles tiles(choice, length);
        SCOPED_TRACE(testing::Message()
                     << int(choice.shape) << choice.vertical << choice.skip << choice.even
                     << choice.every << !!choice.glyph << " start " << start);
        ASSERT_EQ(tiles.count(), static_cast<int64_t>(listed.size()));
        int64_t index = 0;
        tiles.ForEach([&](TilePosition at) {
          EXPECT_EQ(tiles.OffsetOf(at), listed[static_cast<size_t>(index)]);
          EXPECT_EQ(tiles.OffsetOf(tiles.At(index)), tiles.OffsetOf(at));
          EXPECT_EQ(tiles.IndexOf(at), index++);
        });
        // Positions that the run does not list have no place: past the last whole row, or in
        // the partial row past its last whole tile.
        const auto rows = static_cast<int32_t>(length / TileRowBytes(choice));
        EXPECT_EQ(
            tiles.IndexOf({choice.every ? 14 : 0, choice.glyph ? int32_t(tiles.count()) : rows}),
            -1);
        if (choice.skip) {
          EXPECT_EQ(tiles.IndexOf({choice.even ? 1 : 0, 0}), -1);
        }
        if (choice.shape == Shape::k16x16) {
          EXPECT_EQ(tiles.IndexOf({3, 0}), -1);
        }
      }
    }
  }
}

TEST(ListedTilesTest, LabelTextFollowsTheFormat) {
  EXPECT_EQ(LabelText(ListingFormat({}), 10, true), "; 0A");
  EXPECT_EQ(LabelText(ListingFormat({}), 10, false), "");
  EXPECT_EQ(LabelText(ListingFormat({Syntax::kCa65, false, "font_"}), 0x1F, true), "font_1F:");
  EXPECT_EQ(LabelText(ListingFormat({Syntax::kC, true, ""}), -1, true), "/* FFFFFFFF */");
}

TEST(TileSheetTest, BytesLieInCellsOfSixteenAcross) {
  // Byte 130 is row 2 of the cell in column 0 of the second band.
  EXPECT_EQ(SheetPointOf(130).x, 0);
  EXPECT_EQ(SheetPointOf(130).y, 10);
  EXPECT_EQ(SheetPointOf(127).x, 120);
  EXPECT_EQ(SheetPointOf(127).y, 7);
  for (const uint64_t offset : {0u, 9u, 127u, 128u, 1000u, 4095u}) {
    EXPECT_EQ(OffsetAt(SheetPointOf(offset).x + 5, SheetPointOf(offset).y), offset);
  }
  // Where PaintSheet puts a byte; WebSessionTest checks its bit order and that it stops there.
  std::vector<uint32_t> pixels(128 * 16, 7);
  uint8_t bytes[130] = {};
  bytes[9] = 0x40;
  bytes[129] = 0x01;
  PaintSheet(bytes, sizeof bytes, pixels.data(), 128, 1, 0);
  EXPECT_EQ(pixels[128 + 9], 1u);      // byte 9: row 1 of cell 1, bit 6
  EXPECT_EQ(pixels[9 * 128 + 7], 1u);  // byte 129: row 9, bit 0
}

TEST(TileSheetTest, OutlinesFollowTheShape) {
  SheetRect r[kMaxOutlineRects];
  auto is = [](const SheetRect& a, SheetRect b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
  };
  ASSERT_EQ(TileOutline(Shape::k8x8, 136, r), 1);
  EXPECT_TRUE(is(r[0], {8, 8, 8, 8}));
  ASSERT_EQ(TileOutline(Shape::k8x12, 16, r), 2);
  EXPECT_TRUE(is(r[1], {16, 16, 8, 4}));
  ASSERT_EQ(TileOutline(Shape::k16x16, 256 + 32, r), 1);
  EXPECT_TRUE(is(r[0], {32, 16, 16, 16}));
  // Off a block's first byte: the end of the last cell of a band, then the next band's first.
  ASSERT_EQ(TileOutline(Shape::k8x8, 123, r), 2);
  EXPECT_TRUE(is(r[0], {120, 3, 8, 5}));
  EXPECT_TRUE(is(r[1], {0, 8, 8, 3}));
  EXPECT_EQ(TileOutline(Shape::k16x16, 5, r), 4);
  // Guards against the right half of a 16x16 tile in the last columns drawn past the sheet's edge.
  ASSERT_EQ(TileOutline(Shape::k16x16, 117, r), 6);
  EXPECT_TRUE(is(r[1], {120, 0, 8, 5}));
  EXPECT_TRUE(is(r[2], {0, 8, 8, 5}));
}

TEST(RangeCheckTest, PlanReadsTheFieldsAsTheRunDoes) {
  struct Case {
    const char *count, *start;
    std::optional<std::string> end;
    uint64_t size;
    int32_t want_start, want_length;
    const char* problem;
  } cases[] = {
      {"$10", "$80", "$200", 100, 128, 384, ""},
      {"0", "4", std::nullopt, 1000, 4, 996, ""},
      {"0", "8", "12", 1000, 0, 0,
       "the range from 8 to 12 holds fewer than 8 bytes; nothing to list"},
      {"0", "9", "8", 1000, 0, 0, "End Offset 8 is below Start Offset 9; nothing to list"},
      {"0", "-8", "8", 1000, 0, 0, "Start Offset -8 is below 0"},
      {"0", "$80000000", std::nullopt, 1000, 0, 0, "Start Offset -2147483648 is below 0"},
      {"0", "0", "$100", 0, 0, 0, "the file is empty; nothing to list"},
      {"$1FFFFFFFF", "0", "8", 1000, 0, 0,
       "Hex Count From \"$1FFFFFFFF\" is outside the 32-bit range"},
  };
  for (const Case& c : cases) {
    RunOptions options;
    std::tie(options.tile_number_text, options.start_text, options.end_text) =
        std::tuple(c.count, c.start, c.end);
    const RangePlan plan = PlanRange(options, c.size);
    EXPECT_EQ(plan.problem, c.problem) << c.start;
    EXPECT_EQ(plan.length, c.want_length) << c.start;
    if (plan.problem.empty()) {
      EXPECT_EQ(plan.start, c.want_start);
    }
  }
  RunOptions options;
  options.tile_number_text = "$10";
  EXPECT_EQ(PlanRange(options, 64).TileNo, 16);
}

}  // namespace
}  // namespace tessary
