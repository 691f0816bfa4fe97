// The walk a run takes over its range, chosen from the shape and the column options.
#pragma once

#include <cstdint>
#include <optional>

#include "run/options.h"
#include "run/walks.h"
#include "tiles/composite_walks.h"
#include "tiles/glyph.h"

namespace tessary {

// The walk options of a run: what decides which tile positions it lists and in which order.
struct WalkChoice {
  Shape shape = Shape::k8x8;
  bool vertical = false;  // 8x8 only
  bool skip = false;      // 8x8 only
  bool even = true;
  bool every = false;                 // also the whole tiles of a partial last tile row
  std::optional<GlyphShape> glyph{};  // glyphs instead of `shape`, each its own tile row
};

inline WalkChoice WalkChoiceOf(const RunOptions& options) {
  return {options.shape, options.vertical,   options.skip,
          options.even,  options.every_tile, options.glyph};
}

// Bytes from one tile row to the next: 128 for 8x8 tiles, 256 for the composite shapes.
inline int64_t TileRowBytes(Shape shape) { return shape == Shape::k8x8 ? 128 : 256; }

// The same for a walk: a glyph's stride for glyphs.
inline int64_t TileRowBytes(const WalkChoice& choice) {
  return choice.glyph ? choice.glyph->Stride() : TileRowBytes(choice.shape);
}

// Calls visit(column, row) for each tile position that a run with `choice` lists, in listing
// order; see WalkRows, WalkColumns, Walk812 and Walk1616. Returns false when visit stopped it.
template <typename Reaches, typename Visit>
bool WalkListing(const WalkChoice& choice, Reaches&& reaches, Visit&& visit) {
  if (choice.glyph)
    return WalkGlyphs(reaches, choice.glyph->Bytes(), choice.glyph->Stride(), visit);
  switch (choice.shape) {
    case Shape::k16x16:
      return Walk1616(reaches, choice.every, visit);
    case Shape::k8x12:
      return Walk812(reaches, visit);
    case Shape::k8x8:
      break;
  }
  if (choice.vertical) return WalkColumns(reaches, choice.skip, choice.even, choice.every, visit);
  return WalkRows(reaches, choice.skip, choice.even, choice.every, visit);
}

}  // namespace tessary
