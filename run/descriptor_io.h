// Descriptor calls for the disk outputs, alike on POSIX and Windows, each retried or cancelled as
// a signal that interrupts it calls for.
#pragma once

#include <sys/stat.h>

#include <cstdint>
#include <filesystem>
#include <span>
#include <string_view>
#include <system_error>

namespace tessary {

#if defined(_WIN32)
using FileInfo = struct _stat64;
#else
using FileInfo = struct stat;
#endif

// stat() and fstat(); 0 on success, else -1 with errno set.
int Stat(const std::filesystem::path& path, FileInfo* info);
int Fstat(int fd, FileInfo* info);

// errno as an error (EIO when errno is 0).
std::error_code LastError();

// Opens `path` with `flags` (and close-on-exec, binary, no controlling terminal); an open that a
// signal interrupts is tried again; with `cancellable` it fails with operation_canceled instead
// once Interrupted(). Returns the descriptor, or -1 with `*ec` set.
int OpenRetrying(const std::filesystem::path& path, int flags, int mode, bool cancellable,
                 std::error_code* ec);

// Writes all of `data`. A write that a signal interrupts or cuts short goes on; with
// `cancellable` the write fails with operation_canceled instead once Interrupted().
std::error_code WriteAll(int fd, std::string_view data, bool cancellable);

// Copies all of `from` over the start of `to`, both from their first byte, through `buffer`
// (so that it needs no memory of its own). Reads and writes that a signal interrupts go on; with
// `cancellable` the copy fails with operation_canceled instead once Interrupted().
std::error_code CopyContent(int from, int to, bool cancellable, std::span<char> buffer);

// Sets the length of `fd` to `size`, tried again when a signal interrupts it.
std::error_code Truncate(int fd, uint64_t size);

}  // namespace tessary
