// MemFileSystem: files held in memory, with failures on demand, for tests and benchmarks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <system_error>

#include "run/file_system.h"

namespace tessary {

class MemFileSystem : public FileSystem {
 public:
  // The files by path. An output shows up here only once it is committed.
  std::map<std::string, std::string> files;

  // When set, reading any input fails with this error.
  std::error_code read_error;
  // When set, opening any output fails with this error.
  std::error_code open_error;
  // An output write that would take the output past this many bytes fails with ENOSPC.
  uint64_t space = UINT64_MAX;
  // How many outputs were opened.
  int outputs_opened = 0;

  std::error_code FileSize(const std::string& path, uint64_t* size) override;
  std::error_code ReadAt(const std::string& path, uint64_t offset, uint64_t count,
                         std::string* out) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  std::error_code OpenOutput(const std::string& path, bool append,
                             std::unique_ptr<OutputFile>* out) override;
};

}  // namespace tessary
