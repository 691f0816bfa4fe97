// The tile sheet: a file drawn as 16 tiles across per 128-byte block row, and where tiles lie on
// it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/options.h"

namespace tessary {

// The sheet shows byte `offset` of the file as the 8 pixels from (x, y) rightward, bit 7
// leftmost: the block of 8 bytes at offset / 8 * 8 is one 8x8 cell, its bytes the cell's rows,
// and each block row of 128 bytes is a band of 16 cells. Sheet pixels are counted from the
// file's first byte, whatever the range.
inline constexpr int kSheetWidth = 128;          // pixels across
inline constexpr uint64_t kSheetRowBytes = 128;  // bytes per band of 8 pixel rows

struct SheetPoint {
  int64_t x = 0, y = 0;
};

inline SheetPoint SheetPointOf(uint64_t offset) {
  return {static_cast<int64_t>(offset % kSheetRowBytes / 8 * 8),
          static_cast<int64_t>(offset / kSheetRowBytes * 8 + offset % 8)};
}

// The offset of the byte that holds sheet pixel (x, y); requires 0 <= x < 128 and y >= 0.
inline uint64_t OffsetAt(int64_t x, int64_t y) {
  return static_cast<uint64_t>(y / 8) * kSheetRowBytes + static_cast<uint64_t>(x / 8 * 8 + y % 8);
}

// Paints the sheet rows of `size` bytes that begin at a band's first byte (an offset that is a
// multiple of 128) into `pixels`, one value per pixel, `stride` values from one pixel row to the
// next, 128 across: `ink` for a set bit, `paper` for a clear one. A last band that `size` does not
// fill is painted as far as its bytes go; the rest of `pixels` is left alone.
void PaintSheet(const uint8_t* bytes, size_t size, uint32_t* pixels, size_t stride, uint32_t ink,
                uint32_t paper);

// A rectangle of sheet pixels.
struct SheetRect {
  int64_t x = 0, y = 0, width = 0, height = 0;
};

// The most rectangles an outline takes: a 16x16 tile that starts off a block's first byte.
inline constexpr int kMaxOutlineRects = 8;

// The outline of a tile of `shape` whose first byte is at file offset `offset`, in sheet pixels:
// the rectangles its bytes cover, written to `rects`; returns how many. A tile that starts on a
// block's first byte is one rectangle (the 8x12 tile two: its mask rows lie two bands lower);
// one that does not covers the end of one cell and the start of the next, in the next band
// for a band's last cell.
int TileOutline(Shape shape, uint64_t offset, SheetRect (&rects)[kMaxOutlineRects]);

}  // namespace tessary
