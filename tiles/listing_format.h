// The tile listing's text: label lines, row lines and byte digits, written from lookup tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "notation/hex2.h"

namespace tessary {

// How the tiles are spelled; a host may change it between tiles.
struct TileStyle {
  bool labels = true;   // label lines carry "; " and the tile number; otherwise they are empty
  bool invert = false;  // every digit swapped: "0" for a set bit, "1" for a clear one
};

// " .db %01101100" and CR LF.
inline constexpr size_t kRowLineSize = 16;
// " .db %11110000,%00001111" and CR LF.
inline constexpr size_t kWideRowLineSize = 26;
// "; " with at most eight digits, and CR LF.
inline constexpr size_t kMaxLabelLineSize = 12;

// The whole row line of every byte value, plain ([0]) and inverted ([1]).
using RowLineTable = std::array<std::array<std::array<char, kRowLineSize>, 256>, 2>;
extern const RowLineTable kRowLines;

// Each Put* function writes one line, CR LF included, at `out` and returns the end. The caller
// guarantees room for the line's largest size; nothing is checked. They sit on the hot path of
// every run, so they are inline.

// "; " and Hex2 of `tile_no`, or an empty line when `labels` is false.
inline char* PutLabelLine(char* out, int32_t tile_no, bool labels) {
  if (labels) {
    *out++ = ';';
    *out++ = ' ';
    out = PutHex2(tile_no, out);
  }
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

// " .db %" and the byte digits of `v`, bit 7 first.
inline char* PutRowLine(char* out, uint8_t v, bool invert) {
  std::memcpy(out, kRowLines[invert][v].data(), kRowLineSize);
  return out + kRowLineSize;
}

// " .db %" with the digits of `left`, then ",%" with the digits of `right`.
inline char* PutWideRowLine(char* out, uint8_t left, uint8_t right, bool invert) {
  constexpr size_t kDigitsAt = 6;  // where the eight digits stand in a row line
  std::memcpy(out, kRowLines[invert][left].data(), kRowLineSize - 2);  // without its CR LF
  out += kRowLineSize - 2;
  *out++ = ',';
  *out++ = '%';
  std::memcpy(out, kRowLines[invert][right].data() + kDigitsAt, kRowLineSize - kDigitsAt);
  return out + (kRowLineSize - kDigitsAt);
}

}  // namespace tessary
