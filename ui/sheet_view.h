// The tile sheet as the preview pane shows it: where the file's bytes lie in the view, and the
// drawing of those in view, the range tinted, the bytes before it dimmed and the tiles a run
// would list outlined.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>
#include <system_error>

#include "run/file_system.h"
#include "run/listed_tiles.h"
#include "run/map_sink.h"
#include "run/options.h"
#include "run/sheet_layout.h"

class QPainter;

namespace tessary {

// The part of the sheet of `layout` in a view of `size` pixels: each sheet pixel `zoom` screen
// pixels square, sheet pixel row `top` at the view's top edge, and screen column `left` of the
// zoomed sheet at its left edge.
struct SheetViewport {
  int zoom = 2;
  int64_t top = 0;
  int left = 0;
  QSize size;
  SheetLayout layout;

  // The file offset of the byte drawn at `pos` of the view; std::nullopt off the sheet or before
  // the file, unless `clamp`, which takes the nearest column and a row no higher than the first
  // (and may give an offset below 0).
  std::optional<int64_t> OffsetAt(QPoint pos, bool clamp) const;
  // Where a byte that the sheet draws shows in the view (it may lie outside it).
  QRect ByteRect(int64_t offset) const;
};

// What the sheet marks: the bytes [start, start + length), tinted, and, when `tiles` is set, the
// tiles of `shape` it lists from `start`, outlined. The first `cell_count` 8x8 cells from `start`
// may be numbered as unique tiles (`cells`, else null): a repeated cell is shaded apart and not
// outlined.
struct SheetMarks {
  uint64_t start = 0;
  uint64_t length = 0;
  Shape shape = Shape::k8x8;
  const ListedTiles* tiles = nullptr;
  const MapCell* cells = nullptr;
  size_t cell_count = 0;

  // Whether the byte at `offset` lies in a numbered cell that repeats an earlier one.
  bool Repeated(uint64_t offset) const {
    return cells && offset >= start && (offset - start) / 8 < cell_count &&
           cells[(offset - start) / 8].repeat;
  }
};

// Fills the view with the colour of what lies off the sheet, then draws the bytes of `input`
// (null for none; `size` bytes long) that show in `view`, those before the layout's start dimmed,
// with `marks` when not null. Reads only those bytes (for glyphs with wide gaps, one glyph at a
// time). Returns why reading failed, having drawn what was read; the painter is then
// clipped to the sheet.
std::error_code DrawSheet(QPainter& painter, const SheetViewport& view, InputFile* input,
                          uint64_t size, const SheetMarks* marks);

}  // namespace tessary
