// The FileSystem of the real disk, and an output that writes straight to an open stream.
#pragma once

#include <cstdio>
#include <memory>

#include "run/file_system.h"

namespace tessary {

// The process-wide disk file system. A replaced regular file is written to a new file beside the
// old one, with the old one's permissions, and renamed over it on Commit(). So it needs a
// writable folder; a file that could not be written directly is refused; the new file belongs
// to whoever runs the program, and other hard links keep the old content. A symbolic link is
// followed: the file it names is replaced or appended to, and the link stays.
FileSystem* DiskFileSystem();

// Writes to `stream` (for example stdout) directly; Commit() flushes it. It is not closed, and
// what was written cannot be taken back.
std::unique_ptr<OutputFile> NewStreamOutput(std::FILE* stream);

}  // namespace tessary
