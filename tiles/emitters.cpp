#include "tiles/emitters.h"

namespace tessary {
namespace {

uint64_t BlockOffset(int32_t column, int32_t row, uint64_t row_bytes) {
  return static_cast<uint64_t>(row) * row_bytes + static_cast<uint64_t>(column) * 8;
}

char* PutLabel(char* out, int32_t& TileNo, TileStyle style) {
  out = PutLabelLine(out, TileNo, style.labels);
  TileNo = static_cast<int32_t>(static_cast<uint32_t>(TileNo) + 1u);
  return out;
}

char* PutRows(char* out, const uint8_t* bytes, int count, bool invert) {
  for (int t = 0; t < count; ++t) out = PutRowLine(out, bytes[t], invert);
  return out;
}

}  // namespace

char* DoTile(char* out, const SourceSlice& Buffer, int32_t column, int32_t row, int32_t& TileNo,
             TileStyle style) {
  uint8_t scratch[8];
  out = PutLabel(out, TileNo, style);
  return PutRows(out, Buffer.Block(BlockOffset(column, row, 128), scratch), 8, style.invert);
}

char* Do812Tile(char* out, const SourceSlice& Buffer, int32_t column, int32_t row, int32_t& TileNo,
                TileStyle style) {
  uint8_t upper_scratch[8];
  uint8_t lower_scratch[8];
  const uint64_t upper = BlockOffset(column, row, 256);
  out = PutLabel(out, TileNo, style);
  out = PutRows(out, Buffer.Block(upper, upper_scratch), 8, style.invert);
  return PutRows(out, Buffer.Block(upper + 256, lower_scratch), 4, style.invert);
}

char* Do1616Tile(char* out, const SourceSlice& Buffer, int32_t column, int32_t row, int32_t& TileNo,
                 TileStyle style) {
  uint8_t scratch[4][8];
  const uint64_t top_left = BlockOffset(column, row, 256);
  out = PutLabel(out, TileNo, style);
  for (uint64_t half : {uint64_t{0}, uint64_t{128}}) {
    const uint8_t* left = Buffer.Block(top_left + half, scratch[0]);
    const uint8_t* right = Buffer.Block(top_left + half + 8, scratch[1]);
    for (int t = 0; t < 8; ++t) out = PutWideRowLine(out, left[t], right[t], style.invert);
  }
  return out;
}

}  // namespace tessary
