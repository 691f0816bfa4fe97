#include "tiles/listing_format.h"

#include <array>
#include <cstring>

#include "notation/hex2.h"

namespace tessary {
namespace {

using RowLine = std::array<char, kRowLineSize>;

// kRowLines[invert][v] is the whole row line of byte v.
constexpr auto kRowLines = [] {
  std::array<std::array<RowLine, 256>, 2> table{};
  for (int invert = 0; invert < 2; ++invert) {
    for (int v = 0; v < 256; ++v) {
      RowLine& line = table[invert][v];
      const char head[] = " .db %";
      for (int k = 0; k < 6; ++k) line[k] = head[k];
      for (int j = 7; j >= 0; --j) {
        const bool set = (v >> j) & 1;
        line[6 + (7 - j)] = (set != (invert == 1)) ? '1' : '0';
      }
      line[14] = '\r';
      line[15] = '\n';
    }
  }
  return table;
}();

constexpr size_t kDigitsAt = 6;  // where the eight digits stand in a row line

}  // namespace

char* PutLabelLine(char* out, int32_t tile_no, bool labels) {
  if (labels) {
    *out++ = ';';
    *out++ = ' ';
    out = PutHex2(tile_no, out);
  }
  *out++ = '\r';
  *out++ = '\n';
  return out;
}

char* PutRowLine(char* out, uint8_t v, bool invert) {
  std::memcpy(out, kRowLines[invert][v].data(), kRowLineSize);
  return out + kRowLineSize;
}

char* PutWideRowLine(char* out, uint8_t left, uint8_t right, bool invert) {
  // The left line without its CR LF, then ",%", then the right byte's digits and CR LF.
  std::memcpy(out, kRowLines[invert][left].data(), kRowLineSize - 2);
  out += kRowLineSize - 2;
  *out++ = ',';
  *out++ = '%';
  std::memcpy(out, kRowLines[invert][right].data() + kDigitsAt, kRowLineSize - kDigitsAt);
  return out + (kRowLineSize - kDigitsAt);
}

}  // namespace tessary
