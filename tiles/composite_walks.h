// The walks of the composite shapes, over tile rows of 256 bytes (two block rows).
#pragma once

#include <cstdint>

namespace tessary {

// Each walk calls visit(column, row) for its tile positions in order and stops early when visit
// returns false; it returns false then, true when it went through. `length` is the range length
// (at least 8). The last length % 256 bytes of the range begin no tile.

// 8x12 masked: columns 0 to 15 of every tile row.
template <typename Visit>
bool Walk812(int32_t length, Visit&& visit) {
  const int32_t rows = length / 256;
  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t column = 0; column <= 15; ++column) {
      if (!visit(column, row)) return false;
    }
  }
  return true;
}

// 16x16: the even columns 0, 2, ..., 14 of every tile row; the odd ones are right halves.
template <typename Visit>
bool Walk1616(int32_t length, Visit&& visit) {
  const int32_t rows = length / 256;
  for (int32_t row = 0; row < rows; ++row) {
    for (int32_t column = 0; column <= 14; column += 2) {
      if (!visit(column, row)) return false;
    }
  }
  return true;
}

}  // namespace tessary
