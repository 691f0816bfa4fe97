#include "run/mem_file_system.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tessary {
namespace {

class MemOutput : public OutputFile {
 public:
  MemOutput(MemFileSystem* fs, std::string path, std::string content, bool existed)
      : fs_(fs), path_(std::move(path)), content_(std::move(content)), existed_(existed) {}
  std::error_code Write(std::string_view data) override {
    if (data.size() > fs_->space || content_.size() > fs_->space - data.size()) {
      return fs_->space_error;
    }
    content_.append(data);
    return {};
  }
  std::error_code Commit() override {
    fs_->files[path_] = content_;
    return {};
  }
  bool Restorable() const override { return fs_->restorable; }
  bool Existed() const override { return existed_; }
  std::string Rollback() override { return fs_->rollback_problem; }

 private:
  MemFileSystem* fs_;
  std::string path_;
  std::string content_;
  bool existed_;
};

// Reads the file in place: it must stay as it is while it is read.
class MemInput : public InputFile {
 public:
  MemInput(MemFileSystem* fs, const std::string& bytes, bool stream)
      : fs_(fs), bytes_(bytes), stream_(stream) {}
  std::optional<uint64_t> Size() const override {
    return stream_ ? std::nullopt : std::optional<uint64_t>(bytes_.size());
  }
  std::error_code Read(uint64_t offset, char* buf, size_t count, size_t* got) override {
    *got = 0;
    if (fs_->read_error) return fs_->read_error;
    if (fs_->interrupted_reads > 0) {
      --fs_->interrupted_reads;
      return std::make_error_code(std::errc::interrupted);
    }
    if (stream_) {
      offset = next_;
      count = std::min(count, fs_->stream_chunk);
    }
    if (offset < bytes_.size()) {
      *got = std::min<uint64_t>(count, bytes_.size() - offset);
      std::memcpy(buf, bytes_.data() + offset, *got);
    }
    next_ = offset + *got;
    fs_->bytes_read += *got;
    return {};
  }

 private:
  MemFileSystem* fs_;
  const std::string& bytes_;
  bool stream_;
  uint64_t next_ = 0;
};

}  // namespace

std::error_code MemFileSystem::OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) {
  if (interrupted_opens > 0) {
    --interrupted_opens;
    return std::make_error_code(std::errc::interrupted);
  }
  const auto it = files.find(path);
  if (it == files.end()) return std::make_error_code(std::errc::no_such_file_or_directory);
  *out = std::make_unique<MemInput>(this, it->second, streams.count(path) != 0);
  return {};
}

bool MemFileSystem::SameFile(const std::string& a, const std::string& b) {
  return a == b && files.count(a) != 0;
}

std::error_code MemFileSystem::OpenOutput(const std::string& path, bool append,
                                          std::unique_ptr<OutputFile>* out) {
  if (open_error) return open_error;
  ++outputs_opened;
  const auto it = files.find(path);
  std::string start = append && it != files.end() ? it->second : std::string();
  *out = std::make_unique<MemOutput>(this, path, std::move(start), it != files.end());
  return {};
}

}  // namespace tessary
