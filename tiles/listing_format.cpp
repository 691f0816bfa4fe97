#include "tiles/listing_format.h"

#include <algorithm>
#include <string_view>

namespace tessary {
namespace {

// Every profile's pieces fit their tables: row lines and 16x16 left halves kMaxPiece, the other
// 16x16 pieces kShortPiece (the emitters copy those with the short stride).
constexpr bool PiecesFit() {
  for (const SyntaxProfile& p : kSyntaxProfiles) {
    const size_t head = std::string_view(p.row_head).size();
    const size_t digits = p.hex_digits ? 2 : 8;
    const size_t tail = std::string_view(p.row_tail).size();
    const size_t open = 1 + std::string_view(p.comment_open).size();
    const size_t close = std::string_view(p.comment_close).size();
    if (head + digits + tail + open + 8 + close + 2 > kMaxPiece) return false;
    if (std::string_view(p.separator).size() + digits + tail + 2 > kShortPiece) return false;
    if (open + 8 > kShortPiece || 8 + close + 2 > kShortPiece) return false;
  }
  return true;
}
static_assert(PiecesFit(), "a profile's line pieces are too long for their tables");

// Copies `text` to `to`, which has room for it; returns its length.
size_t Fill(char* to, const std::string& text) {
  std::copy_n(text.data(), text.size(), to);
  return text.size();
}

std::string Digits(uint8_t v, bool hex) {
  if (hex) {
    const char* const kHex = "0123456789ABCDEF";
    return {kHex[v >> 4], kHex[v & 15]};
  }
  std::string digits;
  for (int j = 7; j >= 0; --j) digits += ((v >> j) & 1) ? '1' : '0';
  return digits;
}

std::string PixelsOf(uint8_t v) {
  std::string pixels;
  for (int j = 7; j >= 0; --j) pixels += ((v >> j) & 1) ? '#' : '.';
  return pixels;
}

}  // namespace

ListingFormat::ListingFormat(const ListingSyntax& syntax) : pixels_(syntax.pixels) {
  const SyntaxProfile& p = ProfileOf(syntax.syntax);
  const std::string open = pixels_ ? std::string(" ") + p.comment_open : "";
  const std::string close = pixels_ ? p.comment_close : "";
  // The pieces of each kind for byte value v; all pieces of a kind have one length.
  auto pieces = [&](uint8_t v) -> std::array<std::string, kKinds> {
    const std::string digits = Digits(v, p.hex_digits);
    const std::string pixels = pixels_ ? PixelsOf(v) : "";
    return {p.row_head + digits + p.row_tail + open + pixels + close + "\r\n",
            p.row_head + digits,
            p.separator + digits + p.row_tail + (pixels_ ? "" : "\r\n"),
            open + pixels,
            pixels + close + "\r\n",
            p.separator + digits,
            pixels};
  };
  // Each kind's table: 256 plain pieces, then 256 inverted ones (v's is the plain one of ~v).
  const std::array<std::string, kKinds> zero = pieces(0);
  size_t at[kKinds];
  size_t stride[kKinds];
  size_t total = 0;
  for (int k = 0; k < kKinds; ++k) {
    stride[k] = zero[k].size() <= kShortPiece ? kShortPiece : kMaxPiece;
    at[k] = total;
    total += 512 * stride[k];
  }
  text_.assign(total, '\0');
  for (int v = 0; v < 256; ++v) {
    const std::array<std::string, kKinds> plain = pieces(static_cast<uint8_t>(v));
    for (int k = 0; k < kKinds; ++k) {
      Fill(&text_[at[k] + v * stride[k]], plain[k]);
      Fill(&text_[at[k] + (511 - v) * stride[k]], plain[k]);
    }
  }
  for (int k = 0; k < kKinds; ++k) {
    for (int invert = 0; invert < 2; ++invert) {
      views_[k][invert] = {&text_[at[k] + invert * 256 * stride[k]], zero[k].size(), stride[k]};
    }
  }

  std::string head = p.comment_open;
  std::string tail = std::string(p.comment_close) + "\r\n";
  if (!syntax.label_prefix.empty() && p.symbol_tail) {
    head = syntax.label_prefix;
    tail = std::string(p.symbol_tail) + "\r\n";
  }
  head_size_ = head.size();
  if (head.size() <= kSmall) {
    short_head_.size = Fill(short_head_.text.data(), head);
  } else {
    long_head_.assign(std::max(head.size(), kMaxPiece), '\0');
    Fill(long_head_.data(), head);
  }
  label_tail_.size = Fill(label_tail_.text.data(), tail);
  crlf_.size = Fill(crlf_.text.data(), "\r\n");

  const size_t label = head.size() + kMaxHex2Digits + tail.size();
  label_size_ = label;
  size_t wide = zero[kWideLeft].size() + zero[kWideRight].size();
  if (pixels_) wide += zero[kPixelsLeft].size() + zero[kPixelsRight].size();
  max_tile_size_ = label + std::max(12 * zero[kRow].size(), 16 * wide) + kMaxPiece;
}

size_t ListingFormat::MaxGlyphSize(int row_bytes, int height) const {
  if (row_bytes == 1) return label_size_ + height * views_[kRow][0].size + kMaxPiece;
  const auto size = [this](Kind kind) { return views_[kind][0].size; };
  size_t line = size(kWideLeft) + (row_bytes - 2) * size(kWideMiddle) + size(kWideRight);
  if (pixels_)
    line += size(kPixelsLeft) + (row_bytes - 2) * size(kPixelsMiddle) + size(kPixelsRight);
  return label_size_ + height * line + kMaxPiece;
}

}  // namespace tessary
