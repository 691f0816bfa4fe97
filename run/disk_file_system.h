// The FileSystem of the real disk.
#pragma once

#include "run/disk_output.h"
#include "run/file_system.h"

namespace tessary {

// The process-wide disk file system; its outputs are those of OpenDiskOutput().
FileSystem* DiskFileSystem();

}  // namespace tessary
