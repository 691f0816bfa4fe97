// CellNumbers: the cells of a range numbered as unique tiles number them, for the preview.
#pragma once

#include <cstdint>
#include <vector>

#include "run/file_system.h"
#include "run/map_sink.h"

namespace tessary {

// The preview numbers at most this many cells from the range's start (2 MiB of it); it shades
// no repeat past them.
inline constexpr int64_t kMaxNumberedCells = int64_t{1} << 18;

// The cells of the `length` bytes of `input` from `start`, 8 bytes each (a last part of a cell
// is none), as many as kMaxNumberedCells: for each, the place of its tile among the distinct
// cells in order of first use (from 0), and whether an earlier cell was that tile. Stops early,
// with the cells numbered so far, where the input ends or cannot be read.
std::vector<MapCell> NumberCells(InputFile& input, uint64_t start, int64_t length);

}  // namespace tessary
