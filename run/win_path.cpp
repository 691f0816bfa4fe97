#include "run/win_path.h"

#include <cerrno>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
// after windows.h
#include <shellapi.h>
#else
#include <sys/stat.h>
#endif

namespace tessary {

std::string Utf8FromPath(const std::filesystem::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

#if defined(_WIN32)
namespace {

std::wstring Wide(const std::string& utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), length);
  return wide;
}

std::string Utf8(const wchar_t* wide) {
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
  if (length <= 1) return {};
  std::string utf8(static_cast<size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8.data(), length, nullptr, nullptr);
  utf8.pop_back();  // the terminating zero
  return utf8;
}

class OpenElsewhereCategory : public std::error_category {
 public:
  const char* name() const noexcept override { return "tessary.windows"; }
  std::string message(int) const override {
    return "the file is open in another program; close it there and try again";
  }
};

// The volume and index of the file `path` names, or of an open handle when `path` is null.
bool Identify(const std::filesystem::path* path, HANDLE handle, BY_HANDLE_FILE_INFORMATION* info) {
  if (path != nullptr) {
    handle = CreateFileW(path->c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
  }
  const bool got = GetFileInformationByHandle(handle, info);
  if (path != nullptr) CloseHandle(handle);
  return got;
}

bool Same(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
  return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
  return std::filesystem::path(Wide(utf8));
}

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
  return _wfopen(path.c_str(), Wide(mode).c_str());
}

int OpenForReading(const std::filesystem::path& path) {
  const int fd = _wopen(path.c_str(), _O_RDONLY | _O_BINARY);
  if (fd >= 0) return fd;
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (errno == EACCES && attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    errno = EISDIR;
  } else if (errno == EINVAL && _doserrno == ERROR_INVALID_NAME) {
    errno = ENOENT;
  }
  return -1;
}

bool SameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  BY_HANDLE_FILE_INFORMATION info_a, info_b;
  return Identify(&a, nullptr, &info_a) && Identify(&b, nullptr, &info_b) && Same(info_a, info_b);
}

bool SameRegularFile(std::FILE* a_stream, const std::filesystem::path& a, std::FILE* b_stream,
                     const std::filesystem::path& b) {
  BY_HANDLE_FILE_INFORMATION info[2];
  std::FILE* streams[2] = {a_stream, b_stream};
  const std::filesystem::path* paths[2] = {&a, &b};
  for (int i = 0; i < 2; ++i) {
    if (streams[i] == nullptr) {
      if (!Identify(paths[i], nullptr, &info[i])) return false;
      continue;
    }
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(streams[i])));
    if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK ||
        !Identify(nullptr, handle, &info[i])) {
      return false;
    }
  }
  return (info[0].dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0 && Same(info[0], info[1]);
}

std::error_code CheckNotOpenElsewhere(const std::filesystem::path& path) {
  // Replacing renames over the file, which needs delete access: the sharing a program grants
  // when it opens the file decides whether that is possible.
  const HANDLE file =
      CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    CloseHandle(file);
    return {};
  }
  if (GetLastError() != ERROR_SHARING_VIOLATION && GetLastError() != ERROR_LOCK_VIOLATION) {
    return {};  // missing, not allowed, …: the open that follows reports it
  }
  static const OpenElsewhereCategory category;
  return std::error_code(1, category);
}

std::vector<std::string> Utf8Arguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; i < count; ++i) args.push_back(Utf8(wide[i]));
  LocalFree(wide);
  return args;
}

#else

std::filesystem::path PathFromUtf8(const std::string& utf8) { return utf8; }

std::FILE* OpenPath(const std::filesystem::path& path, const char* mode) {
  return std::fopen(path.c_str(), mode);
}

bool SameExistingFile(const std::filesystem::path& a, const std::filesystem::path& b) {
  std::error_code ec;
  return std::filesystem::equivalent(a, b, ec) && !ec;
}

bool SameRegularFile(std::FILE* a_stream, const std::filesystem::path& a, std::FILE* b_stream,
                     const std::filesystem::path& b) {
  struct stat a_stat, b_stat;
  const bool a_ok =
      a_stream ? fstat(fileno(a_stream), &a_stat) == 0 : stat(a.c_str(), &a_stat) == 0;
  const bool b_ok =
      b_stream ? fstat(fileno(b_stream), &b_stat) == 0 : stat(b.c_str(), &b_stat) == 0;
  return a_ok && b_ok && S_ISREG(a_stat.st_mode) && a_stat.st_dev == b_stat.st_dev &&
         a_stat.st_ino == b_stat.st_ino;
}

std::error_code CheckNotOpenElsewhere(const std::filesystem::path&) { return {}; }

std::vector<std::string> Utf8Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + 1, argv + argc);
}

#endif

}  // namespace tessary
