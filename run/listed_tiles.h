// ListedTiles: the tiles a run lists from a range, in listing order, with their labels.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "run/listing_walk.h"
#include "tiles/listing_format.h"

namespace tessary {

// A tile position as the walks give it: block column and tile row within the range.
struct TilePosition {
  int32_t column = 0;
  int32_t row = 0;
};

// The listing of a range of `length` bytes under `choice`. Its order is the walk's own: the
// order of one tile row (or, for the vertical walk, of one column) is taken from WalkListing, and
// every tile row repeats it; with `every`, a partial last row lists a prefix of it. Glyphs are
// one per tile row, at column 0. Cheap to make, whatever the length.
class ListedTiles {
 public:
  ListedTiles(const WalkChoice& choice, int64_t length);

  int64_t count() const { return per_row_ * rows_ + partial_; }

  // The place in listing order of the tile at `position`, or -1 when the run lists no tile there.
  int64_t IndexOf(TilePosition position) const;

  // The tile at place `index`; requires 0 <= index < count().
  TilePosition At(int64_t index) const;

  // The offset of a position's first byte within the range.
  int64_t OffsetOf(TilePosition position) const {
    return position.row * TileRowBytes(choice_) + int64_t{position.column} * 8;
  }

  // Calls visit(position) for each tile in listing order (for a whole listing, as tests do).
  template <typename Visit>
  void ForEach(Visit&& visit) const {
    WalkListing(choice_, RangeOf(length_), [&visit](int32_t column, int32_t row) {
      visit(TilePosition{column, row});
      return true;
    });
  }

 private:
  WalkChoice choice_;
  int64_t length_;
  bool by_columns_;                    // the vertical walk's order
  int64_t rows_ = 0;                   // whole tile rows (glyphs) in the range
  int32_t per_row_ = 0;                // tiles listed from each whole tile row
  int32_t partial_ = 0;                // tiles listed from the partial row after them
  std::array<int32_t, 16> columns_{};  // the listed columns of a tile row, in walk order
  std::array<int32_t, 16> rank_{};     // a column's place in columns_, or -1
};

// The text of the label line that `format` gives tile number `TileNo` (empty without labels),
// without its line end: "; 0A", "font_0A:", ...
std::string LabelText(const ListingFormat& format, int32_t TileNo, bool labels);

}  // namespace tessary
