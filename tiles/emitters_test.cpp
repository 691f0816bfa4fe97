#include "tiles/emitters.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessary {
namespace {

// The listings themselves are checked whole by the golden cases (testdata/golden). This guards
// against the room reserved per tile falling short of the longest one.
TEST(EmittersTest, LargestTileFitsTheReservedRoom) {
  std::vector<char> out(kMaxTileSize);
  int32_t tile_no = -1;  // the longest label
  const char* end = Do1616Tile(out.data(), SourceSlice(), 14, 0, tile_no, {});
  EXPECT_EQ(static_cast<size_t>(end - out.data()), kMaxTileSize);
}

}  // namespace
}  // namespace tessary
