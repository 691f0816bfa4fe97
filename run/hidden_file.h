// Hidden files: the `.NAME.tessary-XXXXXX` files that stand beside an output while it is
// written, holding the new listing or the old content.
#pragma once

#include <filesystem>
#include <span>
#include <system_error>

namespace tessary {

// Creates `.NAME.tessary-XXXXXX` (read and write, with `mode`) in `folder`, NAME being the file
// name of `target`, cut to fit the longest file name most file systems allow, and sets `*made`.
// Returns its descriptor, or -1 with `*ec` set. An interrupt does not cancel it: it does not
// wait.
int CreateHidden(const std::filesystem::path& folder, const std::filesystem::path& target, int mode,
                 std::filesystem::path* made, std::error_code* ec);

// Copies the old content of `target` to a hidden file beside it when `folder` (its folder)
// allows, else in the temporary folder ($TMPDIR, else /tmp; on Windows the system's), through
// `buffer`, and sets `*copy` and `*copy_fd`. An interrupt stops the copy (operation_canceled).
// Nothing is left on failure, whose message says where the copy was to go and why it could not.
std::error_code CopyAside(const std::filesystem::path& target, const std::filesystem::path& folder,
                          std::span<char> buffer, std::filesystem::path* copy, int* copy_fd);

}  // namespace tessary
