#include "run/yield_pacer.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

struct FakeClock {
  using duration = std::chrono::nanoseconds;
  using time_point = std::chrono::time_point<FakeClock>;
  static inline time_point time{};
  static time_point now() { return time; }
};

TEST(YieldPacerTest, YieldsOnceThePeriodHasPassedSinceTheLastYield) {
  using std::chrono::milliseconds;
  FakeClock::time = {};
  BasicYieldPacer<FakeClock> pacer(milliseconds(10));
  FakeClock::time += milliseconds(9);
  EXPECT_FALSE(pacer.DueNow());
  FakeClock::time += milliseconds(1);
  EXPECT_TRUE(pacer.DueNow());
  EXPECT_FALSE(pacer.DueNow());  // the period starts again at each yield
  FakeClock::time += milliseconds(10);
  // Per tile the clock is read only every kTilesPerCheck tiles.
  int tiles = 1;
  while (!pacer.Due()) ++tiles;
  EXPECT_EQ(tiles, BasicYieldPacer<FakeClock>::kTilesPerCheck);
  EXPECT_FALSE(pacer.Due());

  BasicYieldPacer<FakeClock> always(milliseconds(0)), never(std::chrono::nanoseconds::max());
  FakeClock::time += std::chrono::hours(1);
  EXPECT_TRUE(always.Due() && always.DueNow());
  EXPECT_FALSE(never.Due() || never.DueNow());
}

}  // namespace
}  // namespace tessary
