#include "ui/frm_tessary.h"

#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <iterator>
#include <limits>
#include <utility>

#include "run/box_values.h"
#include "run/disk_file_system.h"
#include "run/run.h"
#include "ui/application.h"
#include "ui/browse_naming.h"
#include "ui/check_box.h"
#include "ui/file_dialog.h"
#include "ui/indicator_style.h"
#include "ui/settings_binding.h"
#include "ui/tile_preview.h"
#include "ui/window_font.h"

namespace tessary {
namespace {

// The layout is drawn in twips; a pixel is 15 of them.
QRect Twips(int left, int top, int width, int height) {
  constexpr int kTwipsPerPixel = 15;
  return QRect(left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
               height / kTwipsPerPixel);
}

template <typename Widget>
Widget* Placed(Widget* widget, const char* name, const QRect& geometry) {
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(geometry);
  return widget;
}

CheckBox* NewBox(QWidget* form, const char* name, const char* caption, const QRect& geometry,
                 int value) {
  auto* box = Placed(new CheckBox(QString::fromLatin1(caption), form), name, geometry);
  box->setStyle(CheckBoxStyle());
  box->setValue(value);
  return box;
}

QString Sentence(const std::string& message) {
  QString text = QString::fromStdString(message);
  if (!text.isEmpty()) text[0] = text[0].toUpper();
  return text;
}

// A warning for a terminal, once the window is closing on an interrupt.
void PrintWarning(const QString& text) {
  std::fprintf(stderr, "tessary: %s\n", text.toLocal8Bit().constData());
}

constexpr Qt::WindowFlags kWindowFlags = Qt::Window | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint;

}  // namespace

frmTessary::frmTessary(FileDialog* dialog, FileSystem* files, QWidget* parent)
    : QWidget(parent, kWindowFlags), cmd(dialog), files_(files ? files : DiskFileSystem()) {
  if (!cmd) {
    own_dialog_ = std::make_unique<OpenFileDialog>();
    cmd = own_dialog_.get();
  }
  setObjectName(QStringLiteral("frmTessary"));
  setWindowTitle(QStringLiteral("Tessary v2.1"));
  setWindowIcon(AppIcon());
  const QSize controls = Twips(0, 0, 3675, 4020).size();
  resize(controls);  // the fonts are fitted to the controls alone

  lblIn = Placed(new QLabel(tr("&Input File:"), this), "lblIn", Twips(120, 0, 690, 195));
  txt1 = Placed(new QLineEdit(this), "txt1", Twips(120, 240, 3135, 285));
  cmdBrowse =
      Placed(new QPushButton(QStringLiteral("O"), this), "cmdBrowse", Twips(3360, 240, 255, 255));
  lblOut = Placed(new QLabel(tr("&Output File:"), this), "lblOut", Twips(120, 600, 810, 195));
  txt2 = Placed(new QLineEdit(this), "txt2", Twips(120, 840, 3135, 285));
  Label1 = Placed(new QLabel(tr("&Start Offset:"), this), "Label1", Twips(120, 1200, 840, 195));
  txtStart = Placed(new QLineEdit(this), "txtStart", Twips(120, 1440, 1335, 285));
  Label2 = Placed(new QLabel(tr("&End Offset:"), this), "Label2", Twips(1920, 1200, 795, 195));
  txtEnd = Placed(new QLineEdit(this), "txtEnd", Twips(1920, 1440, 1335, 285));
  cmdGo = Placed(new QPushButton(tr("Go!"), this), "cmdGo", Twips(2280, 2520, 1335, 375));
  CVert = NewBox(this, "CVert", "Vertical", Twips(120, 1800, 855, 255), 1);
  CAppend = NewBox(this, "CAppend", "Append", Twips(1080, 1800, 855, 195), 0);
  CSkip = NewBox(this, "CSkip", "Skip", Twips(2040, 1800, 615, 195), 0);
  CEven = NewBox(this, "CEven", "Even", Twips(2760, 1800, 735, 195), 1);
  CInvert = NewBox(this, "CInvert", "Invert", Twips(120, 2160, 735, 195), 1);
  C1616 = NewBox(this, "C1616", "16x16", Twips(1080, 2160, 855, 255), 0);
  C812Mask = NewBox(this, "C812Mask", "8x12 Masked", Twips(2040, 2160, 1455, 255), 0);
  CHex = NewBox(this, "CHex", "Hex Count From", Twips(120, 2520, 1455, 255), 0);
  txtHex = Placed(new QLineEdit(this), "txtHex", Twips(1680, 2520, 495, 285));
  CEven->setEnabled(false);
  // The listing's syntax, below the original controls.
  lblSyntax = Placed(new QLabel(tr("S&yntax:"), this), "lblSyntax", Twips(120, 3000, 0, 0));
  cboSyntax = Placed(new QComboBox(this), "cboSyntax", Twips(120, 3240, 1770, 330));
  for (const SyntaxProfile& profile : kSyntaxProfiles) {
    cboSyntax->addItem(QString::fromLatin1(profile.title), QString::fromLatin1(profile.name));
  }
  lblPrefix = Placed(new QLabel(tr("&Label prefix:"), this), "lblPrefix", Twips(1920, 3000, 0, 0));
  txtPrefix = Placed(new QLineEdit(this), "txtPrefix", Twips(1920, 3240, 1335, 285));
  CPixels = NewBox(this, "CPixels", "&Pixel comments", Twips(120, 3660, 1695, 255), 0);
  for (QLineEdit* field : {txt1, txt2, txtStart, txtEnd, txtHex, txtPrefix}) {
    field->setMaxLength(std::numeric_limits<int>::max());
  }
  // Enter and keypad Enter click a button that has the focus, as Space does.
  cmdBrowse->setAutoDefault(true);
  cmdGo->setAutoDefault(true);

  QFont terminal(QStringLiteral("Terminal"));
  terminal.setStyleHint(QFont::TypeWriter);
  terminal.setPointSize(9);
  terminal.setBold(true);
  terminal.setStretch(QFont::Unstretched);
  cmdBrowse->setFont(terminal);
  // A label shows its "&" as an access key only once it has a buddy.
  lblIn->setBuddy(txt1);
  lblOut->setBuddy(txt2);
  Label1->setBuddy(txtStart);
  Label2->setBuddy(txtEnd);
  lblSyntax->setBuddy(cboSyntax);
  lblPrefix->setBuddy(txtPrefix);
  FitWindowFont(this);

  // The preview takes the room right of the controls and any the window gains.
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

  QWidget* const order[] = {txt1,     cmdBrowse, txt2,   txtStart,  txtEnd,    cmdGo,
                            CVert,    CAppend,   CSkip,  CEven,     CInvert,   C1616,
                            C812Mask, CHex,      txtHex, cboSyntax, txtPrefix, CPixels};
  for (size_t i = 1; i < std::size(order); ++i) setTabOrder(order[i - 1], order[i]);
  txt1->setFocus();

  connect(cmdGo, &QPushButton::clicked, this, &frmTessary::cmdGo_Click);
  connect(cmdBrowse, &QPushButton::clicked, this, &frmTessary::cmdBrowse_Click);
  connect(CSkip, &CheckBox::valueChanged, this, &frmTessary::CSkip_Click);
  connect(CHex, &CheckBox::valueChanged, this, &frmTessary::UpdatePrefixEnabled);
  connect(cboSyntax, &QComboBox::currentIndexChanged, this, &frmTessary::UpdatePrefixEnabled);
  UpdatePrefixEnabled();
  for (QLineEdit* field : {txt1, txtStart, txtEnd, txtHex, txtPrefix}) {
    connect(field, &QLineEdit::textChanged, this, &frmTessary::Form_Change);
  }
  for (CheckBox* box : {CVert, CAppend, CSkip, CEven, CInvert, C1616, C812Mask, CHex}) {
    connect(box, &CheckBox::valueChanged, this, &frmTessary::Form_Change);
  }
  connect(cboSyntax, &QComboBox::currentIndexChanged, this, &frmTessary::Form_Change);
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
  load_warning_ =
      tr("The settings could not be read: %1. The window starts with the defaults.").arg(failure);
  QMetaObject::invokeMethod(  // once the window shows, unless an interrupt has said it already
      this,
      [this] {
        if (!load_warning_.isEmpty()) Warn(std::exchange(load_warning_, QString()));
      },
      Qt::QueuedConnection);
}

void frmTessary::closeEvent(QCloseEvent* event) {
  bool Cancel = false;
  Form_QueryUnload(Cancel);
  if (Cancel) {
    event->ignore();
  } else {
    event->accept();
  }
}

void frmTessary::Form_QueryUnload(bool& Cancel) {
  if (Busy) {
    Cancel = true;
    return;
  }
  QSettings settings(QStringLiteral("Tessary"), QStringLiteral("Tessary"));
  const QString failure = SaveSettings(settings, this);
  if (!failure.isEmpty()) Warn(tr("The settings could not be saved: %1.").arg(failure));
}

void frmTessary::Warn(const QString& text) {
  if (close_requested_) {
    PrintWarning(text);
  } else {
    QMessageBox::warning(this, QStringLiteral("Tessary"), text);
  }
}

BoxValues frmTessary::Boxes() const {
  return BoxValues{.vertical = CVert->value(),
                   .append = CAppend->value(),
                   .skip = CSkip->value(),
                   .even = CEven->value(),
                   .invert = CInvert->value(),
                   .box_1616 = C1616->value(),
                   .box_812 = C812Mask->value(),
                   .hex = CHex->value()};
}

RunOptions frmTessary::TakeOptions() const {
  RunOptions options = FromBoxes(Boxes()).options;
  options.input_path = QFile::encodeName(txt1->text()).toStdString();
  options.output_path = QFile::encodeName(txt2->text()).toStdString();
  options.tile_number_text = txtHex->text().toStdString();
  options.start_text = txtStart->text().toStdString();
  options.end_text = txtEnd->text().toStdString();
  options.listing = TakeListing();
  return options;
}

// The syntax row: pixels only at the value 1, like Invert; a disabled prefix is not used.
ListingSyntax frmTessary::TakeListing() const {
  ListingSyntax listing;
  listing.syntax = kSyntaxProfiles[std::max(0, cboSyntax->currentIndex())].syntax;
  listing.pixels = CPixels->value() == 1;
  if (txtPrefix->isEnabled()) listing.label_prefix = txtPrefix->text().toStdString();
  return listing;
}

void frmTessary::cmdGo_Click() {
  if (Busy) return;  // a click that arrives while a run pauses between tiles
  cancel_requested_ = false;
  const RunResult result = Run(TakeOptions(), *this, *files_);
  if (close_requested_) {
    close();  // a signal arrived during the run
    return;
  }
  if (result.status == RunStatus::kFailed) Warn(Sentence(result.message));
}

void frmTessary::cmdBrowse_Click() {
  const std::optional<QString> chosen = cmd->ShowOpen(this);
  if (!chosen || chosen->isEmpty()) return;
  txt1->setText(*chosen);
  txt2->setText(OutputNameFor(*chosen));
}

void frmTessary::CSkip_Click() { CEven->setEnabled(CSkip->value() != 0); }

void frmTessary::UpdatePrefixEnabled() {
  const int index = std::max(0, cboSyntax->currentIndex());
  txtPrefix->setEnabled(CHex->value() != 0 && kSyntaxProfiles[index].symbol_tail != nullptr);
}

void frmTessary::Form_EscapeKey() {
  if (Busy) cancel_requested_ = true;
}

void frmTessary::Form_Interrupt() {
  close_requested_ = true;
  if (Busy) {
    cancel_requested_ = true;  // cmdGo_Click closes once the run has ended
    return;
  }
  // Nobody may be there to click a warning, so one that waits, or waits to show, goes to
  // stderr instead; the close then says its own there too.
  if (!load_warning_.isEmpty()) PrintWarning(std::exchange(load_warning_, QString()));
  if (QWidget* modal = QApplication::activeModalWidget()) {
    if (const auto* box = qobject_cast<QMessageBox*>(modal)) PrintWarning(box->text());
    modal->close();
  }
  close();
}

void frmTessary::Form_Change() { tmrPreview->start(); }

void frmTessary::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) Form_Change();
  QWidget::changeEvent(event);
}

void frmTessary::tmrPreview_Timer() {
  picPreview->Show(TakeOptions(), FromBoxes(Boxes()).style.labels);
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

TileStyle frmTessary::CurrentStyle() { return FromBoxes(Boxes()).style; }

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
