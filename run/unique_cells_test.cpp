#include "run/unique_cells.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <random>

namespace tessary {
namespace {

// Against an ordinary map, over several doublings, with the zero cell and cells that differ in
// one byte only, numbered and not.
TEST(UniqueCellsTest, FirstUsesAreNumberedInOrderAcrossGrowth) {
  for (const bool numbered : {true, false}) {
    UniqueCells cells(numbered);
    std::map<uint64_t, uint32_t> seen;
    std::mt19937_64 random(7);
    for (int k = 0; k < 20000; ++k) {
      // Mostly repeats of a few hundred cells, the zero cell among them, and some one-row edits.
      uint64_t key = random() % 3 == 0 ? random() : random() % 300;
      if (k % 97 == 0) key = uint64_t{1} << (k % 64);
      uint8_t cell[8];
      std::memcpy(cell, &key, 8);
      uint32_t place = 12345;
      const bool fresh = cells.Add(cell, &place);
      const auto [at, inserted] = seen.emplace(key, static_cast<uint32_t>(seen.size()));
      ASSERT_EQ(fresh, inserted) << k;
      ASSERT_EQ(place, numbered ? at->second : 12345u) << k;
    }
    EXPECT_EQ(cells.size(), seen.size());
  }
}

}  // namespace
}  // namespace tessary
