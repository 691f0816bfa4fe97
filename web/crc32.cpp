// The CRC-32 of PNG chunks (polynomial 0xEDB88320, reflected), as zlib's crc32() computes it.
#include <array>
#include <cstdint>

#include "zlib.h"

namespace {

constexpr std::array<uint32_t, 256> MakeTable() {
  std::array<uint32_t, 256> table{};
  for (uint32_t n = 0; n < 256; ++n) {
    uint32_t c = n;
    for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
    table[n] = c;
  }
  return table;
}

constexpr std::array<uint32_t, 256> kTable = MakeTable();

}  // namespace

extern "C" uLong crc32(uLong crc, const Bytef* buf, uInt len) {
  if (buf == nullptr) return 0;
  uint32_t c = static_cast<uint32_t>(crc) ^ 0xFFFFFFFFu;
  for (uInt i = 0; i < len; ++i) c = kTable[(c ^ buf[i]) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}
