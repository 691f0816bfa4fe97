// FileSystem: the few file operations a conversion run needs, behind one thin interface.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <system_error>

namespace tessary {

// An output being written. Nothing a caller sees changes for good until Commit() succeeds:
// destroying an uncommitted OutputFile puts the file back as it was (a replaced file stays
// intact, an appended one is cut back to its old length, a created one is removed). Outputs
// that are not regular files (a terminal, a pipe) are written directly and cannot be put back.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual std::error_code Write(std::string_view data) = 0;
  virtual std::error_code Commit() = 0;
};

// Errors come back as std::error_code; their message() is the reason shown to the user.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The length of the file at `path`.
  virtual std::error_code FileSize(const std::string& path, uint64_t* size) = 0;

  // Reads up to `count` bytes of `path` from `offset` on into `out`; fewer where the file ends.
  virtual std::error_code ReadAt(const std::string& path, uint64_t offset, uint64_t count,
                                 std::string* out) = 0;

  // True when both paths name one existing file (not merely the same text).
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;

  // Opens `path` to be replaced or, with `append`, added to (created when missing).
  virtual std::error_code OpenOutput(const std::string& path, bool append,
                                     std::unique_ptr<OutputFile>* out) = 0;
};

}  // namespace tessary
