#include "run/disk_output.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string_view>

#include "run/descriptor_io.h"
#include "run/output_path.h"
#include "run/quoted.h"
#include "run/signals.h"
#include "run/win_path.h"
#include "run/worded_error.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace tessary {
namespace {

namespace fs = std::filesystem;

// Creates `.NAME.tessary-XXXXXX` in `folder`, NAME being the file name of `target`, cut to fit
// the longest file name most file systems allow.
int CreateHidden(const fs::path& folder, const fs::path& target, int mode, fs::path* made,
                 std::error_code* ec) {
  static constexpr char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  static std::minstd_rand draw(std::random_device{}());
  const std::string base = Utf8FromPath(target.filename());
  size_t keep = std::min<size_t>(base.size(), 255 - 16);
  while (keep > 0 && keep < base.size() && (base[keep] & 0xC0) == 0x80) --keep;
  std::string name(1, '.');
  name.append(base, 0, keep).append(".tessary-");
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string suffix(6, 'X');
    for (char& c : suffix) c = kAlphabet[draw() % (sizeof kAlphabet - 1)];
    *made = folder / PathFromUtf8(name + suffix);
    // Not cancelled: it does not wait, and a cancelled open must have left an existing file.
    const int fd = OpenRetrying(*made, O_RDWR | O_CREAT | O_EXCL, mode, false, ec);
    if (fd >= 0 || *ec != std::errc::file_exists) return fd;
  }
  return -1;
}

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

// A file emptied and written in place, its old content kept in `backup` until Commit().
class InPlaceOutput final : public DiskOutput {
 public:
  InPlaceOutput(int fd, int backup_fd, fs::path backup)
      : DiskOutput(fd, true), backup_fd_(backup_fd), backup_(std::move(backup)) {}
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
    if (!ec) ec = CopyContent(backup_fd_, fd_, false);
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

// The folder for a copy that cannot go beside its file: $TMPDIR, else /tmp (on Windows, the
// system's temporary folder). Sets `*folder` also when that is no folder, for messages.
std::error_code TempFolder(fs::path* folder) {
#if defined(_WIN32)
  std::error_code ec;
  *folder = fs::temp_directory_path(ec);
  return ec;
#else
  const char* tmpdir = std::getenv("TMPDIR");
  *folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  return {};
#endif
}

// Copies the old content of `target` to `.NAME.tessary-XXXXXX` beside it when `folder` (its
// folder) allows, else into the temporary folder, and sets `*copy` and `*copy_fd`. Nothing is
// left on failure, whose message says where the copy was to go and why it could not.
std::error_code CopyAside(const fs::path& target, const fs::path& folder, fs::path* copy,
                          int* copy_fd) {
  std::error_code beside;
  *copy_fd = CreateHidden(folder, target, 0600, copy, &beside);
  if (*copy_fd < 0) {
    fs::path temp_folder;
    std::error_code elsewhere = TempFolder(&temp_folder);
    if (!elsewhere) *copy_fd = CreateHidden(temp_folder, target, 0600, copy, &elsewhere);
    if (*copy_fd < 0) {
      const std::string where =
          temp_folder.empty() ? "the temporary folder" : Quoted(Utf8FromPath(temp_folder));
      return WordedError(elsewhere, "no copy of its old content can be made beside it (" +
                                        beside.message() + ") or in " + where + " (" +
                                        elsewhere.message() + ")");
    }
  }
  const auto worded = [](std::error_code ec, const std::string& what) {
    if (!ec || ec == std::errc::operation_canceled) return ec;
    return WordedError(ec, what + " (" + ec.message() + ")");
  };
  std::error_code ec;
  const int old_fd = OpenRetrying(target, O_RDONLY, 0, true, &ec);
  if (old_fd < 0) {
    ec = worded(ec, "its old content cannot be read for a copy");
  } else {
    ec = worded(CopyContent(old_fd, *copy_fd, true),
                "its old content cannot be copied into " + Quoted(Utf8FromPath(FolderOf(*copy))));
    ::close(old_fd);
  }
  if (ec) {
    ::close(*copy_fd);
    *copy_fd = -1;
    std::error_code ignored;
    fs::remove(*copy, ignored);
  }
  return ec;
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
  fs::path backup;
  int backup_fd = -1;
  ec = CopyAside(target, folder, &backup, &backup_fd);
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
  *out = std::make_unique<InPlaceOutput>(fd, backup_fd, std::move(backup));
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
