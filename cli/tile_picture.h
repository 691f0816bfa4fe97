// TilePicture: a PNG picture of exactly the tiles a run lists, written beside the listing.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>

#include "run/file_system.h"
#include "run/side_output.h"

namespace tessary {

// What the picture looks like and where it goes.
struct PictureOptions {
  std::string path;  // empty: no picture
  int columns = 16;  // tiles side by side, 1 to kMaxPictureColumns
  int scale = 1;     // every pixel scale x scale, 1 to kMaxPictureScale
};
inline constexpr int kMaxPictureColumns = 1024;
inline constexpr int kMaxPictureScale = 16;

// Draws the tiles in listing order, `columns` to a picture row, left to right, then downward:
// each tile one pixel row per row line, its bytes left to right, bit 7 first, a digit 1 black
// and a digit 0 white as the listing spells them (after the invert); the unused cells of the
// last row white; every pixel a square of `scale`, without gaps or grid. A PNG of two colours.
//
// The file is opened through the FileSystem only once there is a tile to draw, so a run that
// lists none leaves it alone; it is written while the run goes on and made final by Commit().
// Memory stays flat: tiles are gathered in batches and made into PNG rows on a second thread
// while the run lists on; the bytes are written on the run's thread. Only a run whose tile count is
// known just at its end (a stream without an end offset) keeps the whole picture until then, since
// a PNG states its height first.
// Needs options.path set and the columns and scale in their ranges.
std::unique_ptr<SideOutput> NewTilePicture(FileSystem& files, const PictureOptions& options);

}  // namespace tessary
