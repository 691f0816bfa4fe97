// TilePreview: the window's pane that draws the input file as a tile sheet, with the range and
// the tiles a run would list.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "run/file_system.h"
#include "run/listed_tiles.h"
#include "run/options.h"
#include "run/range_check.h"

class QLabel;
class QScrollBar;
class QSpinBox;

namespace tessary {

// `value` as the number notation writes a hexadecimal number, with at least four digits: "$0A80".
QString DollarHex(quint64 value);

// The sheet is 16 tiles across, each band of 8 pixel rows one 128-byte block row of the file,
// drawn at a whole zoom of 1x to 8x. The range is tinted and each tile the run would list is
// outlined. Only the bytes in view are read, at each paint, so a file of any size opens at once;
// the vertical scroll bar counts sheet pixel rows, which limits the view to the first 32 GiB.
// A tooltip names a tile's first byte and its label line; a drag selects a range, reported by
// rangeDragged(). What a run would list comes from the fields as Show() last got them.
class TilePreview : public QWidget {
  Q_OBJECT

 public:
  explicit TilePreview(FileSystem* files, QWidget* parent = nullptr);
  ~TilePreview() override;

  // Opens the input file of `options` anew and shows what a run with them would list; `labels`
  // tells whether label lines carry numbers ("Hex Count From"). A file that cannot be shown, or
  // a range from which the run would list nothing, is named in the note above the sheet.
  void Show(const RunOptions& options, bool labels);

 signals:
  // A drag over the sheet selected [start, end) as the tiles of the current shape lie there,
  // cut at $7FFFFFFF, the last offset a field holds.
  void rangeDragged(quint64 start, quint64 end);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Listing;  // the range and the listed tiles of the last Show()

  // Opens `path` as the input; returns why it cannot be shown, or an empty string.
  QString Reopen(const std::string& path);
  void UpdateScrollBars();
  void Paint();
  void PaintOutlines(QPainter& painter, uint64_t first_byte, uint64_t end_byte);
  // The file offset of the byte drawn at `pos` of the view; std::nullopt off the sheet.
  std::optional<uint64_t> OffsetAt(QPoint pos, bool clamp) const;
  // Where the byte at `offset` shows in the view (it may lie outside it).
  QRect ByteRect(uint64_t offset) const;
  // The tooltip over the byte at `offset`: its tile's first byte and label line, or its own
  // offset when no listed tile reads it.
  QString TipAt(uint64_t offset) const;
  void ZoomBy(int steps, QPoint anchor);
  void spnZoom_Change(int zoom);
  int zoom() const;
  int64_t TopRow() const;

  FileSystem* files_;
  std::string path_;
  std::unique_ptr<InputFile> input_;
  uint64_t size_ = 0;
  Shape shape_ = Shape::k8x8;
  std::unique_ptr<Listing> listing_;  // set when the fields name a range
  std::optional<uint64_t> drag_from_;
  QPoint press_pos_;
  int wheel_delta_ = 0;                // Ctrl+wheel turns not yet taken as zoom steps
  int shown_zoom_ = 2;                 // the zoom the scroll bars were last set for
  std::optional<QPoint> zoom_anchor_;  // where Ctrl+wheel zooms; else the middle of the view

  QSpinBox* spnZoom;
  QLabel* lblNote;
  QWidget* view_;
  QScrollBar* vbar_;
  QScrollBar* hbar_;
};

}  // namespace tessary
