#include "run/sheet_layout.h"

#include <algorithm>
#include <vector>

namespace tessary {

SheetLayout::SheetLayout(const std::optional<GlyphShape>& glyph, int64_t start)
    : glyphs_(glyph.has_value()),
      width_(glyph ? glyph->width : 8),
      height_(glyph ? glyph->height : 8),
      stride_(glyph ? glyph->Stride() : 8),
      start_(start) {
  const int64_t band = BandBytes();
  base_ = start - (start + band - 1) / band * band;
}

int64_t SheetLayout::CellOf(int64_t offset) const {
  const int64_t from_base = offset - base_;
  return from_base >= 0 ? from_base / stride_ : -((stride_ - 1 - from_base) / stride_);
}

SheetPoint SheetLayout::CellPoint(int64_t cell) const {
  return {cell % 16 * width_, cell / 16 * height_};
}

std::optional<SheetPoint> SheetLayout::PointOf(int64_t offset) const {
  const int64_t cell = CellOf(offset);
  const int64_t in_cell = offset - CellStart(cell);
  if (cell < 0 || in_cell >= CellBytes()) return std::nullopt;
  const int64_t row_bytes = width_ / 8;
  const SheetPoint at = CellPoint(cell);
  return SheetPoint{at.x + in_cell % row_bytes * 8, at.y + in_cell / row_bytes};
}

int64_t SheetLayout::OffsetAt(int64_t x, int64_t y) const {
  const int64_t cell = y / height_ * 16 + x / width_;
  return CellStart(cell) + y % height_ * (width_ / 8) + x % width_ / 8;
}

int SheetLayout::Outline(Shape shape, int64_t offset, SheetRect (&rects)[kMaxOutlineRects]) const {
  if (!glyphs_) return TileOutline(shape, static_cast<uint64_t>(offset - base_), rects);
  const SheetPoint at = CellPoint(CellOf(offset));
  rects[0] = {at.x, at.y, width_, height_};
  return 1;
}

ByteRange SheetLayout::DragRange(Shape shape, int64_t from, int64_t to) const {
  if (to < from) std::swap(from, to);
  int64_t start = 0, end = 0;
  if (glyphs_) {
    start = CellStart(CellOf(from));
    end = CellStart(CellOf(to)) + CellBytes();
  } else {  // on the sheet's own grid, which begins at cell 0
    const ByteRange range = tessary::DragRange(shape, static_cast<uint64_t>(from - base_),
                                               static_cast<uint64_t>(to - base_));
    start = static_cast<int64_t>(range.start) + base_;
    end = static_cast<int64_t>(range.end) + base_;
  }
  start = std::max<int64_t>(start, 0);
  return {static_cast<uint64_t>(start), static_cast<uint64_t>(std::max(start, end))};
}

std::error_code ReadCells(InputFile& input, const SheetLayout& layout, int64_t first_cell,
                          int64_t end_cell, int64_t file_end,
                          const std::function<void(int64_t cell, const uint8_t* bytes, int64_t from,
                                                   int64_t to)>& paint) {
  std::vector<char> bytes;
  // Reads [from, to) of the file, within it, and hands it to the cells [first, end).
  const auto read = [&](int64_t first, int64_t end, int64_t from, int64_t to) {
    from = std::max<int64_t>(from, 0);
    to = std::min(to, file_end);
    if (to <= from) return std::error_code();
    bytes.resize(size_t(to - from));
    size_t got = 0;
    const std::error_code error =
        ReadFileAt(input, uint64_t(from), bytes.data(), bytes.size(), &got);
    for (int64_t cell = first; cell < end; ++cell) {
      paint(cell, reinterpret_cast<const uint8_t*>(bytes.data()), from, from + int64_t(got));
    }
    return error;
  };
  if (layout.stride() <= 2 * layout.CellBytes()) {
    return read(first_cell, end_cell, layout.CellStart(first_cell), layout.CellStart(end_cell));
  }
  for (int64_t cell = first_cell; cell < end_cell; ++cell) {
    const int64_t from = layout.CellStart(cell);
    if (const std::error_code error = read(cell, cell + 1, from, from + layout.CellBytes())) {
      return error;
    }
  }
  return {};
}

}  // namespace tessary
