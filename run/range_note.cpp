#include "run/range_note.h"

#include <cstdio>

#include "run/listed_tiles.h"

namespace tessary {
namespace {

std::string Hex(int64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "$%llX", static_cast<unsigned long long>(value));
  return text;
}

std::string Bytes(int64_t count) {
  return std::to_string(count) + (count == 1 ? " byte" : " bytes");
}

std::string Tiles(int64_t count) {
  return std::to_string(count) + (count == 1 ? " tile" : " tiles");
}

// "no whole block row of 128 bytes", "no whole 24x21 glyph of 63 bytes".
std::string WholeUnit(const WalkChoice& choice) {
  if (choice.glyph) {
    return "no whole " + GlyphName(*choice.glyph) + " glyph of " + Bytes(choice.glyph->Bytes());
  }
  if (choice.shape == Shape::k8x8) return "no whole block row of 128 bytes";
  return "no whole tile row of 256 bytes";
}

// The tiles that --every-tile adds to the listing of `choice`.
int64_t EveryTileExtra(WalkChoice choice, int64_t length) {
  if (choice.glyph || choice.every) return 0;
  const int64_t without = ListedTiles(choice, length).count();
  choice.every = true;
  return ListedTiles(choice, length).count() - without;
}

}  // namespace

int64_t FirstTileBytes(const WalkChoice& choice) {
  if (choice.glyph) return choice.glyph->Bytes();
  int64_t length = 8;
  while (ListedTiles(choice, length).count() == 0) length += 8;  // 512 at the most
  return length;
}

std::string NothingToList(const WalkChoice& choice, int64_t start, int64_t length,
                          std::string_view every_option) {
  std::string text = "the range from " + Hex(start) + " to " + Hex(start + length) + " (" +
                     Bytes(length) + ") holds ";
  text += choice.every && !choice.glyph ? std::string("no whole tile") : WholeUnit(choice);
  text += "; nothing to list";
  if (const int64_t extra = EveryTileExtra(choice, length); extra > 0) {
    text += " (" + std::string(every_option) + " lists its " + Tiles(extra) + ")";
  }
  return text;
}

std::optional<std::string> UnlistedNote(const WalkChoice& choice, int64_t start, int64_t length,
                                        std::string_view every_option) {
  int64_t unlisted = 0;
  if (choice.glyph) {
    unlisted = length - GlyphsIn(*choice.glyph, length) * choice.glyph->Stride();
  } else if (!choice.every) {
    unlisted = length % TileRowBytes(choice.shape);
  } else if (choice.shape == Shape::k8x8) {
    unlisted = length % 8;
  }
  if (unlisted <= 0) return std::nullopt;
  const int64_t from = start + length - unlisted;
  const bool one = unlisted == 1;
  std::string text = (one ? std::string("the last byte") : "the last " + Bytes(unlisted)) +
                     " of the range (" + Hex(from) + " to " + Hex(start + length) + ") ";
  if (choice.glyph) {
    text += (one ? "holds " : "hold ") + WholeUnit(choice);
  } else if (choice.every) {
    text += one ? "holds no whole tile" : "hold no whole tile";
  } else {
    text += (one ? "fills " : "fill ") + WholeUnit(choice);
  }
  text += one ? " and is not listed" : " and are not listed";
  if (const int64_t extra = EveryTileExtra(choice, length); extra > 0) {
    text +=
        "; " + std::string(every_option) + (one ? " lists its " : " lists their ") + Tiles(extra);
  }
  return text;
}

}  // namespace tessary
