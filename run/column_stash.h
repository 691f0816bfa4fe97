// ColumnStash: keeps the next column's blocks while the vertical walk reads a column from a file.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

#include "run/walks.h"
#include "tiles/source_slice.h"

namespace tessary {

// The vertical walk reads the whole file once per column. While it reads one column, the stash
// keeps the blocks of the next column (as many rows as `budget` bytes hold), so the next pass
// reads the file only from the first row it did not keep: every other pass is saved, wholly
// when one column fits in the budget. A pass served from the stash keeps nothing.
class ColumnStash {
 public:
  ColumnStash(bool skip, bool even, size_t budget)
      : skip_(skip), even_(even), max_rows_(static_cast<int64_t>(budget / 8)) {}

  // How many bytes from a tile of `column` on the reader must hold for Keep(): up to the end of
  // the next column's block in the same row.
  uint64_t Reach(int32_t column) const {
    const int32_t next = Next(column);
    return next < 0 ? 8 : static_cast<uint64_t>(next - column) * 8 + 8;
  }

  // True when the stash holds the tile at (column, row), whose slice offset is `lo`; `view` then
  // shows it.
  bool Serve(int32_t column, int32_t row, uint64_t lo, SourceSlice* view) const {
    if (column != column_ || row >= rows_) return false;
    view->SetView(lo, bytes_.data() + static_cast<size_t>(row) * 8, 8);
    return true;
  }

  // Keeps the next column's block of `row` from `slice`, which holds it; the tile at (column,
  // row) starts at slice offset `lo`. Row 0 of a pass read from the file starts the stash over.
  void Keep(int32_t column, int32_t row, uint64_t lo, const SourceSlice& slice) {
    if (column == column_) return;  // this pass is served from the stash
    if (row == 0) {
      column_ = Next(column);
      rows_ = 0;
    }
    if (column_ < 0 || row >= max_rows_) return;
    const size_t at = static_cast<size_t>(row) * 8;
    if (bytes_.size() < at + 8) {
      bytes_.resize(std::min<size_t>(std::max<size_t>(2 * bytes_.size(), 4096), max_rows_ * 8));
    }
    uint8_t scratch[8];
    const uint64_t offset = lo + static_cast<uint64_t>(column_ - column) * 8;
    std::memcpy(&bytes_[at], slice.Block(offset, scratch), 8);
    rows_ = row + 1;
  }

 private:
  int32_t Next(int32_t column) const {
    int32_t next = column + 1;
    if (next > 15 || !FilterColumn(skip_, even_, next)) return -1;
    return next;
  }

  bool skip_, even_;
  int64_t max_rows_;
  std::string bytes_;
  int32_t column_ = -1;  // the column whose rows [0, rows_) the stash holds
  int64_t rows_ = 0;
};

}  // namespace tessary
