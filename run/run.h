// Run: the conversion run, from the option values to a finished tile listing.
#pragma once

#include <cstdint>
#include <string>

#include "run/file_system.h"
#include "run/host.h"
#include "run/options.h"

namespace tessary {

enum class RunStatus {
  kDone,           // the listing was written (it may hold no tile)
  kQuietStop,      // the range or the input does not qualify; no file was touched
  kNothingListed,  // the walk would list no tile from the range; no file was touched
  kFailed,         // an error; the output is put back as it was, where it can be (see message)
  kCancelled,      // the host or an interrupt cancelled; the output as for kFailed
};

struct RunResult {
  RunStatus status = RunStatus::kDone;
  std::string message;  // the reason for anything but kDone, ready to show to the user
  // With kDone: a note on the bytes at the end of the range that the walk left unlisted, ready
  // to show, or "" (see UnlistedNote).
  std::string note;
  int32_t TileNo = 0;  // the running tile number after the run
  int64_t tiles = 0;   // tiles listed
  uint64_t bytes_written = 0;
  int64_t lines_written = 0;
};

// Converts the range that `options` name into a tile listing on `files`. Reads the first tile
// number, the start and the end offset (in that order) with Val2; stops quietly when the range
// holds fewer than 8 bytes, ends before it starts, or the input file is empty. The input is read
// as the walk needs it, options.read_window bytes at a time (a stream of unknown length stops
// quietly only once it is read); the listing is made in memory and written in large chunks.
// Unless the run ends with kDone the output is put back as it was; the message says so, or says
// what became of an output that cannot be put back. Never throws.
RunResult Run(const RunOptions& options, RunHost& host, FileSystem& files);

}  // namespace tessary
