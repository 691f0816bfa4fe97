// PageSheet: what the page's preview draws: the input as the run reads it (a PNG picture as its
// cells), laid out as the window lays it out, the range tinted, the listed tiles or glyphs
// outlined, and the tips and drags over it.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "run/cell_numbers.h"
#include "run/file_system.h"
#include "run/listed_tiles.h"
#include "run/listing_walk.h"
#include "run/options.h"
#include "run/picture_input.h"
#include "run/range_check.h"
#include "run/sheet_layout.h"
#include "run/sheet_pick.h"
#include "tiles/syntax.h"

namespace tessary {

// The sheet's colours on the page, as 0xAABBGGRR words (RGBA bytes in memory, as a canvas takes
// them): the bytes' bits, the same bits inside the range, in a cell there that repeats an earlier
// one (with Unique tiles), and off the sheet or past the end of the bytes.
inline constexpr uint32_t kPagePaper = 0xff181410, kPageInk = 0xffe3ddd8;
inline constexpr uint32_t kPageRangePaper = 0xff5e3616, kPageRangeInk = 0xffffd4a8;
inline constexpr uint32_t kPageRepeatPaper = 0xff52233d, kPageRepeatInk = 0xfff0b8dc;
inline constexpr uint32_t kPageOffSheet = 0xff665f5a;

// Tiles lie on the page's sheet as on the file's own grid, band k holding block row k (bytes
// 128k to 128k + 127); glyphs take cells of their own shape, 16 across, laid out from the range's
// first byte as the window lays them out (see SheetLayout). Bands are counted from 0, the
// sheet's top, and are width() pixels across and band_height() rows down.
class PageSheet {
 public:
  // Opens `name` in `files` as a run opens it: a PNG picture as its cell bytes, its colours split
  // at `threshold`, any other file as its own bytes. Returns why it cannot be read, worded as the
  // run words it, or "" (the sheet is then empty). `files` must keep the file as it is while the
  // sheet is open.
  std::string Open(FileSystem& files, const std::string& name, int threshold);
  // Forgets the input, before its file goes.
  void Close();
  // The bytes the sheet shows: the file's, or a picture's cell bytes (0 when it is not open).
  uint64_t size() const { return size_; }
  // The open picture, or null for a raw file.
  const PictureInput* picture() const { return picture_; }

  // Lays the sheet out for `options` and marks the range of `plan` (nothing when it has a
  // problem); outlines the tiles or glyphs that a run lists from it when `lists`, and names them
  // in tips as options.listing labels them (`labels`: label lines carry numbers). With
  // options.unique it numbers the range's first cells as the window does (see NumberCells), and
  // shades the repeated ones apart instead of outlining them.
  void Mark(const RunOptions& options, const RangePlan& plan, bool lists, bool labels);

  int64_t width() const { return layout_.SheetWidth(); }
  int32_t band_height() const { return layout_.cell_height(); }
  // The bands from the top down to the one that holds the last byte.
  int64_t bands() const;

  // Paints `bands` bands from band `first_band` on into `pixels` (width() across), tinting the
  // range and shading its repeated cells; what lies off the sheet, before the file or past its
  // end gets kPageOffSheet.
  void PaintBands(int64_t first_band, int bands, uint32_t* pixels) const;
  // The outlines of the listed tiles or glyphs that may show in those bands (tiles that start up
  // to two tile rows above them included); empty when nothing is listed.
  std::vector<SheetRect> Outlines(int64_t first_band, int bands) const;
  // The offset of the byte that sheet pixel (x, y) shows (0 <= x < width(), y >= 0); below 0
  // before the file.
  int64_t OffsetAt(int64_t x, int64_t y) const { return layout_.OffsetAt(x, y); }
  // What the tooltip over byte `offset` says, as the window's says it (see TileTip).
  std::string TipAt(uint64_t offset) const;
  // The range a drag from `from` to `to` selects, its end cut at the last offset a field holds.
  ByteRange Drag(int64_t from, int64_t to) const;

 private:
  // Whether the byte at `offset` lies in a numbered cell that repeats an earlier one.
  bool Repeated(int64_t offset) const;

  std::unique_ptr<InputFile> input_;
  PictureInput* picture_ = nullptr;  // input_ when it is a picture
  uint64_t size_ = 0;
  SheetLayout layout_;
  Shape shape_ = Shape::k8x8;
  RangePlan plan_;
  std::optional<ListedTiles> tiles_;  // set when the run lists from the range
  WalkChoice choice_;
  std::vector<MapCell> cells_;  // with Unique tiles: the range's first cells numbered
  ListingSyntax listing_;
  bool labels_ = true;
};

}  // namespace tessary
