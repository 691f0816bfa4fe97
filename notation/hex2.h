// Hex2: formats a tile number as upper-case hexadecimal with an even number of digits.
#pragma once

#include <cstdint>
#include <string>

namespace tessary {

// Longest text Hex2 makes: a negative value is its eight-digit two's complement.
inline constexpr int kMaxHex2Digits = 8;

// Writes Hex2 of `value` at `out` ("00", "0A", "0100", "FFFFFFFF" for -1) and returns the end.
// `out` must have room for kMaxHex2Digits characters. No terminating NUL is written.
char* PutHex2(int32_t value, char* out);

// The same text as a string.
std::string Hex2(int32_t value);

}  // namespace tessary
