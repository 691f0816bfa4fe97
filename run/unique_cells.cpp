#include "run/unique_cells.h"

#include <cstring>

namespace tessary {
namespace {

constexpr size_t kFirstSlots = 1024;

uint64_t Mixed(uint64_t key) {  // spreads the bits of cells that differ in one row only
  key ^= key >> 33;
  key *= 0xFF51AFD7ED558CCDull;
  key ^= key >> 33;
  key *= 0xC4CEB9FE1A85EC53ull;
  return key ^ (key >> 33);
}

bool Used(const uint8_t* bits, size_t slot) { return (bits[slot / 8] >> (slot % 8)) & 1; }

}  // namespace

UniqueCells::UniqueCells(bool numbered) : numbered_(numbered) {}

size_t UniqueCells::SlotOf(uint64_t key) const {
  size_t slot = static_cast<size_t>(Mixed(key)) & mask_;
  while (Used(used_.get(), slot) && keys_[slot] != key) slot = (slot + 1) & mask_;
  return slot;
}

void UniqueCells::Grow() {
  const size_t slots = keys_ ? (mask_ + 1) * 2 : kFirstSlots;
  std::unique_ptr<uint64_t[]> keys(new uint64_t[slots]);
  std::unique_ptr<uint32_t[]> places(numbered_ ? new uint32_t[slots] : nullptr);
  std::unique_ptr<uint8_t[]> used(new uint8_t[slots / 8]());
  std::swap(keys, keys_);
  std::swap(places, places_);
  std::swap(used, used_);
  const size_t old_slots = keys ? mask_ + 1 : 0;
  mask_ = slots - 1;
  for (size_t k = 0; k < old_slots; ++k) {
    if (!Used(used.get(), k)) continue;
    const size_t slot = SlotOf(keys[k]);
    keys_[slot] = keys[k];
    if (numbered_) places_[slot] = places[k];
    used_[slot / 8] |= static_cast<uint8_t>(1u << (slot % 8));
  }
}

bool UniqueCells::Add(const uint8_t* cell, uint32_t* place) {
  if (!keys_ || size_t{size_} + 1 > (mask_ + 1) / 2) Grow();
  uint64_t key;
  std::memcpy(&key, cell, 8);
  const size_t slot = SlotOf(key);
  const bool fresh = !Used(used_.get(), slot);
  if (fresh) {
    keys_[slot] = key;
    if (numbered_) places_[slot] = size_;
    used_[slot / 8] |= static_cast<uint8_t>(1u << (slot % 8));
    ++size_;
  }
  if (place && numbered_) *place = places_[slot];
  return fresh;
}

}  // namespace tessary
