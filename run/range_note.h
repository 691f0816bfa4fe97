// What a run says about the bytes of its range that its walk leaves unlisted.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "run/listing_walk.h"

namespace tessary {

// The reason a range of `length` bytes from `start` lists no tile under `choice`, to end a
// message: "the range from $28C to $2DC (80 bytes) holds no whole block row of 128 bytes;
// nothing to list (--every-tile lists its 10 tiles)". `every_option` is how the front end names
// the option that lists the tiles of a partial row ("--every-tile", "Every tile").
std::string NothingToList(const WalkChoice& choice, int64_t start, int64_t length,
                          std::string_view every_option);

// The fewest bytes from which `choice` lists a tile.
int64_t FirstTileBytes(const WalkChoice& choice);

// When the walk leaves whole tiles' bytes at the end of the range unlisted (the tiles of a
// partial last tile row, or the bytes of a partial glyph), a note that says so; std::nullopt
// when it lists up to the end. "the last 80 bytes of the range ($28C to $2DC) fill no whole
// block row of 128 bytes and are not listed; --every-tile lists their 10 tiles".
std::optional<std::string> UnlistedNote(const WalkChoice& choice, int64_t start, int64_t length,
                                        std::string_view every_option);

}  // namespace tessary
