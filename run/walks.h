// The 8x8 walks (by rows and by columns) and the column filter of "Skip" and "Even".
#pragma once

#include <cstdint>

namespace tessary {

// The column filter, applied to a walk's column counter (0 to 15). With `skip` set it moves the
// counter to the next even (`even` set) or odd column; returns false when that ends the column
// loop (an even filter at column 15). Without `skip` it does nothing.
inline bool FilterColumn(bool skip, bool even, int32_t& column) {
  if (!skip) return true;
  if (even && column % 2 == 1 && ++column == 16) return false;
  if (!even && column % 2 == 0) ++column;
  return true;
}

// Both walks call visit(column, row) for every visited 8x8 tile position, over the whole block
// rows (128 bytes) of the range, and stop early when visit returns false; they return false
// then, true when they went through. They visit the same positions: the filtered columns of
// every whole block row, and with `every` also the filtered columns of a last, partial block
// row whose 8 bytes the range holds. `reaches(n)` tells whether the range holds at least n bytes
// (see RangeOf); a reader of a stream of unknown length answers it by reading on.

// Whether the range holds the block at (column, row) whole.
template <typename Reaches>
bool HoldsBlock(Reaches&& reaches, int32_t column, int32_t row) {
  return reaches(int64_t{row} * 128 + int64_t{column} * 8 + 8);
}

// Row by row, ascending columns within a row.
template <typename Reaches, typename Visit>
bool WalkRows(Reaches&& reaches, bool skip, bool even, bool every, Visit&& visit) {
  int32_t row = 0;
  for (; reaches((int64_t{row} + 1) * 128); ++row) {
    for (int32_t column = 0; column <= 15; ++column) {
      if (!FilterColumn(skip, even, column)) break;
      if (!visit(column, row)) return false;
    }
  }
  for (int32_t column = 0; every && column <= 15; ++column) {
    if (!FilterColumn(skip, even, column) || !HoldsBlock(reaches, column, row)) break;
    if (!visit(column, row)) return false;
  }
  return true;
}

// Column by column, rows top to bottom within a column.
template <typename Reaches, typename Visit>
bool WalkColumns(Reaches&& reaches, bool skip, bool even, bool every, Visit&& visit) {
  for (int32_t column = 0; column <= 15; ++column) {
    if (!FilterColumn(skip, even, column)) break;
    int32_t row = 0;
    for (; reaches((int64_t{row} + 1) * 128); ++row) {
      if (!visit(column, row)) return false;
    }
    if (every && HoldsBlock(reaches, column, row) && !visit(column, row)) return false;
  }
  return true;
}

}  // namespace tessary
