#include "ui/sheet_view.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <limits>
#include <vector>

#include "run/tile_sheet.h"

namespace tessary {
namespace {

// Sheet colours: the file's bits, the same bits inside the range, the tiles' outlines, and
// whatever lies off the sheet or past the end of the file.
constexpr QRgb kPaper = 0xff101418, kInk = 0xffd8dde3;
constexpr QRgb kRangePaper = 0xff16365e, kRangeInk = 0xffa8d4ff;
constexpr QRgb kOffSheet = 0xff5a5f66;
const QColor kOutline(255, 170, 0, 210);

// Outlines the listed tiles that may show in the bands of bytes [first_byte, end_byte).
void DrawOutlines(QPainter& painter, const SheetViewport& view, const SheetMarks& marks,
                  uint64_t first_byte, uint64_t end_byte) {
  const auto start = static_cast<int64_t>(marks.start);
  const int64_t row_bytes = TileRowBytes(marks.shape);
  // A tile reaches at most two tile rows below its first byte (8x12 mask rows, or a tile that
  // begins off a block's first byte).
  const int64_t first_row = std::max<int64_t>(0, (int64_t(first_byte) - start) / row_bytes - 2);
  const int64_t last_row = std::min<int64_t>((int64_t(end_byte) - start) / row_bytes,
                                             std::numeric_limits<int32_t>::max());
  const int z = view.zoom;
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(Qt::NoBrush);
  for (int64_t row = first_row; row <= last_row; ++row) {
    for (int32_t column = 0; column < 16; ++column) {
      const TilePosition at{column, static_cast<int32_t>(row)};
      if (marks.tiles->IndexOf(at) < 0) continue;
      SheetRect rects[kMaxOutlineRects];
      const int n = TileOutline(marks.shape, uint64_t(start + marks.tiles->OffsetOf(at)), rects);
      for (int i = 0; i < n; ++i) {
        const SheetRect& r = rects[i];
        painter.drawRect(int(r.x) * z - view.left, int(r.y - view.top) * z, int(r.width) * z - 1,
                         int(r.height) * z - 1);
      }
    }
  }
}

}  // namespace

std::optional<uint64_t> SheetViewport::OffsetAt(QPoint pos, bool clamp) const {
  const int64_t across = int64_t{pos.x()} + left;
  int64_t x = across < 0 ? -1 : across / zoom;
  int64_t y = top + (pos.y() < 0 ? -1 : pos.y() / zoom);
  if (!clamp && (x < 0 || x >= kSheetWidth || y < 0)) return std::nullopt;
  x = std::clamp<int64_t>(x, 0, kSheetWidth - 1);
  return tessary::OffsetAt(x, std::max<int64_t>(0, y));
}

QRect SheetViewport::ByteRect(uint64_t offset) const {
  const SheetPoint at = SheetPointOf(offset);
  return QRect(int(at.x) * zoom - left, int(at.y - top) * zoom, 8 * zoom, zoom);
}

std::error_code DrawSheet(QPainter& painter, const SheetViewport& view, InputFile* input,
                          uint64_t size, const SheetMarks* marks) {
  painter.fillRect(QRect(QPoint(), view.size), QColor(kOffSheet));
  if (!input) return {};
  const int z = view.zoom;
  const uint64_t first_band = static_cast<uint64_t>(view.top) / 8;
  const uint64_t end_band = (static_cast<uint64_t>(view.top) + view.size.height() / z + 1 + 7) / 8;
  const uint64_t first_byte = first_band * kSheetRowBytes;
  const uint64_t end_byte = end_band * kSheetRowBytes;

  std::vector<char> bytes(end_byte - first_byte);
  size_t got = 0;
  std::error_code error;
  if (first_byte < size) {
    const auto count = static_cast<size_t>(std::min(end_byte, size) - first_byte);
    error = ReadFileAt(*input, first_byte, bytes.data(), count, &got);
  }
  QImage sheet(kSheetWidth, static_cast<int>(end_band - first_band) * 8, QImage::Format_RGB32);
  sheet.fill(kOffSheet);
  auto* pixels = reinterpret_cast<uint32_t*>(sheet.bits());
  const size_t stride = static_cast<size_t>(sheet.bytesPerLine()) / sizeof(uint32_t);
  PaintSheet(reinterpret_cast<const uint8_t*>(bytes.data()), got, pixels, stride, kInk, kPaper);
  if (marks) {  // tint the range's bytes
    const uint64_t end = std::min(marks->start + marks->length, first_byte + got);
    for (uint64_t offset = std::max(marks->start, first_byte); offset < end; ++offset) {
      const SheetPoint at = SheetPointOf(offset - first_byte);
      uint32_t* row = pixels + size_t(at.y) * stride + size_t(at.x);
      for (int bit = 0; bit < 8; ++bit) row[bit] = row[bit] == kInk ? kRangeInk : kRangePaper;
    }
  }
  // Square pixels: scaled by a whole zoom without smoothing.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const int dy = static_cast<int>(view.top - static_cast<int64_t>(first_band * 8)) * z;
  painter.drawImage(QRect(-view.left, -dy, kSheetWidth * z, sheet.height() * z), sheet);
  painter.setClipRect(QRect(-view.left, 0, kSheetWidth * z, view.size.height()));
  if (marks && marks->tiles) DrawOutlines(painter, view, *marks, first_byte, end_byte);
  return error;
}

}  // namespace tessary
