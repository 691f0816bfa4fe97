#include "run/listed_tiles.h"

#include <memory>

namespace tessary {

ListedTiles::ListedTiles(const WalkChoice& choice, int64_t length)
    : choice_(choice),
      length_(length),
      rows_(length < 0 ? 0 : length / TileRowBytes(choice.shape)) {
  rank_.fill(-1);
  // One tile row's worth of range shows the columns the walk lists and their order.
  WalkListing(choice, RangeOf(TileRowBytes(choice.shape)), [this](int32_t column, int32_t) {
    rank_[static_cast<size_t>(column)] = per_row_;
    columns_[static_cast<size_t>(per_row_++)] = column;
    return true;
  });
}

int64_t ListedTiles::IndexOf(TilePosition position) const {
  if (position.column < 0 || position.column > 15 || position.row < 0 || position.row >= rows_)
    return -1;
  const int32_t rank = rank_[static_cast<size_t>(position.column)];
  if (rank < 0) return -1;
  if (choice_.vertical && choice_.shape == Shape::k8x8) return rank * rows_ + position.row;
  return position.row * per_row_ + rank;
}

TilePosition ListedTiles::At(int64_t index) const {
  if (choice_.vertical && choice_.shape == Shape::k8x8) {
    return {columns_[static_cast<size_t>(index / rows_)], static_cast<int32_t>(index % rows_)};
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
