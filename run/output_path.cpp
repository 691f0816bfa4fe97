#include "run/output_path.h"

#include "run/win_path.h"

#if !defined(_WIN32)
#include <unistd.h>
#endif

namespace tessary {
namespace {

namespace fs = std::filesystem;

// Links followed at most, as the kernel does.
constexpr int kMaxHops = 40;

// The descriptor that a path such as /dev/stdout or /proc/self/fd/3 stands for, or -1.
int DescriptorOf(const fs::path& path) {
#if defined(_WIN32)
  (void)path;
  return -1;
#else
  const std::string p = path.lexically_normal().string();
  if (p == "/dev/stdin") return 0;
  if (p == "/dev/stdout") return 1;
  if (p == "/dev/stderr") return 2;
  const std::string folders[] = {"/dev/fd/", "/proc/self/fd/", "/proc/thread-self/fd/",
                                 "/proc/" + std::to_string(getpid()) + "/fd/"};
  for (const std::string& folder : folders) {
    if (p.size() <= folder.size() || p.compare(0, folder.size(), folder) != 0) continue;
    const std::string number = p.substr(folder.size());
    if (number.size() > 9 || number.find_first_not_of("0123456789") != std::string::npos) {
      return -1;
    }
    return std::stoi(number);
  }
  return -1;
#endif
}

}  // namespace

fs::path FolderOf(const fs::path& path) {
  return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

std::error_code ResolveOutputPath(const std::string& path, OutputTarget* target) {
  if (path.empty()) return std::make_error_code(std::errc::no_such_file_or_directory);
  target->file = PathFromUtf8(path);
  for (int hops = 0; hops < kMaxHops; ++hops) {
    if ((target->descriptor = DescriptorOf(target->file)) >= 0) return {};
    std::error_code ec;
    if (!fs::is_symlink(fs::symlink_status(target->file, ec))) return {};
    const fs::path next = fs::read_symlink(target->file, ec);
    if (ec) return ec;
    target->file = next.is_absolute() ? next : FolderOf(target->file) / next;
  }
  return std::make_error_code(std::errc::too_many_symbolic_link_levels);
}

}  // namespace tessary
