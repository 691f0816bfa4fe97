#include "run/run.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <tuple>

#include "run/box_values.h"
#include "run/mem_file_system.h"
#include "run/signals.h"

namespace tessary {
namespace {

// Yields before every tile; can cancel at a given yield.
class TestHost : public RunHost {
 public:
  std::chrono::nanoseconds YieldInterval() const override { return {}; }
  bool Yield() override { return ++yields != cancel_at_yield; }
  TileStyle CurrentStyle() override { return style; }
  void WalkStarted() override {
    ++started;
    if (files != nullptr) read_before_start = files->bytes_read;
  }
  void WalkEnded() override { ++ended; }
  TileSink* Tiles() override { return sink; }

  TileStyle style;
  int yields = 0, cancel_at_yield = -1, started = 0, ended = 0;
  const MemFileSystem* files = nullptr;
  uint64_t read_before_start = 0;
  TileSink* sink = nullptr;
};

class RunTest : public ::testing::Test {
 protected:
  RunTest() {
    files.files["in.bin"] = std::string(4096, '\x5A');
    std::tie(options.input_path, options.output_path, options.end_text) =
        std::tuple("in.bin", "out.asm", "$100");
  }

  RunResult Go() { return tessary::Run(options, host, files); }

  MemFileSystem files;
  TestHost host;
  RunOptions options;
};

// Ranges with nothing to list stop quietly; numbers out of range are errors naming the field.
// Neither touches a file, and the tile number is taken either way.
TEST_F(RunTest, NothingToListOrNumbersOutOfRange) {
  const struct {
    std::string tile, start, end;
    RunStatus status;
    std::string message;
  } cases[] = {
      {"$20", "10", "9", RunStatus::kQuietStop,
       "End Offset 9 is below Start Offset 10; nothing to list"},
      {"$20", "$10", "$17", RunStatus::kQuietStop,
       "the range from 16 to 23 holds fewer than 8 bytes; nothing to list"},
      // Regression: a start below 0 whose range wraps past 2^31 bytes was called too long.
      {"$20", "-2147483648", "2147483647", RunStatus::kFailed,
       "Start Offset -2147483648 is below 0"},
      {"$20", "$80000000", "$100", RunStatus::kFailed, "Start Offset -2147483648 is below 0"},
      {"$20", "-2147483647", "0", RunStatus::kFailed, "Start Offset -2147483647 is below 0"},
      {"$100000000", "0", "8", RunStatus::kFailed,
       "Hex Count From \"$100000000\" is outside the 32-bit range"},
      {"0", "-$80000000", "8", RunStatus::kFailed,
       "Start Offset \"-$80000000\" is outside the 32-bit range"},
      {"0", "0", "9999999999", RunStatus::kFailed,
       "End Offset \"9999999999\" is outside the 32-bit range"},
  };
  for (const auto& c : cases) {
    std::tie(options.tile_number_text, options.start_text, options.end_text) =
        std::tie(c.tile, c.start, c.end);
    const RunResult result = Go();
    EXPECT_EQ(std::tie(result.status, result.message), std::tie(c.status, c.message));
    EXPECT_TRUE(c.status != RunStatus::kQuietStop || result.TileNo == 32);
  }
  EXPECT_EQ(files.outputs_opened, 0);
  EXPECT_EQ(host.started, 0);
}

TEST_F(RunTest, FileErrorsNameTheFileAndTheReason) {
  options.input_path = "Click on *\n";
  EXPECT_EQ(Go().message, "cannot open input file \"Click on *\\n\": No such file or directory");

  options.input_path = "in.bin";
  files.read_error = std::make_error_code(std::errc::io_error);
  EXPECT_EQ(Go().message, "cannot read input file \"in.bin\": Input/output error");
  files.read_error.clear();
  files.open_error = std::make_error_code(std::errc::permission_denied);
  EXPECT_EQ(Go().message, "cannot create output file \"out.asm\": Permission denied");
  options.append = true;
  EXPECT_EQ(Go().message, "cannot open output file \"out.asm\" for appending: Permission denied");
  files.open_error = std::make_error_code(std::errc::operation_canceled);  // an interrupted open
  EXPECT_EQ(Go().message, "cancelled; output file \"out.asm\" is left as it was");
  EXPECT_EQ(host.started, host.ended);
  EXPECT_EQ(files.files.count("out.asm"), 0u);
}

// A failed or cancelled run puts the output back, or says what became of it.
TEST_F(RunTest, GivingUpLeavesTheOldOutputOrSaysWhy) {
  files.files["in.bin"] = std::string(1 << 20, '\x5A');
  options.end_text = "$100000";  // about 18 MB of listing, written in several chunks
  const std::error_code full = std::make_error_code(std::errc::no_space_on_device);
  const std::string old = "old listing\r\n";
  const struct {
    int cancel_at_yield;
    std::error_code write_error;  // a write past 3 MiB fails with it
    bool restorable;
    std::string rollback_problem, said;  // what the message says of the output
    bool existed = true;
  } cases[] = {
      {-1, full, true, "", "is left as it was"},
      {-1, full, false, "", "is incomplete"},
      {-1, full, true, "could not be put back (why)", "could not be put back (why)"},
      {3, {}, true, "", "is left as it was"},
      {3, {}, false, "", "is incomplete"},
      // A write that an interrupt cut short.
      {-1, std::make_error_code(std::errc::operation_canceled), true, "", "is left as it was"},
      // Regression: an output that never existed was said to be left as it was.
      {-1, full, true, "", "was not created", false},
      {3, {}, true, "", "was not created", false},
      {3, {}, false, "", "is incomplete", false},
  };
  host.files = &files;
  for (const auto& c : cases) {
    files.files.erase("out.asm");
    if (c.existed) files.files["out.asm"] = old;
    files.bytes_read = 1;  // the window shows its busy state before the first read
    std::tie(host.read_before_start, host.yields, host.cancel_at_yield) =
        std::tuple(99, 0, c.cancel_at_yield);
    std::tie(files.space, files.space_error, files.restorable, files.rollback_problem) = std::tuple(
        c.write_error ? 3 << 20 : UINT64_MAX, c.write_error, c.restorable, c.rollback_problem);
    const RunResult result = Go();
    const bool cancelled = c.write_error != full;
    EXPECT_EQ(result.status, cancelled ? RunStatus::kCancelled : RunStatus::kFailed);
    const std::string failed = "cannot write output file \"out.asm\": No space left on device; it ";
    EXPECT_EQ(result.message,
              (cancelled ? "cancelled; output file \"out.asm\" " : failed) + c.said);
    EXPECT_EQ(files.files.count("out.asm") ? files.files["out.asm"] : "(none)",
              c.existed ? old : "(none)");
    EXPECT_TRUE(c.cancel_at_yield < 0 || result.tiles == c.cancel_at_yield - 1);
    EXPECT_EQ(host.read_before_start, 1u);
  }
  EXPECT_EQ(host.started, 9);
  EXPECT_EQ(host.ended, 9);
}

// Regression: a run that ran out of memory put its output back unseen, so a copy that a failed
// put-back kept went unnamed.
TEST_F(RunTest, RunningOutOfMemorySaysWhatBecameOfTheOutput) {
  struct GreedySink : TileSink {
    bool Ahead(int64_t, int, int) override { return true; }
    bool Tiles(const uint8_t*, size_t) override { throw std::bad_alloc(); }
    bool Done() override { return true; }
    std::string Problem() const override { return {}; }
  } greedy;
  host.sink = &greedy;
  files.files["out.asm"] = "old";
  files.rollback_problem = "could not be put back (why); its old content is kept in \"copy\"";
  const RunResult result = Go();
  EXPECT_EQ(result.status, RunStatus::kFailed);
  EXPECT_EQ(result.message,
            "not enough memory for the run; output file \"out.asm\" " + files.rollback_problem);
  EXPECT_EQ(host.started, host.ended);
}

// Guards against numbering that goes on from the last run, or skips unlabelled tiles.
TEST_F(RunTest, EveryRunStartsNumberingAgain) {
  options.tile_number_text = "$FE";
  for (bool labels : {false, true, true}) {
    host.style.labels = labels;
    EXPECT_EQ(Go().TileNo, 0xFE + 32);
  }
}

// Box values Vertical, Append, Skip, Even, Invert, 16x16, 8x12 Masked, Hex Count From as digits;
// what they set as the letters v, a, s, e, i (invert), l (labels) and the shape.
TEST(FromBoxesTest, WhichValuesCountAsSet) {
  const struct {
    const char *boxes, *set;
    Shape shape;
  } cases[] = {
      {"10100001", "vsl", Shape::k8x8},   {"01011000", "aei", Shape::k8x8},
      {"00000100", "", Shape::k16x16},    {"00000110", "", Shape::k16x16},  // 16x16 wins
      {"00000010", "", Shape::k8x12},     {"00000210", "", Shape::k8x12},
      {"22222222", "vasel", Shape::k8x8},  // grayed counts only where any value but 0 does
  };
  for (const auto& c : cases) {
    int v[8];
    for (int i = 0; i < 8; ++i) v[i] = c.boxes[i] - '0';
    const BoxChoices got = FromBoxes({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
    const RunOptions& o = got.options;
    const bool on[] = {o.vertical, o.append, o.skip, o.even, got.style.invert, got.style.labels};
    std::string set;
    for (int i = 0; i < 6; ++i) {
      if (on[i]) set += "vaseil"[i];
    }
    EXPECT_EQ(set, c.set) << c.boxes;
    EXPECT_EQ(o.shape, c.shape) << c.boxes;
  }
}

#if !defined(_WIN32)  // the console's Ctrl-C there; cli/console_interrupt_test.sh checks it
// Guards against a second Ctrl-C not ending the program at once (the first only cancels),
// against one interrupt sent twice at once (as timeout(1) does) ending it half-cancelled, and
// against a second Ctrl-C cutting short the put-back of an output.
TEST(SignalsDeathTest, ASecondCtrlCEndsAtOnceUnlessAnOutputIsPutBack) {
  auto twice = [](int gap_ms, bool put_back) {
    CatchInterrupts();
    std::raise(SIGINT);
    ::usleep(static_cast<useconds_t>(gap_ms) * 1000);
    std::optional<PutBackScope> putting_back;
    if (put_back) putting_back.emplace();
    if (Interrupted()) std::raise(SIGINT);
    putting_back.reset();
    std::exit(0);
  };
  EXPECT_EXIT(twice(0, false), ::testing::ExitedWithCode(0), "^$");
  EXPECT_EXIT(twice(300, false), ::testing::KilledBySignal(SIGINT), "");
  EXPECT_EXIT(twice(300, true), ::testing::ExitedWithCode(0),
              "^putting the output file back as it was; wait for it to finish\n$");
}
#endif

// A stream (a pipe, standard input) read through a small window.
class StreamRunTest : public RunTest {
 protected:
  StreamRunTest() {
    files.files["-"] = std::string(1000, '\x5A');
    files.streams.insert("-");
    options.input_path.assign(1, '-');  // (GCC 12 misreads a one-character literal here)
    options.end_text.reset();
    options.read_window = 64;
  }
};

TEST_F(StreamRunTest, RangeEndsWithTheStreamOrReadsZerosPastIt) {
  // {start, end (nullptr: none), status, tiles, message}
  const std::tuple<const char*, const char*, RunStatus, int64_t, std::string> cases[] = {
      {"0", nullptr, RunStatus::kDone, 112, ""},   // 7 whole block rows of 1000 bytes
      {"$80", "$800", RunStatus::kDone, 240, ""},  // zeros past the stream's end
      {"2000", nullptr, RunStatus::kQuietStop, 0,
       "End Offset 1000 is below Start Offset 2000; nothing to list"},
      {"995", nullptr, RunStatus::kQuietStop, 0,
       "the range from 995 to 1000 holds fewer than 8 bytes; nothing to list"},
      {"2000", "2128", RunStatus::kDone, 16, ""},  // a start past the end lists zeros
  };
  for (const auto& [start, end, status, tiles, message] : cases) {
    options.start_text = start;
    options.end_text = end ? std::optional<std::string>(end) : std::nullopt;
    const RunResult result = Go();
    EXPECT_EQ(std::tuple(result.status, result.tiles, result.message),
              std::tuple(status, tiles, message));
  }
  EXPECT_EQ(files.files["out.asm"].substr(6, 16), " .db %00000000\r\n");
  files.files["-"].clear();
  EXPECT_EQ(Go().message, "input file \"-\" is empty; nothing to list");
}

TEST_F(StreamRunTest, ReadOnlyAsFarAsTheRangeAndCancelledWhileSkippingOrBlocked) {
  files.files["-"] = std::string(1 << 16, '\x5A');
  // Regression guard: no further than the range's end and the 256 bytes after it, which the
  // 8x12 mask rows reach (the vertical walk keeps the whole stream and reads exactly that far);
  // windows of 64 bytes and stream reads of 100 bytes end elsewhere.
  files.stream_chunk = 100;
  options.end_text = "$1000";
  for (const Shape shape : {Shape::k8x8, Shape::k8x12, Shape::k16x16}) {
    for (const char* start : {"0", "$48"}) {
      std::tie(options.shape, options.start_text) = std::tuple(shape, start);
      options.vertical = shape == Shape::k8x8 && start[0] == '$';
      files.bytes_read = 0;
      ASSERT_EQ(Go().status, RunStatus::kDone);
      EXPECT_LE(files.bytes_read, 0x1000u + 256) << start;
    }
  }
  std::tie(options.shape, options.vertical, options.start_text, options.end_text) =
      std::tuple(Shape::k8x8, false, "$F000", "$F100");
  std::tie(files.stream_chunk, files.bytes_read) = std::tuple(4096, 0);
  std::tie(host.yields, host.cancel_at_yield) = std::tuple(0, 3);
  const int opened = files.outputs_opened;
  EXPECT_EQ(Go().message, "cancelled; nothing was written");
  EXPECT_LT(files.bytes_read, 0xF000u);
  EXPECT_EQ(files.outputs_opened, opened);
  // A signal interrupts a blocked open or read: the run asks its host, and goes on unless
  // cancelled.
  files.interrupted_opens = files.interrupted_reads = 1;
  host.cancel_at_yield = -1;
  EXPECT_EQ(Go().status, RunStatus::kDone);
  files.interrupted_opens = 1;
  std::tie(host.yields, host.cancel_at_yield) = std::tuple(0, 1);
  EXPECT_EQ(Go().status, RunStatus::kCancelled);
}

// Guards against a signal in a blocked read going unanswered until the yield period is over.
TEST_F(StreamRunTest, AnInterruptedReadAsksTheHostAtOnce) {
  struct SlowHost : TestHost {
    std::chrono::nanoseconds YieldInterval() const override { return std::chrono::hours(1); }
  } slow;
  slow.cancel_at_yield = 1;
  files.interrupted_reads = 1;
  EXPECT_EQ(tessary::Run(options, slow, files).status, RunStatus::kCancelled);
}

}  // namespace
}  // namespace tessary
