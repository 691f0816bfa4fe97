// UniqueCells: the distinct 8x8 cells of a listing, each numbered in order of first use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace tessary {

// An open-addressing hash table of 8-byte cells. Without `numbered` it keeps the cells alone
// (8 bytes a slot, at most half full: 16 bytes per distinct cell at worst); with it, each
// cell's place in the order of first use too (12 bytes a slot). Doubling may throw
// std::bad_alloc, which the run turns into its message.
class UniqueCells {
 public:
  explicit UniqueCells(bool numbered);

  // Looks `cell` up. A new cell gets the next place (0, 1, 2, ...) and returns true; a cell seen
  // before returns false. Either way `*place`, when not null and the table is numbered, is set
  // to the cell's place.
  bool Add(const uint8_t* cell, uint32_t* place);

  uint32_t size() const { return size_; }

 private:
  void Grow();
  size_t SlotOf(uint64_t key) const;

  bool numbered_;
  size_t mask_ = 0;  // slots - 1
  std::unique_ptr<uint64_t[]> keys_;
  std::unique_ptr<uint32_t[]> places_;
  std::unique_ptr<uint8_t[]> used_;  // a bit per slot: the zero cell is a key like any other
  uint32_t size_ = 0;
};

}  // namespace tessary
