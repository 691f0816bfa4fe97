#include "notation/hex2.h"

namespace tessary {

char* PutHex2(int32_t value, char* out) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  const uint32_t bits = static_cast<uint32_t>(value);
  int digits = 2;  // even width: whole bytes, at least one
  while (digits < kMaxHex2Digits && (bits >> (digits * 4)) != 0) digits += 2;
  for (int i = digits - 1; i >= 0; --i) *out++ = kDigits[(bits >> (i * 4)) & 0xF];
  return out;
}

std::string Hex2(int32_t value) {
  char text[kMaxHex2Digits];
  return std::string(text, PutHex2(value, text));
}

}  // namespace tessary
