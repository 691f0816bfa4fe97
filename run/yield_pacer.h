// YieldPacer: decides when a walk hands control to its host, by time rather than per tile.
#pragma once

#include <chrono>

namespace tessary {

// A yield costs far more than listing one tile, so the walk yields only once `interval` has
// passed since the last yield. The clock itself is read only every kTilesPerCheck tiles. An
// interval of zero yields before every tile; the largest interval never yields.
class YieldPacer {
 public:
  explicit YieldPacer(std::chrono::nanoseconds interval)
      : interval_(interval), last_(std::chrono::steady_clock::now()) {}

  // Asked before every tile: true when the walk should yield now.
  bool Due() {
    if (interval_.count() <= 0) return true;
    if (interval_ == std::chrono::nanoseconds::max()) return false;
    if (++tiles_ < kTilesPerCheck) return false;
    tiles_ = 0;
    const auto now = std::chrono::steady_clock::now();
    if (now - last_ < interval_) return false;
    last_ = now;
    return true;
  }

 private:
  static constexpr int kTilesPerCheck = 64;
  std::chrono::nanoseconds interval_;
  std::chrono::steady_clock::time_point last_;
  int tiles_ = 0;
};

}  // namespace tessary
