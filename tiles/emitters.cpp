#include "tiles/emitters.h"

#include <cstring>

namespace tessary {
namespace {

uint64_t BlockOffset(int32_t column, int32_t row, uint64_t row_bytes) {
  return static_cast<uint64_t>(row) * row_bytes + static_cast<uint64_t>(column) * 8;
}

// The blocks of a tile, as its emitter and its row bytes read them. 8x8: the one block.
const uint8_t* Blocks8x8(const SourceSlice& Buffer, int32_t column, int32_t row,
                         uint8_t (&scratch)[8]) {
  return Buffer.Block(BlockOffset(column, row, 128), scratch);
}

// 8x12: the upper block and the block two block rows below it, whose first 4 bytes are the
// last rows.
void Blocks812(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t (&scratch)[2][8],
               const uint8_t* (&blocks)[2]) {
  const uint64_t upper = BlockOffset(column, row, 256);
  blocks[0] = Buffer.Block(upper, scratch[0]);
  blocks[1] = Buffer.Block(upper + 256, scratch[1]);
}

// 16x16: top left, top right, bottom left, bottom right.
void Blocks1616(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t (&scratch)[4][8],
                const uint8_t* (&blocks)[4]) {
  const uint64_t top_left = BlockOffset(column, row, 256);
  blocks[0] = Buffer.Block(top_left, scratch[0]);
  blocks[1] = Buffer.Block(top_left + 8, scratch[1]);
  blocks[2] = Buffer.Block(top_left + 128, scratch[2]);
  blocks[3] = Buffer.Block(top_left + 136, scratch[3]);
}

char* PutLabel(char* out, const ListingFormat& format, int32_t& TileNo, TileStyle style) {
  out = format.PutLabelLine(out, TileNo, style.labels);
  TileNo = static_cast<int32_t>(static_cast<uint32_t>(TileNo) + 1u);
  return out;
}

// The table is taken apart into scalars, which stay in registers through the lines; a fixed
// count lets the compiler unroll the lines whatever the stride.
template <size_t kStride, int kCount>
char* PutRowsOf(char* out, const char* text, size_t size, const uint8_t* bytes) {
#pragma GCC unroll 8
  for (int t = 0; t < kCount; ++t) out = PutPiece<kStride>(out, text, size, bytes[t]);
  return out;
}

// The table's stride is chosen once per tile, never per line.
template <int kCount>
char* PutRows(char* out, const ListingFormat& format, const uint8_t* bytes, bool invert) {
  const PieceTable& rows = format.Rows(invert);
  if (rows.stride == kShortPiece) {
    return PutRowsOf<kShortPiece, kCount>(out, rows.text, rows.size, bytes);
  }
  return PutRowsOf<kMaxPiece, kCount>(out, rows.text, rows.size, bytes);
}

// The 16 two-byte lines of a 16x16 tile whose blocks are `blocks` (top left, top right, bottom
// left, bottom right).
template <size_t kLeftStride, bool kPixels>
char* PutWideRows(char* out, const ListingFormat& format, const uint8_t* const (&blocks)[4],
                  bool invert) {
  constexpr size_t kShort = kShortPiece;
  const char *a = format.WideLeft(invert).text, *b = format.WideRight(invert).text;
  const char *c = format.PixelsLeft(invert).text, *d = format.PixelsRight(invert).text;
  const size_t a_size = format.WideLeft(invert).size, b_size = format.WideRight(invert).size;
  const size_t c_size = format.PixelsLeft(invert).size, d_size = format.PixelsRight(invert).size;
  for (int half = 0; half < 4; half += 2) {
    const uint8_t* left = blocks[half];
    const uint8_t* right = blocks[half + 1];
#pragma GCC unroll 8
    for (int t = 0; t < 8; ++t) {
      out = PutPiece<kLeftStride>(out, a, a_size, left[t]);
      out = PutPiece<kShort>(out, b, b_size, right[t]);
      if constexpr (kPixels) {
        out = PutPiece<kShort>(out, c, c_size, left[t]);
        out = PutPiece<kShort>(out, d, d_size, right[t]);
      }
    }
  }
  return out;
}

}  // namespace

char* DoTile(char* out, const ListingFormat& format, const SourceSlice& Buffer, int32_t column,
             int32_t row, int32_t& TileNo, TileStyle style) {
  uint8_t scratch[8];
  out = PutLabel(out, format, TileNo, style);
  return PutRows<8>(out, format, Blocks8x8(Buffer, column, row, scratch), style.invert);
}

char* Do812Tile(char* out, const ListingFormat& format, const SourceSlice& Buffer, int32_t column,
                int32_t row, int32_t& TileNo, TileStyle style) {
  uint8_t scratch[2][8];
  const uint8_t* blocks[2];
  Blocks812(Buffer, column, row, scratch, blocks);
  out = PutLabel(out, format, TileNo, style);
  out = PutRows<8>(out, format, blocks[0], style.invert);
  return PutRows<4>(out, format, blocks[1], style.invert);
}

char* Do1616Tile(char* out, const ListingFormat& format, const SourceSlice& Buffer, int32_t column,
                 int32_t row, int32_t& TileNo, TileStyle style) {
  uint8_t scratch[4][8];
  const uint8_t* blocks[4];
  Blocks1616(Buffer, column, row, scratch, blocks);
  out = PutLabel(out, format, TileNo, style);
  const bool wide = format.WideLeft(false).stride != kShortPiece;
  if (format.Pixels()) {
    return wide ? PutWideRows<kMaxPiece, true>(out, format, blocks, style.invert)
                : PutWideRows<kShortPiece, true>(out, format, blocks, style.invert);
  }
  return wide ? PutWideRows<kMaxPiece, false>(out, format, blocks, style.invert)
              : PutWideRows<kShortPiece, false>(out, format, blocks, style.invert);
}

void DoTileBytes(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t* out) {
  uint8_t scratch[8];
  std::memcpy(out, Blocks8x8(Buffer, column, row, scratch), 8);
}

void Do812TileBytes(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t* out) {
  uint8_t scratch[2][8];
  const uint8_t* blocks[2];
  Blocks812(Buffer, column, row, scratch, blocks);
  std::memcpy(out, blocks[0], 8);
  std::memcpy(out + 8, blocks[1], 4);
}

void Do1616TileBytes(const SourceSlice& Buffer, int32_t column, int32_t row, uint8_t* out) {
  uint8_t scratch[4][8];
  const uint8_t* blocks[4];
  Blocks1616(Buffer, column, row, scratch, blocks);
  for (int t = 0; t < 16; ++t) {
    const int half = t / 8 * 2;  // the top or the bottom pair of blocks
    out[2 * t] = blocks[half][t % 8];
    out[2 * t + 1] = blocks[half + 1][t % 8];
  }
}

}  // namespace tessary
