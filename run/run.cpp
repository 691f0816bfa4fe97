#include "run/run.h"

#include <functional>
#include <limits>
#include <memory>
#include <new>
#include <optional>

#include "run/column_stash.h"
#include "run/listed_tiles.h"
#include "run/lister.h"
#include "run/listing_walk.h"
#include "run/messages.h"
#include "run/picture_input.h"
#include "run/range_check.h"
#include "run/range_note.h"
#include "run/slice_reader.h"

namespace tessary {
namespace {

// The vertical walk over a file keeps up to this many read windows of the next column in memory.
constexpr size_t kStashWindows = 64;

RunResult Ended(RunResult result, RunStatus status, std::string message) {
  result.status = status;
  result.message = std::move(message);
  return result;
}

// Checks the range from `start` to `end` as RangeLength() does: its length, or std::nullopt
// with `*result` ended, quietly or as an error.
std::optional<int32_t> CheckRange(int32_t start, int32_t end, RunResult* result) {
  std::string message;
  bool bad_start = false;
  const std::optional<int32_t> length = RangeLength(start, end, &message, &bad_start);
  if (!length) {
    *result = Ended(*result, bad_start ? RunStatus::kFailed : RunStatus::kQuietStop, message);
  }
  return length;
}

// Puts the output back, where it can be, and says what became of it.
messages::OutputLeft PutBack(OutputFile& output) {
  if (!output.Restorable()) return {false, output.Existed(), {}};
  return {true, output.Existed(), output.Rollback()};
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

// Why the input `in` could not be read: a picture's own reason where it has one.
std::string ReadFailure(const std::string& in, std::error_code ec, const PictureInput* picture) {
  if (picture && ec.category() == PictureCategory()) {
    return messages::BadPicture(in, picture->problem());
  }
  return messages::CannotReadInput(in, ec);
}

// The end of a read that stopped the run early: cancelled or failed.
RunResult ReadStopped(const Lister& lister, const std::string& in, const PictureInput* picture,
                      RunResult result) {
  if (lister.cancelled) {
    return Ended(result, RunStatus::kCancelled, messages::CancelledBeforeWriting());
  }
  return Ended(result, RunStatus::kFailed, ReadFailure(in, lister.read_error, picture));
}

// Opens the output, walks the range into it and makes it final, or puts it back. `too_long`
// tells, once the walk is over, whether a stream without an end offset turned out longer than
// a 32-bit End Offset allows.
RunResult WriteListing(const RunOptions& options, RunHost& host, FileSystem& files, Lister& lister,
                       int32_t start, const PictureInput* picture,
                       const std::function<bool()>& too_long, RunResult result) {
  const std::string& out = options.output_path;
  std::unique_ptr<OutputFile> output;
  if (std::error_code ec = files.OpenOutput(out, options.append, &output)) {
    if (ec == std::errc::operation_canceled) {  // the open of an existing file
      return Ended(result, RunStatus::kCancelled, messages::Cancelled(out, {}));
    }
    return Ended(result, RunStatus::kFailed, messages::CannotOpenOutput(out, options.append, ec));
  }
  // Gives up on the output: puts it back and says why, and what became of it.
  const auto cancel = [&] {
    return Ended(result, RunStatus::kCancelled, messages::Cancelled(out, PutBack(*output)));
  };
  const auto fail = [&](const std::string& why) {
    return Ended(result, RunStatus::kFailed, messages::GivenUp(why, out, PutBack(*output)));
  };
  // The tile sink's problem, worded like the run's own failures.
  const auto sink_stopped = [&] {
    return lister.sink->Cancelled() ? cancel() : fail(lister.sink->Problem());
  };
  try {  // memory that runs out here is named with the output's fate
    lister.Start(*output);
    if (TileSink* tiles = host.Tiles()) {
      const int64_t count =
          lister.length >= 0 ? ListedTiles(WalkChoiceOf(options), lister.length).count() : -1;
      if (!lister.GiveTilesTo(tiles, count)) return sink_stopped();
    }
    WalkListing(
        WalkChoiceOf(options), [&lister](int64_t n) { return lister.Reaches(n); }, lister);
    result.TileNo = lister.TileNo;
    result.tiles = lister.tiles;
    result.lines_written = lister.tiles * (1 + lister.TileRows());
    if (lister.cancelled || lister.write_error == std::errc::operation_canceled) return cancel();
    const std::string& in = options.input_path;
    if (lister.read_error) return fail(ReadFailure(in, lister.read_error, picture));
    if (too_long()) return fail(messages::InputTooLarge(in));
    if (lister.sink_failed || (lister.sink && !lister.FlushTiles())) return sink_stopped();
    // The listing's last chunk, the sink's end, then the listing made final.
    std::error_code ec = lister.Flush() ? std::error_code() : lister.write_error;
    if (!ec && lister.sink && !lister.sink->Done()) return sink_stopped();
    if (!ec) ec = output->Commit();
    if (ec == std::errc::operation_canceled) return cancel();
    if (ec) {
      return Ended(result, RunStatus::kFailed,
                   messages::CannotWriteOutput(out, ec, PutBack(*output)));
    }
  } catch (const std::bad_alloc&) {
    return fail(messages::NotEnoughMemory());
  }
  result.bytes_written = lister.bytes_written;
  if (const auto note = UnlistedNote(WalkChoiceOf(options), start, lister.RangeLength(),
                                     options.every_tile_name)) {
    result.note = *note;
  }
  return result;
}

// Everything after the range checks: the checks that need the input open, then its first read,
// before the output is opened. `end` is unknown only for a stream without an end offset.
RunResult ListRange(const RunOptions& options, RunHost& host, FileSystem& files, InputFile& input,
                    const PictureInput* picture, int32_t start, std::optional<int32_t> end,
                    RunResult result) {
  const std::string& in = options.input_path;
  const bool stream = !input.Size().has_value();
  // The vertical walk goes back to the start for every column: a stream is kept whole for it,
  // a file is read again, with the next column kept on the way.
  const bool by_columns = !options.glyph && options.shape == Shape::k8x8 && options.vertical;
  const bool keep_all = stream && by_columns;
  const uint64_t max_length = static_cast<uint64_t>(std::numeric_limits<int32_t>::max() - start);
  // The range and the 256 bytes after it (the 8x12 mask rows reach past the range), or a stream
  // up to its end; one byte more than a 32-bit End Offset allows shows that it is too long.
  const uint64_t limit = end ? static_cast<uint64_t>(*end - start) + 256 : max_length + 1;
  SliceReader reader(input, static_cast<uint64_t>(start), limit, options.read_window, keep_all);
  const auto format = std::make_unique<ListingFormat>(options.listing);
  Lister lister(*format, reader, LayoutFor(options), host, result.TileNo);
  if (end) lister.length = *end - start;
  ColumnStash stash(options.skip, options.even, kStashWindows * options.read_window);
  if (by_columns && !stream) lister.stash = &stash;

  // The first read comes before the output is opened: a failed read leaves it untouched, and an
  // empty or short stream stops quietly.
  if (!lister.Read(0, keep_all ? limit : 8)) return ReadStopped(lister, in, picture, result);
  const WalkChoice choice = WalkChoiceOf(options);
  if (stream) {
    if (reader.end_known() && reader.stream_bytes_read() == 0) {
      return Ended(result, RunStatus::kQuietStop, messages::InputEmpty(in));
    }
    // A stream of unknown length is read until it holds a first tile or ends, so that a range
    // that lists nothing leaves the output untouched.
    if (!end && !lister.Reaches(FirstTileBytes(choice)) &&
        (lister.cancelled || lister.read_error)) {
      return ReadStopped(lister, in, picture, result);
    }
    if (!end && reader.end_known()) {
      if (reader.end() > max_length) {
        return Ended(result, RunStatus::kFailed, messages::InputTooLarge(in));
      }
      const auto stream_end = static_cast<int32_t>(reader.stream_bytes_read());
      const std::optional<int32_t> length = CheckRange(start, stream_end, &result);
      if (!length) return result;
      lister.length = *length;
    }
  }
  if (lister.length >= 0 && ListedTiles(choice, lister.length).count() == 0) {
    return Ended(result, RunStatus::kNothingListed,
                 NothingToList(choice, start, lister.length, options.every_tile_name));
  }
  const auto too_long = [&] { return !end && reader.end_known() && reader.end() > max_length; };
  return WriteListing(options, host, files, lister, start, picture, too_long, std::move(result));
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
    return Ended(result, RunStatus::kFailed, messages::BadLabelPrefix(*problem));
  }

  const std::string& in = options.input_path;
  std::unique_ptr<InputFile> input;
  std::optional<int32_t> end;
  if (options.end_text) {
    end = ReadField("End Offset", *options.end_text, &message);
    if (!end) return Ended(result, RunStatus::kFailed, message);
    if (!CheckRange(*start, *end, &result)) return result;
  }
  std::error_code ec = files.OpenInput(in, &input);
  // Opening a FIFO waits for its writer; a signal that does not cancel the run resumes the wait.
  while (ec == std::errc::interrupted) {
    if (!host.Yield()) {
      return Ended(result, RunStatus::kCancelled, messages::CancelledBeforeWriting());
    }
    ec = files.OpenInput(in, &input);
  }
  if (ec) return Ended(result, RunStatus::kFailed, messages::CannotOpenInput(in, ec));
  if (*start < 0) return Ended(result, RunStatus::kFailed, messages::StartBelowZero(*start));
  if (files.SameFile(in, options.output_path)) {
    return Ended(result, RunStatus::kFailed, messages::OutputIsInput(options.output_path));
  }
  // The busy state starts before the first read: telling a picture by its first bytes (a pipe
  // may keep the run waiting for them) and counting its colours.
  std::optional<WalkScope> busy;
  busy.emplace(host);
  PictureInput* picture = nullptr;
  if (!options.raw) {
    PictureSettings settings{options.threshold, [&host] { return host.Yield(); }};
    OpenedInput opened = OpenPictureOrRaw(std::move(input), settings);
    if (opened.error == std::errc::operation_canceled) {
      return Ended(result, RunStatus::kCancelled, messages::CancelledBeforeWriting());
    }
    if (opened.error) {
      const bool own = opened.error.category() == PictureCategory() && !opened.problem.empty();
      return Ended(result, RunStatus::kFailed,
                   own ? messages::BadPicture(in, opened.problem)
                       : messages::CannotReadInput(in, opened.error));
    }
    input = std::move(opened.input);
    picture = opened.picture;
  }
  const std::optional<uint64_t> input_size = input->Size();
  if (!end && input_size) {
    // Without an end offset the range ends with the input file.
    if (*input_size > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
      return Ended(result, RunStatus::kFailed, messages::InputTooLarge(in));
    }
    end = static_cast<int32_t>(*input_size);
    if (!CheckRange(*start, *end, &result)) return result;
  }
  if (input_size && *input_size < 1) {
    return Ended(result, RunStatus::kQuietStop, messages::InputEmpty(in));
  }
  return ListRange(options, host, files, *input, picture, *start, end, std::move(result));
}

}  // namespace

RunResult Run(const RunOptions& options, RunHost& host, FileSystem& files) {
  try {
    return RunChecked(options, host, files);
  } catch (const std::bad_alloc&) {
    RunResult result;
    return Ended(result, RunStatus::kFailed, messages::NotEnoughMemory());
  }
}

}  // namespace tessary
