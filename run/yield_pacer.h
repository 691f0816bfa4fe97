// YieldPacer: decides when a walk hands control to its host, by time rather than per tile.
#pragma once

#include <chrono>

namespace tessary {

// A yield costs far more than listing one tile, so the walk yields only once `interval` has
// passed since the last yield. Per tile, the clock itself is read only every kTilesPerCheck
// tiles; a slow step (a read of the input) reads it every time. An interval of zero yields
// every time; the largest interval never yields. `Clock` is any type with a static now(), so
// tests can set the time.
template <typename Clock = std::chrono::steady_clock>
class BasicYieldPacer {
 public:
  explicit BasicYieldPacer(std::chrono::nanoseconds interval)
      : interval_(interval), last_(Clock::now()) {}

  // Asked before every tile: true when the walk should yield now.
  bool Due() {
    if (interval_.count() <= 0) return true;
    if (interval_ == std::chrono::nanoseconds::max()) return false;
    if (++tiles_ < kTilesPerCheck) return false;
    return DueNow();
  }

  // Asked after a step that may take long: reads the clock at once.
  bool DueNow() {
    if (interval_.count() <= 0) return true;
    if (interval_ == std::chrono::nanoseconds::max()) return false;
    tiles_ = 0;
    const auto now = Clock::now();
    if (now - last_ < interval_) return false;
    last_ = now;
    return true;
  }

  static constexpr int kTilesPerCheck = 64;

 private:
  std::chrono::nanoseconds interval_;
  typename Clock::time_point last_;
  int tiles_ = 0;
};

using YieldPacer = BasicYieldPacer<>;

}  // namespace tessary
