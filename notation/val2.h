// Val2: reads the program's number notation ("$" hex, "%" binary, "'" character, else decimal).
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessary {

// Turns `text` (UTF-8) into a 32-bit signed integer.
//
// The first of "$", "%" and "'" in the text picks the form: "$" hexadecimal, "%" binary (at most
// 30 digits), "'" the Unicode code point of the character after it; with none of them the text is
// a decimal number, which may also start with "&H" (hexadecimal) or "&O" (octal) digits. A "-"
// among the first four characters negates the hexadecimal, binary and character forms; the
// decimal form reads its own sign. Characters that do not fit are skipped (hexadecimal, binary)
// or end the number (decimal); a text with no number in it gives 0. Only ASCII letters are
// upper-cased, so "'a" gives 65.
//
// Returns std::nullopt only when the value lies outside the 32-bit signed range: a decimal number
// beyond it, "-$80000000", or more than eight hexadecimal digits (leading zeros count).
std::optional<int32_t> Val2(std::string_view text);

}  // namespace tessary
