#include "run/tile_sheet.h"

namespace tessary {
namespace {

// The rectangles of `count` consecutive rows of the cells from `offset` on, `cells` cells
// across; appended at rects[n], returns the new count. Rows that run past a cell's end go on at
// the top of the next cell, which for the last cell of a band lies in the next band.
int AddRows(uint64_t offset, int64_t count, int cells, SheetRect* rects, int n) {
  const auto first = static_cast<int64_t>(offset % 8);
  const SheetPoint at = SheetPointOf(offset);
  if (first + count <= 8) {
    rects[n++] = {at.x, at.y, int64_t{cells} * 8, count};
    return n;
  }
  rects[n++] = {at.x, at.y, int64_t{cells} * 8, 8 - first};
  const int begun = n;
  for (int cell = 0; cell < cells; ++cell) {
    const SheetPoint next =
        SheetPointOf(offset - static_cast<uint64_t>(first) + 8 * static_cast<uint64_t>(cell + 1));
    SheetRect& last = rects[n - 1];
    if (n > begun && last.y == next.y && last.x + last.width == next.x) {
      last.width += 8;  // beside the one before, in the same band
    } else {
      rects[n++] = {next.x, next.y, 8, first + count - 8};
    }
  }
  return n;
}

}  // namespace

void PaintSheet(const uint8_t* bytes, size_t size, uint32_t* pixels, size_t stride, uint32_t ink,
                uint32_t paper) {
  for (size_t k = 0; k < size; ++k) {
    const SheetPoint at = SheetPointOf(k);
    uint32_t* row = pixels + static_cast<size_t>(at.y) * stride + static_cast<size_t>(at.x);
    for (int bit = 0; bit < 8; ++bit) row[bit] = (bytes[k] << bit) & 0x80 ? ink : paper;
  }
}

int TileOutline(Shape shape, uint64_t offset, SheetRect (&rects)[kMaxOutlineRects]) {
  switch (shape) {
    case Shape::k8x12: {
      const int n = AddRows(offset, 8, 1, rects, 0);
      return AddRows(offset + 2 * kSheetRowBytes, 4, 1, rects, n);
    }
    case Shape::k16x16:
      if (offset % 8 == 0) {
        rects[0] = {SheetPointOf(offset).x, SheetPointOf(offset).y, 16, 16};
        return 1;
      }
      return AddRows(offset + kSheetRowBytes, 8, 2, rects, AddRows(offset, 8, 2, rects, 0));
    case Shape::k8x8:
      break;
  }
  return AddRows(offset, 8, 1, rects, 0);
}

}  // namespace tessary
