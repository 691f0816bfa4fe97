// frmTessary: the program's one window, its controls and the events it handles.
#pragma once

#include <QWidget>
#include <chrono>
#include <memory>

#include "run/file_system.h"
#include "run/host.h"
#include "ui/window_warnings.h"

class QCloseEvent;
class QLabel;
class QLineEdit;
class QPushButton;
class QShowEvent;
class QTimer;

namespace tessary {

class CellsRow;
class CheckBox;
class FileDialog;
class FormatRow;
class GlyphRow;
class TilePreview;

// The window takes the values of its controls, hands them to the conversion run and hosts the
// run: between tiles it handles the pending events, with Busy set and the busy pointer shown.
// "Invert" and "Hex Count From" are read anew after every such pause; Esc then cancels the run.
// Enter, like Space, clicks the button that has the focus. After a run the pane's status line
// says what it did; a message box shows only a run that failed or listed nothing, or glyph
// fields that keep a run from starting.
// The fields and boxes are loaded from the settings store when the window is first shown and
// saved when a close is granted; no close is granted while Busy.
// Right of the controls, which keep their places, the preview pane takes whatever room the
// window has; it follows the fields and boxes 50 ms after their last change, and a drag over it
// fills Start Offset and End Offset.
class frmTessary : public QWidget, private RunHost {
  Q_OBJECT

 public:
  // `dialog` and `files` default to the real file dialog and the disk.
  explicit frmTessary(FileDialog* dialog = nullptr, FileSystem* files = nullptr,
                      QWidget* parent = nullptr);
  ~frmTessary() override;

  // True while a conversion run walks its tiles.
  bool IsBusy() const { return Busy; }

  // How long a run may list tiles before it handles pending events; zero means before every
  // tile. 10 ms unless changed.
  void SetYieldInterval(std::chrono::nanoseconds interval) { yield_interval_ = interval; }

 public slots:
  void Form_Load();
  void cmdGo_Click();
  void cmdBrowse_Click();
  void CSkip_Click();
  // While Glyph is set it decides the shape: Vertical, Skip, Even, 16x16 and 8x12 Masked are
  // disabled, their values kept.
  void CGlyph_Click();
  // Label lines carry numbers unless Hex Count From is unchecked; the format row's label prefix
  // follows.
  void CHex_Click();
  void Form_EscapeKey();
  // SIGINT, SIGTERM or SIGHUP: cancels a run in progress, then closes as a close request would.
  // A warning that waits for a click is closed; it and any later one go to stderr.
  void Form_Interrupt();
  // Any field, box or the syntax changed: the preview follows once the changes pause.
  void Form_Change();
  void tmrPreview_Timer();
  void picPreview_RangeDragged(quint64 start, quint64 end);

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Coming back to the window shows the input file anew: another program may have changed it.
  void changeEvent(QEvent* event) override;

 private:
  // The constructor's groups of controls, top down, then the focus order and the events.
  void AddFileRows();
  void AddRangeRow();
  void AddBoxes();
  void AddPreview(QSize controls);
  void SetTabOrder();
  void ConnectEvents();

  void Form_QueryUnload(bool& Cancel);

  std::chrono::nanoseconds YieldInterval() const override { return yield_interval_; }
  bool Yield() override;
  TileStyle CurrentStyle() override;
  void WalkStarted() override;
  void WalkEnded() override;

  QLabel* lblIn;
  QLineEdit* txt1;
  QPushButton* cmdBrowse;
  QLabel* lblOut;
  QLineEdit* txt2;
  QLabel* Label1;
  QLineEdit* txtStart;
  QLabel* Label2;
  QLineEdit* txtEnd;
  QPushButton* cmdGo;
  CheckBox* CVert;
  CheckBox* CAppend;
  CheckBox* CSkip;
  CheckBox* CEven;
  CheckBox* CInvert;
  CheckBox* C1616;
  CheckBox* C812Mask;
  CheckBox* CHex;
  QLineEdit* txtHex;
  FormatRow* format_row_;  // Syntax, Label prefix, Pixel comments, Every tile
  GlyphRow* glyph_row_;    // Glyph, its size and gap
  CellsRow* cells_row_;    // Threshold, Unique tiles, Map file
  TilePreview* picPreview;
  QTimer* tmrPreview;

  std::unique_ptr<FileDialog> own_dialog_;
  FileDialog* cmd;  // the file-open dialog of the browse button
  FileSystem* files_;

  bool Busy = false;
  bool cancel_requested_ = false;
  bool close_requested_ = false;
  bool loaded_ = false;
  WindowWarnings warnings_{this};
  std::chrono::nanoseconds yield_interval_ = std::chrono::milliseconds(10);
};

}  // namespace tessary
