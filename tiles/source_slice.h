// The source slice: input bytes from the start offset on, with bytes past the file's end read as 0.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tessary {

// Holds only the bytes the file actually has, so a range that reaches past the end of a short
// file costs no memory for the missing part; those bytes read as 0 (blank pixel rows).
class SourceSlice {
 public:
  SourceSlice() = default;
  explicit SourceSlice(std::string bytes) : bytes_(std::move(bytes)) {}

  // The 8 bytes from slice offset `offset` on. Points into the slice when they are all held;
  // otherwise fills `scratch` (held bytes, then zeros) and points to it.
  const uint8_t* Block(uint64_t offset, uint8_t (&scratch)[8]) const {
    if (offset <= bytes_.size() && bytes_.size() - offset >= 8) {
      return reinterpret_cast<const uint8_t*>(bytes_.data()) + offset;
    }
    for (uint64_t k = 0; k < 8; ++k) {
      scratch[k] = offset + k < bytes_.size() ? static_cast<uint8_t>(bytes_[offset + k]) : 0;
    }
    return scratch;
  }

 private:
  std::string bytes_;
};

}  // namespace tessary
