// Quoted: text from the user (a file name, an option value) set in quotes for a message.
#pragma once

#include <string>
#include <string_view>

namespace tessary {

// `text` between double quotes, safe to show on one line of a terminal: control characters
// (C0, DEL, and C1 written in UTF-8) become \n, \r, \t, \xNN or \u00NN, and a quote inside gets
// a backslash, as does a backslash except on Windows, where paths are full of them. Every other
// byte, UTF-8 or not, is kept as it is.
std::string Quoted(std::string_view text);

}  // namespace tessary
