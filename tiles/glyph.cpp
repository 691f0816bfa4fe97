#include "tiles/glyph.h"

#include <charconv>
#include <cstring>

namespace tessary {
namespace {

int ReadInt(std::string_view text) {
  int value = -1;
  const auto [stop, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && stop == text.data() + text.size() ? value : -1;
}

// The rows of a glyph one byte wide.
template <size_t kStride>
char* PutNarrow(char* out, const PieceTable& rows, const uint8_t* bytes, int height) {
  const char* text = rows.text;
  const size_t size = rows.size;
  for (int t = 0; t < height; ++t) out = PutPiece<kStride>(out, text, size, bytes[t]);
  return out;
}

// The rows of a glyph two to four bytes wide, as a 16x16 tile's rows with middle pieces.
template <size_t kLeftStride>
char* PutWide(char* out, const ListingFormat& format, const uint8_t* bytes, int row_bytes,
              int height, bool invert) {
  constexpr size_t kShort = kShortPiece;
  const PieceTable &a = format.WideLeft(invert), &m = format.WideMiddle(invert),
                   &b = format.WideRight(invert);
  const PieceTable &c = format.PixelsLeft(invert), &n = format.PixelsMiddle(invert),
                   &d = format.PixelsRight(invert);
  const bool pixels = format.Pixels();
  for (int t = 0; t < height; ++t, bytes += row_bytes) {
    out = PutPiece<kLeftStride>(out, a.text, a.size, bytes[0]);
    for (int k = 1; k + 1 < row_bytes; ++k) out = PutPiece<kShort>(out, m.text, m.size, bytes[k]);
    out = PutPiece<kShort>(out, b.text, b.size, bytes[row_bytes - 1]);
    if (!pixels) continue;
    out = PutPiece<kShort>(out, c.text, c.size, bytes[0]);
    for (int k = 1; k + 1 < row_bytes; ++k) out = PutPiece<kShort>(out, n.text, n.size, bytes[k]);
    out = PutPiece<kShort>(out, d.text, d.size, bytes[row_bytes - 1]);
  }
  return out;
}

}  // namespace

std::optional<GlyphShape> GlyphNamed(std::string_view text) {
  const size_t x = text.find_first_of("xX");
  if (x == text.npos) return std::nullopt;
  const int width = ReadInt(text.substr(0, x));
  const int height = ReadInt(text.substr(x + 1));
  if (width != 8 && width != 16 && width != 24 && width != 32) return std::nullopt;
  if (height < 1 || height > 64) return std::nullopt;
  return GlyphShape{width, height, 0};
}

std::string GlyphName(const GlyphShape& shape) {
  return std::to_string(shape.width) + "x" + std::to_string(shape.height);
}

char* DoGlyph(char* out, const ListingFormat& format, const SourceSlice& Buffer, uint64_t offset,
              const GlyphShape& shape, int32_t& TileNo, TileStyle style) {
  uint8_t bytes[kMaxGlyphBytes];
  DoGlyphBytes(Buffer, offset, shape, bytes);
  out = format.PutLabelLine(out, TileNo, style.labels);
  TileNo = static_cast<int32_t>(static_cast<uint32_t>(TileNo) + 1u);
  if (shape.RowBytes() == 1) {
    const PieceTable& rows = format.Rows(style.invert);
    return rows.stride == kShortPiece ? PutNarrow<kShortPiece>(out, rows, bytes, shape.height)
                                      : PutNarrow<kMaxPiece>(out, rows, bytes, shape.height);
  }
  if (format.WideLeft(false).stride == kShortPiece) {
    return PutWide<kShortPiece>(out, format, bytes, shape.RowBytes(), shape.height, style.invert);
  }
  return PutWide<kMaxPiece>(out, format, bytes, shape.RowBytes(), shape.height, style.invert);
}

void DoGlyphBytes(const SourceSlice& Buffer, uint64_t offset, const GlyphShape& shape,
                  uint8_t* out) {
  const int64_t count = shape.Bytes();
  for (int64_t k = 0; k < count; k += 8) {
    uint8_t scratch[8];
    const uint8_t* block = Buffer.Block(offset + static_cast<uint64_t>(k), scratch);
    std::memcpy(out + k, block, static_cast<size_t>(std::min<int64_t>(8, count - k)));
  }
}

}  // namespace tessary
