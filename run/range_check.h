// The checks of a run's numeric fields and range, shared by the run and the preview.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "run/options.h"

namespace tessary {

// Reads one numeric field named `field` with Val2; std::nullopt (with `*message` set) when it is
// outside the 32-bit range.
std::optional<int32_t> ReadField(const char* field, const std::string& text, std::string* message);

// The range from `start` to `end`: its length, or std::nullopt with `*message` set. That is a
// quiet stop when the range ends before it starts or holds fewer than 8 bytes, and an error
// (`*bad_start` set) when its start lies so far below 0 that it would be longer than 2147483647
// bytes. (A shorter range that starts below 0 is left to the caller.)
std::optional<int32_t> RangeLength(int32_t start, int32_t end, std::string* message,
                                   bool* bad_start);

// What a run with `options` would list from a file of `file_size` bytes: its first tile number,
// its range, and the reason when it would list nothing.
struct RangePlan {
  int32_t TileNo = 0;
  int32_t start = 0;
  int32_t length = 0;   // bytes in the range; the run's walk decides how many begin a tile
  std::string problem;  // empty when the run would list from the range
};

// Reads the fields as a run does, without opening a file. Requires a file, not a stream.
RangePlan PlanRange(const RunOptions& options, uint64_t file_size);

}  // namespace tessary
