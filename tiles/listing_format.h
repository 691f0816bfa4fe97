// The tile listing's text: label lines, row lines and byte digits, written from lookup tables.
#pragma once

#include <cstddef>
#include <cstdint>

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

// Each Put* function writes one line, CR LF included, at `out` and returns the end. The caller
// guarantees room for the line's largest size; nothing is checked.

// "; " and Hex2 of `tile_no`, or an empty line when `labels` is false.
char* PutLabelLine(char* out, int32_t tile_no, bool labels);
// " .db %" and the byte digits of `v`, bit 7 first.
char* PutRowLine(char* out, uint8_t v, bool invert);
// " .db %" with the digits of `left`, then ",%" with the digits of `right`.
char* PutWideRowLine(char* out, uint8_t left, uint8_t right, bool invert);

}  // namespace tessary
