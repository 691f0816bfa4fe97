#include "web/web_session.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/lister.h"
#include "run/test_png.h"

namespace tessary {
namespace {

// Keeps what a run hands it, and how many writes and finishes came.
struct Collected : ListingSink {
  std::error_code Write(std::string_view chunk) override {
    if (++writes == full_at) return std::make_error_code(std::errc::no_space_on_device);
    text.append(chunk);
    return {};
  }
  void Finish(bool w) override {
    whole = w;
    ++finishes;
  }
  std::string text;
  int writes = 0, finishes = 0;
  int full_at = 0;  // the write that finds the browser's storage full; 0 for none
  bool whole = false;
};

std::string Bytes(size_t size) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131) ^ (i >> 8));
  return bytes;
}

// A session and the sink of its last run.
class WebSessionTest : public ::testing::Test {
 protected:
  RunResult Convert() {
    sink = Collected();
    FixedStyleHost host(session.style());
    return session.Convert(host, sink);
  }
  WebSession session;
  Collected sink;
};

// The listing that the core makes on its own from `options` and `style`.
std::string CoreListing(RunOptions options, TileStyle style, const std::string& bytes) {
  MemFileSystem files;
  files.files["in"] = bytes;
  options.input_path = "in";
  options.output_path = "out";
  FixedStyleHost host(style);
  EXPECT_EQ(Run(options, host, files).status, RunStatus::kDone);
  return files.files["out"];
}

TEST_F(WebSessionTest, FieldsFollowTheWindowsRules) {
  session.SetInput("a.chr", Bytes(1024));
  PageFields f;
  f.even = true;  // without Skip: no meaning
  f.hex_count = false;
  f.label_prefix = "font_";  // without Hex Count: dropped
  f.invert = true;
  f.shape = Shape::k8x12;
  session.SetFields(f);
  EXPECT_FALSE(session.options().even);
  EXPECT_EQ(session.options().listing.label_prefix, "");
  EXPECT_EQ(session.options().shape, Shape::k8x12);
  EXPECT_FALSE(session.style().labels);
  EXPECT_TRUE(session.style().invert);
  EXPECT_FALSE(session.options().end_text.has_value());  // an empty End: to the end of the file

  f.skip = true;
  f.hex_count = true;
  f.end = "$200";
  session.SetFields(f);
  EXPECT_TRUE(session.options().even);
  EXPECT_EQ(session.options().listing.label_prefix, "font_");
  EXPECT_EQ(session.options().end_text, "$200");
  f.label_prefix = "9lives";  // not a symbol's start: named, and nothing outlined
  session.SetFields(f);
  EXPECT_EQ(session.problem().rfind("Label prefix ", 0), 0u) << session.problem();
  EXPECT_TRUE(session.sheet().Outlines(0, 8).empty());
  f.syntax = Syntax::kC;  // no symbols
  session.SetFields(f);
  EXPECT_EQ(session.options().listing.label_prefix, "");
  EXPECT_EQ(session.problem(), "");
}

TEST_F(WebSessionTest, ListsAsTheCoreDoesAcrossChunks) {
  // Past one chunk of the listing, so the sink gets several writes, with a partial last band.
  const std::string bytes = Bytes(96 * 1024 + 129);
  session.SetInput("sheet.bin", bytes);
  PageFields f;
  f.pixels = true;
  f.start = "$81";
  f.count_from = "$7FFFFFF0";
  for (const Shape shape : {Shape::k8x8, Shape::k8x12, Shape::k16x16}) {
    f.shape = shape;
    session.SetFields(f);
    const RunResult result = Convert();
    ASSERT_EQ(result.status, RunStatus::kDone) << result.message;
    EXPECT_GT(sink.writes, 1);
    EXPECT_GT(sink.text.size(), kChunkSize);
    EXPECT_EQ(sink.finishes, 1);
    EXPECT_TRUE(sink.whole);
    EXPECT_EQ(sink.text, CoreListing(session.options(), session.style(), bytes));
    // Guards against a listing cut short by full storage being offered as if it were whole.
    Collected full;
    full.full_at = 2;
    FixedStyleHost host(session.style());
    const RunResult failed = session.Convert(host, full);
    EXPECT_EQ(failed.status, RunStatus::kFailed);
    EXPECT_EQ(
        failed.message.rfind("cannot write output file \"sheet.H\": No space left on device", 0),
        0u)
        << failed.message;
    EXPECT_FALSE(full.whole);
  }
}

TEST_F(WebSessionTest, RunsThatListNothingEndTheSinkEmptyOrNeverStart) {
  session.SetInput("big.chr", std::string(kMaxPageRange + 8, '\x5a'));
  PageFields f;
  f.start = f.end = "$10";  // an empty range: the run says why
  session.SetFields(f);
  EXPECT_NE(session.problem(), "");
  RunResult result = Convert();
  EXPECT_NE(result.status, RunStatus::kDone);
  EXPECT_NE(result.message, "");
  EXPECT_EQ(sink.finishes, 1);
  EXPECT_FALSE(sink.whole);
  EXPECT_EQ(sink.text, "");
  f.start = "0";
  f.end = std::to_string(kMaxPageRange);
  session.SetFields(f);
  EXPECT_EQ(session.problem(), "");  // exactly the limit: listed
  f.end = std::to_string(kMaxPageRange + 1);
  session.SetFields(f);
  EXPECT_NE(session.problem().find("16 MiB"), std::string::npos) << session.problem();
  result = Convert();
  EXPECT_EQ(result.status, RunStatus::kFailed);
  EXPECT_EQ(result.message, session.problem());
  EXPECT_EQ(sink.writes + sink.finishes, 0);  // the run never started
}

TEST_F(WebSessionTest, EveryTileGlyphAndThresholdAsTheWindowReadsThem) {
  const std::string bytes = Bytes(1000);  // 1000 = 62 glyphs of 16 bytes and a partial one
  session.SetInput("font.bin", bytes);
  PageFields f;
  f.glyph_size = "nonsense";  // without Glyph: not read
  f.threshold = "";           // emptied: the least value
  session.SetFields(f);
  EXPECT_EQ(session.problem(), "");
  const RunResult tiles = Convert();
  ASSERT_EQ(tiles.status, RunStatus::kDone);
  // The note on the partial block row names the page's box.
  EXPECT_NE(tiles.note.find("\"Every tile\""), std::string::npos) << tiles.note;
  f.every_tile = true;
  session.SetFields(f);
  EXPECT_TRUE(session.options().every_tile);
  EXPECT_FALSE(session.options().glyph.has_value());
  EXPECT_EQ(session.options().threshold, 0);
  EXPECT_FALSE(session.sheet().Outlines(0, 8).empty());

  // Glyph takes the place of the tile boxes, which keep their values as the window's do.
  f.glyph = true;
  f.glyph_size = "8X16";
  f.glyph_gap = "$3";
  f.threshold = "%11111111";
  f.vertical = f.skip = true;
  f.start = "1";
  session.SetFields(f);
  EXPECT_EQ(session.problem(), "");
  EXPECT_EQ(session.options().glyph, (GlyphShape{8, 16, 3}));
  EXPECT_EQ(session.options().threshold, 255);
  // The sheet lays glyphs out from the range's start (cell 16, the second band): each of the 52
  // glyphs of 19 bytes after it is one 8x16 outline, and none is past them.
  const std::vector<SheetRect> glyphs = session.sheet().Outlines(0, 8);
  ASSERT_EQ(glyphs.size(), 52u);
  EXPECT_EQ(glyphs[0].y, 16);
  EXPECT_EQ(glyphs[51].x, 3 * 8);
  EXPECT_EQ(glyphs[51].height, 16);
  EXPECT_EQ(session.sheet().TipAt(17), "$0011");
  ASSERT_EQ(Convert().status, RunStatus::kDone);
  RunOptions plain = session.options();
  plain.vertical = plain.skip = false;
  EXPECT_EQ(sink.text, CoreListing(plain, session.style(), bytes));

  // Each field one step past its range refuses the run before it starts, naming the field.
  const std::pair<std::string PageFields::*, const char*> wrong[] = {
      {&PageFields::glyph_size, "8x65"}, {&PageFields::glyph_size, "12x8"},
      {&PageFields::glyph_gap, "65537"}, {&PageFields::glyph_gap, "-1"},
      {&PageFields::threshold, "256"},   {&PageFields::threshold, "-1"}};
  for (const auto& [field, text] : wrong) {
    PageFields bad = f;
    bad.*field = text;
    session.SetFields(bad);
    EXPECT_EQ(session.problem().rfind(field == &PageFields::threshold ? "Threshold " : "Glyph ", 0),
              0u)
        << text << ": " << session.problem();
    const RunResult result = Convert();
    EXPECT_EQ(result.status, RunStatus::kFailed) << text;
    EXPECT_EQ(result.message, session.problem());
    EXPECT_EQ(sink.writes + sink.finishes, 0);
  }
}

// Guards against a sheet that draws a picture's file bytes, or its cells at a stale threshold,
// and against paint past the last byte.
TEST_F(WebSessionTest, PaintsCellsWithTheRangeTintedAndNothingPastTheEnd) {
  TestPng png(16, 8, 8, 0);  // cells 0 and 1: a black diagonal over white, grey 128 under it
  for (uint32_t y = 0; y < 8; ++y)
    for (uint32_t x = 0; x < 16; ++x) png.samples.push_back(x % 8 == y ? 0 : y == 7 ? 128 : 255);
  session.SetInput("pic.png", png.File());
  PageFields f;
  f.start = "8";
  f.unique = true;  // the range ends with the picture's own cells: [8, 16)
  f.threshold = "100";
  session.SetFields(f);
  f.threshold = "0";  // three colours: refused
  session.SetFields(f);
  EXPECT_NE(session.problem().find("colours"), std::string::npos) << session.problem();
  f.threshold = "100";
  session.SetFields(f);
  ASSERT_EQ(session.InputSize(), 128u);  // the two cells and 14 blank ones
  std::vector<uint32_t> pixels(2 * 8 * kSheetWidth, 0);
  session.sheet().PaintBands(0, 2, pixels.data());
  EXPECT_EQ(pixels[0], kPageInk);                           // byte 0, bit 7: before the range
  EXPECT_EQ(pixels[8], kPageRangeInk);                      // byte 8: the first of the range
  EXPECT_EQ(pixels[7 * kSheetWidth + 9], kPageRangePaper);  // grey: over the threshold
  EXPECT_EQ(pixels[7 * kSheetWidth + 15], kPageRangeInk);   // byte 15: the range's last
  EXPECT_EQ(pixels[16], kPagePaper);                        // a blank cell, past the range
  EXPECT_EQ(pixels[8 * kSheetWidth], kPageOffSheet);        // past the last cell byte
  session.SetInput("a.chr", std::string(129, '\xF0'));      // one byte into the second band
  session.SetFields(PageFields());
  session.sheet().PaintBands(0, 2, pixels.data());
  EXPECT_EQ(pixels[8 * kSheetWidth + 4], kPageRangePaper);  // byte 128, the file's last
  EXPECT_EQ(pixels[9 * kSheetWidth], kPageOffSheet);        // byte 129 is not in the file
}

TEST_F(WebSessionTest, OutlinesTipsAndDragsComeFromTheListing) {
  session.SetInput("a.chr", Bytes(4096));
  PageFields f;
  f.start = "$80";
  f.count_from = "$10";
  session.SetFields(f);
  // Band 1 holds the first tile row: 16 tiles of one rectangle each.
  const PageSheet& sheet = session.sheet();
  const std::vector<SheetRect> rects = sheet.Outlines(1, 1);
  ASSERT_GE(rects.size(), 16u);
  EXPECT_EQ(rects[0].x, 0);
  EXPECT_EQ(rects[0].y, 8);
  EXPECT_EQ(rects[0].width, 8);
  EXPECT_EQ(sheet.TipAt(0x93), "$0090  ; 12");  // the third tile of the range
  EXPECT_EQ(sheet.TipAt(0x10), "$0010");        // before the range
  const ByteRange drag = sheet.Drag(0x91, 0x08);
  EXPECT_EQ(drag.start, 0x08u);
  EXPECT_EQ(drag.end, 0x98u);
  // Guards against a drag end past what the End field can hold.
  EXPECT_EQ(sheet.Drag(0, uint64_t{1} << 33).end, 0x7FFFFFFFu);
  f.start = "$80";
  f.end = "$84";  // too short: nothing outlined, tips name bytes
  session.SetFields(f);
  EXPECT_TRUE(sheet.Outlines(0, 4).empty());
  EXPECT_EQ(sheet.TipAt(0x93), "$0093");
}

// Guards against shading first uses, shading past the numbered cells, tips one tile off, numbers
// kept from the last input, and numbers or tips without Unique tiles (glyphs take none).
TEST_F(WebSessionTest, UniqueTilesShadeRepeatsAndTipsNameTheTileRepeated) {
  const std::string a(8, '\x81'), b(8, '\x42');
  const PageSheet& sheet = session.sheet();
  using V = std::vector<uint32_t>;
  V px(2 * 8 * kSheetWidth);
  PageFields f;
  f.unique = true;
  session.SetInput("r.chr", a + b + b + a);  // cells 2 and 3 repeat tiles 1 and 0
  session.SetFields(f);
  sheet.PaintBands(0, 1, px.data());
  EXPECT_EQ(V({px[9], px[16], px[17], px[24]}),
            V({kPageRangeInk, kPageRepeatPaper, kPageRepeatInk, kPageRepeatInk}));
  EXPECT_EQ(sheet.TipAt(0x1F) + sheet.TipAt(8) + std::to_string(sheet.Outlines(0, 1).size()),
            "$0018  same as tile 00$0008  ; 012");  // cells 0 and 1 outlined, not the repeats
  session.SetInput("s.chr", a + a + std::string((kMaxNumberedCells - 1) * 8, '\0'));  // all repeats
  session.SetFields(f);
  sheet.PaintBands(kMaxNumberedCells / 16 - 1, 2, px.data());  // the last numbered cell, the next
  EXPECT_EQ(V({px[15 * 8], px[8 * kSheetWidth]}), V({kPageRepeatPaper, kPageRangePaper}));
  EXPECT_EQ(sheet.TipAt(8) + sheet.TipAt(kMaxNumberedCells * 8), "$0008  same as tile 00$200000");
  f.glyph = true;  // 8x16
  session.SetFields(f);
  EXPECT_EQ(sheet.TipAt(40), "$0020  ; 02");
}

}  // namespace
}  // namespace tessary
