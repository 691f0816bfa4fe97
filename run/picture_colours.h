// PictureColours: how the pixels of decoded picture rows become digits: their colours over
// white, the census of a picture's colours, and the rows packed into bits for the cells.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "run/png_rows.h"

namespace tessary {

// A pixel's colour once it is composited over white: 16 bits each of red, green and blue, as
// 0xRRRRGGGGBBBB. Samples of fewer bits are scaled to 16 (8-bit v becomes v * 257).
using Colour = uint64_t;

// The luminance of `c` on a 16-bit scale, 0 black to 65535 white: (19595 R + 38470 G + 7471 B)
// / 65536, rounded, i.e. 0.299 R + 0.587 G + 0.114 B. "Below N on the 8-bit scale" means
// below N * 257 here. The one formula for every rule that asks which colour is darker.
uint32_t Luminance(Colour c);

// The distinct colours of a picture's pixels in reading order (rows top to bottom, each left
// to right), counted exactly up to kMaxCounted.
class ColourCensus {
 public:
  static constexpr size_t kMaxCounted = 65536;

  void Add(Colour c, uint32_t x, uint32_t y) {
    if (count_ > 0 && (c == first_[0] || (count_ > 1 && c == first_[1]))) return;
    AddNew(c, x, y);
  }
  // How many colours (kMaxCounted + 1 for more); the first two; where the first pixel of a
  // third one lies. Once full(), further pixels change nothing.
  size_t count() const { return count_; }
  Colour colour(int i) const { return first_[i]; }
  uint32_t third_x() const { return third_x_; }
  uint32_t third_y() const { return third_y_; }
  bool full() const { return count_ > kMaxCounted; }

 private:
  void AddNew(Colour c, uint32_t x, uint32_t y);

  size_t count_ = 0;
  Colour first_[2] = {0, 0};
  uint32_t third_x_ = 0;
  uint32_t third_y_ = 0;
  std::unordered_set<Colour> more_;  // from the third colour on
};

// Turns the rows of one layout into digits: first, if need be, a census over every row; then
// the digits are settled once (Decide) and each row is packed.
class RowDigits {
 public:
  explicit RowDigits(const RowLayout& layout);

  // False when the colours the layout can give decide every digit as a census would: one
  // colour, or two of which only the darker is darker than mid-grey (luminance below 128 on
  // the 8-bit scale), as with black and white.
  bool NeedsCensus() const { return needs_census_; }

  // Adds the pixels of row `y` to `census`. Fails with PictureError::kPaletteIndex (reason in
  // `*problem`) at a palette index outside the palette.
  std::error_code Survey(const uint8_t* row, uint32_t y, ColourCensus* census,
                         std::string* problem);

  // Settles every colour's digit. With `threshold` 1 to 255, a pixel is 1 when its luminance
  // is below threshold on the 8-bit scale. With 0, `census` decides: one colour is 1 when it
  // is darker than mid-grey (as threshold 128), of two colours the darker is 1 (the smaller
  // 0xRRRRGGGGBBBB on a tie of luminance) and the other 0; a colour the census has not seen is
  // then an error. `census` may be null only when !NeedsCensus() (threshold 128 then).
  void Decide(int threshold, const ColourCensus* census);

  // Packs the digits of row `y` into `out`, `stride` bytes apart: 8 pixels a byte, the leftmost
  // as bit 7, 0 for the
  // bits past the last pixel. Fails with PictureError::kPaletteIndex or kChanged (a colour the
  // census has not seen) and `*problem` set.
  std::error_code Pack(const uint8_t* row, uint32_t y, uint8_t* out, size_t stride,
                       std::string* problem) const;

 private:
  static constexpr uint8_t kBadIndex = 2;  // digits: 0, 1, or these two
  static constexpr uint8_t kUnseen = 3;
  static constexpr Colour kNoColour = ~Colour{0};

  uint32_t SampleAt(const uint8_t* row, uint64_t i) const;
  Colour ColourAt(const uint8_t* row, uint32_t x) const;
  uint8_t DigitOf(Colour c) const;
  uint8_t DigitAt(const uint8_t* row, uint32_t x) const;
  std::error_code Fault(const uint8_t* row, uint32_t y, std::string* problem) const;

  RowLayout layout_;
  bool by_value_;  // one sample a pixel, no alpha: colours and digits by sample value
  bool needs_census_ = true;
  std::vector<Colour> value_colour_;   // by_value_: the colour of each sample value
  std::vector<uint8_t> value_digit_;   // by_value_: the digit of each sample value
  std::vector<uint16_t> byte_digits_;  // bits < 8: a byte's digits, bit 15 when one is not 0/1
  std::vector<uint8_t> seen_;          // by_value_: sample values the census has met
  std::vector<uint8_t> seen_byte_;     // bits <= 8: bytes whose every pixel the census has met
  Colour last_ = kNoColour;            // the last colour surveyed, when not by value
  bool decided_ = false;
  int threshold_ = 0;  // 0: ink_ and paper_ decide
  Colour ink_ = kNoColour;
  Colour paper_ = kNoColour;
};

}  // namespace tessary
