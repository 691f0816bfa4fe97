// TileStyle: the two spelling choices a host may change between the tiles of a run.
#pragma once

namespace tessary {

// How the next tiles are spelled; asked of the host before the first tile and after every yield.
struct TileStyle {
  bool labels = true;   // label lines carry the tile number; otherwise they are empty
  bool invert = false;  // every digit swapped: "0" for a set bit, "1" for a clear one
};

}  // namespace tessary
