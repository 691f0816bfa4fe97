#include "notation/val2.h"

#include <gtest/gtest.h>

#include <string>

namespace tessary {
namespace {

struct Case {
  std::string text;
  int32_t value;
};

// clang-format off
TEST(Val2Test, EveryNotation) {
  const Case cases[] = {
      // Hexadecimal.
      {"$7734", 30516}, {"$F00F", 61455}, {"$ff", 255}, {"$100", 256}, {"$0", 0},
      {"$00", 0}, {"$", 0}, {"$XYZ", 0}, {"-$XYZ", 0}, {"$g1", 1}, {"$12 34", 4660},
      {"$FFFFFFFF", -1}, {"$80000000", -2147483648}, {"$7FFFFFFF", 2147483647},
      {"$8000", 32768}, {"$00000001", 1}, {"5$", 0}, {"12$", 0}, {"$1%1", 17},
      // A sign counts among the first four characters only.
      {"-$10", -16}, {"$-10", -16}, {"$1-2", -18}, {"   -$5", -5}, {"    -$5", 5},
      {"$F-", -15}, {"$FFFF-", 65535}, {"-%101", -5}, {"-'A", -65}, {"'-", -45},
      // Binary.
      {"%1010", 10}, {"%12", 1}, {"%1$1", 3}, {"10%", 0}, {"%", 0}, {"%ABC", 0},
      {"%" + std::string(30, '1'), 1073741823},
      {"%" + std::string(34, '1'), 1073741823},  // digits after the 30th are not read
      {"%" + std::string(30, '0') + "1", 0},
      // A character gives its Unicode code point.
      {"'A", 65}, {"'a", 65}, {"'%", 37}, {"'$", 36}, {"'1", 49},
      {"'\xC3\xA9", 0xE9}, {"'\xE2\x82\xAC", 0x20AC}, {"'\xF0\x9F\x98\x80", 0x1F600},
      {"'\xFF", 0xFFFD},                    // a stray byte stands for U+FFFD
      // Overlong forms, a surrogate and a code point past U+10FFFF are no characters.
      {"'\xE0\x81\x81", 0xFFFD}, {"'\xF0\x80\x81\x81", 0xFFFD}, {"'\xED\xA0\x80", 0xFFFD},
      {"'\xF4\x90\x80\x80", 0xFFFD},
      {"'\xC3\x9F", 0xDF}, {"$\xC3\xA4""1", 1},  // only ASCII letters are upper-cased
      // Regression: a "'" as the last character has no character to read and gave no value.
      {"'", 0}, {"-'", 0}, {"12'", 0},
      // Decimal.
      {"12", 12}, {"  42 ", 42}, {"4 2", 42}, {"4\t2\n", 42}, {"4\n2", 42}, {"-12", -12},
      {"+12", 12}, {"1-2", 1}, {"--5", 0}, {"12.5", 12}, {"13.5", 14}, {"-12.5", -12},
      {"0.5", 0}, {"1.5", 2}, {".7", 1}, {"1E3", 1000}, {"1e3", 1000}, {"1.5E1", 15},
      {"25E-1", 2}, {"1E", 1}, {"1E+", 1}, {"1E-400", 0}, {"1,000", 1}, {"12AB", 12},
      {"ABC", 0}, {"", 0}, {"   ", 0}, {"2147483647", 2147483647},
      {"-2147483648", -2147483648}, {"\xC3\xA9", 0},
      // Radix prefixes in the decimal form.
      {"&H10", 16}, {"&hff", 255}, {"&HFFFF", 65535}, {"&HFFFFFFFF", -1},
      {"&H80000000", -2147483648}, {"&H1G", 1}, {"& H 1 0", 16}, {"&O17", 15},
      {"&o777", 511}, {"&O18", 1}, {"&O37777777777", -1}, {"&H", 0}, {"&X1", 0}};
  for (const Case& c : cases) EXPECT_EQ(Val2(c.text), c.value) << "text \"" << c.text << "\"";
}
// clang-format on

TEST(Val2Test, OutsideThe32BitRangeIsNoValue) {
  for (const char* text : {"2147483648", "-2147483649", "2147483647.5", "1E10", "-1E10", "1E400",
                           "-$80000000", "$-80000000", "$100000000", "$1 0000 0000", "$000000001",
                           "&H100000000", "&H000000001", "&O40000000000"}) {
    EXPECT_FALSE(Val2(text).has_value()) << "text \"" << text << "\"";
  }
}

}  // namespace
}  // namespace tessary
