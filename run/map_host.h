// MapHost: a run host that hands the cells' tile numbers to a map of its own and every other
// call on to the host it wraps.
#pragma once

#include <chrono>

#include "run/host.h"
#include "run/map_sink.h"

namespace tessary {

// Hands every call on to `host`, except that its cells go to `map`. Both must outlive it.
class MapHost : public RunHost {
 public:
  MapHost(RunHost& host, MapSink& map) : host_(host), map_(map) {}
  std::chrono::nanoseconds YieldInterval() const override { return host_.YieldInterval(); }
  bool Yield() override { return host_.Yield(); }
  TileStyle CurrentStyle() override { return host_.CurrentStyle(); }
  void WalkStarted() override { host_.WalkStarted(); }
  void WalkEnded() override { host_.WalkEnded(); }
  TileSink* Tiles() override { return host_.Tiles(); }
  MapSink* Map() override { return &map_; }

 private:
  RunHost& host_;
  MapSink& map_;
};

}  // namespace tessary
