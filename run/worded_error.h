// Worded errors: an error code whose message() is a text of its own, for a reason that one
// errno cannot tell (where a copy was to go, and why it could not).
#pragma once

#include <string>
#include <system_error>

namespace tessary {

// An error whose message() is `text` and which compares equal to what `cause` compares equal
// to (std::errc::no_such_file_or_directory, for example). Each distinct text is kept for the
// life of the process; make one only for an error that ends what it was made for.
std::error_code WordedError(std::error_code cause, std::string text);

}  // namespace tessary
