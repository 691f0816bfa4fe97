#include "ui/frm_tessary.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <algorithm>

#include "run/disk_file_system.h"
#include "run/run.h"
#include "ui/application.h"
#include "ui/browse_naming.h"
#include "ui/cells_row.h"
#include "ui/check_box.h"
#include "ui/file_dialog.h"
#include "ui/format_row.h"
#include "ui/glyph_row.h"
#include "ui/map_run.h"
#include "ui/placement.h"
#include "ui/run_summary.h"
#include "ui/settings_binding.h"
#include "ui/tile_preview.h"
#include "ui/window_font.h"
#include "ui/window_options.h"

namespace tessary {

frmTessary::frmTessary(FileDialog* dialog, FileSystem* files, QWidget* parent)
    : QWidget(parent, kWindowFlags), cmd(dialog), files_(files ? files : DiskFileSystem()) {
  if (!cmd) {
    own_dialog_ = std::make_unique<OpenFileDialog>();
    cmd = own_dialog_.get();
  }
  setObjectName(QStringLiteral("frmTessary"));
  setWindowTitle(QStringLiteral("Tessary v2.1"));
  setWindowIcon(AppIcon());
  const QSize controls = Twips(0, 0, 3675, 5160).size();
  resize(controls);  // the fonts are fitted to the controls alone
  AddFileRows();
  AddRangeRow();
  AddBoxes();
  format_row_ = new FormatRow(this);
  glyph_row_ = new GlyphRow(this);
  cells_row_ = new CellsRow(this);
  FitWindowFont(this);
  AddPreview(controls);
  SetTabOrder();
  ConnectEvents();
}

void frmTessary::AddFileRows() {
  lblIn = Placed(new QLabel(tr("&Input File:"), this), "lblIn", Twips(120, 0, 690, 195));
  txt1 = NewField(this, "txt1", Twips(120, 240, 3135, 285));
  cmdBrowse =
      Placed(new QPushButton(QStringLiteral("O"), this), "cmdBrowse", Twips(3360, 240, 255, 255));
  lblOut = Placed(new QLabel(tr("&Output File:"), this), "lblOut", Twips(120, 600, 810, 195));
  txt2 = NewField(this, "txt2", Twips(120, 840, 3135, 285));
  lblIn->setBuddy(txt1);  // a label shows its "&" as an access key only once it has a buddy
  lblOut->setBuddy(txt2);
  cmdBrowse->setAutoDefault(true);  // Enter and keypad Enter click it when focused, as Space does
  cmdBrowse->setFont(BrowseButtonFont());
}

void frmTessary::AddRangeRow() {
  Label1 = Placed(new QLabel(tr("&Start Offset:"), this), "Label1", Twips(120, 1200, 840, 195));
  txtStart = NewField(this, "txtStart", Twips(120, 1440, 1335, 285));
  Label2 = Placed(new QLabel(tr("&End Offset:"), this), "Label2", Twips(1920, 1200, 795, 195));
  txtEnd = NewField(this, "txtEnd", Twips(1920, 1440, 1335, 285));
  Label1->setBuddy(txtStart);
  Label2->setBuddy(txtEnd);
}

// The boxes, Hex Count From's field and Go! beside it.
void frmTessary::AddBoxes() {
  cmdGo = Placed(new QPushButton(tr("Go!"), this), "cmdGo", Twips(2280, 2520, 1335, 375));
  cmdGo->setAutoDefault(true);  // as the browse button
  CVert = NewBox(this, "CVert", "Vertical", Twips(120, 1800, 855, 255), 1);
  CAppend = NewBox(this, "CAppend", "Append", Twips(1080, 1800, 855, 195), 0);
  CSkip = NewBox(this, "CSkip", "Skip", Twips(2040, 1800, 615, 195), 0);
  CEven = NewBox(this, "CEven", "Even", Twips(2760, 1800, 735, 195), 1);
  CInvert = NewBox(this, "CInvert", "Invert", Twips(120, 2160, 735, 195), 1);
  C1616 = NewBox(this, "C1616", "16x16", Twips(1080, 2160, 855, 255), 0);
  C812Mask = NewBox(this, "C812Mask", "8x12 Masked", Twips(2040, 2160, 1455, 255), 0);
  CHex = NewBox(this, "CHex", "Hex Count From", Twips(120, 2520, 1455, 255), 0);
  txtHex = NewField(this, "txtHex", Twips(1680, 2520, 495, 285));
  CEven->setEnabled(false);
}

// The preview takes the room right of the controls and any the window gains.
void frmTessary::AddPreview(QSize controls) {
  picPreview = new TilePreview(files_, this);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(0, 8, 8, 8);
  row->setSpacing(0);
  row->addSpacerItem(new QSpacerItem(controls.width() + 4, controls.height() - 16,
                                     QSizePolicy::Fixed, QSizePolicy::Fixed));
  row->addWidget(picPreview, 1);
  row->activate();
  resize(minimumWidth(), std::max(minimumHeight(), 420));
  tmrPreview = new QTimer(this);
  tmrPreview->setSingleShot(true);
  tmrPreview->setInterval(50);
}

void frmTessary::SetTabOrder() {
  QList<QWidget*> order = {txt1,  cmdBrowse, txt2,    txtStart, txtEnd,   cmdGo, CVert, CAppend,
                           CSkip, CEven,     CInvert, C1616,    C812Mask, CHex,  txtHex};
  order += format_row_->TabOrder() + glyph_row_->TabOrder() + cells_row_->TabOrder();
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
  txt1->setFocus();
}

void frmTessary::ConnectEvents() {
  connect(cmdGo, &QPushButton::clicked, this, &frmTessary::cmdGo_Click);
  connect(cmdBrowse, &QPushButton::clicked, this, &frmTessary::cmdBrowse_Click);
  connect(CSkip, &CheckBox::valueChanged, this, &frmTessary::CSkip_Click);
  connect(CHex, &CheckBox::valueChanged, this, &frmTessary::CHex_Click);
  for (QLineEdit* field : {txt1, txtStart, txtEnd, txtHex}) {
    connect(field, &QLineEdit::textChanged, this, &frmTessary::Form_Change);
  }
  for (CheckBox* box : {CVert, CAppend, CSkip, CEven, CInvert, C1616, C812Mask, CHex}) {
    connect(box, &CheckBox::valueChanged, this, &frmTessary::Form_Change);
  }
  connect(format_row_, &FormatRow::changed, this, &frmTessary::Form_Change);
  connect(glyph_row_, &GlyphRow::changed, this, &frmTessary::Form_Change);
  connect(cells_row_, &CellsRow::changed, this, &frmTessary::Form_Change);
  connect(glyph_row_, &GlyphRow::boxChanged, this, &frmTessary::CGlyph_Click);
  connect(tmrPreview, &QTimer::timeout, this, &frmTessary::tmrPreview_Timer);
  connect(picPreview, &TilePreview::rangeDragged, this, &frmTessary::picPreview_RangeDragged);
  auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  connect(escape, &QShortcut::activated, this, &frmTessary::Form_EscapeKey);
}

frmTessary::~frmTessary() = default;

void frmTessary::showEvent(QShowEvent* event) {
  if (!loaded_) {
    loaded_ = true;
    Form_Load();
    Form_Change();
  }
  QWidget::showEvent(event);
}

void frmTessary::Form_Load() {
  QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
  const QString failure = LoadSettings(settings, this);
  if (failure.isEmpty()) return;
  warnings_.ShowSoon(  // once the window shows
      tr("The settings could not be read: %1. The window starts with the defaults.").arg(failure));
}

void frmTessary::closeEvent(QCloseEvent* event) {
  bool Cancel = false;
  Form_QueryUnload(Cancel);
  event->setAccepted(!Cancel);
}

void frmTessary::Form_QueryUnload(bool& Cancel) {
  if (Busy) {
    Cancel = true;
    return;
  }
  QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
  const QString failure = SaveSettings(settings, this);
  if (!failure.isEmpty()) warnings_.Show(tr("The settings could not be saved: %1.").arg(failure));
}

void frmTessary::cmdGo_Click() {
  if (Busy) return;  // a click that arrives while a run pauses between tiles
  cancel_requested_ = false;
  QString problem;
  const RunOptions options = OptionsOf(*this, &problem);
  if (!problem.isEmpty()) {  // nothing runs
    picPreview->SetStatus(problem);
    warnings_.Show(problem);
    return;
  }
  const RunResult result = RunWithMap(options, MapPathOf(*this), *this, *files_);
  if (close_requested_) {
    close();  // a signal arrived during the run
    return;
  }
  picPreview->SetStatus(RunSummary(result, options.output_path));
  if (const QString alert = RunAlert(result); !alert.isEmpty()) warnings_.Show(alert);
}

void frmTessary::cmdBrowse_Click() {
  const std::optional<QString> chosen = cmd->ShowOpen(this);
  if (!chosen || chosen->isEmpty()) return;
  txt1->setText(*chosen);
  txt2->setText(OutputNameFor(*chosen));
  cells_row_->FollowInput(*chosen);
}

void frmTessary::CSkip_Click() { CEven->setEnabled(CSkip->value() != 0 && !glyph_row_->IsSet()); }

void frmTessary::CGlyph_Click() {
  for (CheckBox* box : {CVert, CSkip, C1616, C812Mask}) box->setEnabled(!glyph_row_->IsSet());
  CSkip_Click();
}

void frmTessary::CHex_Click() { format_row_->SetLabelsNumbered(CHex->value() != 0); }

void frmTessary::Form_EscapeKey() {
  if (Busy) cancel_requested_ = true;
}

void frmTessary::Form_Interrupt() {
  close_requested_ = true;
  warnings_.Interrupt();
  if (Busy) {
    cancel_requested_ = true;  // cmdGo_Click closes once the run has ended
    return;
  }
  close();
}

void frmTessary::Form_Change() { tmrPreview->start(); }

void frmTessary::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Change();
  QWidget::changeEvent(event);
}

void frmTessary::tmrPreview_Timer() {
  QString problem;
  const RunOptions options = OptionsOf(*this, &problem);
  picPreview->Show(options, FromBoxes(BoxesOf(*this)).style.labels, problem);
}

void frmTessary::picPreview_RangeDragged(quint64 start, quint64 end) {
  txtStart->setText(DollarHex(start));
  txtEnd->setText(DollarHex(end));
}

bool frmTessary::Yield() {
  QCoreApplication::processEvents();
  // A signal before the busy state (a FIFO input waiting for its writer) closes the window; the
  // run then gives up too.
  return !cancel_requested_ && !close_requested_;
}

TileStyle frmTessary::CurrentStyle() { return FromBoxes(BoxesOf(*this)).style; }

void frmTessary::WalkStarted() {
  Busy = true;
  QApplication::setOverrideCursor(Qt::BusyCursor);
  setCursor(Qt::BusyCursor);
}

void frmTessary::WalkEnded() {
  unsetCursor();
  QApplication::restoreOverrideCursor();
  Busy = false;
}

}  // namespace tessary
