// Glyph shapes: fonts and sprites kept as whole glyphs of consecutive bytes, and DoGlyph, their
// emitter.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "tiles/listing_format.h"
#include "tiles/source_slice.h"
#include "tiles/tile_style.h"

namespace tessary {

// A glyph is `height` rows of width / 8 bytes, one after another, top row first, each row's
// bytes left to right; `gap` bytes follow each glyph and are not listed (a 24x21 sprite in a
// 64-byte slot has a gap of 1).
struct GlyphShape {
  int32_t width = 8;   // 8, 16, 24 or 32 pixels
  int32_t height = 8;  // 1 to 64 rows
  int32_t gap = 0;     // 0 to kMaxGlyphGap

  int32_t RowBytes() const { return width / 8; }
  int64_t Bytes() const { return int64_t{RowBytes()} * height; }
  int64_t Stride() const { return Bytes() + gap; }
  friend bool operator==(const GlyphShape&, const GlyphShape&) = default;
};

inline constexpr int32_t kMaxGlyphGap = 65536;
inline constexpr int kMaxGlyphBytes = 4 * 64;

// Reads "WxH" ("8x16", "24X21"); std::nullopt unless W is 8, 16, 24 or 32 and H 1 to 64.
std::optional<GlyphShape> GlyphNamed(std::string_view text);

// "8x16": the shape as GlyphNamed reads it.
std::string GlyphName(const GlyphShape& shape);

// Glyphs of `shape` that a range of `length` bytes holds whole: glyph g lies at g * Stride().
inline int64_t GlyphsIn(const GlyphShape& shape, int64_t length) {
  if (length < shape.Bytes()) return 0;
  return (length - shape.Bytes()) / shape.Stride() + 1;
}

// Writes the glyph whose first byte is at slice offset `offset` at `out` in `format`: a label
// line for `TileNo`, then one line per row that holds the row's bytes (" .db %...,%...,%..."),
// and adds 1 to TileNo (wrapping). Returns the end of what it wrote. Requires room for
// format.MaxGlyphSize(shape.RowBytes(), shape.height) bytes at `out`. Bytes past the end of
// `Buffer` read as 0.
char* DoGlyph(char* out, const ListingFormat& format, const SourceSlice& Buffer, uint64_t offset,
              const GlyphShape& shape, int32_t& TileNo, TileStyle style);

// The glyph's bytes as DoGlyph lists them before any inversion; `out` takes shape.Bytes().
void DoGlyphBytes(const SourceSlice& Buffer, uint64_t offset, const GlyphShape& shape,
                  uint8_t* out);

}  // namespace tessary
