// RunHost: what a conversion run asks of the program that hosts it (the window or the command
// line).
#pragma once

#include <chrono>

#include "run/map_sink.h"
#include "run/tile_sink.h"
#include "tiles/tile_style.h"

namespace tessary {

// The run calls its host only between tiles, never inside one. A host must not start a second
// run from within these calls while one is in progress.
class RunHost {
 public:
  virtual ~RunHost() = default;

  // How often the run hands control to Yield() while it walks: zero means before every tile,
  // nanoseconds::max() never.
  virtual std::chrono::nanoseconds YieldInterval() const { return std::chrono::milliseconds(10); }

  // Handles pending events. Returns false to cancel the run; the output is then left as it was.
  virtual bool Yield() { return true; }

  // The style of the next tiles; asked before the first tile and after every yield.
  virtual TileStyle CurrentStyle() = 0;

  // Called once the output is open, before the first tile, and once after the walk however it
  // ended (done, failed or cancelled). A window shows its busy state between the two.
  virtual void WalkStarted() {}
  virtual void WalkEnded() {}

  // Where the run hands the bytes of the tiles it lists; nullptr (the default) for nowhere.
  virtual TileSink* Tiles() { return nullptr; }

  // Where a run with RunOptions::map hands the tile number of every cell; nullptr for nowhere.
  virtual MapSink* Map() { return nullptr; }
};

// A host with a fixed style that never yields or cancels: the command line, benchmarks, tests.
class FixedStyleHost : public RunHost {
 public:
  explicit FixedStyleHost(TileStyle style) : style_(style) {}
  std::chrono::nanoseconds YieldInterval() const override {
    return std::chrono::nanoseconds::max();
  }
  TileStyle CurrentStyle() override { return style_; }

 private:
  TileStyle style_;
};

}  // namespace tessary
