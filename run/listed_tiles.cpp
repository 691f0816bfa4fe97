#include "run/listed_tiles.h"

#include <algorithm>
#include <memory>

namespace tessary {

ListedTiles::ListedTiles(const WalkChoice& choice, int64_t length)
    : choice_(choice),
      length_(length),
      by_columns_(choice.vertical && choice.shape == Shape::k8x8 && !choice.glyph) {
  rank_.fill(-1);
  if (choice.glyph) {
    rows_ = GlyphsIn(*choice.glyph, length);
    per_row_ = 1;
    rank_[0] = 0;
    return;
  }
  const int64_t row_bytes = TileRowBytes(choice.shape);
  rows_ = length < 0 ? 0 : length / row_bytes;
  // One tile row's worth of range shows the columns the walk lists and their order.
  WalkListing(choice, RangeOf(row_bytes), [this](int32_t column, int32_t) {
    rank_[static_cast<size_t>(column)] = per_row_;
    columns_[static_cast<size_t>(per_row_++)] = column;
    return true;
  });
  // The partial row holds the tiles of a prefix of those columns, which come in ascending order.
  if (!choice.every || length < 0) return;
  WalkListing(choice, RangeOf(length % row_bytes + row_bytes), [&](int32_t, int32_t row) {
    partial_ += row == 1;
    return true;
  });
}

int64_t ListedTiles::IndexOf(TilePosition position) const {
  if (position.column < 0 || position.column > 15 || position.row < 0 || position.row > rows_)
    return -1;
  const int32_t rank = rank_[static_cast<size_t>(position.column)];
  if (rank < 0 || (position.row == rows_ && rank >= partial_)) return -1;
  if (by_columns_) return rank * rows_ + std::min(rank, partial_) + position.row;
  return position.row * per_row_ + rank;
}

TilePosition ListedTiles::At(int64_t index) const {
  if (by_columns_) {
    // The first `partial_` columns hold one tile more than the others.
    const int64_t taller = partial_ * (rows_ + 1);
    if (index < taller) {
      return {columns_[static_cast<size_t>(index / (rows_ + 1))],
              static_cast<int32_t>(index % (rows_ + 1))};
    }
    index -= taller;
    return {columns_[static_cast<size_t>(partial_ + index / rows_)],
            static_cast<int32_t>(index % rows_)};
  }
  return {columns_[static_cast<size_t>(index % per_row_)], static_cast<int32_t>(index / per_row_)};
}

std::string LabelText(const ListingFormat& format, int32_t TileNo, bool labels) {
  const auto buffer = std::make_unique<char[]>(format.MaxTileSize());
  std::string text(buffer.get(), format.PutLabelLine(buffer.get(), TileNo, labels));
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace tessary
