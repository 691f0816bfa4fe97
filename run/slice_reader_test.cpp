// The run reading its input through small windows and from streams: every walk and shape must
// list exactly what the whole slice held in memory lists.
#include "run/slice_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "run/host.h"
#include "run/mem_file_system.h"
#include "run/run.h"
#include "run/walks.h"
#include "tiles/composite_walks.h"
#include "tiles/emitters.h"

namespace tessary {
namespace {

std::string Random(size_t size, uint32_t seed) {
  std::string bytes(size, '\0');
  for (char& b : bytes) {
    seed = seed * 1103515245u + 12345u;
    b = static_cast<char>(seed >> 23);
  }
  return bytes;
}

// The listing made straight from the whole slice held in memory, without the reader.
std::string Expected(const std::string& file, const RunOptions& o, int32_t start, int32_t length) {
  const SourceSlice slice(file.size() > static_cast<size_t>(start)
                              ? file.substr(start, static_cast<size_t>(length) + 256)
                              : std::string());
  std::string out;
  int32_t tile_no = 0;
  const ListingFormat format(ListingSyntax{});
  std::vector<char> tile(format.MaxTileSize());
  auto emit = [&](auto fn) {
    return [&, fn](int32_t column, int32_t row) {
      const char* end = fn(tile.data(), format, slice, column, row, tile_no, TileStyle{});
      out.append(tile.data(), static_cast<size_t>(end - tile.data()));
      return true;
    };
  };
  if (o.shape == Shape::k16x16) return Walk1616(RangeOf(length), emit(&Do1616Tile)), out;
  if (o.shape == Shape::k8x12) return Walk812(RangeOf(length), emit(&Do812Tile)), out;
  if (o.vertical) return WalkColumns(RangeOf(length), o.skip, o.even, emit(&DoTile)), out;
  return WalkRows(RangeOf(length), o.skip, o.even, emit(&DoTile)), out;
}

TEST(SliceReaderTest, EveryWalkListsTheSameThroughAnyWindowFromFilesAndStreams) {
  struct Walk {
    Shape shape;
    bool vertical, skip, even;
  };
  const Walk walks[] = {{Shape::k8x8, false, false, true},  {Shape::k8x8, true, false, true},
                        {Shape::k8x8, false, true, false},  {Shape::k8x8, true, true, true},
                        {Shape::k8x12, false, false, true}, {Shape::k16x16, false, false, true}};
  // Windows ending inside a block, a mask row and a 16x16 half, and one larger than the slice.
  const size_t windows[] = {8, 60, 264, 300, 1000, 1 << 16};
  // {start, end (-1: none), file size}: a ragged range, a range past the file's end, the file.
  const struct {
    int32_t start, end, size;
  } ranges[] = {{40, 40 + 1500, 3000},
                {100, 2400, 1700},
                {0, -1, 2048},
                {24, -1, 1000},
                {0, -1, 16384}};  // more rows than the vertical walk keeps of a column
  for (const auto& r : ranges) {
    const std::string file = Random(r.size, r.size);
    for (const Walk& w : walks) {
      RunOptions o;
      o.shape = w.shape;
      o.vertical = w.vertical;
      o.skip = w.skip;
      o.even = w.even;
      o.input_path = "in.bin";
      o.output_path = "out.asm";
      o.start_text = std::to_string(r.start);
      if (r.end >= 0) o.end_text = std::to_string(r.end);
      const int32_t length = (r.end >= 0 ? r.end : r.size) - r.start;
      const std::string expected = Expected(file, o, r.start, length);
      for (const size_t window : windows) {
        for (const bool stream : {false, true}) {
          SCOPED_TRACE(testing::Message()
                       << "range " << r.start << ".." << r.end << " shape "
                       << static_cast<int>(w.shape) << " vertical " << w.vertical << " skip "
                       << w.skip << " window " << window << " stream " << stream);
          MemFileSystem files;
          files.files["in.bin"] = file;
          if (stream) files.streams.insert("in.bin");
          files.stream_chunk = 77;  // short reads that end anywhere
          o.read_window = window;
          FixedStyleHost host{TileStyle{}};
          const RunResult result = tessary::Run(o, host, files);
          ASSERT_EQ(result.status, RunStatus::kDone) << result.message;
          EXPECT_TRUE(files.files["out.asm"] == expected);
        }
      }
    }
  }
}

// Cancels at a given yield; yields at every chance.
class CancellingHost : public RunHost {
 public:
  explicit CancellingHost(int cancel_at) : cancel_at_(cancel_at) {}
  std::chrono::nanoseconds YieldInterval() const override { return {}; }
  bool Yield() override { return ++yields != cancel_at_; }
  TileStyle CurrentStyle() override { return {}; }
  int yields = 0;

 private:
  int cancel_at_;
};

class StreamRunTest : public ::testing::Test {
 protected:
  StreamRunTest() {
    files.files["-"] = Random(1000, 7);
    files.streams.insert("-");
    options.input_path.assign(1, '-');  // (GCC 12 misreads a one-character literal here)
    options.output_path = "out.asm";
    options.read_window = 64;
  }
  RunResult Go(int cancel_at = -1) {
    CancellingHost host(cancel_at);
    return tessary::Run(options, host, files);
  }
  MemFileSystem files;
  RunOptions options;
};

TEST_F(StreamRunTest, RangeEndsWithTheStreamOrReadsZerosPastIt) {
  const struct {
    const char* start;
    const char* end;  // nullptr: none
    RunStatus status;
    int64_t tiles;
    const char* message;
  } cases[] = {
      {"0", nullptr, RunStatus::kDone, 112, ""},   // 7 whole block rows of 1000 bytes
      {"$80", "$800", RunStatus::kDone, 240, ""},  // zeros past the stream's end
      {"2000", nullptr, RunStatus::kQuietStop, 0,
       "End Offset 1000 is below Start Offset 2000; nothing to list"},
      {"995", nullptr, RunStatus::kQuietStop, 0,
       "the range from 995 to 1000 holds fewer than 8 bytes; nothing to list"},
      {"2000", "2128", RunStatus::kDone, 16, ""},  // a start past the end lists zeros
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    options.start_text = c.start;
    options.end_text = c.end ? std::optional<std::string>(c.end) : std::nullopt;
    const RunResult result = Go();
    EXPECT_EQ(result.status, c.status);
    EXPECT_EQ(result.tiles, c.tiles);
    EXPECT_EQ(result.message, c.message);
  }
  EXPECT_EQ(files.files["out.asm"].substr(6, 16), " .db %00000000\r\n");
  files.files["-"].clear();
  EXPECT_EQ(Go().message, "input file \"-\" is empty; nothing to list");
}

TEST_F(StreamRunTest, AStreamOfUnknownLengthIsReadOnlyAsFarAsTheWalkGoes) {
  files.files["-"] = Random(1 << 20, 3);
  options.end_text = "$1000";
  ASSERT_EQ(Go().status, RunStatus::kDone);
  EXPECT_LE(files.bytes_read, 0x1000u + 256 + 64);  // the range, the bytes after it, a window
}

TEST_F(StreamRunTest, CancelWhileSkippingOrBlockedInARead) {
  files.files["-"] = Random(1 << 16, 5);
  options.start_text = "$F000";
  options.end_text = "$F100";
  RunResult result = Go(/*cancel_at=*/3);
  EXPECT_EQ(result.status, RunStatus::kCancelled);
  EXPECT_EQ(result.message, "cancelled; nothing was written");
  EXPECT_LT(files.bytes_read, 0xF000u);
  EXPECT_EQ(files.outputs_opened, 0);

  // A signal interrupts a blocked read: the run asks its host, and goes on when not cancelled.
  files.interrupted_reads = 2;
  EXPECT_EQ(Go().status, RunStatus::kDone);
  files.interrupted_reads = 1;
  EXPECT_EQ(Go(/*cancel_at=*/1).status, RunStatus::kCancelled);
}

}  // namespace
}  // namespace tessary
