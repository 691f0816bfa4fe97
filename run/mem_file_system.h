// MemFileSystem: files held in memory, with failures on demand, for tests and benchmarks.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <system_error>

#include "run/file_system.h"

namespace tessary {

class MemFileSystem : public FileSystem {
 public:
  // The files by path. An output shows up here only once it is committed.
  std::map<std::string, std::string> files;

  // Paths read as streams: no size, forward only, at most `stream_chunk` bytes a read.
  std::set<std::string> streams;
  size_t stream_chunk = 4096;
  // When set, reading any input fails with this error.
  std::error_code read_error;
  // The next this many opens, or reads, of an input are interrupted (std::errc::interrupted).
  int interrupted_opens = 0;
  int interrupted_reads = 0;
  // Input bytes read so far.
  uint64_t bytes_read = 0;
  // When set, opening any output fails with this error.
  std::error_code open_error;
  // An output write that would take the output past this many bytes fails with `space_error`.
  uint64_t space = UINT64_MAX;
  std::error_code space_error = std::make_error_code(std::errc::no_space_on_device);
  // What the outputs say of themselves once a run gives up: whether they can be put back, and
  // what their Rollback() returns.
  bool restorable = true;
  std::string rollback_problem;
  // How many outputs were opened.
  int outputs_opened = 0;

  std::error_code OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  std::error_code OpenOutput(const std::string& path, bool append,
                             std::unique_ptr<OutputFile>* out) override;
};

}  // namespace tessary
