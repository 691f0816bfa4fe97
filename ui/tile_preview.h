// TilePreview: the window's pane that draws the input file as a tile sheet, with the range and
// the tiles a run would list.
#pragma once

#include <QWidget>
#include <memory>
#include <optional>

#include "run/file_system.h"
#include "run/options.h"
#include "run/picture_input.h"
#include "ui/preview_listing.h"
#include "ui/sheet_view.h"

class QHelpEvent;
class QLabel;
class QMouseEvent;
class QScrollBar;
class QSpinBox;
class QWheelEvent;

namespace tessary {

// The sheet is 16 tiles across, each band of 8 pixel rows one 128-byte block row of the file
// (or 16 glyphs across, a band one glyph tall), laid out from the range's first byte (see
// SheetLayout) and drawn at a whole zoom of 1x to 8x. The range is tinted, the bytes before it
// dimmed, and each tile the run would list is outlined. Only the bytes in view are read, at each
// paint, so a file of any size opens at once; the vertical scroll bar counts sheet pixel rows,
// which limits the view to the first 32 GiB of 8x8 tiles. A tooltip names a tile's first byte
// and its label line; a drag selects a range, reported by rangeDragged(). What a run would list
// comes from the fields as Show() last got them. Above the sheet, a status line tells what the
// last run did; under it, a note says why nothing would be listed or what would be left out.
// A PNG picture is opened as the run opens it and drawn as its cells' bytes, a tooltip giving a
// cell's x and y; with unique tiles, repeated cells are shaded apart and not outlined.
class TilePreview : public QWidget {
  Q_OBJECT

 public:
  explicit TilePreview(FileSystem* files, QWidget* parent = nullptr);
  ~TilePreview() override;

  // Opens the input file of `options` anew and shows what a run with them would list; `labels`
  // tells whether label lines carry numbers ("Hex Count From"). A file that cannot be shown, a
  // `problem` of the fields that keeps the run from starting, a range from which the run would
  // list nothing, or the bytes it would leave unlisted, are told in the note under the sheet.
  void Show(const RunOptions& options, bool labels, const QString& problem = {});

  // The status line's text: what the last run did.
  void SetStatus(const QString& text);

 signals:
  // A drag over the sheet selected [start, end) as the tiles of the current shape lie there,
  // cut at $7FFFFFFF, the last offset a field holds.
  void rangeDragged(quint64 start, quint64 end);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Opens `path` as the input, a picture split at `threshold`; returns why it cannot be shown,
  // or an empty string.
  QString Reopen(const std::string& path, int threshold);
  void UpdateScrollBars();
  void Paint();
  // The events of the view besides painting and resizing: a tooltip, a wheel turn (Ctrl+wheel
  // zooms), and a press, move or release of a mouse button (a drag), which returns whether it
  // was taken.
  void ShowTip(const QHelpEvent& help);
  void Wheel(QWheelEvent* wheel);
  bool Drag(const QMouseEvent& mouse);
  // The part of the sheet the view shows now.
  SheetViewport Viewport() const;
  void ZoomBy(int steps, QPoint anchor);
  void spnZoom_Change(int zoom);
  int zoom() const;
  int64_t TopRow() const;

  FileSystem* files_;
  std::string path_;
  std::unique_ptr<InputFile> input_;
  PictureInput* picture_ = nullptr;  // input_ when it is a picture
  uint64_t size_ = 0;
  Shape shape_ = Shape::k8x8;
  SheetLayout layout_;
  std::optional<PreviewListing> listing_;  // of the last Show(); set when the fields name a range
  std::optional<int64_t> drag_from_;
  QPoint press_pos_;
  int wheel_delta_ = 0;                // Ctrl+wheel turns not yet taken as zoom steps
  int shown_zoom_ = 2;                 // the zoom the scroll bars were last set for
  std::optional<QPoint> zoom_anchor_;  // where Ctrl+wheel zooms; else the middle of the view

  QSpinBox* spnZoom;
  QLabel* lblStatus;
  QLabel* lblNote;
  QWidget* view_;
  QScrollBar* vbar_;
  QScrollBar* hbar_;
};

}  // namespace tessary
