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

#include "run/cell_numbers.h"
#include "run/messages.h"
#include "run/quoted.h"
#include "run/range_check.h"
#include "run/tile_sheet.h"
#include "ui/run_summary.h"

namespace tessary {
namespace {

constexpr int kMaxZoom = 8;
constexpr int kMinBandsInView = 4;  // at the largest zoom

}  // namespace

TilePreview::TilePreview(FileSystem* files, QWidget* parent) : QWidget(parent), files_(files) {
  setObjectName(QStringLiteral("picPreview"));
  spnZoom = new QSpinBox(this);
  spnZoom->setObjectName(QStringLiteral("spnZoom"));
  spnZoom->setRange(1, kMaxZoom);
  spnZoom->setValue(2);
  spnZoom->setPrefix(tr("Zoom "));
  spnZoom->setSuffix(QStringLiteral("\u00d7"));
  spnZoom->setFocusPolicy(Qt::ClickFocus);  // Tab keeps to the fields and boxes
  lblStatus = new QLabel(this);
  lblStatus->setObjectName(QStringLiteral("lblStatus"));
  lblStatus->setWordWrap(true);
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
  top->addWidget(lblStatus, 1);
  grid->addLayout(top, 0, 0, 1, 2);
  grid->addWidget(view_, 1, 0);
  grid->addWidget(vbar_, 1, 1);
  grid->addWidget(hbar_, 2, 0);
  grid->addWidget(lblNote, 3, 0, 1, 2);
  grid->setRowStretch(1, 1);

  connect(spnZoom, &QSpinBox::valueChanged, this, &TilePreview::spnZoom_Change);
  for (QScrollBar* bar : {vbar_, hbar_}) {
    connect(bar, &QScrollBar::valueChanged, view_, qOverload<>(&QWidget::update));
  }
  UpdateScrollBars();
}

TilePreview::~TilePreview() = default;

void TilePreview::Show(const RunOptions& options, bool labels, const QString& problem) {
  const SheetLayout old_layout = layout_;
  if (options.input_path != path_) vbar_->setValue(0);
  path_ = options.input_path;
  shape_ = options.shape;
  listing_.reset();
  QString note = Reopen(options.input_path, options.threshold);
  const RunOptions planned =
      CutAtOwnCells(options, size_, picture_ ? std::optional(picture_->cells() * 8) : std::nullopt);
  if (note.isEmpty()) listing_ = PlanPreview(planned, labels, size_, note);
  if (listing_ && listing_->lists && options.unique) {
    listing_->cells = NumberCells(*input_, uint64_t(listing_->plan.start), listing_->plan.length);
  }
  if (!problem.isEmpty()) {  // the run would not start
    note = problem;
    listing_.reset();
  }
  lblNote->setText(note);
  // The sheet is laid out from the range's start as far as the field reads as one.
  const RangePlan plan = PlanRange(planned, size_);
  layout_ = SheetLayout(options.glyph, std::max(0, plan.start));
  UpdateScrollBars();
  // Bring a new range start, or a layout of other cells, into view when it lies outside it.
  if (layout_ != old_layout) {
    const int64_t row = layout_.CellPoint(layout_.CellOf(layout_.start())).y;
    if (row < TopRow() || row >= TopRow() + view_->height() / zoom()) {
      vbar_->setValue(static_cast<int>(std::min<int64_t>(row, vbar_->maximum())));
    }
  }
  view_->update();
}

void TilePreview::SetStatus(const QString& text) { lblStatus->setText(text); }

QString TilePreview::Reopen(const std::string& path, int threshold) {
  input_.reset();
  picture_ = nullptr;
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
  OpenedInput opened = OpenPictureOrRaw(std::move(input), {threshold, {}});
  if (opened.error) {
    const bool own = opened.error.category() == PictureCategory() && !opened.problem.empty();
    return Sentence(own ? messages::BadPicture(path, opened.problem)
                        : messages::CannotReadInput(path, opened.error));
  }
  input_ = std::move(opened.input);
  picture_ = opened.picture;
  size_ = input_->Size().value_or(0);
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
  // Cell 0 begins no later than the file.
  const auto sheet_bytes = bytes + static_cast<uint64_t>(-layout_.CellStart(0));
  const auto band = static_cast<uint64_t>(layout_.BandBytes());
  const uint64_t rows =
      std::min<uint64_t>((sheet_bytes + band - 1) / band * uint64_t(layout_.cell_height()),
                         std::numeric_limits<int>::max());
  const int visible = std::max(1, view_->height() / z);
  vbar_->setRange(0, static_cast<int>(std::max<int64_t>(0, int64_t(rows) - visible)));
  vbar_->setPageStep(visible);
  vbar_->setSingleStep(layout_.cell_height());
  const int overhang = int(layout_.SheetWidth()) * z - view_->width();
  hbar_->setRange(0, std::max(0, overhang));
  hbar_->setPageStep(view_->width());
  hbar_->setSingleStep(8 * z);
  hbar_->setVisible(overhang > 0);
}

SheetViewport TilePreview::Viewport() const {
  return {.zoom = zoom(),
          .top = TopRow(),
          .left = hbar_->value(),
          .size = view_->size(),
          .layout = layout_};
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
    case QEvent::ToolTip:
      ShowTip(*static_cast<QHelpEvent*>(event));
      return true;
    case QEvent::Wheel:
      Wheel(static_cast<QWheelEvent*>(event));
      return true;
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
      return Drag(*static_cast<QMouseEvent*>(event));
    default:
      return false;
  }
}

void TilePreview::ShowTip(const QHelpEvent& help) {
  // Shown while the pointer stays on the byte, so that the next byte gets its own.
  const SheetViewport viewport = Viewport();
  if (const std::optional<int64_t> offset = viewport.OffsetAt(help.pos(), false)) {
    const auto at = static_cast<uint64_t>(*offset);
    QString tip = listing_ ? listing_->TipAt(at) : DollarHex(at);
    uint32_t x = 0, y = 0;
    if (picture_ && picture_->CellCorner(at, &x, &y))
      tip += tr("  (cell at x %1, y %2)").arg(x).arg(y);
    QToolTip::showText(help.globalPos(), tip, view_, viewport.ByteRect(*offset));
  } else {
    QToolTip::hideText();
  }
}

void TilePreview::Wheel(QWheelEvent* wheel) {
  if (!(wheel->modifiers() & Qt::ControlModifier)) {
    QCoreApplication::sendEvent(vbar_, wheel);
    return;
  }
  wheel_delta_ += wheel->angleDelta().y();  // a touchpad sends small steps
  const int steps = wheel_delta_ / QWheelEvent::DefaultDeltasPerStep;
  wheel_delta_ %= QWheelEvent::DefaultDeltasPerStep;
  if (steps != 0) ZoomBy(steps, wheel->position().toPoint());
}

bool TilePreview::Drag(const QMouseEvent& mouse) {
  const QPoint pos = mouse.position().toPoint();
  if (mouse.type() == QEvent::MouseButtonPress) {
    if (mouse.button() != Qt::LeftButton) return false;
    drag_from_ = Viewport().OffsetAt(pos, true);
    press_pos_ = pos;
    return true;
  }
  if (!drag_from_) return false;
  // A drag fills the fields as it goes; a click that does not move changes nothing.
  if ((pos - press_pos_).manhattanLength() >= QApplication::startDragDistance()) {
    const ByteRange range = layout_.DragRange(shape_, *drag_from_, *Viewport().OffsetAt(pos, true));
    // The fields hold 32-bit offsets, where "$80000000" is negative: a drag ends at the last
    // offset they hold, and one that starts past it fills nothing; nor does one before the file.
    constexpr auto kLastOffset = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
    if (range.start > kLastOffset) {
      lblNote->setText(tr("Offsets past $7FFFFFFF cannot be listed"));
    } else if (range.end > range.start) {
      emit rangeDragged(range.start, std::min(range.end, kLastOffset));
    }
  }
  if (mouse.type() == QEvent::MouseButtonRelease) drag_from_.reset();
  return true;
}

void TilePreview::Paint() {
  QPainter painter(view_);
  const std::optional<SheetMarks> marks =
      listing_ ? std::optional(listing_->Marks()) : std::nullopt;
  const std::error_code error =
      DrawSheet(painter, Viewport(), input_.get(), size_, marks ? &*marks : nullptr);
  if (error) {
    painter.setClipping(false);
    painter.setPen(Qt::white);
    // A picture's own fault comes with its reason.
    const bool own = picture_ && error.category() == PictureCategory();
    const std::string why = own ? picture_->problem() : error.message();
    painter.drawText(view_->rect().adjusted(4, 4, -4, -4), Qt::TextWordWrap,
                     tr("Cannot read input file %1: %2")
                         .arg(QString::fromStdString(Quoted(path_)), QString::fromStdString(why)));
  }
}

}  // namespace tessary
