#include "run/picture_colours.h"

#include <cstring>
#include <utility>

#include "run/picture_error.h"

namespace tessary {
namespace {

constexpr Colour kWhite = 0xFFFFFFFFFFFF;
constexpr uint32_t kMidGrey = 128;

uint32_t To16(uint32_t v, int bits) { return bits == 16 ? v : v * 65535 / ((1u << bits) - 1); }

uint32_t Over(uint32_t c, uint32_t a) { return (c * a + 65535 * (65535 - a) + 32767) / 65535; }

Colour Rgb(uint32_t r, uint32_t g, uint32_t b) {
  return Colour{r} << 32 | Colour{g} << 16 | Colour{b};
}

Colour OfPalette(uint32_t argb) {
  const uint32_t a = (argb >> 24) * 257;
  return Rgb(Over((argb >> 16 & 0xFF) * 257, a), Over((argb >> 8 & 0xFF) * 257, a),
             Over((argb & 0xFF) * 257, a));
}

// True when `a` counts as the darker of two colours.
bool Darker(Colour a, Colour b) { return std::pair(Luminance(a), a) < std::pair(Luminance(b), b); }

std::string Where(uint32_t x, uint32_t y) {
  return "x " + std::to_string(x) + ", y " + std::to_string(y);
}

}  // namespace

uint32_t Luminance(Colour c) {
  return static_cast<uint32_t>(
      (19595 * (c >> 32 & 0xFFFF) + 38470 * (c >> 16 & 0xFFFF) + 7471 * (c & 0xFFFF) + 32768) >>
      16);
}

void ColourCensus::AddNew(Colour c, uint32_t x, uint32_t y) {
  if (full()) return;
  if (count_ < 2) {
    first_[count_++] = c;
  } else if (more_.insert(c).second) {
    if (count_ == 2) third_x_ = x, third_y_ = y;
    ++count_;
    if (full()) more_ = {};
  }
}

RowDigits::RowDigits(const RowLayout& layout)
    : layout_(layout), by_value_(layout.channels == 1 && layout.alpha < 0) {
  if (!by_value_) return;
  const size_t values = size_t{1} << layout_.bits;
  value_colour_.resize(values);
  Colour possible[3] = {kNoColour, kNoColour, kNoColour};
  int distinct = 0;
  for (uint32_t v = 0; v < values; ++v) {
    Colour& c = value_colour_[v];
    if (layout_.indexed) {
      c = v < layout_.palette.size() ? OfPalette(layout_.palette[v]) : kNoColour;
    } else {
      const uint32_t grey = To16(v, layout_.bits);
      c = layout_.key && (*layout_.key)[0] == v ? kWhite : Rgb(grey, grey, grey);
    }
    if (c == kNoColour || c == possible[0] || c == possible[1]) continue;
    if (distinct < 3) possible[distinct] = c;
    ++distinct;
  }
  if (distinct == 2 && Darker(possible[1], possible[0])) std::swap(possible[0], possible[1]);
  needs_census_ = distinct > 2 || (distinct == 2 && !(Luminance(possible[0]) < kMidGrey * 257 &&
                                                      Luminance(possible[1]) >= kMidGrey * 257));
  seen_.assign(values, 0);
  if (layout_.bits <= 8) seen_byte_.assign(256, 0);
}

uint32_t RowDigits::SampleAt(const uint8_t* row, uint64_t i) const {
  switch (layout_.bits) {
    case 16: {
      uint16_t v;
      std::memcpy(&v, row + 2 * i, 2);
      return v;
    }
    case 8:
      return row[i];
    default: {
      const uint64_t bit = i * layout_.bits;
      return row[bit / 8] >> (8 - layout_.bits - bit % 8) & ((1u << layout_.bits) - 1);
    }
  }
}

Colour RowDigits::ColourAt(const uint8_t* row, uint32_t x) const {
  if (by_value_) return value_colour_[SampleAt(row, x)];
  const uint64_t at = uint64_t{x} * layout_.channels;
  const uint32_t r = SampleAt(row, at + layout_.red);
  const uint32_t g = SampleAt(row, at + layout_.green);
  const uint32_t b = SampleAt(row, at + layout_.blue);
  if (layout_.key && r == (*layout_.key)[0] && g == (*layout_.key)[1] && b == (*layout_.key)[2]) {
    return kWhite;
  }
  const int bits = layout_.bits;
  if (layout_.alpha < 0) return Rgb(To16(r, bits), To16(g, bits), To16(b, bits));
  const uint32_t a = To16(SampleAt(row, at + layout_.alpha), bits);
  return Rgb(Over(To16(r, bits), a), Over(To16(g, bits), a), Over(To16(b, bits), a));
}

uint8_t RowDigits::DigitOf(Colour c) const {
  if (threshold_ > 0) return Luminance(c) < static_cast<uint32_t>(threshold_) * 257;
  return c == ink_ ? 1 : c == paper_ ? 0 : kUnseen;
}

uint8_t RowDigits::DigitAt(const uint8_t* row, uint32_t x) const {
  return by_value_ ? value_digit_[SampleAt(row, x)] : DigitOf(ColourAt(row, x));
}

std::error_code RowDigits::Survey(const uint8_t* row, uint32_t y, ColourCensus* census,
                                  std::string* problem) {
  const uint32_t width = layout_.width;
  if (!by_value_) {
    for (uint32_t x = 0; x < width && !census->full(); ++x) {
      const Colour c = ColourAt(row, x);
      if (c != last_) census->Add(last_ = c, x, y);
    }
    return {};
  }
  const auto value = [&](uint32_t x) {
    const uint32_t v = SampleAt(row, x);
    if (seen_[v]) return true;
    seen_[v] = 1;
    if (value_colour_[v] == kNoColour) return false;
    census->Add(value_colour_[v], x, y);
    return true;
  };
  uint32_t x = 0;
  if (layout_.bits <= 8) {  // whole bytes, each looked at once
    const uint32_t per_byte = 8 / layout_.bits;
    for (uint32_t k = 0; k < width / per_byte; ++k) {
      if (seen_byte_[row[k]]) continue;
      seen_byte_[row[k]] = 1;
      for (uint32_t j = 0; j < per_byte; ++j) {
        if (!value(k * per_byte + j)) return Fault(row, y, problem);
      }
    }
    x = width / per_byte * per_byte;
  }
  for (; x < width; ++x) {
    if (!value(x)) return Fault(row, y, problem);
  }
  return {};
}

void RowDigits::Decide(int threshold, const ColourCensus* census) {
  decided_ = true;
  threshold_ = threshold;
  if (threshold == 0 && census == nullptr) threshold_ = kMidGrey;
  if (threshold_ == 0) {
    Colour a = census->colour(0);
    if (census->count() == 1) {
      (Luminance(a) < kMidGrey * 257 ? ink_ : paper_) = a;
    } else {
      Colour b = census->colour(1);
      if (Darker(b, a)) std::swap(a, b);
      ink_ = a;
      paper_ = b;
    }
  }
  if (!by_value_) return;
  value_digit_.resize(value_colour_.size());
  for (size_t v = 0; v < value_colour_.size(); ++v) {
    value_digit_[v] = value_colour_[v] == kNoColour ? kBadIndex : DigitOf(value_colour_[v]);
  }
  if (layout_.bits >= 8) return;
  byte_digits_.assign(256, 0);
  const int bits = layout_.bits;
  for (uint32_t byte = 0; byte < 256; ++byte) {
    uint32_t digits = 0, odd = 0;
    for (int shift = 8 - bits; shift >= 0; shift -= bits) {
      const uint8_t d = value_digit_[byte >> shift & ((1u << bits) - 1)];
      digits = digits << 1 | (d & 1);
      odd |= d > 1 ? 0x8000 : 0;
    }
    byte_digits_[byte] = static_cast<uint16_t>(digits | odd);
  }
}

std::error_code RowDigits::Pack(const uint8_t* row, uint32_t y, uint8_t* out, size_t stride,
                                std::string* problem) const {
  const uint32_t whole = layout_.width / 8;  // output bytes of 8 pixels each
  uint32_t odd = 0;                          // bit 15 / bit 1: a digit that is not 0 or 1
  const uint16_t* t = byte_digits_.data();
  const uint8_t* d = value_digit_.data();
  if (by_value_ && layout_.bits == 1 && d[0] <= 1 && d[1] <= 1) {  // each bit kept or flipped
    const uint8_t ones = d[1] ? 0xFF : 0, zeros = d[0] ? 0xFF : 0;
    for (uint32_t k = 0; k < whole; ++k) out[k * stride] = (row[k] & ones) | (~row[k] & zeros);
  } else if (by_value_ && layout_.bits == 1) {
    for (uint32_t k = 0; k < whole; ++k) {
      odd |= t[row[k]], out[k * stride] = static_cast<uint8_t>(t[row[k]]);
    }
  } else if (by_value_ && layout_.bits == 2) {
    for (uint32_t k = 0; k < whole; ++k) {
      const uint8_t* p = row + 2 * k;
      odd |= t[p[0]] | t[p[1]];
      out[k * stride] = static_cast<uint8_t>(t[p[0]] << 4 | (t[p[1]] & 0xF));
    }
  } else if (by_value_ && layout_.bits == 4) {
    for (uint32_t k = 0; k < whole; ++k) {
      const uint8_t* p = row + 4 * k;
      odd |= t[p[0]] | t[p[1]] | t[p[2]] | t[p[3]];
      out[k * stride] = static_cast<uint8_t>(t[p[0]] << 6 | (t[p[1]] & 3) << 4 |
                                             (t[p[2]] & 3) << 2 | (t[p[3]] & 3));
    }
  } else if (by_value_ && layout_.bits == 8) {
    for (uint32_t k = 0; k < whole; ++k) {
      const uint8_t* p = row + 8 * k;
      const uint32_t b = d[p[0]] << 7 | d[p[1]] << 6 | d[p[2]] << 5 | d[p[3]] << 4 | d[p[4]] << 3 |
                         d[p[5]] << 2 | d[p[6]] << 1 | d[p[7]];
      odd |= (d[p[0]] | d[p[1]] | d[p[2]] | d[p[3]] | d[p[4]] | d[p[5]] | d[p[6]] | d[p[7]]) << 14;
      out[k * stride] = static_cast<uint8_t>(b);
    }
  } else {
    for (uint32_t k = 0; k < whole; ++k) {
      uint32_t b = 0;
      for (uint32_t x = 8 * k; x < 8 * k + 8; ++x) {
        const uint8_t digit = DigitAt(row, x);
        odd |= digit << 14;
        b = b << 1 | (digit & 1);
      }
      out[k * stride] = static_cast<uint8_t>(b);
    }
  }
  if (whole * 8 < layout_.width) {
    uint32_t b = 0;
    for (uint32_t x = whole * 8; x < layout_.width; ++x) {
      const uint8_t digit = DigitAt(row, x);
      odd |= digit << 14;
      b |= (digit & 1u) << (7 - x % 8);
    }
    out[whole * stride] = static_cast<uint8_t>(b);
  }
  return odd & 0x8000 ? Fault(row, y, problem) : std::error_code();
}

// Finds the first pixel of row `y` whose digit is not 0 or 1, and words why.
std::error_code RowDigits::Fault(const uint8_t* row, uint32_t y, std::string* problem) const {
  for (uint32_t x = 0; x < layout_.width; ++x) {
    if (by_value_ && value_colour_[SampleAt(row, x)] == kNoColour) {
      const size_t size = layout_.palette.size();
      *problem = "the pixel at " + Where(x, y) + " has palette index " +
                 std::to_string(SampleAt(row, x)) + ", outside its palette of " +
                 std::to_string(size) + (size == 1 ? " colour" : " colours");
      return PictureError::kPaletteIndex;
    }
    if (decided_ && DigitAt(row, x) > 1) {
      *problem = "the picture changed while it was read (a new colour at " + Where(x, y) + ")";
      return PictureError::kChanged;
    }
  }
  *problem = "the picture changed while it was read";
  return PictureError::kChanged;
}

}  // namespace tessary
