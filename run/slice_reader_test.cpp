// The run reading its input through small windows and from streams: every walk and shape must
// list exactly what the whole slice held in memory lists.
#include "run/slice_reader.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <tuple>
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
  std::mt19937 random(seed);
  std::string bytes(size, '\0');
  for (char& b : bytes) b = static_cast<char>(random());
  return bytes;
}

// The listing made straight from the whole slice held in memory, without the reader.
std::string Expected(const std::string& file, const RunOptions& o, int32_t start, int32_t length) {
  const SourceSlice slice(file.substr(std::min<size_t>(start, file.size()), length + 256u));
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
  if (o.shape == Shape::k16x16)
    return Walk1616(RangeOf(length), o.every_tile, emit(&Do1616Tile)), out;
  if (o.shape == Shape::k8x12) return Walk812(RangeOf(length), emit(&Do812Tile)), out;
  if (o.vertical)
    return WalkColumns(RangeOf(length), o.skip, o.even, o.every_tile, emit(&DoTile)), out;
  return WalkRows(RangeOf(length), o.skip, o.even, o.every_tile, emit(&DoTile)), out;
}

TEST(SliceReaderTest, EveryWalkListsTheSameThroughAnyWindowFromFilesAndStreams) {
  // {shape, vertical, skip, even}
  const std::tuple<Shape, bool, bool, bool> walks[] = {
      {Shape::k8x8, false, false, true},  {Shape::k8x8, true, false, true},
      {Shape::k8x8, false, true, false},  {Shape::k8x8, true, true, true},
      {Shape::k8x12, false, false, true}, {Shape::k16x16, false, false, true}};
  // Windows ending inside a block, a mask row and a 16x16 half, and one larger than the slice.
  const size_t windows[] = {8, 60, 264, 300, 1000, 1 << 16};
  // {start, end (-1: none), file size}: a ragged range, a range past the file's end, the file,
  // and more rows than the vertical walk keeps of a column.
  const int32_t ranges[][3] = {
      {40, 40 + 1500, 3000}, {100, 2400, 1700}, {0, -1, 2048}, {24, -1, 1000}, {0, -1, 16384}};
  for (const auto& [start, end, size] : ranges) {
    const std::string file = Random(static_cast<size_t>(size), static_cast<uint32_t>(size));
    for (const auto& walk : walks) {
      RunOptions o;
      std::tie(o.shape, o.vertical, o.skip, o.even) = walk;
      std::tie(o.input_path, o.output_path, o.start_text) =
          std::tuple("in.bin", "out.asm", std::to_string(start));
      if (end >= 0) o.end_text = std::to_string(end);
      const std::string expected = Expected(file, o, start, (end >= 0 ? end : size) - start);
      for (const size_t window : windows) {
        for (const bool stream : {false, true}) {
          SCOPED_TRACE(testing::Message()
                       << "range " << start << ".." << end << " walk " << &walk - walks
                       << " window " << window << " stream " << stream);
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

}  // namespace
}  // namespace tessary
