#include "tiles/glyph.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tiles/emitters.h"

namespace tessary {
namespace {

std::string Emit(const ListingFormat& format, const SourceSlice& slice, uint64_t offset,
                 const GlyphShape& shape, TileStyle style = {}) {
  std::vector<char> out(format.MaxGlyphSize(shape.RowBytes(), shape.height));
  int32_t tile_no = 10;
  char* end = DoGlyph(out.data(), format, slice, offset, shape, tile_no, style);
  EXPECT_EQ(tile_no, 11);
  // The glyph and the scratch bytes of its last copy fit the room it asked for.
  EXPECT_LE(static_cast<size_t>(end - out.data()) + kMaxPiece, out.size());
  return std::string(out.data(), end);
}

TEST(GlyphTest, NamesReadWidthAndHeight) {
  EXPECT_EQ(GlyphNamed("8x16"), (GlyphShape{8, 16, 0}));
  EXPECT_EQ(GlyphNamed("24X21"), (GlyphShape{24, 21, 0}));
  EXPECT_EQ(GlyphNamed("32x64"), (GlyphShape{32, 64, 0}));
  EXPECT_EQ(GlyphNamed("16x1"), (GlyphShape{16, 1, 0}));
  for (const char* bad : {"12x8", "8x0", "8x65", "8", "x8", "8x", "8x8x", " 8x8", "40x8", "8x-1"}) {
    EXPECT_EQ(GlyphNamed(bad), std::nullopt) << bad;
  }
  EXPECT_EQ(GlyphName({24, 21, 1}), "24x21");
}

TEST(GlyphTest, GlyphsInCountsWholeGlyphsOnly) {
  const GlyphShape sprite{24, 21, 1};  // 63 bytes in slots of 64
  EXPECT_EQ(GlyphsIn(sprite, 62), 0);
  EXPECT_EQ(GlyphsIn(sprite, 63), 1);
  EXPECT_EQ(GlyphsIn(sprite, 126), 1);  // the second glyph lacks its last byte
  EXPECT_EQ(GlyphsIn(sprite, 127), 2);  // its gap byte need not be in the range
  EXPECT_EQ(GlyphsIn(sprite, -5), 0);
}

// An 8x8 glyph is DoTile's tile, and a 16x16 glyph of the same rows is Do1616Tile's, in every
// syntax, with and without pixels and inversion.
TEST(GlyphTest, AgreesWithTheBlockEmitters) {
  std::string sheet(256, '\0');
  for (size_t k = 0; k < sheet.size(); ++k) sheet[k] = static_cast<char>(k * 37 + 11);
  std::string glyph16;  // the 16x16 tile at column 0 as a glyph: two bytes a row
  for (int t = 0; t < 16; ++t) {
    const size_t block = t < 8 ? 0 : 128;
    glyph16 += sheet[block + t % 8];
    glyph16 += sheet[block + 8 + t % 8];
  }
  const SourceSlice blocks(sheet), glyphs(glyph16 + sheet);
  for (const SyntaxProfile& p : kSyntaxProfiles) {
    SCOPED_TRACE(p.name);
    for (const bool pixels : {false, true}) {
      const ListingFormat format({p.syntax, pixels, ""});
      for (const TileStyle style : {TileStyle{true, false}, TileStyle{false, true}}) {
        std::vector<char> out(format.MaxTileSize());
        int32_t tile_no = 10;
        char* end = Do1616Tile(out.data(), format, blocks, 0, 0, tile_no, style);
        EXPECT_EQ(Emit(format, glyphs, 0, {16, 16, 0}, style), std::string(out.data(), end));
        tile_no = 10;
        end = DoTile(out.data(), format, blocks, 3, 1, tile_no, style);
        EXPECT_EQ(Emit(format, glyphs, 32 + 128 + 24, {8, 8, 0}, style),
                  std::string(out.data(), end));
      }
    }
  }
}

}  // namespace
}  // namespace tessary
