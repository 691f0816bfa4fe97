// FileSystem: the few file operations a conversion run needs, behind one thin interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

namespace tessary {

// An output being written. Nothing changes for good until Commit() succeeds: an output that is
// dropped without it is rolled back. Outputs that are not regular files (a terminal, a pipe, a
// device, a descriptor the program was handed) are written straight through and stay as written.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual std::error_code Write(std::string_view data) = 0;
  virtual std::error_code Commit() = 0;
  // True when Rollback() can put back what was there before the output was opened.
  virtual bool Restorable() const = 0;
  // False when the output is a new file, which Rollback() does not leave behind.
  virtual bool Existed() const { return true; }
  // Puts the old content back, once. Returns "" when it is as it was and nothing is left behind,
  // else what became of it, worded to follow the output's name in a message (for example
  // "could not be put back (...); its old content is kept in ...").
  virtual std::string Rollback() = 0;
};

// An input being read: a file that can be read at any offset, or a stream (a pipe, FIFO,
// terminal or character device) that reads forward only.
class InputFile {
 public:
  virtual ~InputFile() = default;

  // The length of a file; std::nullopt for a stream.
  virtual std::optional<uint64_t> Size() const = 0;

  // Reads up to `count` (> 0) bytes into `buf`: from `offset` for a file, from where the last
  // read ended for a stream (`offset` is then ignored). Sets `*got`, which is 0 only at the end
  // of the input. A read interrupted by a signal returns std::errc::interrupted having read
  // nothing, and may be repeated.
  virtual std::error_code Read(uint64_t offset, char* buf, size_t count, size_t* got) = 0;
};

// Reads up to `count` bytes of a file from `offset` into `buf`, as many as the file holds (a
// file that ends sooner, or shrank, gives fewer), repeating reads that a signal interrupted.
// Sets `*held` to the bytes read, also on an error.
inline std::error_code ReadFileAt(InputFile& input, uint64_t offset, char* buf, size_t count,
                                  size_t* held) {
  *held = 0;
  while (*held < count) {
    size_t got = 0;
    const std::error_code ec = input.Read(offset + *held, buf + *held, count - *held, &got);
    if (ec == std::errc::interrupted) continue;
    if (ec) return ec;
    if (got == 0) break;
    *held += got;
  }
  return {};
}

// Errors come back as std::error_code; their message() is the reason shown to the user.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens `path` for reading. A folder is refused (std::errc::is_a_directory).
  virtual std::error_code OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) = 0;

  // True when both paths name one existing file (not merely the same text).
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;

  // Opens `path` to be replaced or, with `append`, added to (created when missing). An open that
  // is cancelled (operation_canceled) was waiting on an existing file, and left it as it was.
  virtual std::error_code OpenOutput(const std::string& path, bool append,
                                     std::unique_ptr<OutputFile>* out) = 0;
};

}  // namespace tessary
