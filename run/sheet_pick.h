// Picking on the tile sheet: the listed tile that holds a byte, and the range a drag selects.
#pragma once

#include <cstdint>

#include "run/listed_tiles.h"

namespace tessary {

// The place in listing order of the tile of `tiles` (a listing of `shape` from a range that
// begins at file offset `start`) whose bytes include file offset `offset`, or -1 when no listed
// tile reads it. A byte that is both the upper part of one 8x12 tile and the mask of the tile a
// row above belongs to the upper one.
int64_t ListedTileHolding(const ListedTiles& tiles, Shape shape, uint64_t start, uint64_t offset);

// A range of file offsets, [start, end).
struct ByteRange {
  uint64_t start = 0;
  uint64_t end = 0;
};

// The range that a drag between file offsets `from` and `to` (in either order) selects for
// `shape`: it starts at the block under the earlier one (for 16x16 at the even block column of
// the pair), and ends where the tile that holds the later one ends, among the tiles that begin
// there: the end of its last row for 8x8 and 16x16, of its fourth mask row for 8x12.
ByteRange DragRange(Shape shape, uint64_t from, uint64_t to);

}  // namespace tessary
