#include "notation/hex2.h"

#include <array>
#include <cstring>

namespace tessary {
namespace {

// The two digits of every byte value.
constexpr auto kByteDigits = [] {
  constexpr char kDigits[] = "0123456789ABCDEF";
  std::array<std::array<char, 2>, 256> table{};
  for (int v = 0; v < 256; ++v) table[v] = {kDigits[v >> 4], kDigits[v & 0xF]};
  return table;
}();

}  // namespace

char* PutHex2(int32_t value, char* out) {
  const uint32_t bits = static_cast<uint32_t>(value);
  int bytes = 1;  // even width: whole bytes, at least one
  if (bits > 0xFFFFFF) {
    bytes = 4;
  } else if (bits > 0xFFFF) {
    bytes = 3;
  } else if (bits > 0xFF) {
    bytes = 2;
  }
  for (int i = bytes - 1; i >= 0; --i) {
    std::memcpy(out, kByteDigits[(bits >> (i * 8)) & 0xFF].data(), 2);
    out += 2;
  }
  return out;
}

std::string Hex2(int32_t value) {
  char text[kMaxHex2Digits];
  return std::string(text, PutHex2(value, text));
}

}  // namespace tessary
