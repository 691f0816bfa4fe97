// Output paths: what a path named as an output stands for once its symbolic links are followed.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

namespace tessary {

// Where an output path leads: a file (which may not exist yet) or a descriptor.
struct OutputTarget {
  std::filesystem::path file;  // the file that the path's links lead to
  int descriptor = -1;         // the descriptor the path names (/dev/stdout, ...), else -1
};

// Follows the symbolic links of `path` to the file they lead to, also one that does not exist
// yet, so that the file is written and the links stay. A relative link is read from the folder
// that holds it. Stops at a descriptor path met on the way: /dev/stdin, /dev/stdout, /dev/stderr,
// /dev/fd/N, /proc/self/fd/N, /proc/thread-self/fd/N and /proc/PID/fd/N of this process (a
// folder of these without a number names no descriptor). On Windows there are no descriptor
// paths. Errors: an empty path (no_such_file_or_directory), links that loop, an unreadable link.
std::error_code ResolveOutputPath(const std::string& path, OutputTarget* target);

// The folder of `path`, "." for a bare file name.
std::filesystem::path FolderOf(const std::filesystem::path& path);

}  // namespace tessary
