// libFuzzer target: Val2 must accept any text without crashing, and agree with itself.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "notation/val2.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const auto first = tessary::Val2(text);
  const auto second = tessary::Val2(text);
  if (first != second) __builtin_trap();
  return 0;
}
