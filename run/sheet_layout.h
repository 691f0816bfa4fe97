// SheetLayout: where the preview's sheet draws each byte of the file, as tiles or as glyphs, laid
// out from the first byte of the range.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <system_error>

#include "run/file_system.h"
#include "run/options.h"
#include "run/sheet_pick.h"
#include "run/tile_sheet.h"
#include "tiles/glyph.h"

namespace tessary {

// The sheet is a grid of cells, 16 across. Cell k lies in column k % 16 of band k / 16 and shows
// the bytes from CellStart(k) on: cell_height() rows of cell_width() / 8 bytes, each byte 8
// pixels, bit 7 leftmost. Tiles take cells of 8x8 pixels and 8 bytes, one after another, so that
// a band is a block row of 128 bytes. Glyphs take cells of their own shape, one glyph each; the
// gap bytes after a glyph are not drawn. The range's first byte begins a band: every tile or
// glyph that a run lists from it is drawn on whole cells, and the bytes before it fill the bands
// above, counted back from it (the first band may begin before the file).
class SheetLayout {
 public:
  // Cells for `glyph`, or 8x8 tile cells without one, for a range that starts at `start` (>= 0).
  SheetLayout(const std::optional<GlyphShape>& glyph, int64_t start);
  SheetLayout() : SheetLayout(std::nullopt, 0) {}

  bool glyphs() const { return glyphs_; }
  int64_t start() const { return start_; }
  int32_t cell_width() const { return width_; }
  int32_t cell_height() const { return height_; }
  int64_t stride() const { return stride_; }
  int64_t CellBytes() const { return int64_t{width_ / 8} * height_; }
  int64_t SheetWidth() const { return 16 * int64_t{width_}; }
  int64_t BandBytes() const { return 16 * stride_; }

  // The file offset of cell `cell`'s first byte (below 0 for a cell before the file).
  int64_t CellStart(int64_t cell) const { return base_ + cell * stride_; }
  // The cell whose bytes, with the gap after them, hold the byte at `offset`.
  int64_t CellOf(int64_t offset) const;
  // A cell's top left pixel.
  SheetPoint CellPoint(int64_t cell) const;
  // The leftmost pixel of the byte at `offset`; std::nullopt for a gap byte or one before cell 0.
  std::optional<SheetPoint> PointOf(int64_t offset) const;
  // The offset of the byte that sheet pixel (x, y) shows; requires 0 <= x < SheetWidth() and
  // y >= 0. It lies below 0 for a pixel before the file.
  int64_t OffsetAt(int64_t x, int64_t y) const;

  // The outline of a listed tile of `shape`, or of a glyph, whose first byte is at `offset` (a
  // cell's first byte), written to `rects`; returns how many rectangles it takes.
  int Outline(Shape shape, int64_t offset, SheetRect (&rects)[kMaxOutlineRects]) const;
  // The range that a drag between the bytes at `from` and `to` selects: from the cell under the
  // earlier one to the end of the tile of `shape`, or the glyph, that holds the later one (see
  // tessary::DragRange). It starts at 0 at the lowest, and is empty when it ends there.
  ByteRange DragRange(Shape shape, int64_t from, int64_t to) const;

  friend bool operator==(const SheetLayout&, const SheetLayout&) = default;

 private:
  bool glyphs_;
  int32_t width_, height_;
  int64_t stride_;
  int64_t start_;
  int64_t base_;  // CellStart(0): the range's start less whole bands, no higher than 0
};

// Reads the bytes that the cells [first_cell, end_cell) of `layout` show from `input`, within its
// first `file_end` bytes, and calls `paint(cell, bytes, from, to)` for each of them with file
// bytes [from, to) at `bytes` (from >= 0; to stops short at the end of the file or of a failed
// read). Cells whose gaps are no wider than themselves are read in one piece, others one at a
// time, so that wide glyph gaps are skipped. Stops at the first read error and returns it.
std::error_code ReadCells(
    InputFile& input, const SheetLayout& layout, int64_t first_cell, int64_t end_cell,
    int64_t file_end,
    const std::function<void(int64_t cell, const uint8_t* bytes, int64_t from, int64_t to)>& paint);

}  // namespace tessary
