// Hex2: formats a tile number as upper-case hexadecimal with an even number of digits.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

namespace tessary {

// Longest text Hex2 makes: a negative value is its eight-digit two's complement.
inline constexpr int kMaxHex2Digits = 8;

// The two hexadecimal digits of every byte value.
extern const std::array<std::array<char, 2>, 256> kHexByteDigits;

// Writes Hex2 of `value` at `out` ("00", "0A", "0100", "FFFFFFFF" for -1) and returns the end.
// `out` must have room for kMaxHex2Digits characters. No terminating NUL is written. Inline:
// every label line of a listing goes through it.
inline char* PutHex2(int32_t value, char* out) {
  const uint32_t bits = static_cast<uint32_t>(value);
  const int bytes = bits > 0xFFFFFF ? 4 : bits > 0xFFFF ? 3 : bits > 0xFF ? 2 : 1;
  for (int i = bytes - 1; i >= 0; --i) {
    std::memcpy(out, kHexByteDigits[(bits >> (i * 8)) & 0xFF].data(), 2);
    out += 2;
  }
  return out;
}

// The same text as a string.
std::string Hex2(int32_t value);

}  // namespace tessary
