#include "tiles/listing_format.h"

namespace tessary {

constexpr RowLineTable kRowLines = [] {
  RowLineTable table{};
  for (int invert = 0; invert < 2; ++invert) {
    for (int v = 0; v < 256; ++v) {
      auto& line = table[invert][v];
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

}  // namespace tessary
