// BoxValues: the window's eight check boxes, and what they ask of a run.
#pragma once

#include "run/options.h"
#include "tiles/tile_style.h"

namespace tessary {

// Each a check box value: 0 unchecked, 1 checked, 2 grayed.
struct BoxValues {
  int vertical = 0, append = 0, skip = 0, even = 0;
  int invert = 0, box_1616 = 0, box_812 = 0, hex = 0;
};

struct BoxChoices {
  RunOptions options;  // only append, vertical, skip, even and shape come from the boxes
  TileStyle style;
};

// "Vertical", "Append", "Skip", "Even" and "Hex Count From" count as set at any value but 0;
// "Invert", "16x16" and "8x12 Masked" only at 1, and "16x16" wins over "8x12 Masked".
BoxChoices FromBoxes(const BoxValues& boxes);

}  // namespace tessary
