// DiskInput: an input file on disk, or a stream such as a pipe, read through one descriptor.
#pragma once

#include <memory>
#include <string>
#include <system_error>

#include "run/file_system.h"

namespace tessary {

// Opens `path` for reading. A regular file or a block device reads at any offset; anything else
// (a pipe, FIFO, terminal or character device) is a stream. A folder is refused. Opening a FIFO
// waits for its writer; a signal ends the wait with std::errc::interrupted.
std::error_code OpenDiskInput(const std::string& path, std::unique_ptr<InputFile>* out);

// Reads the already open descriptor `fd` (for example standard input), which stays open.
std::error_code OpenDescriptorInput(int fd, std::unique_ptr<InputFile>* out);

}  // namespace tessary
