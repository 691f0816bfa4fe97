#include "run/disk_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/types.h>

#include <cerrno>
#include <optional>

#include "run/win_path.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tessary {
namespace {

std::error_code Errno() {
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

class DescriptorInput : public InputFile {
 public:
  DescriptorInput(int fd, bool owned, std::optional<uint64_t> size)
      : fd_(fd), owned_(owned), size_(size) {}
  ~DescriptorInput() override {
    if (owned_) ::close(fd_);
  }
  std::optional<uint64_t> Size() const override { return size_; }

  std::error_code Read(uint64_t offset, char* buf, size_t count, size_t* got) override {
    *got = 0;
    errno = 0;
#if defined(_WIN32)
    if (size_ && _lseeki64(fd_, static_cast<long long>(offset), SEEK_SET) < 0) return Errno();
    const auto n = ::_read(fd_, buf, static_cast<unsigned>(std::min<size_t>(count, 1u << 30)));
#else
    const ssize_t n =
        size_ ? ::pread(fd_, buf, count, static_cast<off_t>(offset)) : ::read(fd_, buf, count);
#endif
    if (n < 0) return Errno();  // EINTR comes back as std::errc::interrupted
    *got = static_cast<size_t>(n);
    return {};
  }

 private:
  int fd_;
  bool owned_;
  std::optional<uint64_t> size_;
};

// Regular files and block devices have a size and read at any offset; the rest are streams.
std::error_code Wrap(int fd, bool owned, std::unique_ptr<InputFile>* out) {
  struct stat st;
  if (::fstat(fd, &st) != 0) return Errno();
  if (S_ISDIR(st.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  std::optional<uint64_t> size;
  if (S_ISREG(st.st_mode)) size = static_cast<uint64_t>(st.st_size);
#if !defined(_WIN32)
  if (S_ISBLK(st.st_mode)) {
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) return Errno();
    size = static_cast<uint64_t>(end);
  }
#endif
  *out = std::make_unique<DescriptorInput>(fd, owned, size);
  return {};
}

}  // namespace

std::error_code OpenDiskInput(const std::string& path, std::unique_ptr<InputFile>* out) {
  errno = 0;
#if defined(_WIN32)
  const int fd = OpenForReading(PathFromUtf8(path));
#else
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  if (fd < 0) return Errno();
  const std::error_code ec = Wrap(fd, true, out);
  if (ec) ::close(fd);
  return ec;
}

std::error_code OpenDescriptorInput(int fd, std::unique_ptr<InputFile>* out) {
  return Wrap(fd, false, out);
}

}  // namespace tessary
