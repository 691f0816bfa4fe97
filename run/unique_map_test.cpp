// Unique tiles and the cell map of a run, against a plain model of both.
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "run/mem_file_system.h"
#include "run/run.h"
#include "run/test_png.h"

namespace tessary {
namespace {

// Keeps the bytes of the listed tiles.
class ListedSink : public TileSink {
 public:
  bool Ahead(int64_t, int, int) override { return true; }
  bool Tiles(const uint8_t* tiles, size_t count) override {
    listed.append(reinterpret_cast<const char*>(tiles), count * 8);
    return true;
  }
  bool Done() override { return true; }
  std::string Problem() const override { return ""; }

  std::string listed;
};

// Keeps what a run hands its map and tile sinks; the map can refuse its n-th batch.
class Recorder : public RunHost, public MapSink {
 public:
  TileStyle CurrentStyle() override { return style; }
  TileSink* Tiles() override { return &tiles; }
  MapSink* Map() override { return this; }

  bool Begin(int64_t count, int32_t across) override {
    begun = {count, across};
    return true;
  }
  bool Cells(const MapCell* cells, size_t count) override {
    if (++batches == refuse_batch) return false;
    for (size_t k = 0; k < count; ++k) {
      tiles_of_cells.push_back(cells[k].tile);
      repeats.push_back(cells[k].repeat);
    }
    return true;
  }
  bool Done() override {
    ++done;
    return true;
  }
  std::string Problem() const override { return "map refused"; }

  TileStyle style;
  std::pair<int64_t, int32_t> begun{-2, -2};
  int batches = 0, refuse_batch = -1, done = 0;
  std::vector<int32_t> tiles_of_cells;
  std::vector<bool> repeats;
  ListedSink tiles;
};

// What --unique and --map should give for `bytes`: the distinct cells in order of first use,
// and each cell's number from `first`.
struct Model {
  std::string distinct;
  std::vector<int32_t> numbers;
  std::vector<bool> repeats;
};
Model ModelOf(const std::string& bytes, int32_t first, bool invert) {
  Model m;
  std::map<std::string, int32_t> seen;
  for (size_t at = 0; at + 8 <= bytes.size(); at += 8) {
    std::string cell = bytes.substr(at, 8);
    if (invert) {
      for (char& c : cell) c = static_cast<char>(~c);
    }
    const auto [it, fresh] = seen.emplace(cell, first + static_cast<int32_t>(seen.size()));
    if (fresh) m.distinct += cell;
    m.numbers.push_back(it->second);
    m.repeats.push_back(!fresh);
  }
  return m;
}

// `count` cells drawn from `kinds` distinct ones, with a few bytes after them.
std::string Cells(size_t count, int kinds, unsigned seed) {
  std::mt19937 random(seed);
  std::string bytes;
  for (size_t k = 0; k < count; ++k) {
    const auto kind = static_cast<char>(random() % kinds);
    bytes += std::string(7, kind) + static_cast<char>(kind * 3);
  }
  return bytes + "xyz";
}

class UniqueMapTest : public ::testing::Test {
 protected:
  UniqueMapTest() {
    options.input_path = "in.bin";
    options.output_path = "out.asm";
    options.unique = options.map = true;
  }
  RunResult Go() { return tessary::Run(options, host, files); }

  MemFileSystem files;
  Recorder host;
  RunOptions options;
};

// Guards against lost or doubled numbers at the edges of the map's batches and the read window,
// from a file and a pipe, with and without a known end, and against a listing that repeats a
// cell or leaves out the cells of a partial block row.
TEST_F(UniqueMapTest, EveryCellNumberedAcrossBatchesFilesAndPipes) {
  options.read_window = 64;
  for (const size_t cells : {4095, 4096, 4097, 4096 * 2 + 1}) {
    for (const bool stream : {false, true}) {
      for (const bool known_end : {false, true}) {
        SCOPED_TRACE(std::to_string(cells) + (stream ? " pipe" : " file") +
                     (known_end ? " with end" : ""));
        host = Recorder();
        host.style.invert = cells % 2 == 1;
        const std::string bytes = Cells(cells, 200, static_cast<unsigned>(cells));
        options.input_path = stream ? "-" : "in.bin";
        files.files[options.input_path] = bytes;
        if (stream) files.streams.insert("-");
        options.end_text.reset();
        if (known_end) options.end_text = std::to_string(bytes.size());
        options.tile_number_text = "$20";
        const RunResult result = Go();
        ASSERT_EQ(result.status, RunStatus::kDone) << result.message;
        const Model model = ModelOf(bytes, 0x20, host.style.invert);
        EXPECT_EQ(std::pair(result.tiles, result.TileNo), std::pair(int64_t{200}, 0x20 + 200));
        EXPECT_TRUE(host.tiles.listed == model.distinct);
        EXPECT_EQ(host.tiles_of_cells, model.numbers);
        EXPECT_EQ(host.repeats, model.repeats);
        EXPECT_EQ(host.begun, std::pair(stream && !known_end ? int64_t{-1} : int64_t(cells), 16));
        EXPECT_EQ(host.done, 1);
      }
    }
  }
}

// Guards against a map entry past $FF: refused before any file is made, or, from a pipe whose
// count shows only on the way, the outputs put back; the message counts every number needed.
TEST_F(UniqueMapTest, NumbersPastAByteAreRefusedWithoutAFileLeft) {
  std::string distinct;
  for (int k = 0; k < 300; ++k)
    distinct += std::string(6, '\0') + static_cast<char>(k >> 8) + static_cast<char>(k);
  const std::string past = " do not fit a byte map (tile $100 is the first)";
  const struct {
    size_t cells;
    const char* from;
    bool unique, stream;
    std::string message;  // "": fits
  } cases[] = {
      {300, "$00", true, false, "300 distinct tiles from $00" + past},
      {300, "$00", true, true, "300 distinct tiles from $00" + past},
      {256, "$00", true, true, ""},
      {16, "$F0", true, false, ""},
      {17, "$F0", true, false, "17 distinct tiles from $F0" + past},
      {17, "$F0", false, true, "17 tiles from $F0" + past},
      {1, "$0100", false, false, "1 tiles from $0100" + past},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.cells) + " from " + c.from + (c.stream ? " pipe" : ""));
    files.files.clear();
    host = Recorder();
    options.input_path = c.stream ? "-" : "in.bin";
    files.files[options.input_path] = distinct.substr(0, c.cells * 8);
    if (c.stream) files.streams.insert("-");
    options.tile_number_text = c.from;
    options.unique = c.unique;
    const RunResult result = Go();
    if (c.message.empty()) {
      EXPECT_EQ(result.status, RunStatus::kDone) << result.message;
      EXPECT_EQ(host.tiles_of_cells.size(), c.cells);
      EXPECT_EQ(host.tiles_of_cells.back(), 0xFF);
      continue;
    }
    EXPECT_EQ(std::pair(result.status, result.message.substr(0, result.message.find(';'))),
              std::pair(RunStatus::kFailed, c.message));
    EXPECT_EQ(files.files.count("out.asm"), 0u);
    EXPECT_EQ(host.done, 0);
    for (int32_t tile : host.tiles_of_cells) EXPECT_LE(tile, 0xFF);
    EXPECT_TRUE(c.stream || host.begun.first == -2);  // a file refused before the map began
  }
}

// A picture's own cells only (not the blank completion of its block row), a map line per
// picture row; a refusing map fails the run and puts the listing back.
TEST_F(UniqueMapTest, PictureCellsAndARefusingMap) {
  TestPng png(24, 16, 1, 0);  // 3 cells across, 2 down: A B A / B A A, no blank cell
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 24; ++x) {
      const bool b_cell = (y < 8 && x / 8 == 1) || (y >= 8 && x < 8);
      png.samples.push_back(b_cell ? (x + y) % 2 : x % 8 == y % 8 ? 0 : 1);
    }
  }
  files.files["in.bin"] = png.File();
  RunResult result = Go();
  ASSERT_EQ(std::pair(result.status, result.tiles), std::pair(RunStatus::kDone, int64_t{2}))
      << result.message;
  EXPECT_EQ(host.begun, std::pair(int64_t{6}, 3));
  EXPECT_EQ(host.tiles_of_cells, (std::vector<int32_t>{0, 1, 0, 1, 0, 0}));
  EXPECT_EQ(host.tiles.listed.substr(0, 8), std::string("\x80\x40\x20\x10\x08\x04\x02\x01", 8));

  files.files["out.asm"] = "old";
  host = Recorder();
  host.refuse_batch = 1;
  result = Go();
  EXPECT_EQ(result.status, RunStatus::kFailed);
  EXPECT_EQ(result.message, "map refused; output file \"out.asm\" is left as it was");
  EXPECT_EQ(files.files["out.asm"], "old");
}

// Every walk but the 8x8 row walk is refused, with or without the map.
TEST_F(UniqueMapTest, OtherWalksAreRefused) {
  files.files["in.bin"] = std::string(256, 'x');
  for (int k = 0; k < 5; ++k) {
    RunOptions o = options;
    std::tie(o.map, o.vertical, o.skip) = std::tuple(k % 2 == 0, k == 0, k == 1);
    o.shape = k == 2 ? Shape::k8x12 : k == 3 ? Shape::k16x16 : Shape::k8x8;
    if (k == 4) o.glyph = GlyphShape{8, 16, 0};
    const RunResult result = tessary::Run(o, host, files);
    EXPECT_EQ(result.status, RunStatus::kFailed) << k;
    EXPECT_NE(result.message.find("need 8x8 tiles walked by rows"), std::string::npos) << k;
  }
  EXPECT_EQ(files.files.count("out.asm"), 0u);
}

}  // namespace
}  // namespace tessary
