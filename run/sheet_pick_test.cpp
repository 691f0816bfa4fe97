#include "run/sheet_pick.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

// Guards against a byte credited to the wrong tile: 8x12 mask rows, the unread band, 16x16
// right halves, skipped columns and a start off a block's first byte.
TEST(SheetPickTest, ListedTileHoldingFollowsTheShape) {
  struct Case {
    WalkChoice choice;
    uint64_t start, offset;
    int64_t index;
  } cases[] = {
      {{Shape::k8x8, false, false, true}, 0, 130, 16},
      {{Shape::k8x8, false, false, true}, 3, 2, -1},          // before the range
      {{Shape::k8x8, false, false, true}, 3, 11, 1},          // tile 1 holds 11..18
      {{Shape::k8x8, false, true, true}, 0, 8, -1},           // odd column skipped
      {{Shape::k8x8, true, false, true}, 0, 136, 5},          // column 1 of row 1, by columns
      {{Shape::k16x16, false, false, true}, 0, 128 + 24, 1},  // the right half of tile 1
      {{Shape::k8x12, false, false, true}, 0, 130, -1},       // the band no 8x12 tile reads
      {{Shape::k8x12, false, false, true}, 0, 256 + 18, 18},  // upper part of row 1 wins
      {{Shape::k8x12, false, false, true}, 0, 512 + 14, -1},  // past the last mask rows
      {{Shape::k8x12, false, false, true}, 0, 512 + 3, 16},   // mask of the last row
  };
  for (const Case& c : cases) {
    const ListedTiles tiles(c.choice, 2 * 256 + 8);  // two tile rows of any shape
    EXPECT_EQ(ListedTileHolding(tiles, c.choice.shape, c.start, c.offset), c.index)
        << int(c.choice.shape) << " " << c.start << " " << c.offset;
  }
}

// Guards against a drag that snaps off the tile grid or ends short of the tile let go over.
TEST(SheetPickTest, DragRangeSnapsToTiles) {
  struct Case {
    Shape shape;
    uint64_t from, to, start, end;
  } cases[] = {
      {Shape::k8x8, 5, 130, 0, 136},   {Shape::k8x8, 130, 5, 0, 136},  // either way
      {Shape::k8x8, 20, 20, 16, 24},   {Shape::k16x16, 24, 200, 16, 208},
      {Shape::k16x16, 0, 120, 0, 256}, {Shape::k8x12, 8, 300, 8, 296 + 260},
  };
  for (const Case& c : cases) {
    const ByteRange range = DragRange(c.shape, c.from, c.to);
    EXPECT_EQ(range.start, c.start) << c.from << " " << c.to;
    EXPECT_EQ(range.end, c.end) << c.from << " " << c.to;
  }
}

}  // namespace
}  // namespace tessary
