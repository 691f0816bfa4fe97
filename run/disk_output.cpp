#include "run/disk_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <new>
#include <span>
#include <string_view>

#include "run/descriptor_io.h"
#include "run/hidden_file.h"
#include "run/output_path.h"
#include "run/quoted.h"
#include "run/signals.h"
#include "run/win_path.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tessary {
namespace {

namespace fs = std::filesystem;

// Old content is copied aside and back this many bytes at a time.
constexpr size_t kCopyBuffer = size_t{1} << 20;

// Whether a file made in `folder` and renamed over the existing file `info` would look to the
// user like that file, rewritten.
bool RenameIsInvisible(const FileInfo& info, const fs::path& folder) {
#if defined(_WIN32)
  (void)info, (void)folder;
  return true;
#else
  return info.st_nlink == 1 && info.st_uid == geteuid() &&
         faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0;
#endif
}

// Gives the new file `fd` the permissions and group of the old one.
bool TakeOver(int fd, const FileInfo& old) {
#if defined(_WIN32)
  (void)fd, (void)old;
  return true;
#else
  FileInfo now;
  if (fstat(fd, &now) != 0) return false;
  if (now.st_gid != old.st_gid && fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
    return false;
  }
  return fchmod(fd, old.st_mode & 07777) == 0;
#endif
}

// The shared part of the disk outputs: a descriptor, the write loop, and a rollback step that
// runs once, when asked or when the output is dropped uncommitted.
class DiskOutput : public OutputFile {
 public:
  ~DiskOutput() override { CloseOnce(); }
  std::error_code Write(std::string_view data) final { return WriteAll(fd_, data, true); }
  std::error_code Commit() final {
    if (state_ != State::kOpen) return std::make_error_code(std::errc::bad_file_descriptor);
    std::error_code ec = Finish();
    if (!ec) state_ = State::kCommitted;
    return ec;
  }
  std::string Rollback() final {
    if (state_ != State::kOpen) return {};
    state_ = State::kRolledBack;
    const PutBackScope putting_back;  // a second Ctrl-C does not cut it short
    return Undo();
  }

 protected:
  DiskOutput(int fd, bool owned) : fd_(fd), owned_(owned) {}
  // Makes the output final; on failure Undo() still follows.
  virtual std::error_code Finish() = 0;
  // Puts back the old content; returns what Rollback() returns.
  virtual std::string Undo() = 0;
  // Closes the descriptor (once); an error it reports is kept in `close_error_`.
  std::error_code CloseOnce() {
    if (fd_ < 0 || !owned_) return close_error_;
    errno = 0;
    if (::close(fd_) != 0) close_error_ = LastError();
    fd_ = -1;
    return close_error_;
  }

  int fd_;
  std::error_code close_error_;

 private:
  enum class State { kOpen, kCommitted, kRolledBack };
  bool owned_;
  State state_ = State::kOpen;
};

// A descriptor written straight through: a terminal, pipe, device or a descriptor handed over.
class ThroughOutput final : public DiskOutput {
 public:
  ThroughOutput(int fd, bool owned) : DiskOutput(fd, owned) {}
  ~ThroughOutput() override { Rollback(); }
  bool Restorable() const override { return false; }

 private:
  std::error_code Finish() override { return CloseOnce(); }
  std::string Undo() override { return {}; }  // what was written stays
};

// A new file beside the target, renamed over it on Commit() and removed otherwise.
class RenamingOutput final : public DiskOutput {
 public:
  // `existed`: whether `target` was there before.
  RenamingOutput(int fd, fs::path temp, fs::path target, bool existed)
      : DiskOutput(fd, true),
        temp_(std::move(temp)),
        target_(std::move(target)),
        existed_(existed) {}
  ~RenamingOutput() override { Rollback(); }
  bool Restorable() const override { return true; }
  bool Existed() const override { return existed_; }

 private:
  std::error_code Finish() override {
    if (std::error_code ec = CloseOnce()) return ec;
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    return ec;
  }
  std::string Undo() override {
    CloseOnce();
    std::error_code ec;
    if (fs::remove(temp_, ec) || !ec) return {};
    return (existed_ ? "is left as it was, but " : "was not created, but ") +
           Quoted(Utf8FromPath(temp_)) + " could not be removed (" + ec.message() + ")";
  }

  fs::path temp_;
  fs::path target_;
  bool existed_;
};

// A file emptied and written in place, its old content kept in `backup` until Commit(). It is
// copied back through `buffer`, of kCopyBuffer bytes, taken beforehand.
class InPlaceOutput final : public DiskOutput {
 public:
  InPlaceOutput(int fd, int backup_fd, fs::path backup, std::unique_ptr<char[]> buffer)
      : DiskOutput(fd, true),
        backup_fd_(backup_fd),
        backup_(std::move(backup)),
        buffer_(std::move(buffer)) {}
  ~InPlaceOutput() override {
    Rollback();
    if (backup_fd_ >= 0) ::close(backup_fd_);
  }
  bool Restorable() const override { return true; }

 private:
  std::error_code Finish() override {
    if (std::error_code ec = CloseOnce()) return ec;
    DropBackup();  // no longer needed
    return {};
  }
  std::string Undo() override {
    std::error_code ec = close_error_;
    if (fd_ < 0 && !ec) ec = std::make_error_code(std::errc::bad_file_descriptor);
    if (!ec) ec = Truncate(fd_, 0);
    if (!ec) ec = CopyContent(backup_fd_, fd_, false, {buffer_.get(), kCopyBuffer});
    if (!ec) ec = CloseOnce();
    if (ec) {
      return "could not be put back (" + ec.message() + "); its old content is kept in " +
             Quoted(Utf8FromPath(backup_));
    }
    DropBackup();
    return {};
  }
  // Closed first: Windows removes no open file.
  void DropBackup() {
    ::close(backup_fd_);
    backup_fd_ = -1;
    std::error_code ignored;
    fs::remove(backup_, ignored);
  }

  int backup_fd_;
  fs::path backup_;
  std::unique_ptr<char[]> buffer_;
};

// Adds to a regular file; cut back to its old length through the same descriptor unless
// committed.
class AppendingOutput final : public DiskOutput {
 public:
  AppendingOutput(int fd, uint64_t old_size) : DiskOutput(fd, true), old_size_(old_size) {}
  ~AppendingOutput() override { Rollback(); }
  bool Restorable() const override { return true; }

 private:
  std::error_code Finish() override { return CloseOnce(); }
  std::string Undo() override {
    std::error_code ec = close_error_;
    if (!ec) ec = Truncate(fd_, old_size_);
    CloseOnce();
    if (!ec) return {};
    return "could not be cut back to its old length of " + std::to_string(old_size_) + " bytes (" +
           ec.message() + ")";
  }

  uint64_t old_size_;
};

// A new file at `target` (links resolved): written beside it and renamed into place.
std::error_code OpenNew(const fs::path& target, std::unique_ptr<OutputFile>* out) {
  std::error_code ec;
  fs::path temp;
  const int fd = CreateHidden(FolderOf(target), target, 0666, &temp, &ec);
  if (fd < 0) return ec;
  *out = std::make_unique<RenamingOutput>(fd, std::move(temp), target, false);
  return {};
}

// Replaces the regular file `target`, open as `fd` (write-only), described by `info`.
std::error_code OpenReplacing(int fd, const FileInfo& info, const fs::path& target,
                              std::unique_ptr<OutputFile>* out) {
  std::error_code ec;
  const fs::path folder = FolderOf(target);
  if (RenameIsInvisible(info, folder)) {
    fs::path temp;
    const int temp_fd = CreateHidden(folder, target, 0600, &temp, &ec);
    if (temp_fd >= 0 && TakeOver(temp_fd, info)) {
      ::close(fd);
      *out = std::make_unique<RenamingOutput>(temp_fd, std::move(temp), target, true);
      return {};
    }
    if (temp_fd >= 0) {
      ::close(temp_fd);
      fs::remove(temp, ec);
    }
    ec.clear();  // written in place after all
  }
  // Taken now: a put-back must not fail for want of memory.
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[kCopyBuffer]);
  fs::path backup;
  int backup_fd = -1;
  ec = buffer ? CopyAside(target, folder, {buffer.get(), kCopyBuffer}, &backup, &backup_fd)
              : std::make_error_code(std::errc::not_enough_memory);
  if (!ec) ec = Truncate(fd, 0);
  if (ec) {
    if (backup_fd >= 0) {
      ::close(backup_fd);
      std::error_code ignored;
      fs::remove(backup, ignored);
    }
    ::close(fd);
    return ec;
  }
  *out = std::make_unique<InPlaceOutput>(fd, backup_fd, std::move(backup), std::move(buffer));
  return {};
}

}  // namespace

std::error_code OpenDiskOutput(const std::string& path, bool append,
                               std::unique_ptr<OutputFile>* out) {
  OutputTarget resolved;
  if (std::error_code ec = ResolveOutputPath(path, &resolved)) return ec;
  const fs::path& target = resolved.file;
#if !defined(_WIN32)
  if (resolved.descriptor >= 0) {
    const int fd = ::fcntl(resolved.descriptor, F_DUPFD_CLOEXEC, 3);
    if (fd < 0) return LastError();
    *out = std::make_unique<ThroughOutput>(fd, true);
    return {};
  }
#endif
  FileInfo info;
  errno = 0;
  if (Stat(target, &info) != 0) return errno == ENOENT ? OpenNew(target, out) : LastError();
  if (S_ISDIR(info.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  std::error_code ec;
  // Asked before this program holds the file open too.
  if (!append && S_ISREG(info.st_mode) && (ec = CheckNotOpenElsewhere(target))) return ec;
  const int fd = OpenRetrying(target, O_WRONLY | (append ? O_APPEND : 0), 0, true, &ec);
  if (fd < 0) return ec;
  if (Fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    *out = std::make_unique<ThroughOutput>(fd, true);
  } else if (append) {
    *out = std::make_unique<AppendingOutput>(fd, static_cast<uint64_t>(info.st_size));
  } else {
    return OpenReplacing(fd, info, target, out);
  }
  return {};
}

std::unique_ptr<OutputFile> NewStreamOutput(std::FILE* stream) {
  std::fflush(stream);
#if defined(_WIN32)
  return std::make_unique<ThroughOutput>(_fileno(stream), false);
#else
  return std::make_unique<ThroughOutput>(fileno(stream), false);
#endif
}

}  // namespace tessary
