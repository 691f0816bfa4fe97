#include "run/hidden_file.h"

#include <fcntl.h>

#include <cstdlib>
#include <random>
#include <string>

#include "run/descriptor_io.h"
#include "run/output_path.h"
#include "run/quoted.h"
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

}  // namespace

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

std::error_code CopyAside(const fs::path& target, const fs::path& folder, std::span<char> buffer,
                          fs::path* copy, int* copy_fd) {
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
    ec = worded(CopyContent(old_fd, *copy_fd, true, buffer),
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

}  // namespace tessary
