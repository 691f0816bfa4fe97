// SliceReader: fills the source slice from the input through one bounded window that is reused.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <system_error>

#include "run/file_system.h"
#include "tiles/source_slice.h"

namespace tessary {

class SliceReader {
 public:
  // Called between the read steps of a stream, with `now` set after a signal interrupted a
  // read (the host must then be asked at once); returning false cancels the read.
  using Poll = std::function<bool(bool now)>;

  // The slice starts at byte `start` of `input` and holds at most `limit` bytes (for a range,
  // its length and the 256 bytes after it). `window` bytes (at least 8) are read at a time;
  // the window grows only when one Cover() asks for more. With `keep_all`, every byte read is
  // kept, so a stream can be walked out of order; memory then grows with the slice.
  SliceReader(InputFile& input, uint64_t start, uint64_t limit, size_t window, bool keep_all);

  // True when the window holds every byte of [lo, hi) that the slice has. Cheap: asked per tile.
  bool Covers(uint64_t lo, uint64_t hi) const {
    return lo >= slice_.base() && std::min(hi, end_) <= slice_.held_end();
  }

  // Makes the window hold every byte of [lo, hi) that the slice has. A file is read at `lo`;
  // a stream reads on, skipping by reading up to `lo`, and gives up the bytes below `lo`
  // (unless keep_all), so a later call must not ask for them. Returns the read error,
  // std::errc::operation_canceled when `poll` cancelled, or std::errc::invalid_argument when a
  // stream is asked to go back.
  std::error_code Cover(uint64_t lo, uint64_t hi, const Poll& poll);

  // Where the slice ends: `limit`, or the input's end once it is known (always for a file).
  uint64_t end() const { return end_; }
  bool end_known() const { return end_known_; }
  // For a stream: how many of its bytes were read (all of them once its end is known).
  uint64_t stream_bytes_read() const { return read_to_; }

  const SourceSlice& slice() const { return slice_; }

 private:
  std::error_code CoverFile(uint64_t lo, uint64_t hi);
  std::error_code CoverStream(uint64_t lo, uint64_t hi, const Poll& poll);
  // One read of a stream into `buf`, retried after a signal unless `poll` cancels.
  std::error_code ReadStream(char* buf, size_t count, size_t* got, const Poll& poll);
  // Reads and drops stream bytes up to slice offset `to` (or the stream's end).
  std::error_code SkipTo(uint64_t to, const Poll& poll);

  InputFile& input_;
  const bool stream_;
  const uint64_t start_;
  const uint64_t limit_;
  const size_t window_;
  const bool keep_all_;
  uint64_t end_;
  bool end_known_;
  uint64_t read_to_ = 0;  // stream: the input offset of the next unread byte
  SourceSlice slice_;
};

}  // namespace tessary
