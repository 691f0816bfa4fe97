#include "tiles/emitters.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tessary {
namespace {

using EmitFn = char* (*)(char*, const ListingFormat&, const SourceSlice&, int32_t, int32_t,
                         int32_t&, TileStyle);

// Emits one tile into a buffer of exactly format.MaxTileSize() bytes.
std::string Emit(EmitFn emit, const SourceSlice& slice, int32_t column, int32_t row,
                 int32_t& tile_no, TileStyle style = {}, const ListingSyntax& syntax = {}) {
  const ListingFormat format(syntax);
  std::vector<char> out(format.MaxTileSize());
  char* end = emit(out.data(), format, slice, column, row, tile_no, style);
  EXPECT_LE(static_cast<size_t>(end - out.data()) + kMaxPiece, out.size());
  return std::string(out.data(), end);
}

std::string Lines(std::initializer_list<const char*> lines) {
  std::string text;
  for (const char* line : lines) text += std::string(line) + "\r\n";
  return text;
}

TEST(DoTileTest, ListsTheBlockAtRowTimes128PlusColumnTimes8) {
  std::string bytes(256, '\0');
  const unsigned char block[] = {0x18, 0x3C, 0x7E, 0xFF, 0x81, 0x00, 0x01, 0x80};
  bytes.replace(8, 8, reinterpret_cast<const char*>(block), 8);
  const SourceSlice slice(bytes);

  int32_t tile_no = 9;
  EXPECT_EQ(Emit(DoTile, slice, 1, 0, tile_no),
            Lines({"; 09", " .db %00011000", " .db %00111100", " .db %01111110", " .db %11111111",
                   " .db %10000001", " .db %00000000", " .db %00000001", " .db %10000000"}));
  EXPECT_EQ(tile_no, 10);
  EXPECT_EQ(Emit(DoTile, slice, 1, 0, tile_no, {.labels = true, .invert = true}),
            Lines({"; 0A", " .db %11100111", " .db %11000011", " .db %10000001", " .db %00000000",
                   " .db %01111110", " .db %11111111", " .db %11111110", " .db %01111111"}));
}

TEST(Do1616TileTest, FourBlocksAsTwoByteRows) {
  // Tile (2, 1): top left 272, top right 280, bottom left 400, bottom right 408.
  std::string bytes(1024, '\0');
  bytes.replace(272, 8, std::string(8, '\xF0'));
  bytes.replace(280, 8, std::string(8, '\x0F'));
  bytes.replace(400, 8, std::string(8, '\xCC'));
  bytes.replace(408, 8, std::string(8, '\x33'));
  const SourceSlice slice(bytes);
  for (bool invert : {false, true}) {
    int32_t tile_no = 0;
    const std::string tile = Emit(Do1616Tile, slice, 2, 1, tile_no, {.invert = invert});
    std::string want = "; 00\r\n";
    for (int t = 0; t < 8; ++t) {
      want += invert ? " .db %00001111,%11110000\r\n" : " .db %11110000,%00001111\r\n";
    }
    for (int t = 0; t < 8; ++t) {
      want += invert ? " .db %00110011,%11001100\r\n" : " .db %11001100,%00110011\r\n";
    }
    EXPECT_EQ(tile, want) << "invert " << invert;
    EXPECT_EQ(tile_no, 1);
  }
}

// Guards against a tile, with its copies' spare bytes, overrunning the room its format reserves.
TEST(EmittersTest, LargestTilesFitTheReservedRoom) {
  const std::string long_prefix(40, 'p');  // longer than a table piece
  for (const SyntaxProfile& p : kSyntaxProfiles) {
    for (EmitFn emit : {Do1616Tile, Do812Tile}) {
      int32_t tile_no = -1;  // the longest label
      const std::string tile =
          Emit(emit, SourceSlice(), 0, 0, tile_no, {}, {p.syntax, true, long_prefix});
      EXPECT_EQ(tile.substr(0, p.symbol_tail ? 48 : 0),
                p.symbol_tail ? long_prefix + "FFFFFFFF" : "")
          << p.name;
    }
  }
}

}  // namespace
}  // namespace tessary
