#include "run/disk_file_system.h"

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <string>

#include "run/disk_input.h"
#include "run/win_path.h"

namespace tessary {
namespace {

namespace fs = std::filesystem;

std::error_code LastError() {
  return std::error_code(errno != 0 ? errno : EIO, std::generic_category());
}

std::FILE* Open(const fs::path& path, const char* mode) {
  errno = 0;
  std::FILE* file = OpenPath(path, mode);
  if (file != nullptr) std::setvbuf(file, nullptr, _IONBF, 0);  // the caller writes big chunks
  return file;
}

std::error_code WriteAll(std::FILE* file, std::string_view data) {
  errno = 0;
  if (std::fwrite(data.data(), 1, data.size(), file) != data.size()) return LastError();
  return {};
}

// Closes `*file` once; reports a failure of the last delayed write.
std::error_code Close(std::FILE** file) {
  if (*file == nullptr) return {};
  errno = 0;
  const bool flushed = std::fflush(*file) == 0;
  const std::error_code flush_error = flushed ? std::error_code() : LastError();
  const bool closed = std::fclose(*file) == 0;
  *file = nullptr;
  if (!flushed) return flush_error;
  return closed ? std::error_code() : LastError();
}

// Writes to a stream it does not own.
class StreamOutput : public OutputFile {
 public:
  explicit StreamOutput(std::FILE* stream) : stream_(stream) {}
  std::error_code Write(std::string_view data) override { return WriteAll(stream_, data); }
  std::error_code Commit() override {
    errno = 0;
    return std::fflush(stream_) == 0 ? std::error_code() : LastError();
  }

 private:
  std::FILE* stream_;
};

// A terminal, pipe or device: opened and written directly.
class DirectOutput : public OutputFile {
 public:
  explicit DirectOutput(std::FILE* file) : file_(file) {}
  ~DirectOutput() override { Close(&file_); }
  std::error_code Write(std::string_view data) override { return WriteAll(file_, data); }
  std::error_code Commit() override { return Close(&file_); }

 private:
  std::FILE* file_;
};

// A new file beside `target` that replaces it on Commit() and is removed otherwise.
class ReplacingOutput : public OutputFile {
 public:
  ReplacingOutput(std::FILE* file, fs::path temp, fs::path target)
      : file_(file), temp_(std::move(temp)), target_(std::move(target)) {}
  ~ReplacingOutput() override {
    Close(&file_);
    if (!committed_) {
      std::error_code ignored;
      fs::remove(temp_, ignored);
    }
  }
  std::error_code Write(std::string_view data) override { return WriteAll(file_, data); }
  std::error_code Commit() override {
    if (std::error_code ec = Close(&file_)) return ec;
    std::error_code ec;
    fs::rename(temp_, target_, ec);
    if (ec) return ec;
    committed_ = true;
    return {};
  }

 private:
  std::FILE* file_;
  fs::path temp_;
  fs::path target_;
  bool committed_ = false;
};

// Appends to a regular file; cut back to its old length (or removed, when it was made here)
// unless committed.
class AppendingOutput : public OutputFile {
 public:
  AppendingOutput(std::FILE* file, fs::path path, bool existed, uintmax_t old_size)
      : file_(file), path_(std::move(path)), existed_(existed), old_size_(old_size) {}
  ~AppendingOutput() override {
    Close(&file_);
    if (committed_) return;
    std::error_code ignored;
    if (existed_) {
      fs::resize_file(path_, old_size_, ignored);
    } else {
      fs::remove(path_, ignored);
    }
  }
  std::error_code Write(std::string_view data) override { return WriteAll(file_, data); }
  std::error_code Commit() override {
    if (std::error_code ec = Close(&file_)) return ec;
    committed_ = true;
    return {};
  }

 private:
  std::FILE* file_;
  fs::path path_;
  bool existed_;
  uintmax_t old_size_;
  bool committed_ = false;
};

// The file a regular output path names: symbolic links are followed, also to a file that does
// not exist yet, so that file is written and the links stay.
std::error_code ResolveTarget(const fs::path& path, fs::path* target) {
  *target = path;
  for (int hops = 0; hops < 40; ++hops) {
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(*target, ec))) return {};  // a missing one is made
    const fs::path next = fs::read_symlink(*target, ec);
    if (ec) return ec;
    *target = next.is_absolute() ? next : target->parent_path() / next;
  }
  return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

// An existing file is replaced only where it could be written to directly.
std::error_code CheckWritable(const fs::path& target) {
  std::FILE* probe = Open(target, "r+b");
  if (probe == nullptr) return LastError();
  std::fclose(probe);
  return {};
}

std::error_code OpenReplacing(const fs::path& target, bool exists,
                              std::unique_ptr<OutputFile>* out) {
  std::error_code ec;
  fs::perms old_perms = fs::perms::unknown;
  if (exists) {
    if ((ec = CheckWritable(target)) || (ec = CheckNotOpenElsewhere(target))) return ec;
    old_perms = fs::status(target, ec).permissions();
    if (ec) return ec;
  }
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path temp = target;
    std::string name = ".tessary-";  // short: the folder may allow no longer names
    name.append(std::to_string(stamp)).append("-").append(std::to_string(attempt));
    temp.replace_filename(name);
    std::FILE* file = Open(temp, "wbx");
    if (file == nullptr) {
      if (errno == EEXIST) continue;
      return LastError();
    }
    // The new listing gets the old file's permissions before any of it is written.
    if (old_perms != fs::perms::unknown) fs::permissions(temp, old_perms, ec);
    *out = std::make_unique<ReplacingOutput>(file, std::move(temp), target);
    return {};
  }
  return std::make_error_code(std::errc::file_exists);
}

class Disk : public FileSystem {
 public:
  std::error_code OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) override {
    return OpenDiskInput(path, out);
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    return SameExistingFile(PathFromUtf8(a), PathFromUtf8(b));
  }

  std::error_code OpenOutput(const std::string& name, bool append,
                             std::unique_ptr<OutputFile>* out) override {
    if (name.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
    const fs::path path = PathFromUtf8(name);
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    const bool exists = !ec && fs::exists(status);
    ec.clear();  // a missing output is no error: it is made
    if (exists && fs::is_directory(status)) {
      return std::make_error_code(std::errc::is_a_directory);
    }
    if (exists && !fs::is_regular_file(status)) {
      std::FILE* file = Open(path, append ? "ab" : "wb");
      if (file == nullptr) return LastError();
      *out = std::make_unique<DirectOutput>(file);
      return {};
    }
    fs::path target;
    if ((ec = ResolveTarget(path, &target))) return ec;
    if (!append) return OpenReplacing(target, exists, out);
    const uintmax_t old_size = exists ? fs::file_size(target, ec) : 0;
    if (ec) return ec;
    std::FILE* file = Open(target, "ab");
    if (file == nullptr) return LastError();
    *out = std::make_unique<AppendingOutput>(file, target, exists, old_size);
    return {};
  }
};

}  // namespace

FileSystem* DiskFileSystem() {
  static Disk disk;
  return &disk;
}

std::unique_ptr<OutputFile> NewStreamOutput(std::FILE* stream) {
  return std::make_unique<StreamOutput>(stream);
}

}  // namespace tessary
