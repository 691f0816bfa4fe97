#include "run/tile_tip.h"

#include <cstdio>
#include <limits>

#include "run/sheet_pick.h"

namespace tessary {

std::string TipOffset(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "$%04llX", static_cast<unsigned long long>(value));
  return text;
}

std::string TileTip(const ListedTiles& tiles, const WalkChoice& choice, uint64_t start,
                    int32_t tile_no, const ListingFormat& format, bool labels,
                    const std::vector<MapCell>& cells, uint64_t offset) {
  int64_t index = -1;
  if (!choice.glyph) {
    index = ListedTileHolding(tiles, choice.shape, start, offset);
  } else if (offset >= start) {
    const auto stride = static_cast<uint64_t>(choice.glyph->Stride());
    const uint64_t glyph = (offset - start) / stride;
    const bool in_glyph = (offset - start) % stride < static_cast<uint64_t>(choice.glyph->Bytes());
    if (in_glyph && glyph <= uint64_t{std::numeric_limits<int32_t>::max()})
      index = tiles.IndexOf({0, int32_t(glyph)});
  }
  if (index < 0) return TipOffset(offset);
  const uint64_t first = start + static_cast<uint64_t>(tiles.OffsetOf(tiles.At(index)));
  if (!cells.empty()) {  // unique tiles: each cell is numbered by its tile
    const uint64_t cell = (first - start) / 8;
    if (cell >= cells.size()) return TipOffset(first);
    index = cells[cell].tile;
    if (cells[cell].repeat) {
      char repeated[16];
      std::snprintf(repeated, sizeof repeated, "%02X",
                    static_cast<uint32_t>(tile_no) + static_cast<uint32_t>(index));
      return TipOffset(first) + "  same as tile " + repeated;
    }
  }
  // The tile number wraps like the run's 32-bit counter.
  const auto number =
      static_cast<int32_t>(static_cast<uint32_t>(tile_no) + static_cast<uint32_t>(index));
  const std::string label = LabelText(format, number, labels);
  return label.empty() ? TipOffset(first) : TipOffset(first) + "  " + label;
}

}  // namespace tessary
