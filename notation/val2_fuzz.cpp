// libFuzzer target: Val2 and WholeNumberProblem take any text without crashing, and agrees with a plain reading of
// the texts whose value is easy to tell.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "notation/val2.h"
#include "notation/whole_number.h"

namespace {

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto value = tessary::Val2(text);
  // The command line's whole-number check takes any text too, and passes only what Val2 reads.
  const auto problem = tessary::WholeNumberProblem(text);
  Check(!problem || value.has_value());

  // "$" and one to eight hexadecimal digits: the 32-bit pattern.
  std::string hex(text.substr(text.empty() ? 0 : 1));
  if (!text.empty() && text[0] == '$' && !hex.empty() && hex.size() <= 8 &&
      hex.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
    Check(value.has_value() && static_cast<uint32_t>(*value) == std::stoul(hex, nullptr, 16));
  }
  // Up to nine decimal digits: the number.
  if (!text.empty() && size <= 9 && text.find_first_not_of("0123456789") == std::string::npos) {
    Check(value.has_value() && *value == std::stol(std::string(text)));
  }
  return 0;
}
