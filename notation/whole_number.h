// WholeNumberProblem: whether a text is one whole number of the notation, as a command line
// wants it.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessary {

// Val2 reads what it can and skips or stops at the rest, which suits a field typed by hand but
// hides a typo in a build script. This tells whether Val2 reads all of `text`, blanks, tabs and
// line feeds aside. Accepted: "$" and 1 to 8 hexadecimal digits, "%" and 1 to 30 binary digits,
// each with an optional "-" before it among the first four characters; "'" and one character;
// "&H" hexadecimal or "&O" octal digits; a decimal number with an optional sign, fraction and
// exponent ("1.5E3"). Returns std::nullopt for those, else what the text reads as and how to
// write it, worded to follow the option and its quoted text: "reads as 0; write hexadecimal as
// $20C". A text that Val2 finds out of range is left to the caller (std::nullopt).
std::optional<std::string> WholeNumberProblem(std::string_view text);

}  // namespace tessary
