// The three tile emitters, DoTile (8x8), Do812Tile (8x12 masked) and Do1616Tile (16x16), and
// the row bytes of the tiles they list.
#pragma once

#include <cstdint>

#include "tiles/listing_format.h"
#include "tiles/source_slice.h"
#include "tiles/tile_style.h"

namespace tessary {

// Each emitter writes one tile at `out` in `format` (a label line for `TileNo`, then its row
// lines), adds 1 to `TileNo` (wrapping from 2147483647 to -2147483648) and returns the end of
// what it wrote. Requires room for format.MaxTileSize() bytes at `out`, 0 <= column <= 15 and
// row >= 0; nothing is checked. Bytes past the end of `Buffer` read as 0.

// Where each emitter's bytes lie: it reads from the slice offset row * RowBytes + column * 8 up
// to Reach bytes on.
inline constexpr uint64_t kDoTileRowBytes = 128, kDoTileReach = 8;
inline constexpr uint64_t kDo812TileRowBytes = 256, kDo812TileReach = 256 + 8;
inline constexpr uint64_t kDo1616TileRowBytes = 256, kDo1616TileReach = 128 + 16;

// 8x8: the block at slice offset row * 128 + column * 8, 8 row lines.
char* DoTile(char* out, const ListingFormat& format, const SourceSlice& Buffer, int32_t column,
             int32_t row, int32_t& TileNo, TileStyle style);

// 8x12 masked: the block at row * 256 + column * 8, then the first 4 bytes of the block two block
// rows (256 bytes) below it; 12 row lines.
char* Do812Tile(char* out, const ListingFormat& format, const SourceSlice& Buffer, int32_t column,
                int32_t row, int32_t& TileNo, TileStyle style);

// 16x16: blocks `column` and `column` + 1 of block rows 2 * row and 2 * row + 1; 16 two-byte row
// lines, top half first. `column` is the left half and must be even (at most 14).
char* Do1616Tile(char* out, const ListingFormat& format, const SourceSlice& Buffer, int32_t column,
                 int32_t row, int32_t& TileNo, TileStyle style);

// The row bytes of the tile that DoTile, Do812Tile or Do1616Tile lists at (column, row), read
// from the same blocks: top row first, each row's bytes left to right, as its row lines spell
// them before any inversion. 8 rows of one byte, 12 rows of one byte and 16 rows of two bytes;
// `out` takes kMaxTileBytes. The same requirements as the emitters'.
inline constexpr int kMaxTileBytes = 32;
void DoTileBytes(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t* out);
void Do812TileBytes(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t* out);
void Do1616TileBytes(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t* out);

}  // namespace tessary
