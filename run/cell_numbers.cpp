#include "run/cell_numbers.h"

#include <algorithm>

#include "run/unique_cells.h"

namespace tessary {

std::vector<MapCell> NumberCells(InputFile& input, uint64_t start, int64_t length) {
  constexpr size_t kChunk = size_t{64} << 10;
  const auto count = static_cast<size_t>(std::clamp<int64_t>(length / 8, 0, kMaxNumberedCells));
  std::vector<MapCell> cells;
  cells.reserve(count);
  UniqueCells seen(true);
  std::vector<char> bytes(kChunk);
  while (cells.size() < count) {
    const size_t want = std::min(kChunk, (count - cells.size()) * 8);
    size_t got = 0;
    const std::error_code ec =
        ReadFileAt(input, start + cells.size() * 8, bytes.data(), want, &got);
    for (size_t at = 0; at + 8 <= got; at += 8) {
      uint32_t place = 0;
      const bool fresh = seen.Add(reinterpret_cast<const uint8_t*>(bytes.data() + at), &place);
      cells.push_back({static_cast<int32_t>(place), !fresh});
    }
    if (ec || got < want) break;
  }
  return cells;
}

}  // namespace tessary
