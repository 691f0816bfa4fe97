// The FileSystem of the real disk, and an output that writes straight to an open stream.
#pragma once

#include <cstdio>
#include <memory>

#include "run/file_system.h"

namespace tessary {

// The process-wide disk file system. A replaced regular file is written beside the old one and
// renamed over it on Commit(), keeping the old file's permissions; a symbolic link is followed,
// so the file it names is replaced and the link stays.
FileSystem* DiskFileSystem();

// Writes to `stream` (for example stdout) directly; Commit() flushes it. It is not closed, and
// what was written cannot be taken back.
std::unique_ptr<OutputFile> NewStreamOutput(std::FILE* stream);

}  // namespace tessary
