#include "run/range_check.h"

#include <limits>

#include "notation/val2.h"
#include "run/messages.h"

namespace tessary {

std::optional<int32_t> ReadField(const char* field, const std::string& text, std::string* message) {
  const std::optional<int32_t> value = Val2(text);
  if (!value) *message = messages::OutOfRange(field, text);
  return value;
}

std::optional<int32_t> RangeLength(int32_t start, int32_t end, std::string* message,
                                   bool* bad_start) {
  *bad_start = false;
  if (end < start) {
    *message = messages::EndBelowStart(start, end);
    return std::nullopt;
  }
  // The difference wraps like every 32-bit sum here, only when the start is below 0.
  const auto length =
      static_cast<int32_t>(static_cast<uint32_t>(end) - static_cast<uint32_t>(start));
  if (length >= 8) return length;
  *bad_start = length < 0;
  *message = *bad_start ? messages::StartBelowZero(start) : messages::RangeTooShort(start, end);
  return std::nullopt;
}

RangePlan PlanRange(const RunOptions& options, uint64_t file_size) {
  RangePlan plan;
  const std::optional<int32_t> tile_no =
      ReadField("Hex Count From", options.tile_number_text, &plan.problem);
  if (!tile_no) return plan;
  plan.TileNo = *tile_no;
  const std::optional<int32_t> start = ReadField("Start Offset", options.start_text, &plan.problem);
  if (!start) return plan;
  plan.start = *start;
  std::optional<int32_t> end;
  if (options.end_text) {
    end = ReadField("End Offset", *options.end_text, &plan.problem);
    if (!end) return plan;
  } else if (file_size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
    plan.problem = messages::FileTooLarge();
    return plan;
  } else {
    end = static_cast<int32_t>(file_size);
  }
  bool bad_start = false;
  const std::optional<int32_t> length = RangeLength(*start, *end, &plan.problem, &bad_start);
  if (!length) return plan;
  if (*start < 0) {
    plan.problem = messages::StartBelowZero(*start);
  } else if (file_size == 0) {
    plan.problem = messages::FileEmpty();
  } else {
    plan.length = *length;
  }
  return plan;
}

}  // namespace tessary
