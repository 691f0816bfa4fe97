#include "run/walks.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "tiles/composite_walks.h"

namespace tessary {
namespace {

using Positions = std::vector<std::pair<int32_t, int32_t>>;

template <typename Walk>
Positions Visited(Walk walk) {
  Positions seen;
  walk([&](int32_t column, int32_t row) {
    seen.emplace_back(column, row);
    return true;
  });
  return seen;
}

Positions RowsOf(std::vector<int32_t> columns, int32_t rows) {
  Positions p;
  for (int32_t r = 0; r < rows; ++r) {
    for (int32_t c : columns) p.emplace_back(c, r);
  }
  return p;
}

Positions ColumnsOf(std::vector<int32_t> columns, int32_t rows) {
  Positions p;
  for (int32_t c : columns) {
    for (int32_t r = 0; r < rows; ++r) p.emplace_back(c, r);
  }
  return p;
}

const std::vector<int32_t> kAll = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const std::vector<int32_t> kEven = {0, 2, 4, 6, 8, 10, 12, 14};
const std::vector<int32_t> kOdd = {1, 3, 5, 7, 9, 11, 13, 15};

TEST(WalksTest, ColumnSelectionAndOrderForTwoBlockRows) {
  const struct {
    bool vertical, skip, even;
    Positions want;
  } cases[] = {
      {false, false, false, RowsOf(kAll, 2)},  {false, false, true, RowsOf(kAll, 2)},
      {false, true, true, RowsOf(kEven, 2)},   {false, true, false, RowsOf(kOdd, 2)},
      {true, false, true, ColumnsOf(kAll, 2)}, {true, true, true, ColumnsOf(kEven, 2)},
      {true, true, false, ColumnsOf(kOdd, 2)},
  };
  for (const auto& c : cases) {
    const Positions got = Visited([&](auto visit) {
      return c.vertical ? WalkColumns(256, c.skip, c.even, visit)
                        : WalkRows(256, c.skip, c.even, visit);
    });
    EXPECT_EQ(got, c.want) << "vertical " << c.vertical << " skip " << c.skip << " even " << c.even;
  }
}

TEST(WalksTest, OnlyWholeRowsAreListed) {
  for (int32_t length : {8, 127}) {
    EXPECT_TRUE(Visited([&](auto v) { return WalkRows(length, false, false, v); }).empty());
    EXPECT_TRUE(Visited([&](auto v) { return WalkColumns(length, true, true, v); }).empty());
  }
  for (int32_t length : {8, 255}) {
    EXPECT_TRUE(Visited([&](auto v) { return Walk812(length, v); }).empty());
    EXPECT_TRUE(Visited([&](auto v) { return Walk1616(length, v); }).empty());
  }
  EXPECT_EQ(Visited([](auto v) { return WalkColumns(300, false, false, v); }), ColumnsOf(kAll, 2));
}

}  // namespace
}  // namespace tessary
