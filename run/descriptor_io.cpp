#include "run/descriptor_io.h"

#include <fcntl.h>

#include <cerrno>

#include "run/signals.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tessary {
namespace {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr int kCommonFlags = O_BINARY | O_NOINHERIT;
int OpenFile(const fs::path& path, int flags, int mode) {
  return _wopen(path.c_str(), flags, mode);
}
int SetLength(int fd, uint64_t size) { return _chsize_s(fd, static_cast<long long>(size)); }
#else
constexpr int kCommonFlags = O_CLOEXEC | O_NOCTTY;
int OpenFile(const fs::path& path, int flags, int mode) {
  return ::open(path.c_str(), flags, mode);
}
int SetLength(int fd, uint64_t size) { return ftruncate(fd, static_cast<off_t>(size)); }
#endif

// Chunks no larger than this go to one write call.
constexpr size_t kMaxWrite = size_t{1} << 30;

std::error_code Cancelled() { return std::make_error_code(std::errc::operation_canceled); }

}  // namespace

#if defined(_WIN32)
int Stat(const fs::path& path, FileInfo* info) { return _wstat64(path.c_str(), info); }
int Fstat(int fd, FileInfo* info) { return _fstat64(fd, info); }
#else
int Stat(const fs::path& path, FileInfo* info) { return stat(path.c_str(), info); }
int Fstat(int fd, FileInfo* info) { return fstat(fd, info); }
#endif

std::error_code LastError() {
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

int OpenRetrying(const fs::path& path, int flags, int mode, bool cancellable, std::error_code* ec) {
  for (;;) {
    errno = 0;
    const int fd = OpenFile(path, flags | kCommonFlags, mode);
    if (fd >= 0) return fd;
    if (errno == EINTR && !(cancellable && Interrupted())) continue;
    *ec = errno == EINTR ? Cancelled() : LastError();
    return -1;
  }
}

std::error_code WriteAll(int fd, std::string_view data, bool cancellable) {
  while (!data.empty()) {
    if (cancellable && Interrupted()) return Cancelled();
    errno = 0;
    const auto size = static_cast<unsigned>(std::min(data.size(), kMaxWrite));
    const auto written = ::write(fd, data.data(), size);
    if (written < 0 && errno != EINTR) return LastError();
    if (written > 0) data.remove_prefix(static_cast<size_t>(written));
  }
  return {};
}

std::error_code CopyContent(int from, int to, bool cancellable, std::span<char> buffer) {
  if (::lseek(from, 0, SEEK_SET) != 0 || ::lseek(to, 0, SEEK_SET) != 0) return LastError();
  for (;;) {
    if (cancellable && Interrupted()) return Cancelled();
    errno = 0;
    const auto got = ::read(from, buffer.data(), static_cast<unsigned>(buffer.size()));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return LastError();
    if (got == 0) return {};
    const std::string_view chunk(buffer.data(), static_cast<size_t>(got));
    if (std::error_code ec = WriteAll(to, chunk, cancellable)) return ec;
  }
}

std::error_code Truncate(int fd, uint64_t size) {
  for (;;) {
    errno = 0;
    if (SetLength(fd, size) == 0) return {};
    if (errno != EINTR) return LastError();
  }
}

}  // namespace tessary
