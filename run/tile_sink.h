// TileSink: where a run hands the row bytes of every tile it lists, for a host that draws them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace tessary {

// The run calls Ahead() once the listing is open and before the first tile, Tiles() with the
// listed tiles in listing order, a batch at a time, and Done() after the walk went through,
// before the listing is made final; it stops calling once a call returned false. A false return
// fails the run, which then puts the listing back, with Problem() in its message. All calls come
// from the run's thread.
class TileSink {
 public:
  virtual ~TileSink() = default;

  // `count` tiles follow, or an unknown number (-1) when the range ends only with its input (a
  // stream without an end offset). Every tile is `row_count` rows of `row_bytes` bytes.
  virtual bool Ahead(int64_t count, int row_count, int row_bytes) = 0;

  // The next `count` tiles, one after another, each its rows top first and each row's bytes
  // left to right: the digits as the listing spells them (after the invert), bit 7 first.
  virtual bool Tiles(const uint8_t* tiles, size_t count) = 0;

  virtual bool Done() = 0;

  // Why a call returned false, ready to open a message ("cannot write picture file ..."), or
  // true for Cancelled() when an interrupt stopped it; the run then ends as cancelled.
  virtual std::string Problem() const = 0;
  virtual bool Cancelled() const { return false; }
};

}  // namespace tessary
