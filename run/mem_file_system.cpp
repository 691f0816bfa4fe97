#include "run/mem_file_system.h"

namespace tessary {
namespace {

class MemOutput : public OutputFile {
 public:
  MemOutput(MemFileSystem* fs, std::string path, std::string content)
      : fs_(fs), path_(std::move(path)), content_(std::move(content)) {}
  std::error_code Write(std::string_view data) override {
    if (data.size() > fs_->space || content_.size() > fs_->space - data.size()) {
      return std::make_error_code(std::errc::no_space_on_device);
    }
    content_.append(data);
    return {};
  }
  std::error_code Commit() override {
    fs_->files[path_] = content_;
    return {};
  }

 private:
  MemFileSystem* fs_;
  std::string path_;
  std::string content_;
};

}  // namespace

std::error_code MemFileSystem::FileSize(const std::string& path, uint64_t* size) {
  const auto it = files.find(path);
  if (it == files.end()) return std::make_error_code(std::errc::no_such_file_or_directory);
  *size = it->second.size();
  return {};
}

std::error_code MemFileSystem::ReadAt(const std::string& path, uint64_t offset, uint64_t count,
                                      std::string* out) {
  if (read_error) return read_error;
  const auto it = files.find(path);
  if (it == files.end()) return std::make_error_code(std::errc::no_such_file_or_directory);
  *out = offset < it->second.size() ? it->second.substr(offset, count) : std::string();
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
  *out = std::make_unique<MemOutput>(this, path, std::move(start));
  return {};
}

}  // namespace tessary
