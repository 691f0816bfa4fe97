#include "notation/whole_number.h"

#include <gtest/gtest.h>

#include <string>

namespace tessary {
namespace {

// Every form of the notation reads whole, a number out of range too (left to the caller).
TEST(WholeNumberTest, TheNotationsOwnFormsAreWhole) {
  for (const std::string text :
       {"0",          "524",           " 5 2 4 ", "+7",    "-7",   "1.5",  ".5",
        "5.",         "1E3",           "1.5e-2",  "$20C",  "$ff",  "-$10", "$FFFFFFFF",
        "   -$5",     "%1010",         "-%1",     "'A",    "'a",   "''",   "' ",
        "'A  ",       "'\xE2\x82\xAC", "-'A",     "&H20C", "&hff", "&O17", "\t$20C\n",
        "$123456789", "99999999999"}) {
    EXPECT_EQ(WholeNumberProblem(text), std::nullopt) << '"' << text << '"';
  }
}

TEST(WholeNumberTest, SkippedOrUnreadCharactersAreNamedWithAHint) {
  const std::string any =
      "write one number: $7734 hexadecimal, %1010 binary, 'A a character, or decimal";
  struct Case {
    std::string text, problem;
  } cases[] = {
      {"0x20C", "reads as 0; write hexadecimal as $20C"},
      {"-0x10", "reads as 0; write hexadecimal as -$10"},
      {"20Ch", "reads as 20; write hexadecimal as $20C"},
      {"0b101", "reads as 0; write binary as %101"},
      {"abc", "reads as 0; " + any},
      {"524abc", "reads as 524; " + any},
      {"4+520", "reads as 4; " + any},
      {"", "reads as 0; " + any},
      {"$", "reads as 0; " + any},
      {"$12G", "reads as 18; " + any},    // G skipped
      {"    -$5", "reads as 5; " + any},  // the "-" comes too late to count
      {"%" + std::string(31, '1'), "reads as 1073741823; " + any},  // the 31st digit unread
      {"'AB", "reads as 65; " + any},
      {"'", "reads as 0; " + any},
      {"1E", "reads as 1; " + any},
      {"&H", "reads as 0; " + any},
      {"&O8", "reads as 0; " + any},
      {"5$", "reads as 0; " + any},
      {"-", "reads as 0; " + any},  // regression: a lone sign threw out_of_range
      {"+", "reads as 0; " + any},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WholeNumberProblem(c.text), c.problem) << '"' << c.text << '"';
  }
}

}  // namespace
}  // namespace tessary
