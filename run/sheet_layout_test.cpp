#include "run/sheet_layout.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>

#include "run/mem_file_system.h"

namespace tessary {
namespace {

// Guards against cells that are read one at a time (wide glyph gaps) or in one piece being handed
// other bytes than their own, or bytes past the end of the file.
TEST(SheetLayoutTest, ReadCellsHandsEachCellItsOwnBytes) {
  MemFileSystem files;
  std::string data(1000, '\0');
  for (size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(i * 7 + 3);
  files.files["f"] = data;
  for (const int32_t gap : {1, 20, 64}) {  // 8x16 glyphs: one piece up to a gap of 16 bytes
    SCOPED_TRACE(gap);
    const SheetLayout layout(GlyphShape{8, 16, gap}, 30);
    std::unique_ptr<InputFile> input;
    ASSERT_FALSE(files.OpenInput("f", &input));
    const int64_t file_end = 990;
    std::map<int64_t, std::string> seen;
    const std::error_code error =
        ReadCells(*input, layout, 0, 80, file_end,
                  [&](int64_t cell, const uint8_t* bytes, int64_t from, int64_t to) {
                    const int64_t start = layout.CellStart(cell);
                    for (int64_t at = std::max(start, from); at < std::min(start + 16, to); ++at) {
                      seen[cell] += static_cast<char>(bytes[at - from]);
                    }
                  });
    EXPECT_FALSE(error);
    for (int64_t cell = 0; cell < 80; ++cell) {
      const int64_t start = layout.CellStart(cell);
      const int64_t lo = std::max<int64_t>(start, 0), hi = std::min(start + 16, file_end);
      EXPECT_EQ(seen[cell], lo < hi ? data.substr(size_t(lo), size_t(hi - lo)) : "") << cell;
    }
  }
  files.read_error = std::make_error_code(std::errc::io_error);
  std::unique_ptr<InputFile> input;
  ASSERT_FALSE(files.OpenInput("f", &input));
  int calls = 0;
  EXPECT_EQ(ReadCells(*input, SheetLayout(GlyphShape{8, 16, 64}, 0), 0, 8, 1000,
                      [&](int64_t, const uint8_t*, int64_t, int64_t) { ++calls; }),
            std::errc::io_error);
  EXPECT_EQ(calls, 1);  // the first cell's failed read stops the rest
}

}  // namespace
}  // namespace tessary
