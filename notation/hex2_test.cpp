#include "notation/hex2.h"

#include <gtest/gtest.h>

namespace tessary {
namespace {

TEST(Hex2Test, EvenWidthUpperCase) {
  const struct {
    int32_t value;
    const char* text;
  } cases[] = {
      // clang-format off
      {0, "00"}, {5, "05"}, {255, "FF"}, {256, "0100"}, {4096, "1000"}, {65535, "FFFF"},
      {65536, "010000"}, {74565, "012345"}, {16777215, "FFFFFF"}, {16777216, "01000000"},
      {2147483647, "7FFFFFFF"}, {-1, "FFFFFFFF"}, {-256, "FFFFFF00"}, {-2147483648, "80000000"},
      // clang-format on
  };
  for (const auto& c : cases) EXPECT_EQ(Hex2(c.value), c.text) << c.value;
}

}  // namespace
}  // namespace tessary
