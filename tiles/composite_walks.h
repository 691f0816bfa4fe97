// The walks of the composite shapes, over tile rows of 256 bytes (two block rows).
#pragma once

#include <cstdint>

namespace tessary {

// Each walk calls visit(column, row) for its tile positions in order and stops early when visit
// returns false; it returns false then, true when it went through. `reaches(n)` tells whether
// the range holds at least n bytes (see RangeOf). The last length % 256 bytes of the range begin
// no tile.

// A `reaches` for a range of `length` bytes; a negative length holds nothing.
inline auto RangeOf(int64_t length) {
  return [length](int64_t n) { return n <= length; };
}

// 8x12 masked: columns 0 to 15 of every tile row. A tile's last rows lie one tile row further
// on, so a partial last tile row holds no tile whole.
template <typename Reaches, typename Visit>
bool Walk812(Reaches&& reaches, Visit&& visit) {
  for (int32_t row = 0; reaches((int64_t{row} + 1) * 256); ++row) {
    for (int32_t column = 0; column <= 15; ++column) {
      if (!visit(column, row)) return false;
    }
  }
  return true;
}

// 16x16: the even columns 0, 2, ..., 14 of every tile row; the odd ones are right halves. With
// `every`, also the tiles of a last, partial tile row that the range holds whole.
template <typename Reaches, typename Visit>
bool Walk1616(Reaches&& reaches, bool every, Visit&& visit) {
  int32_t row = 0;
  for (; reaches((int64_t{row} + 1) * 256); ++row) {
    for (int32_t column = 0; column <= 14; column += 2) {
      if (!visit(column, row)) return false;
    }
  }
  for (int32_t column = 0; every && column <= 14; column += 2) {
    if (!reaches(int64_t{row} * 256 + 128 + int64_t{column} * 8 + 16)) break;
    if (!visit(column, row)) return false;
  }
  return true;
}

// Glyphs of `bytes` bytes, `stride` bytes apart: visit(0, g) for every glyph g the range holds
// whole.
template <typename Reaches, typename Visit>
bool WalkGlyphs(Reaches&& reaches, int64_t bytes, int64_t stride, Visit&& visit) {
  for (int32_t g = 0; reaches(int64_t{g} * stride + bytes); ++g) {
    if (!visit(0, g)) return false;
  }
  return true;
}

}  // namespace tessary
