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

// Sheet colours: the file's bits, the same bits inside the range (in a repeated cell there) and
// before it, the tiles' outlines, and whatever lies off the sheet or past the end of the file.
constexpr QRgb kPaper = 0xff101418, kInk = 0xffd8dde3;
constexpr QRgb kRangePaper = 0xff16365e, kRangeInk = 0xffa8d4ff;
constexpr QRgb kRepeatPaper = 0xff3d2352, kRepeatInk = 0xffdcb8f0;
constexpr QRgb kEarlyPaper = 0xff0c0e11, kEarlyInk = 0xff70757c;
constexpr QRgb kOffSheet = 0xff5a5f66;
const QColor kOutline(255, 170, 0, 210);

// Paints the cells of bands [first_band, end_band) into `sheet`, whose top row is the first
// band's, from the bytes [from, to) of the file at `bytes`.
class CellPainter {
 public:
  CellPainter(QImage& sheet, const SheetLayout& layout, int64_t first_band, const SheetMarks* marks)
      : pixels_(reinterpret_cast<uint32_t*>(sheet.bits())),
        stride_(static_cast<size_t>(sheet.bytesPerLine()) / sizeof(uint32_t)),
        layout_(layout),
        top_(first_band * layout.cell_height()),
        marks_(marks) {}

  void Paint(int64_t cell, const uint8_t* bytes, int64_t from, int64_t to) {
    const int64_t first = layout_.CellStart(cell);
    const int64_t begin = std::max(first, from), end = std::min(first + layout_.CellBytes(), to);
    for (int64_t offset = begin; offset < end; ++offset) {
      const SheetPoint at = *layout_.PointOf(offset);
      uint32_t* row = pixels_ + size_t(at.y - top_) * stride_ + size_t(at.x);
      QRgb ink = kInk, paper = kPaper;
      if (offset < layout_.start()) {
        ink = kEarlyInk, paper = kEarlyPaper;
      } else if (marks_ && uint64_t(offset) >= marks_->start &&
                 uint64_t(offset) - marks_->start < marks_->length) {
        const bool repeat = marks_->Repeated(uint64_t(offset));
        ink = repeat ? kRepeatInk : kRangeInk, paper = repeat ? kRepeatPaper : kRangePaper;
      }
      const uint8_t byte = bytes[offset - from];
      for (int bit = 0; bit < 8; ++bit) row[bit] = (byte << bit) & 0x80 ? ink : paper;
    }
  }

 private:
  uint32_t* pixels_;
  size_t stride_;
  const SheetLayout& layout_;
  int64_t top_;
  const SheetMarks* marks_;
};

// Outlines the listed tiles that may show in the bands of bytes [first_byte, end_byte).
void DrawOutlines(QPainter& painter, const SheetViewport& view, const SheetMarks& marks,
                  int64_t first_byte, int64_t end_byte) {
  const auto start = static_cast<int64_t>(marks.start);
  const int64_t row_bytes = view.layout.glyphs() ? view.layout.stride() : TileRowBytes(marks.shape);
  // A tile reaches at most two tile rows below its first byte (8x12 mask rows).
  const int64_t first_row = std::max<int64_t>(0, (first_byte - start) / row_bytes - 2);
  const int64_t last_row =
      std::min<int64_t>((end_byte - start) / row_bytes, std::numeric_limits<int32_t>::max());
  const int z = view.zoom;
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(Qt::NoBrush);
  for (int64_t row = first_row; row <= last_row; ++row) {
    for (int32_t column = 0; column < 16; ++column) {
      const TilePosition at{column, static_cast<int32_t>(row)};
      const int64_t first = start + marks.tiles->OffsetOf(at);
      if (marks.tiles->IndexOf(at) < 0 || marks.Repeated(uint64_t(first))) continue;
      SheetRect rects[kMaxOutlineRects];
      const int n = view.layout.Outline(marks.shape, first, rects);
      for (int i = 0; i < n; ++i) {
        const SheetRect& r = rects[i];
        painter.drawRect(int(r.x) * z - view.left, int(r.y - view.top) * z, int(r.width) * z - 1,
                         int(r.height) * z - 1);
      }
    }
  }
}

}  // namespace

std::optional<int64_t> SheetViewport::OffsetAt(QPoint pos, bool clamp) const {
  const int64_t across = int64_t{pos.x()} + left;
  int64_t x = across < 0 ? -1 : across / zoom;
  int64_t y = top + (pos.y() < 0 ? -1 : pos.y() / zoom);
  if (!clamp && (x < 0 || x >= layout.SheetWidth() || y < 0)) return std::nullopt;
  x = std::clamp<int64_t>(x, 0, layout.SheetWidth() - 1);
  const int64_t offset = layout.OffsetAt(x, std::max<int64_t>(0, y));
  if (!clamp && offset < 0) return std::nullopt;
  return offset;
}

QRect SheetViewport::ByteRect(int64_t offset) const {
  const SheetPoint at = layout.PointOf(offset).value_or(SheetPoint{-1, -1});
  return QRect(int(at.x) * zoom - left, int(at.y - top) * zoom, 8 * zoom, zoom);
}

std::error_code DrawSheet(QPainter& painter, const SheetViewport& view, InputFile* input,
                          uint64_t size, const SheetMarks* marks) {
  painter.fillRect(QRect(QPoint(), view.size), QColor(kOffSheet));
  if (!input) return {};
  const SheetLayout& layout = view.layout;
  const int z = view.zoom;
  const int64_t h = layout.cell_height();
  const int64_t first_band = view.top / h;
  const int64_t end_band = (view.top + view.size.height() / z + 1 + h - 1) / h;
  const int64_t first_byte = layout.CellStart(first_band * 16);
  const int64_t end_byte = layout.CellStart(end_band * 16);
  const auto file_end = static_cast<int64_t>(std::min<uint64_t>(size, uint64_t{1} << 62));

  QImage sheet(int(layout.SheetWidth()), int((end_band - first_band) * h), QImage::Format_RGB32);
  sheet.fill(kOffSheet);
  CellPainter painter_of(sheet, layout, first_band, marks);
  const std::error_code error =
      ReadCells(*input, layout, first_band * 16, end_band * 16, file_end,
                [&](int64_t cell, const uint8_t* bytes, int64_t from, int64_t to) {
                  painter_of.Paint(cell, bytes, from, to);
                });
  // Square pixels: scaled by a whole zoom without smoothing.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const int dy = static_cast<int>(view.top - first_band * h) * z;
  const int width = int(layout.SheetWidth()) * z;
  painter.drawImage(QRect(-view.left, -dy, width, sheet.height() * z), sheet);
  painter.setClipRect(QRect(-view.left, 0, width, view.size.height()));
  if (marks && marks->tiles) DrawOutlines(painter, view, *marks, first_byte, end_byte);
  return error;
}

}  // namespace tessary
