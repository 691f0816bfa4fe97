#include "run/range_note.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

WalkChoice Choice(Shape shape, bool every = false) {
  WalkChoice choice;
  choice.shape = shape;
  choice.every = every;
  return choice;
}

// The letters Q to Z of a font with 'A' at glyph 65 (offset 520): 80 bytes, no block row.
TEST(RangeNoteTest, NothingToListSaysWhyAndWhatListsIt) {
  EXPECT_EQ(NothingToList(Choice(Shape::k8x8), 652, 80, "--every-tile"),
            "the range from $28C to $2DC (80 bytes) holds no whole block row of 128 bytes; "
            "nothing to list (--every-tile lists its 10 tiles)");
  WalkChoice odd = Choice(Shape::k8x8);
  odd.skip = true;
  odd.even = false;  // columns 1, 3, 5, 7, 9 of the ten
  EXPECT_EQ(NothingToList(odd, 0, 80, "Every tile"),
            "the range from $0 to $50 (80 bytes) holds no whole block row of 128 bytes; "
            "nothing to list (Every tile lists its 5 tiles)");
  // The lower rows of an 8x12 tile lie a tile row further on: no partial row holds one.
  EXPECT_EQ(NothingToList(Choice(Shape::k8x12), 0, 255, "--every-tile"),
            "the range from $0 to $FF (255 bytes) holds no whole tile row of 256 bytes; "
            "nothing to list");
  EXPECT_EQ(NothingToList(Choice(Shape::k16x16), 0, 160, "--every-tile"),
            "the range from $0 to $A0 (160 bytes) holds no whole tile row of 256 bytes; "
            "nothing to list (--every-tile lists its 2 tiles)");
  EXPECT_EQ(NothingToList(Choice(Shape::k8x8, true), 16, 7, "--every-tile"),
            "the range from $10 to $17 (7 bytes) holds no whole tile; nothing to list");
  WalkChoice sprite;
  sprite.glyph = GlyphShape{24, 21, 1};
  EXPECT_EQ(NothingToList(sprite, 0, 62, "--every-tile"),
            "the range from $0 to $3E (62 bytes) holds no whole 24x21 glyph of 63 bytes; "
            "nothing to list");
}

// A..Z: 26 glyphs, 208 bytes; one block row is listed and 80 bytes are left.
TEST(RangeNoteTest, UnlistedBytesAreCountedWithTheTilesThatWouldListThem) {
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8), 524, 208, "--every-tile"),
            "the last 80 bytes of the range ($28C to $2DC) fill no whole block row of 128 bytes "
            "and are not listed; --every-tile lists their 10 tiles");
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8), 0, 256, "--every-tile"), std::nullopt);
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8, true), 0, 213, "--every-tile"),
            "the last 5 bytes of the range ($D0 to $D5) hold no whole tile and are not listed");
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8, true), 0, 208, "--every-tile"), std::nullopt);
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x12), 0, 300, "--every-tile"),
            "the last 44 bytes of the range ($100 to $12C) fill no whole tile row of 256 bytes "
            "and are not listed");
  WalkChoice sprite;
  sprite.glyph = GlyphShape{24, 21, 1};
  EXPECT_EQ(UnlistedNote(sprite, 0, 127, "--every-tile"), std::nullopt);  // the gap may be left
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8), 0, 129, "--every-tile"),
            "the last byte of the range ($80 to $81) fills no whole block row of 128 bytes and "
            "is not listed");
  EXPECT_EQ(UnlistedNote(sprite, 0, 130, "--every-tile"),
            "the last 2 bytes of the range ($80 to $82) hold no whole 24x21 glyph of 63 bytes "
            "and are not listed");
}

}  // namespace
}  // namespace tessary
