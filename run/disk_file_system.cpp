#include "run/disk_file_system.h"

#include <string>

#include "run/disk_input.h"
#include "run/win_path.h"

namespace tessary {
namespace {

class Disk : public FileSystem {
 public:
  std::error_code OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) override {
    return OpenDiskInput(path, out);
  }

  bool SameFile(const std::string& a, const std::string& b) override {
    return SameExistingFile(PathFromUtf8(a), PathFromUtf8(b));
  }

  std::error_code OpenOutput(const std::string& path, bool append,
                             std::unique_ptr<OutputFile>* out) override {
    return OpenDiskOutput(path, append, out);
  }
};

}  // namespace

FileSystem* DiskFileSystem() {
  static Disk disk;
  return &disk;
}

}  // namespace tessary
