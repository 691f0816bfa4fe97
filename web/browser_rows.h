// The rows of the input picture as the browser decoded them (RGBA, 8 bits a sample), which the
// browser build's PNG reader hands to the core in place of a codec of its own.
#pragma once

#include <cstdint>
#include <vector>

namespace tessary {

// Keeps `rgba` (width * height * 4 bytes, rows top down) as the picture that the next opens of
// a PNG input decode to; a width of 0 forgets it, and opens then fail as undecodable.
void SetBrowserPicture(uint32_t width, uint32_t height, std::vector<uint8_t> rgba);

}  // namespace tessary
