#include "run/range_note.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

WalkChoice Choice(Shape shape, bool every = false) { return {shape, false, false, true, every}; }

// The wording of the nothing-to-list reasons and unlisted notes for the walks and shapes that
// the golden cases (case.message), tessary-cli's notes and the window's notes do not show.
TEST(RangeNoteTest, NothingToListSaysWhyAndWhatListsIt) {
  const WalkChoice odd{Shape::k8x8, false, true, false};  // columns 1, 3, 5, 7, 9 of the ten
  EXPECT_EQ(NothingToList(odd, 0, 80, "Every tile"),
            "the range from $0 to $50 (80 bytes) holds no whole block row of 128 bytes; "
            "nothing to list (Every tile lists its 5 tiles)");
  EXPECT_EQ(NothingToList(Choice(Shape::k8x8, true), 16, 7, "--every-tile"),
            "the range from $10 to $17 (7 bytes) holds no whole tile; nothing to list");
  const WalkChoice sprite{.glyph = GlyphShape{24, 21, 1}};
  EXPECT_EQ(NothingToList(sprite, 0, 62, "--every-tile"),
            "the range from $0 to $3E (62 bytes) holds no whole 24x21 glyph of 63 bytes; "
            "nothing to list");
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8, true), 0, 208, "--every-tile"), std::nullopt);
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x12), 0, 300, "--every-tile"),
            "the last 44 bytes of the range ($100 to $12C) fill no whole tile row of 256 bytes "
            "and are not listed");
  EXPECT_EQ(UnlistedNote(sprite, 0, 127, "--every-tile"), std::nullopt);  // the gap may be left
  EXPECT_EQ(UnlistedNote(Choice(Shape::k8x8), 0, 129, "--every-tile"),
            "the last byte of the range ($80 to $81) fills no whole block row of 128 bytes and "
            "is not listed");
}

}  // namespace
}  // namespace tessary
