// The source slice: a window onto the input bytes from the start offset on, read as blocks.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

namespace tessary {

// Holds the slice bytes of one window, slice offsets [base(), held_end()); whoever fills it
// (the run's reader) makes sure the window holds every byte a tile needs that the input has.
// Bytes outside the window read as 0: those are the bytes past the end of the input, which
// cost no memory.
class SourceSlice {
 public:
  SourceSlice() = default;
  // A slice held whole: `bytes` from offset 0 on.
  explicit SourceSlice(std::string bytes)
      : bytes_(std::move(bytes)), data_(bytes_.data()), held_(bytes_.size()) {}
  SourceSlice(const SourceSlice&) = delete;  // the window may point into the storage
  SourceSlice& operator=(const SourceSlice&) = delete;

  // The 8 bytes from slice offset `offset` on. Points into the window when they are all held;
  // otherwise fills `scratch` (held bytes, zeros for the rest) and points to it.
  const uint8_t* Block(uint64_t offset, uint8_t (&scratch)[8]) const {
    if (offset >= base_ && offset - base_ + 8 <= held_) {
      return reinterpret_cast<const uint8_t*>(data_) + (offset - base_);
    }
    for (uint64_t k = 0; k < 8; ++k) {
      const uint64_t at = offset + k;
      scratch[k] = at >= base_ && at - base_ < held_ ? static_cast<uint8_t>(data_[at - base_]) : 0;
    }
    return scratch;
  }

  uint64_t base() const { return base_; }
  uint64_t held_end() const { return base_ + held_; }

  // For the reader: its storage (at least `size` bytes), and the window that the storage, or
  // `held` bytes at `data` (which must outlive their use), now hold from slice offset `base` on.
  char* Storage(size_t size) {
    if (bytes_.size() < size) bytes_.resize(size);
    return bytes_.data();
  }
  size_t capacity() const { return bytes_.size(); }
  void SetWindow(uint64_t base, size_t held) { SetView(base, bytes_.data(), held); }
  void SetView(uint64_t base, const char* data, size_t held) {
    base_ = base;
    data_ = data;
    held_ = held;
  }

 private:
  std::string bytes_;
  const char* data_ = nullptr;
  uint64_t base_ = 0;
  size_t held_ = 0;
};

}  // namespace tessary
