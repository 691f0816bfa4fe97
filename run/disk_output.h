// Outputs on the real disk: the kinds of output a path is written as, and how each is put back.
#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <system_error>

#include "run/file_system.h"

namespace tessary {

// Opens `path` to be replaced or, with `append`, added to; a missing file is created.
// - A descriptor path (/dev/stdout, /dev/stderr, /dev/fd/N, /proc/self/fd/N) is written through
//   a copy of that descriptor, from where it stands; a FIFO, terminal or device is opened and
//   written directly. Neither can be put back.
// - A new file, and an existing regular file that has one link, belongs to the user and sits in
//   a folder the user can write, is written to `.NAME.tessary-XXXXXX` beside it (NAME its file
//   name), with its permissions and group, and renamed over it on Commit(). Symbolic links are
//   followed, and stay.
// - Any other regular file is emptied and written in place, after its old content was copied to
//   `.NAME.tessary-XXXXXX` beside it, or into the temporary folder ($TMPDIR, else /tmp) when its
//   folder cannot be written; an interrupt stops that copy. A rollback copies it back; the copy
//   is kept, and named, when that fails.
// - An append writes at the end, and a rollback cuts the file back to its old length through the
//   descriptor it wrote to. What another program appended meanwhile is cut off with it.
// A rollback runs inside a PutBackScope: a second Ctrl-C does not cut it short.
// An open or write that a signal interrupts is tried again, or fails with operation_canceled
// once Interrupted() (run/signals.h); only the open of an existing file is cancelled so.
std::error_code OpenDiskOutput(const std::string& path, bool append,
                               std::unique_ptr<OutputFile>* out);

// Writes through the descriptor of `stream` (for example stdout), after flushing it, and never
// closes it. It cannot be put back.
std::unique_ptr<OutputFile> NewStreamOutput(std::FILE* stream);

}  // namespace tessary
