#include "run/run.h"

#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "run/column_stash.h"
#include "run/listed_tiles.h"
#include "run/listing_walk.h"
#include "run/quoted.h"
#include "run/range_check.h"
#include "run/slice_reader.h"
#include "run/yield_pacer.h"
#include "tiles/emitters.h"

namespace tessary {
namespace {

// The listing is gathered in memory and written in chunks of this size.
constexpr size_t kChunkSize = size_t{1} << 20;
// The vertical walk over a file keeps up to this many read windows of the next column in memory.
constexpr size_t kStashWindows = 64;
// A tile sink is handed the tiles this many at a time.
constexpr size_t kSinkBatch = 4096;

using Emitter = char* (*)(char*, const ListingFormat&, const SourceSlice&, int32_t, int32_t,
                          int32_t&, TileStyle);
using Gatherer = void (*)(const SourceSlice&, int32_t, int32_t, uint8_t*);

// An emitter, where the bytes of its tiles lie, and how they are gathered for a TileSink: rows
// of tile_row_bytes bytes.
struct Layout {
  Emitter emit;
  uint64_t row_bytes;
  uint64_t reach;
  Gatherer gather;
  int tile_rows;
  int tile_row_bytes;
};

Layout LayoutFor(Shape shape) {
  switch (shape) {
    case Shape::k16x16:
      return {&Do1616Tile, kDo1616TileRowBytes, kDo1616TileReach, &Do1616TileBytes, 16, 2};
    case Shape::k8x12:
      return {&Do812Tile, kDo812TileRowBytes, kDo812TileReach, &Do812TileBytes, 12, 1};
    case Shape::k8x8:
      break;
  }
  return {&DoTile, kDoTileRowBytes, kDoTileReach, &DoTileBytes, 8, 1};
}

RunResult Ended(RunResult result, RunStatus status, std::string message) {
  result.status = status;
  result.message = std::move(message);
  return result;
}

std::string CannotOpen(const std::string& input, std::error_code ec) {
  return "cannot open input file " + Quoted(input) + ": " + ec.message();
}

// What a run that gives up leaves of its output, worded to follow the output's name.
std::string LeftBehind(OutputFile& output) {
  if (!output.Restorable()) return "is incomplete";
  const std::string problem = output.Rollback();
  return problem.empty() ? "is left as it was" : problem;
}

std::string TooLarge(const std::string& input) {
  return "input file " + Quoted(input) + " is too large for a 32-bit End Offset";
}

// Walks the tile positions, reads the input as they need it, hands each to the emitter and
// writes the listing in chunks. Yields to the host by time, also between reads.
class Lister {
 public:
  Lister(const ListingFormat& format, SliceReader& reader, Layout layout, RunHost& host,
         int32_t tile_no)
      : TileNo(tile_no),
        format_(format),
        reader_(reader),
        layout_(layout),
        tile_bytes_(static_cast<size_t>(layout.tile_rows * layout.tile_row_bytes)),
        host_(host),
        pacer_(host.YieldInterval()),
        style_(host.CurrentStyle()),
        poll_([this](bool now) { return !(now || pacer_.DueNow()) || YieldNow(); }) {}

  // One tile position; false ends the walk (cancelled, or a failed read or write).
  bool operator()(int32_t column, int32_t row) {
    if (pacer_.Due() && !YieldNow()) return false;
    const uint64_t lo =
        static_cast<uint64_t>(row) * layout_.row_bytes + static_cast<uint64_t>(column) * 8;
    const SourceSlice* source = &reader_.slice();
    if (stash && stash->Serve(column, row, lo, &stash_view_)) {
      source = &stash_view_;
    } else {
      const uint64_t hi = lo + (stash ? stash->Reach(column) : layout_.reach);
      if (!reader_.Covers(lo, hi) && !Read(lo, hi)) return false;
      if (stash) stash->Keep(column, row, lo, reader_.slice());
    }
    if (used_ >= kChunkSize && !Flush()) return false;
    used_ = static_cast<size_t>(
        layout_.emit(chunk_.get() + used_, format_, *source, column, row, TileNo, style_) -
        chunk_.get());
    ++tiles;
    if (sink != nullptr) {
      uint8_t* at = sink_tiles_.get() + sink_count_ * tile_bytes_;
      layout_.gather(*source, column, row, at);
      // A fixed length inverts fastest; what it inverts past the tile, the next one overwrites.
      if (style_.invert) {
        for (int k = 0; k < kMaxTileBytes; ++k) at[k] = static_cast<uint8_t>(~at[k]);
      }
      if (++sink_count_ == kSinkBatch && !FlushTiles()) return false;
    }
    return true;
  }

  // Whether the range holds at least `n` bytes. While the length is unknown (a stream without an
  // end offset) it reads on to see, keeping what is held.
  bool Reaches(int64_t n) {
    if (length >= 0) return n <= length;
    const auto wanted = static_cast<uint64_t>(n);
    if (!reader_.end_known() && !Read(reader_.slice().base(), wanted)) return false;
    return !reader_.end_known() || reader_.end() >= wanted;
  }

  // Makes the reader hold [lo, hi); false (with `cancelled` or `read_error` set) when it can't.
  bool Read(uint64_t lo, uint64_t hi) {
    const std::error_code ec = reader_.Cover(lo, hi, poll_);
    if (!ec) return true;
    if (ec == std::errc::operation_canceled) {
      cancelled = true;
    } else {
      read_error = ec;
    }
    return false;
  }

  // Opens the listing: from now on tiles are written to `output`.
  void Start(OutputFile& output) {
    output_ = &output;
    chunk_.reset(new char[kChunkSize + format_.MaxTileSize()]);
  }

  // From now on the listed tiles go to `tiles` too, `count` of them (-1: not known yet); false
  // when the sink refuses them.
  bool GiveTilesTo(TileSink* tiles, int64_t count) {
    sink = tiles;
    sink_tiles_.reset(new uint8_t[kSinkBatch * tile_bytes_ + kMaxTileBytes]);
    return sink->Ahead(count, layout_.tile_rows, layout_.tile_row_bytes);
  }

  // Hands the tiles gathered for the sink over; false (with `sink_failed` set) when it fails.
  bool FlushTiles() {
    sink_failed = sink_count_ > 0 && !sink->Tiles(sink_tiles_.get(), sink_count_);
    sink_count_ = 0;
    return !sink_failed;
  }

  // Writes what is gathered; false (with `write_error` set) when this or an earlier write failed.
  bool Flush() {
    if (write_error) return false;
    if (used_ == 0) return true;
    write_error = output_->Write(std::string_view(chunk_.get(), used_));
    if (write_error) return false;
    bytes_written += used_;
    used_ = 0;
    return true;
  }

  int32_t TileNo;
  int64_t length = -1;           // the range length; -1 while unknown
  ColumnStash* stash = nullptr;  // set for the vertical walk over a file
  bool cancelled = false;
  std::error_code read_error;
  std::error_code write_error;
  int64_t tiles = 0;
  uint64_t bytes_written = 0;
  TileSink* sink = nullptr;  // see GiveTilesTo()
  bool sink_failed = false;

 private:
  bool YieldNow() {
    if (!host_.Yield()) {
      cancelled = true;
      return false;
    }
    style_ = host_.CurrentStyle();
    return true;
  }

  const ListingFormat& format_;
  SliceReader& reader_;
  Layout layout_;
  size_t tile_bytes_;
  RunHost& host_;
  OutputFile* output_ = nullptr;
  YieldPacer pacer_;
  TileStyle style_;
  SliceReader::Poll poll_;
  SourceSlice stash_view_;
  std::unique_ptr<char[]> chunk_;
  size_t used_ = 0;
  // Tiles for the sink, one after another, and room for the last one's inversion.
  std::unique_ptr<uint8_t[]> sink_tiles_;
  size_t sink_count_ = 0;
};

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

// The end of a read that stopped the run early: cancelled or failed.
RunResult ReadStopped(const Lister& lister, const std::string& in, RunResult result) {
  if (lister.cancelled)
    return Ended(result, RunStatus::kCancelled, "cancelled; nothing was written");
  return Ended(result, RunStatus::kFailed,
               "cannot read input file " + Quoted(in) + ": " + lister.read_error.message());
}

// Everything after the range checks: read, open, walk, commit. `end` is unknown only for a
// stream without an end offset.
RunResult ListRange(const RunOptions& options, RunHost& host, FileSystem& files, InputFile& input,
                    int32_t start, std::optional<int32_t> end, RunResult result) {
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

  WalkScope busy(host);  // from the first read on
  const bool stream = !input.Size().has_value();
  // The vertical walk goes back to the start for every column: a stream is kept whole for it,
  // a file is read again, with the next column kept on the way.
  const bool by_columns = options.shape == Shape::k8x8 && options.vertical;
  const bool keep_all = stream && by_columns;
  const uint64_t max_length = static_cast<uint64_t>(std::numeric_limits<int32_t>::max() - start);
  // The range and the 256 bytes after it (the 8x12 mask rows reach past the range), or a stream
  // up to its end; one byte more than a 32-bit End Offset allows shows that it is too long.
  const uint64_t limit = end ? static_cast<uint64_t>(*end - start) + 256 : max_length + 1;
  SliceReader reader(input, static_cast<uint64_t>(start), limit, options.read_window, keep_all);
  const auto format = std::make_unique<ListingFormat>(options.listing);
  Lister lister(*format, reader, LayoutFor(options.shape), host, result.TileNo);
  if (end) lister.length = *end - start;
  ColumnStash stash(options.skip, options.even, kStashWindows * options.read_window);
  if (by_columns && !stream) lister.stash = &stash;

  // The first read comes before the output is opened: a failed read leaves it untouched, and an
  // empty or short stream stops quietly.
  if (!lister.Read(0, keep_all ? limit : 8)) return ReadStopped(lister, in, result);
  if (stream) {
    if (reader.end_known() && reader.stream_bytes_read() == 0) {
      return Ended(result, RunStatus::kQuietStop,
                   "input file " + Quoted(in) + " is empty; nothing to list");
    }
    if (!end && reader.end_known()) {
      if (reader.end() > max_length) return Ended(result, RunStatus::kFailed, TooLarge(in));
      std::string message;
      const auto stream_end = static_cast<int32_t>(reader.stream_bytes_read());
      const std::optional<int32_t> length = RangeLength(start, stream_end, &message);
      if (!length) return Ended(result, RunStatus::kQuietStop, message);
      lister.length = *length;
    }
  }

  std::unique_ptr<OutputFile> output;
  if (std::error_code ec = files.OpenOutput(out, options.append, &output)) {
    if (ec == std::errc::operation_canceled) {
      return Ended(result, RunStatus::kCancelled,
                   "cancelled; output file " + Quoted(out) + " is left as it was");
    }
    return Ended(result, RunStatus::kFailed,
                 (options.append ? "cannot open output file " + Quoted(out) + " for appending: "
                                 : "cannot create output file " + Quoted(out) + ": ") +
                     ec.message());
  }
  lister.Start(*output);
  // The tile sink's problem, worded like the run's own failures.
  const auto sink_stopped = [&] {
    const bool cancelled = lister.sink->Cancelled();
    return Ended(result, cancelled ? RunStatus::kCancelled : RunStatus::kFailed,
                 (cancelled ? "cancelled" : lister.sink->Problem()) + "; output file " +
                     Quoted(out) + " " + LeftBehind(*output));
  };
  if (TileSink* tiles = host.Tiles()) {
    const int64_t count =
        lister.length >= 0 ? ListedTiles(WalkChoiceOf(options), lister.length).count() : -1;
    if (!lister.GiveTilesTo(tiles, count)) return sink_stopped();
  }
  WalkListing(
      WalkChoiceOf(options), [&lister](int64_t n) { return lister.Reaches(n); }, lister);
  result.TileNo = lister.TileNo;
  result.tiles = lister.tiles;
  const bool cancelled = lister.cancelled || lister.write_error == std::errc::operation_canceled;
  if (cancelled) {
    return Ended(result, RunStatus::kCancelled,
                 "cancelled; output file " + Quoted(out) + " " + LeftBehind(*output));
  }
  if (lister.read_error) {
    return Ended(result, RunStatus::kFailed,
                 "cannot read input file " + Quoted(in) + ": " + lister.read_error.message() +
                     "; output file " + Quoted(out) + " " + LeftBehind(*output));
  }
  if (reader.end_known() && reader.end() > max_length && !end) {
    return Ended(result, RunStatus::kFailed,
                 TooLarge(in) + "; output file " + Quoted(out) + " " + LeftBehind(*output));
  }
  if (lister.sink_failed || (lister.sink && !lister.FlushTiles())) return sink_stopped();
  // The listing's last chunk, the sink's end, then the listing made final.
  std::error_code ec = lister.Flush() ? std::error_code() : lister.write_error;
  if (!ec && lister.sink && !lister.sink->Done()) return sink_stopped();
  if (!ec) ec = output->Commit();
  if (ec == std::errc::operation_canceled) {
    return Ended(result, RunStatus::kCancelled,
                 "cancelled; output file " + Quoted(out) + " " + LeftBehind(*output));
  }
  if (ec) {
    return Ended(result, RunStatus::kFailed,
                 "cannot write output file " + Quoted(out) + ": " + ec.message() + "; it " +
                     LeftBehind(*output));
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
  const std::string& prefix = options.listing.label_prefix;
  if (const auto problem = prefix.empty() ? std::nullopt : LabelPrefixProblem(prefix)) {
    return Ended(result, RunStatus::kFailed, "Label prefix " + *problem);
  }

  const std::string& in = options.input_path;
  std::unique_ptr<InputFile> input;
  std::optional<int32_t> end;
  if (options.end_text) {
    end = ReadField("End Offset", *options.end_text, &message);
    if (!end) return Ended(result, RunStatus::kFailed, message);
    if (!RangeLength(*start, *end, &message)) {
      return Ended(result, RunStatus::kQuietStop, message);
    }
  }
  std::error_code ec = files.OpenInput(in, &input);
  // Opening a FIFO waits for its writer; a signal that does not cancel the run resumes the wait.
  while (ec == std::errc::interrupted) {
    if (!host.Yield())
      return Ended(result, RunStatus::kCancelled, "cancelled; nothing was written");
    ec = files.OpenInput(in, &input);
  }
  if (ec) return Ended(result, RunStatus::kFailed, CannotOpen(in, ec));
  const std::optional<uint64_t> input_size = input->Size();
  if (!end && input_size) {
    // Without an end offset the range ends with the input file.
    if (*input_size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
      return Ended(result, RunStatus::kFailed, TooLarge(in));
    }
    end = static_cast<int32_t>(*input_size);
    if (!RangeLength(*start, *end, &message)) {
      return Ended(result, RunStatus::kQuietStop, message);
    }
  }
  if (input_size && *input_size < 1) {
    return Ended(result, RunStatus::kQuietStop,
                 "input file " + Quoted(in) + " is empty; nothing to list");
  }
  return ListRange(options, host, files, *input, *start, end, std::move(result));
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
