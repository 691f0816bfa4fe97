// ListingFormat: the tile listing's label and row lines for one syntax, written from tables.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "notation/hex2.h"
#include "tiles/syntax.h"

namespace tessary {

// The longest piece of a line that a table holds, and the stride of short pieces.
inline constexpr size_t kMaxPiece = 32;
inline constexpr size_t kShortPiece = 16;

// One piece of text per byte value, all `size` long, stored `stride` bytes apart (kShortPiece
// or kMaxPiece, at least `size`).
struct PieceTable {
  const char* text;
  size_t size;
  size_t stride;
};

// Writes the piece of byte `v` from a table `text` of stride `kStride`: copies a whole stride and
// returns the end of the piece. The bytes past it are scratch, which the next piece overwrites.
// Callers keep `text` and `size` in locals, so that they stay in registers through the lines.
template <size_t kStride>
inline char* PutPiece(char* out, const char* text, size_t size, uint8_t v) {
  std::memcpy(out, text + v * kStride, kStride);
  return out + size;
}

// Built once per run from its ListingSyntax: every spelling choice of the syntax is baked into
// per-byte tables, plain and inverted, so writing a line is a few fixed-size copies with no test
// on the syntax. Lines end with CR LF.
class ListingFormat {
 public:
  explicit ListingFormat(const ListingSyntax& syntax);

  // Room that any one tile needs where it is written, the scratch bytes of the copies included.
  size_t MaxTileSize() const { return max_tile_size_; }

  // The tile number as a comment ("; 0A") or a symbol ("font_0A:"), or an empty line without
  // `labels`. Returns the end of the line; up to kMaxPiece scratch bytes follow it.
  char* PutLabelLine(char* out, int32_t tile_no, bool labels) const {
    if (!labels) return PutSmall(out, crlf_);
    if (short_head_.size != 0) {
      out = PutSmall(out, short_head_);
    } else if (long_head_.size() == kMaxPiece) {
      std::memcpy(out, long_head_.data(), kMaxPiece);
      out += head_size_;
    } else {
      std::memcpy(out, long_head_.data(), head_size_);
      out += head_size_;
    }
    return PutSmall(PutHex2(tile_no, out), label_tail_);
  }

  // An 8x8 or 8x12 row line: " .db %01101100", with " ; .##.##.." when drawing pixels, CR LF.
  const PieceTable& Rows(bool invert) const { return views_[kRow][invert]; }

  // A 16x16 row line is WideLeft(left), WideRight(right) and, when drawing pixels, PixelsLeft
  // (left) and PixelsRight(right): " .db %11110000" ",%00001111" " ; ####...." "....####" CR LF.
  // Without pixels WideRight() ends the line. All but WideLeft() have the short stride.
  bool Pixels() const { return pixels_; }
  const PieceTable& WideLeft(bool invert) const { return views_[kWideLeft][invert]; }
  const PieceTable& WideRight(bool invert) const { return views_[kWideRight][invert]; }
  const PieceTable& PixelsLeft(bool invert) const { return views_[kPixelsLeft][invert]; }
  const PieceTable& PixelsRight(bool invert) const { return views_[kPixelsRight][invert]; }
  // The bytes between the first and the last of a longer row (a 24- or 32-pixel glyph row):
  // WideMiddle ",%00001111" after WideLeft, PixelsMiddle "....####" after PixelsLeft. Short
  // stride.
  const PieceTable& WideMiddle(bool invert) const { return views_[kWideMiddle][invert]; }
  const PieceTable& PixelsMiddle(bool invert) const { return views_[kPixelsMiddle][invert]; }

  // Room that one glyph of `height` rows of `row_bytes` (1 to 4) bytes needs where it is
  // written, the scratch bytes of the copies included.
  size_t MaxGlyphSize(int row_bytes, int height) const;

 private:
  enum Kind {
    kRow,
    kWideLeft,
    kWideRight,
    kPixelsLeft,
    kPixelsRight,
    kWideMiddle,
    kPixelsMiddle,
    kKinds
  };
  static constexpr size_t kSmall = 8;
  struct Small {  // a short piece, copied whole
    std::array<char, kSmall> text{};
    size_t size = 0;
  };
  static char* PutSmall(char* out, const Small& piece) {
    std::memcpy(out, piece.text.data(), kSmall);
    return out + piece.size;
  }

  std::vector<char> text_;  // every table, plain then inverted
  std::array<std::array<PieceTable, 2>, kKinds> views_;
  bool pixels_;
  // The label's head, "; " or the symbol prefix: whole in `short_head_` when it fits, else in
  // `long_head_`, padded to kMaxPiece when it fits that.
  Small short_head_;
  std::vector<char> long_head_;
  size_t head_size_;
  Small label_tail_;  // "" or ":" or " */", then CR LF
  Small crlf_;
  size_t label_size_;
  size_t max_tile_size_;
};

}  // namespace tessary
