// The values a conversion run fixes at its start, as a front end hands them over.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "tiles/glyph.h"
#include "tiles/syntax.h"

namespace tessary {

// Which emitter and walk the run takes.
enum class Shape { k8x8, k8x12, k16x16 };

struct RunOptions {
  bool append = false;    // add to the output instead of replacing it
  bool vertical = false;  // 8x8 tiles column by column
  bool skip = false;      // 8x8 tiles of every other block column only...
  bool even = true;       // ...the even ones (0, 2, ..., 14) when set, else the odd ones
  Shape shape = Shape::k8x8;
  // Also list the whole tiles of a last tile row that the range holds only in part.
  bool every_tile = false;
  // How the front end names that option in messages.
  std::string every_tile_name = "--every-tile";
  // Glyphs of consecutive bytes instead of `shape` (and of vertical and skip), every whole
  // glyph of the range.
  std::optional<GlyphShape> glyph;
  // Read a PNG picture as the bytes of its cells (see PictureInput) unless `raw` is set; a
  // picture of more than two colours is split at `threshold` (1 to 255; 0: refused).
  bool raw = false;
  int threshold = 0;
  std::string input_path;
  std::string output_path;
  // The three numeric fields, in the number notation. Without an end offset the run ends the
  // range at the end of the input file.
  std::string tile_number_text = "$00";
  std::string start_text = "0";
  std::optional<std::string> end_text;
  // The input is read this many bytes at a time, through one buffer (and the vertical walk keeps
  // up to 64 times as much of the next column); tests set it small.
  size_t read_window = size_t{256} << 10;
  // The assembler syntax, pixel comments and label symbols of the listing.
  ListingSyntax listing;
};

}  // namespace tessary
