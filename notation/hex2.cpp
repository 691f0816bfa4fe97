#include "notation/hex2.h"

namespace tessary {

constexpr std::array<std::array<char, 2>, 256> kHexByteDigits = [] {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<std::array<char, 2>, 256> table{};
  for (int v = 0; v < 256; ++v) table[v] = {kDigits[v >> 4], kDigits[v & 0xF]};
  return table;
}();

std::string Hex2(int32_t value) {
  char text[kMaxHex2Digits];
  return std::string(text, PutHex2(value, text));
}

}  // namespace tessary
