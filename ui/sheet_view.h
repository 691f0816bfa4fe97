// The tile sheet as the preview pane shows it: where the file's bytes lie in the view, and the
// drawing of those in view, the range tinted and the tiles a run would list outlined.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <cstdint>
#include <optional>
#include <system_error>

#include "run/file_system.h"
#include "run/listed_tiles.h"
#include "run/options.h"

class QPainter;

namespace tessary {

// The part of the sheet in a view of `size` pixels: each sheet pixel `zoom` screen pixels
// square, sheet pixel row `top` at the view's top edge, and screen column `left` of the zoomed
// sheet at its left edge.
struct SheetViewport {
  int zoom = 2;
  int64_t top = 0;
  int left = 0;
  QSize size;

  // The file offset of the byte drawn at `pos` of the view; std::nullopt off the sheet, unless
  // `clamp`, which takes the nearest column and a row no higher than the first.
  std::optional<uint64_t> OffsetAt(QPoint pos, bool clamp) const;
  // Where the byte at `offset` shows in the view (it may lie outside it).
  QRect ByteRect(uint64_t offset) const;
};

// What the sheet marks: the bytes [start, start + length), tinted, and, when `tiles` is set, the
// tiles of `shape` it lists from `start`, outlined.
struct SheetMarks {
  uint64_t start = 0;
  uint64_t length = 0;
  Shape shape = Shape::k8x8;
  const ListedTiles* tiles = nullptr;
};

// Fills the view with the colour of what lies off the sheet, then draws the bytes of `input`
// (null for none; `size` bytes long) that show in `view`, with `marks` when not null. Reads only
// those bytes. Returns why reading failed, having drawn what was read; the painter is then
// clipped to the sheet.
std::error_code DrawSheet(QPainter& painter, const SheetViewport& view, InputFile* input,
                          uint64_t size, const SheetMarks* marks);

}  // namespace tessary
