#include "tiles/emitters.h"

#include <gtest/gtest.h>

#include <vector>

namespace tessary {
namespace {

// The listings themselves are checked whole by the golden cases (testdata/golden) and by the
// assemblers (cli/syntax_assemble_test.cpp). This guards against a tile, with the scratch bytes
// of its copies, overrunning the room its format reserves, and a long symbol prefix cut short.
TEST(EmittersTest, LargestTilesFitTheReservedRoom) {
  const std::string prefix(40, 'p');  // longer than a table piece
  for (const SyntaxProfile& p : kSyntaxProfiles) {
    const ListingFormat format({p.syntax, true, prefix});
    for (auto* emit : {&Do1616Tile, &Do812Tile}) {
      std::vector<char> out(format.MaxTileSize());
      int32_t tile_no = -1;  // the longest label
      const char* end = emit(out.data(), format, SourceSlice(), 0, 0, tile_no, {});
      EXPECT_LE(static_cast<size_t>(end - out.data()) + kMaxPiece, out.size()) << p.name;
      EXPECT_EQ(std::string(out.data(), p.symbol_tail ? 48 : 0),
                p.symbol_tail ? prefix + "FFFFFFFF" : "")
          << p.name;
    }
  }
}

}  // namespace
}  // namespace tessary
