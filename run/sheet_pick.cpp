#include "run/sheet_pick.h"

#include <algorithm>
#include <limits>

#include "run/tile_sheet.h"

namespace tessary {

int64_t ListedTileHolding(const ListedTiles& tiles, Shape shape, uint64_t start, uint64_t offset) {
  if (offset < start) return -1;
  const auto row_bytes = static_cast<uint64_t>(TileRowBytes(shape));
  const uint64_t row = (offset - start) / row_bytes;
  if (row > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return -1;
  const auto tile_row = static_cast<int32_t>(row);
  const uint64_t in_row = (offset - start) % row_bytes;
  switch (shape) {
    case Shape::k16x16:  // two blocks across, two bands down
      return tiles.IndexOf({static_cast<int32_t>(in_row % kSheetRowBytes / 16 * 2), tile_row});
    case Shape::k8x12: {  // the second band of a tile row is nobody's
      if (in_row >= kSheetRowBytes) return -1;
      const auto column = static_cast<int32_t>(in_row / 8);
      const int64_t upper = tiles.IndexOf({column, tile_row});
      if (upper >= 0 || in_row % 8 >= 4 || tile_row == 0) return upper;
      return tiles.IndexOf({column, tile_row - 1});
    }
    case Shape::k8x8:
      break;
  }
  return tiles.IndexOf({static_cast<int32_t>(in_row / 8), tile_row});
}

ByteRange DragRange(Shape shape, uint64_t from, uint64_t to) {
  if (to < from) std::swap(from, to);
  ByteRange range;
  range.start = from / 8 * 8;
  if (shape == Shape::k16x16) range.start = from / 16 * 16;  // bands hold 8 pairs of blocks
  const auto row_bytes = static_cast<uint64_t>(TileRowBytes(shape));
  const uint64_t blocks = (to - range.start) / 8;  // whole blocks from the start to `to`'s block
  const uint64_t row = blocks * 8 / row_bytes;
  uint64_t column = blocks % 16;
  uint64_t tail = 8;  // from the tile's first byte to its end
  if (shape == Shape::k16x16) {
    column &= ~uint64_t{1};
    tail = kSheetRowBytes + 16;
  } else if (shape == Shape::k8x12) {
    tail = 2 * kSheetRowBytes + 4;
  }
  range.end = range.start + row * row_bytes + column * 8 + tail;
  return range;
}

}  // namespace tessary
