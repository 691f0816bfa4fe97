// TileTip: what the preview's tooltip says over a byte of the sheet, worded once for the window
// and the page.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/listed_tiles.h"
#include "run/listing_walk.h"
#include "run/map_sink.h"
#include "tiles/listing_format.h"

namespace tessary {

// "$0ABC": an offset as the tips show it, four hexadecimal digits at least.
std::string TipOffset(uint64_t value);

// The tooltip over the byte at `offset` of a range from `start` whose first tile is numbered
// `tile_no`, `tiles` listed from it by `choice`: the first byte of the tile (or glyph) that holds
// it and its label line as `format` writes it (`labels`: label lines carry numbers), or the
// byte's own offset when no listed tile reads it. With unique tiles (`cells` the range's first
// cells numbered, see NumberCells; else empty) a numbered cell takes its tile's number, a
// repeated one says which tile it repeats ("$0088  same as tile 0A"), and a cell past the
// numbered ones shows its first byte alone.
std::string TileTip(const ListedTiles& tiles, const WalkChoice& choice, uint64_t start,
                    int32_t tile_no, const ListingFormat& format, bool labels,
                    const std::vector<MapCell>& cells, uint64_t offset);

}  // namespace tessary
