#include "run/run.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "notation/val2.h"
#include "run/walks.h"
#include "run/yield_pacer.h"
#include "tiles/composite_walks.h"
#include "tiles/emitters.h"

namespace tessary {
namespace {

// The listing is gathered in memory and written in chunks of this size.
constexpr size_t kChunkSize = size_t{1} << 20;

using Emitter = char* (*)(char*, const SourceSlice&, int32_t, int32_t, int32_t&, TileStyle);

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

RunResult Ended(RunResult result, RunStatus status, std::string message) {
  result.status = status;
  result.message = std::move(message);
  return result;
}

std::string CannotOpen(const std::string& input, std::error_code ec) {
  return "cannot open input file " + Quoted(input) + ": " + ec.message();
}

// Reads one numeric field; std::nullopt (with `*message` set) when it is out of range.
std::optional<int32_t> ReadField(const char* field, const std::string& text, std::string* message) {
  const std::optional<int32_t> value = Val2(text);
  if (!value) *message = std::string(field) + " " + Quoted(text) + " is outside the 32-bit range";
  return value;
}

// Walks the tile positions, hands each to the emitter and writes the listing in chunks.
class Lister {
 public:
  Lister(const SourceSlice& slice, Emitter emit, RunHost& host, OutputFile& output, int32_t tile_no)
      : TileNo(tile_no),
        slice_(slice),
        emit_(emit),
        host_(host),
        output_(output),
        pacer_(host.YieldInterval()),
        style_(host.CurrentStyle()),
        chunk_(new char[kChunkSize + kMaxTileSize]) {}

  // One tile position; false ends the walk (cancelled or a failed write).
  bool operator()(int32_t column, int32_t row) {
    if (pacer_.Due()) {
      if (!host_.Yield()) {
        cancelled = true;
        return false;
      }
      style_ = host_.CurrentStyle();
    }
    if (used_ >= kChunkSize && !Flush()) return false;
    used_ = static_cast<size_t>(emit_(chunk_.get() + used_, slice_, column, row, TileNo, style_) -
                                chunk_.get());
    ++tiles;
    return true;
  }

  // Writes what is gathered; false (with `write_error` set) when this or an earlier write failed.
  bool Flush() {
    if (write_error) return false;
    if (used_ == 0) return true;
    write_error = output_.Write(std::string_view(chunk_.get(), used_));
    if (write_error) return false;
    bytes_written += used_;
    used_ = 0;
    return true;
  }

  int32_t TileNo;
  bool cancelled = false;
  std::error_code write_error;
  int64_t tiles = 0;
  uint64_t bytes_written = 0;

 private:
  const SourceSlice& slice_;
  Emitter emit_;
  RunHost& host_;
  OutputFile& output_;
  YieldPacer pacer_;
  TileStyle style_;
  std::unique_ptr<char[]> chunk_;
  size_t used_ = 0;
};

// Runs the walk that the options choose.
void WalkAll(const RunOptions& options, int32_t length, Lister& lister) {
  switch (options.shape) {
    case Shape::k16x16:
      Walk1616(length, lister);
      break;
    case Shape::k8x12:
      Walk812(length, lister);
      break;
    case Shape::k8x8:
      if (options.vertical) {
        WalkColumns(length, options.skip, options.even, lister);
      } else {
        WalkRows(length, options.skip, options.even, lister);
      }
      break;
  }
}

Emitter EmitterFor(Shape shape) {
  switch (shape) {
    case Shape::k16x16:
      return &Do1616Tile;
    case Shape::k8x12:
      return &Do812Tile;
    case Shape::k8x8:
      break;
  }
  return &DoTile;
}

// Ends the host's busy state however the walk ends.
class WalkScope {
 public:
  explicit WalkScope(RunHost& host) : host_(host) { host_.WalkStarted(); }
  ~WalkScope() { host_.WalkEnded(); }
  WalkScope(const WalkScope&) = delete;
  WalkScope& operator=(const WalkScope&) = delete;

 private:
  RunHost& host_;
};

// Everything after the range checks: load, open, walk, commit.
RunResult ListRange(const RunOptions& options, RunHost& host, FileSystem& files, int32_t start,
                    int32_t length, uint64_t input_size, RunResult result) {
  const std::string& in = options.input_path;
  const std::string& out = options.output_path;
  if (start < 0) {
    return Ended(result, RunStatus::kFailed,
                 "Start Offset " + std::to_string(start) + " is below 0");
  }
  if (files.SameFile(in, out)) {
    return Ended(result, RunStatus::kFailed,
                 "output file " + Quoted(out) + " is the input file; choose another output file");
  }

  // The slice and the 256 bytes after it, as far as the file has them.
  const uint64_t wanted = static_cast<uint64_t>(length) + 256;
  const uint64_t available = static_cast<uint64_t>(start) < input_size ? input_size - start : 0;
  const uint64_t count = std::min(wanted, available);
  std::string bytes;
  try {
    if (std::error_code ec = files.ReadAt(in, static_cast<uint64_t>(start), count, &bytes)) {
      return Ended(result, RunStatus::kFailed,
                   "cannot read input file " + Quoted(in) + ": " + ec.message());
    }
  } catch (const std::bad_alloc&) {
    return Ended(result, RunStatus::kFailed,
                 "not enough memory to load " + std::to_string(count) + " bytes of input file " +
                     Quoted(in));
  }
  const SourceSlice Buffer(std::move(bytes));

  std::unique_ptr<OutputFile> output;
  if (std::error_code ec = files.OpenOutput(out, options.append, &output)) {
    return Ended(result, RunStatus::kFailed,
                 (options.append ? "cannot open output file " + Quoted(out) + " for appending: "
                                 : "cannot create output file " + Quoted(out) + ": ") +
                     ec.message());
  }

  WalkScope busy(host);
  Lister lister(Buffer, EmitterFor(options.shape), host, *output, result.TileNo);
  WalkAll(options, length, lister);
  result.TileNo = lister.TileNo;
  result.tiles = lister.tiles;
  if (lister.cancelled) {
    return Ended(result, RunStatus::kCancelled,
                 "cancelled; output file " + Quoted(out) + " is left as it was");
  }
  const std::error_code ec = lister.Flush() ? output->Commit() : lister.write_error;
  if (ec) {
    return Ended(result, RunStatus::kFailed,
                 "cannot write output file " + Quoted(out) + ": " + ec.message());
  }
  result.bytes_written = lister.bytes_written;
  return result;
}

RunResult RunChecked(const RunOptions& options, RunHost& host, FileSystem& files) {
  RunResult result;
  std::string message;
  const std::optional<int32_t> tile_no =
      ReadField("Hex Count From", options.tile_number_text, &message);
  if (!tile_no) return Ended(result, RunStatus::kFailed, message);
  result.TileNo = *tile_no;
  const std::optional<int32_t> start = ReadField("Start Offset", options.start_text, &message);
  if (!start) return Ended(result, RunStatus::kFailed, message);

  const std::string& in = options.input_path;
  uint64_t input_size = 0;
  std::optional<int32_t> end;
  if (options.end_text) {
    end = ReadField("End Offset", *options.end_text, &message);
    if (!end) return Ended(result, RunStatus::kFailed, message);
  } else {
    // Without an end offset the range ends with the input file.
    if (std::error_code ec = files.FileSize(in, &input_size)) {
      return Ended(result, RunStatus::kFailed, CannotOpen(in, ec));
    }
    if (input_size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
      return Ended(result, RunStatus::kFailed,
                   "input file " + Quoted(in) + " is too large for a 32-bit End Offset");
    }
    end = static_cast<int32_t>(input_size);
  }

  if (*end < *start) {
    return Ended(result, RunStatus::kQuietStop,
                 "End Offset " + std::to_string(*end) + " is below Start Offset " +
                     std::to_string(*start) + "; nothing to list");
  }
  // The difference wraps like every 32-bit sum here; a wrapped (negative) length lists nothing.
  const auto length =
      static_cast<int32_t>(static_cast<uint32_t>(*end) - static_cast<uint32_t>(*start));
  if (length < 8) {
    const std::string range = "the range from " + std::to_string(*start) + " to " +
                              std::to_string(*end) +
                              (length < 0 ? " is longer than 2147483647 bytes; nothing to list"
                                          : " holds fewer than 8 bytes; nothing to list");
    return Ended(result, RunStatus::kQuietStop, range);
  }
  if (options.end_text) {
    if (std::error_code ec = files.FileSize(in, &input_size)) {
      return Ended(result, RunStatus::kFailed, CannotOpen(in, ec));
    }
  }
  if (input_size < 1) {
    return Ended(result, RunStatus::kQuietStop,
                 "input file " + Quoted(in) + " is empty; nothing to list");
  }
  return ListRange(options, host, files, *start, length, input_size, std::move(result));
}

}  // namespace

RunResult Run(const RunOptions& options, RunHost& host, FileSystem& files) {
  try {
    return RunChecked(options, host, files);
  } catch (const std::bad_alloc&) {
    RunResult result;
    return Ended(result, RunStatus::kFailed, "not enough memory for the run");
  }
}

}  // namespace tessary
