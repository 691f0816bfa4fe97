// MapSink: where a run hands the tile number of every cell of its range, for a tile map file or a
// preview that marks repeated cells.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessary {

// One cell of the range: the number of the listed tile that stands for it, and whether an
// earlier cell was that tile already (only with RunOptions::unique; else never).
struct MapCell {
  int32_t tile;
  bool repeat;
};

// A run with RunOptions::map calls Begin() once the listing is open and before the first cell,
// Cells() with every cell of the range in reading order, a batch at a time, and Done() after the
// walk went through, before the listing is made final; it stops calling once a call returned
// false. A false return fails the run, which then puts the listing back, with Problem() in its
// message (or ends it as cancelled when Cancelled() is true). All calls come from the run's
// thread. Every tile number handed over is from 0 to 255: the run refuses a range whose numbers
// would leave that before it calls Begin(), or, where it learns so only on the way (a stream),
// fails without handing over the cell that does not fit.
class MapSink {
 public:
  virtual ~MapSink() = default;

  // `count` cells follow, or an unknown number (-1) for a stream without an end offset; a row of
  // the picture is `across` cells (16 for raw input).
  virtual bool Begin(int64_t count, int32_t across) = 0;
  virtual bool Cells(const MapCell* cells, size_t count) = 0;
  virtual bool Done() = 0;
  virtual std::string Problem() const = 0;
  virtual bool Cancelled() const { return false; }
};

}  // namespace tessary
