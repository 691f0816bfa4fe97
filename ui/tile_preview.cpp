#include "ui/tile_preview.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHelpEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QSpinBox>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <limits>
#include <vector>

#include "run/quoted.h"
#include "run/sheet_pick.h"
#include "run/tile_sheet.h"
#include "tiles/listing_format.h"

namespace tessary {
namespace {

// Sheet colours: the file's bits, the same bits inside the range, the tiles' outlines, and
// whatever lies off the sheet or past the end of the file.
constexpr QRgb kPaper = 0xff101418, kInk = 0xffd8dde3;
constexpr QRgb kRangePaper = 0xff16365e, kRangeInk = 0xffa8d4ff;
constexpr QRgb kOffSheet = 0xff5a5f66;
const QColor kOutline(255, 170, 0, 210);

constexpr int kMaxZoom = 8;
constexpr int kMinBandsInView = 4;  // at the largest zoom

QString Sentence(const std::string& message) {
  QString text = QString::fromStdString(message);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

}  // namespace

QString DollarHex(quint64 value) {
  return QStringLiteral("$") + QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

struct TilePreview::Listing {
  RangePlan plan;
  ListedTiles tiles;
  ListingFormat format;
  bool labels;
  bool lists;  // false when the run would refuse the options and list nothing
};

TilePreview::TilePreview(FileSystem* files, QWidget* parent) : QWidget(parent), files_(files) {
  setObjectName(QStringLiteral("picPreview"));
  spnZoom = new QSpinBox(this);
  spnZoom->setObjectName(QStringLiteral("spnZoom"));
  spnZoom->setRange(1, kMaxZoom);
  spnZoom->setValue(2);
  spnZoom->setPrefix(tr("Zoom "));
  spnZoom->setSuffix(QStringLiteral("\u00d7"));
  spnZoom->setFocusPolicy(Qt::ClickFocus);  // Tab keeps to the fields and boxes
  lblNote = new QLabel(this);
  lblNote->setObjectName(QStringLiteral("lblNote"));
  lblNote->setWordWrap(true);
  view_ = new QWidget(this);
  view_->setObjectName(QStringLiteral("sheetView"));
  view_->setAttribute(Qt::WA_OpaquePaintEvent);
  // The whole sheet across at 2x, and four block rows down at the largest zoom.
  view_->setMinimumSize(kSheetWidth * 2, kMinBandsInView * 8 * kMaxZoom);
  view_->installEventFilter(this);
  vbar_ = new QScrollBar(Qt::Vertical, this);
  hbar_ = new QScrollBar(Qt::Horizontal, this);

  auto* grid = new QGridLayout(this);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setSpacing(4);
  auto* top = new QHBoxLayout;
  top->addWidget(spnZoom);
  top->addWidget(lblNote, 1);
  grid->addLayout(top, 0, 0, 1, 2);
  grid->addWidget(view_, 1, 0);
  grid->addWidget(vbar_, 1, 1);
  grid->addWidget(hbar_, 2, 0);
  grid->setRowStretch(1, 1);

  connect(spnZoom, &QSpinBox::valueChanged, this, &TilePreview::spnZoom_Change);
  for (QScrollBar* bar : {vbar_, hbar_}) {
    connect(bar, &QScrollBar::valueChanged, view_, qOverload<>(&QWidget::update));
  }
  UpdateScrollBars();
}

TilePreview::~TilePreview() = default;

void TilePreview::Show(const RunOptions& options, bool labels) {
  const std::optional<int32_t> old_start =
      listing_ ? std::optional(listing_->plan.start) : std::nullopt;
  if (options.input_path != path_) vbar_->setValue(0);
  path_ = options.input_path;
  shape_ = options.shape;
  listing_.reset();
  QString why = Reopen(options.input_path);
  if (why.isEmpty()) {
    RangePlan plan = PlanRange(options, size_);
    if (plan.problem.empty()) {
      const ListedTiles tiles(WalkChoiceOf(options), plan.length);
      const std::string& prefix = options.listing.label_prefix;
      const auto prefix_problem = prefix.empty() ? std::nullopt : LabelPrefixProblem(prefix);
      if (prefix_problem) {
        why = QStringLiteral("Label prefix ") + QString::fromStdString(*prefix_problem);
      } else if (tiles.count() == 0) {
        why = tr("The range holds no whole tile row of %1 bytes; nothing to list")
                  .arg(TileRowBytes(options.shape));
      }
      listing_ = std::make_unique<Listing>(
          Listing{plan, tiles, ListingFormat(options.listing), labels, !prefix_problem});
    } else {
      why = Sentence(plan.problem);
    }
  }
  lblNote->setText(why);
  UpdateScrollBars();
  // Bring a new range start into view when it lies outside it.
  if (listing_ && listing_->plan.start != old_start) {
    const auto row = static_cast<int64_t>(SheetPointOf(uint64_t(listing_->plan.start)).y);
    if (row < TopRow() || row >= TopRow() + view_->height() / zoom()) {
      vbar_->setValue(static_cast<int>(std::min<int64_t>(row / 8 * 8, vbar_->maximum())));
    }
  }
  view_->update();
}

QString TilePreview::Reopen(const std::string& path) {
  input_.reset();
  size_ = 0;
  // Opening a FIFO would wait for its writer, so what the disk holds under the name must be a
  // file (a name it does not know is left to the file system, which says why it fails).
  const QFileInfo info(QFile::decodeName(QByteArray::fromStdString(path)));
  const QString name = QString::fromStdString(Quoted(path));
  const QString not_a_file = tr("Input file %1 is not a regular file; it cannot be previewed");
  if (info.exists() && !info.isFile() && !info.isDir()) return not_a_file.arg(name);
  std::unique_ptr<InputFile> input;
  if (const std::error_code ec = files_->OpenInput(path, &input)) {
    return tr("Cannot open input file %1: %2").arg(name, QString::fromStdString(ec.message()));
  }
  if (!input->Size()) return not_a_file.arg(name);
  size_ = *input->Size();
  input_ = std::move(input);
  return {};
}

int TilePreview::zoom() const { return spnZoom->value(); }

int64_t TilePreview::TopRow() const { return vbar_->value(); }

void TilePreview::UpdateScrollBars() {
  const int z = zoom();
  uint64_t bytes = size_;
  if (listing_) {
    // The tiles of a range that reaches past the end of the file, and the 8x12 mask rows.
    const RangePlan& plan = listing_->plan;
    bytes = std::max<uint64_t>(bytes, uint64_t(plan.start) + uint64_t(plan.length) + 256);
  }
  const uint64_t rows = std::min<uint64_t>((bytes + kSheetRowBytes - 1) / kSheetRowBytes * 8,
                                           std::numeric_limits<int>::max());
  const int visible = std::max(1, view_->height() / z);
  vbar_->setRange(0, static_cast<int>(std::max<int64_t>(0, int64_t(rows) - visible)));
  vbar_->setPageStep(visible);
  vbar_->setSingleStep(8);
  const int overhang = kSheetWidth * z - view_->width();
  hbar_->setRange(0, std::max(0, overhang));
  hbar_->setPageStep(view_->width());
  hbar_->setSingleStep(8 * z);
  hbar_->setVisible(overhang > 0);
}

std::optional<uint64_t> TilePreview::OffsetAt(QPoint pos, bool clamp) const {
  const int z = zoom();
  const int64_t across = int64_t{pos.x()} + hbar_->value();
  int64_t x = across < 0 ? -1 : across / z;
  int64_t y = TopRow() + (pos.y() < 0 ? -1 : pos.y() / z);
  if (!clamp && (x < 0 || x >= kSheetWidth || y < 0)) return std::nullopt;
  x = std::clamp<int64_t>(x, 0, kSheetWidth - 1);
  return tessary::OffsetAt(x, std::max<int64_t>(0, y));
}

QRect TilePreview::ByteRect(uint64_t offset) const {
  const SheetPoint at = SheetPointOf(offset);
  const int z = zoom();
  return QRect(int(at.x) * z - hbar_->value(), int(at.y - TopRow()) * z, 8 * z, z);
}

QString TilePreview::TipAt(uint64_t offset) const {
  if (!listing_ || !listing_->lists) return DollarHex(offset);
  const Listing& l = *listing_;
  const auto start = static_cast<uint64_t>(l.plan.start);
  const int64_t index = ListedTileHolding(l.tiles, shape_, start, offset);
  if (index < 0) return DollarHex(offset);
  const uint64_t first = start + static_cast<uint64_t>(l.tiles.OffsetOf(l.tiles.At(index)));
  // The tile number wraps like the run's 32-bit counter.
  const auto tile_no =
      static_cast<int32_t>(static_cast<uint32_t>(l.plan.TileNo) + static_cast<uint32_t>(index));
  const QString label = QString::fromStdString(LabelText(l.format, tile_no, l.labels));
  return label.isEmpty() ? DollarHex(first) : DollarHex(first) + QStringLiteral("  ") + label;
}

void TilePreview::ZoomBy(int steps, QPoint anchor) {
  zoom_anchor_ = anchor;
  spnZoom->setValue(zoom() + steps);
  zoom_anchor_.reset();
}

void TilePreview::spnZoom_Change(int zoom) {
  // The sheet pixel under the anchor (the pointer, or the middle of the view) stays under it.
  const QPoint anchor = zoom_anchor_.value_or(view_->rect().center());
  const int64_t row = TopRow() + anchor.y() / shown_zoom_;
  const int column = (anchor.x() + hbar_->value()) / shown_zoom_;
  shown_zoom_ = zoom;
  UpdateScrollBars();
  vbar_->setValue(static_cast<int>(row - anchor.y() / zoom));
  hbar_->setValue(column * zoom - anchor.x());
  view_->update();
}

bool TilePreview::eventFilter(QObject* watched, QEvent* event) {
  if (watched != view_) return QWidget::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::Paint:
      Paint();
      return true;
    case QEvent::Resize:
      UpdateScrollBars();
      return false;
    case QEvent::ToolTip: {
      const auto* help = static_cast<QHelpEvent*>(event);
      // Shown while the pointer stays on the byte, so that the next byte gets its own.
      const std::optional<uint64_t> offset = OffsetAt(help->pos(), false);
      if (offset) {
        QToolTip::showText(help->globalPos(), TipAt(*offset), view_, ByteRect(*offset));
      } else {
        QToolTip::hideText();
      }
      return true;
    }
    case QEvent::Wheel: {
      auto* wheel = static_cast<QWheelEvent*>(event);
      if (!(wheel->modifiers() & Qt::ControlModifier)) {
        QCoreApplication::sendEvent(vbar_, event);
        return true;
      }
      wheel_delta_ += wheel->angleDelta().y();  // a touchpad sends small steps
      const int steps = wheel_delta_ / QWheelEvent::DefaultDeltasPerStep;
      wheel_delta_ %= QWheelEvent::DefaultDeltasPerStep;
      if (steps != 0) ZoomBy(steps, wheel->position().toPoint());
      return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease: {
      const auto* mouse = static_cast<QMouseEvent*>(event);
      const QPoint pos = mouse->position().toPoint();
      if (event->type() == QEvent::MouseButtonPress) {
        if (mouse->button() != Qt::LeftButton) return false;
        drag_from_ = OffsetAt(pos, true);
        press_pos_ = pos;
        return true;
      }
      if (!drag_from_) return false;
      // A drag fills the fields as it goes; a click that does not move changes nothing.
      if ((pos - press_pos_).manhattanLength() >= QApplication::startDragDistance()) {
        const ByteRange range = DragRange(shape_, *drag_from_, *OffsetAt(pos, true));
        // The fields hold 32-bit offsets, where "$80000000" is negative: a drag ends at the
        // last offset they hold, and one that starts past it fills nothing.
        constexpr auto kLastOffset = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
        if (range.start <= kLastOffset) {
          emit rangeDragged(range.start, std::min(range.end, kLastOffset));
        } else {
          lblNote->setText(tr("Offsets past $7FFFFFFF cannot be listed"));
        }
      }
      if (event->type() == QEvent::MouseButtonRelease) drag_from_.reset();
      return true;
    }
    default:
      return false;
  }
}

void TilePreview::Paint() {
  QPainter painter(view_);
  painter.fillRect(view_->rect(), QColor(kOffSheet));
  if (!input_) return;
  const int z = zoom();
  const int64_t top = TopRow();
  const uint64_t first_band = static_cast<uint64_t>(top) / 8;
  const uint64_t end_band = (static_cast<uint64_t>(top) + view_->height() / z + 1 + 7) / 8;
  const uint64_t first_byte = first_band * kSheetRowBytes;
  const uint64_t end_byte = end_band * kSheetRowBytes;

  std::vector<char> bytes(end_byte - first_byte);
  size_t got = 0;
  std::error_code error;
  if (first_byte < size_) {
    const auto count = static_cast<size_t>(std::min(end_byte, size_) - first_byte);
    error = ReadFileAt(*input_, first_byte, bytes.data(), count, &got);
  }
  QImage sheet(kSheetWidth, static_cast<int>(end_band - first_band) * 8, QImage::Format_RGB32);
  sheet.fill(kOffSheet);
  auto* pixels = reinterpret_cast<uint32_t*>(sheet.bits());
  const size_t stride = static_cast<size_t>(sheet.bytesPerLine()) / sizeof(uint32_t);
  PaintSheet(reinterpret_cast<const uint8_t*>(bytes.data()), got, pixels, stride, kInk, kPaper);
  if (listing_) {  // tint the range's bytes
    const auto start = static_cast<uint64_t>(listing_->plan.start);
    const uint64_t end = std::min(start + uint64_t(listing_->plan.length), first_byte + got);
    for (uint64_t offset = std::max(start, first_byte); offset < end; ++offset) {
      const SheetPoint at = SheetPointOf(offset - first_byte);
      uint32_t* row = pixels + size_t(at.y) * stride + size_t(at.x);
      for (int bit = 0; bit < 8; ++bit) row[bit] = row[bit] == kInk ? kRangeInk : kRangePaper;
    }
  }
  // Square pixels: scaled by a whole zoom without smoothing.
  painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
  const int dy = static_cast<int>(top - static_cast<int64_t>(first_band * 8)) * z;
  painter.drawImage(QRect(-hbar_->value(), -dy, kSheetWidth * z, sheet.height() * z), sheet);
  painter.setClipRect(QRect(-hbar_->value(), 0, kSheetWidth * z, view_->height()));
  PaintOutlines(painter, first_byte, end_byte);
  if (error) {
    painter.setClipping(false);
    painter.setPen(Qt::white);
    painter.drawText(
        view_->rect().adjusted(4, 4, -4, -4), Qt::TextWordWrap,
        tr("Cannot read input file %1: %2")
            .arg(QString::fromStdString(Quoted(path_)), QString::fromStdString(error.message())));
  }
}

void TilePreview::PaintOutlines(QPainter& painter, uint64_t first_byte, uint64_t end_byte) {
  if (!listing_ || !listing_->lists) return;
  const Listing& l = *listing_;
  const int64_t start = l.plan.start;
  const int64_t row_bytes = TileRowBytes(shape_);
  // A tile reaches at most two tile rows below its first byte (8x12 mask rows, or a tile that
  // begins off a block's first byte).
  const int64_t first_row = std::max<int64_t>(0, (int64_t(first_byte) - start) / row_bytes - 2);
  const int64_t last_row = std::min<int64_t>((int64_t(end_byte) - start) / row_bytes,
                                             std::numeric_limits<int32_t>::max());
  const int z = zoom();
  const int64_t top = TopRow();
  painter.setPen(QPen(kOutline, 1));
  painter.setBrush(Qt::NoBrush);
  for (int64_t row = first_row; row <= last_row; ++row) {
    for (int32_t column = 0; column < 16; ++column) {
      const TilePosition at{column, static_cast<int32_t>(row)};
      if (l.tiles.IndexOf(at) < 0) continue;
      SheetRect rects[kMaxOutlineRects];
      const int n = TileOutline(shape_, uint64_t(start + l.tiles.OffsetOf(at)), rects);
      for (int i = 0; i < n; ++i) {
        const SheetRect& r = rects[i];
        painter.drawRect(int(r.x) * z - hbar_->value(), int(r.y - top) * z, int(r.width) * z - 1,
                         int(r.height) * z - 1);
      }
    }
  }
}

}  // namespace tessary
