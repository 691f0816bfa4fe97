// Tests of pictures in the window: the pane draws a PNG picture's cells, Go! lists them as the
// core's run does, unique tiles shade repeats and write a map, and a bad picture is explained.
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <QToolTip>

#include "run/run.h"
#include "run/test_png.h"
#include "ui/check_box.h"
#include "ui/run_summary.h"
#include "ui/test_env.h"
#include "ui/window_options.h"

namespace tessary {
namespace {

// A 16x16 grey picture of four cells in reading order: a diagonal, a top row, the diagonal, the
// other diagonal; ink black (digit 1), paper white, and with `grey` a third grey at (4, 4) of
// the last cell.
std::string FourCells(bool grey = false) {
  TestPng png(16, 16, 8, 0);
  for (uint32_t y = 0; y < 16; ++y) {
    for (uint32_t x = 0; x < 16; ++x) {
      const uint32_t cell = y / 8 * 2 + x / 8, cx = x % 8, cy = y % 8;
      const bool ink = cell == 1 ? cy == 0 : cell == 3 ? cx == 7 - cy : cx == cy;
      png.samples.push_back(grey && cell == 3 && cx == 4 && cy == 4 ? 128 : ink ? 0 : 255);
    }
  }
  return png.File();
}

// A window over the picture "in.png", listing it whole by the 8x8 row walk from $0A.
struct PictureWindow {
  MemFileSystem files;
  frmTessary form{nullptr, &files};
  QWidget* view;
  explicit PictureWindow(const std::string& picture) {
    files.files = {{"in.png", picture}, {"out", "; kept\r\n"}};
    form.show();
    testing::Fill(form, {"in.png", "out", "0", "$80", "$0A"}, "00010001");
    view = form.findChild<QWidget*>("sheetView");
  }
  // The colour of pixel (x, y) of the sheet, at the zoom of 2.
  QRgb Pixel(int x, int y) { return view->grab().toImage().pixel(x * 2 + 1, y * 2 + 1); }
  QString Tip(int x, int y) {
    const QPoint at(x * 2 + 1, y * 2 + 1);
    QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &help);
    return QToolTip::text();
  }
  QString Note() { return form.findChild<QLabel*>("lblNote")->text(); }
  void Unique(int value) { form.findChild<CheckBox*>("CUnique")->setValue(value); }
  // What the core's run writes to "out" and says, with the window's options, on a copy.
  std::pair<std::string, RunResult> CoreRun() {
    QString problem;
    MemFileSystem copy;
    copy.files = files.files;
    FixedStyleHost host(FromBoxes(BoxesOf(form)).style);
    const RunResult result = Run(OptionsOf(form, &problem), host, copy);
    return {copy.files["out"], result};
  }
};

}  // namespace

class PictureWindowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  // Guards against a pane that draws the PNG file's own bytes, a cell tooltip without the
  // cell's pixels, and a Go! that lists a picture otherwise than the core's run.
  void picturePaneAndGo() {
    PictureWindow w(FourCells());
    // Cell 1 (x 8) has ink on its top row only; the picture's cells lie in reading order.
    QTRY_VERIFY(w.Pixel(8 + 3, 0) != w.Pixel(8 + 3, 1));
    QCOMPARE(w.Pixel(16 + 5, 5), w.Pixel(8 + 3, 0));  // cell 2's diagonal
    QCOMPARE(w.Pixel(16 + 5, 4), w.Pixel(8 + 3, 1));
    QVERIFY2(w.Tip(24 + 1, 1).contains("x 8, y 8"), qPrintable(w.Tip(24 + 1, 1)));
    QVERIFY(w.Tip(8, 0).contains("x 8, y 0"));
    QVERIFY(!w.Tip(4 * 8 + 1, 1).contains(" x "));  // a blank cell after the picture's own
    const auto [listing, core] = w.CoreRun();
    testing::ClickGo(w.form);
    QCOMPARE(core.tiles, 16);
    QCOMPARE(w.files.files["out"], listing);
    QCOMPARE(testing::Status(w.form), RunSummary(core, "out"));
  }

  // A picture of three colours is refused without a threshold, in the pane's note and Go!'s
  // message box alike, and split with one; a truncated picture says why too. Guards against a
  // Threshold box that does not reach the run or the pane, and reasons that never show.
  void badPicturesAndThreshold() {
    for (const bool truncated : {false, true}) {
      std::string picture = FourCells(true);
      if (truncated) picture.resize(picture.size() - 20);
      PictureWindow w(picture);
      const QString reason = RunAlert(w.CoreRun().second);
      QVERIFY2(reason.startsWith("\"in.png\": "), qPrintable(reason));
      QTRY_COMPARE(w.Note(), reason);
      testing::MessageBoxWatch watch;
      testing::ClickGo(w.form);
      QTRY_COMPARE(watch.texts(), QStringList{reason});
      QCOMPARE(w.files.files["out"], "; kept\r\n");
      if (truncated) continue;
      QVERIFY(reason.contains("3 colours"));
      w.form.findChild<QSpinBox*>("spnThreshold")->setValue(200);  // the grey is ink
      QTRY_COMPARE(w.Note(), QString());
      QCOMPARE(w.Pixel(24 + 4, 4), w.Pixel(24 + 3, 4));
      testing::ClickGo(w.form);
      QCOMPARE(w.files.files["out"], w.CoreRun().first);
      QVERIFY(testing::Status(w.form).startsWith("Listed 16 tiles"));
    }
  }

  // With unique tiles the repeated cell 2 is shaded apart, not listed, and named by the tile it
  // repeats; Go! writes the map, one line per picture row. Guards against shading without
  // unique tiles, tooltips that count repeats as tiles, and a map that is not written.
  void uniqueTilesAndMap() {
    PictureWindow w(FourCells());
    QTRY_VERIFY(w.Tip(8, 0).contains("; 0B"));
    QCOMPARE(w.Pixel(16 + 1, 0), w.Pixel(0 + 1, 0));  // both papers, no shading
    w.Unique(1);
    QTRY_VERIFY(w.Pixel(16 + 1, 0) != w.Pixel(0 + 1, 0));
    QVERIFY(w.Pixel(16, 0) != w.Pixel(16 + 1, 0));  // ink stays apart from paper
    QCOMPARE(w.Pixel(24 + 1, 0), w.Pixel(0 + 1, 0));
    // The left edge of a listed cell is outlined; a repeated cell's is not.
    const QImage shot = w.view->grab().toImage();
    QVERIFY(shot.pixel(0, 9) != w.Pixel(0 + 1, 4));
    QCOMPARE(shot.pixel(16 * 2, 9), w.Pixel(16 + 1, 4));
    QCOMPARE(w.Tip(16 + 2, 3), QStringLiteral("$0010  same as tile 0A  (cell at x 0, y 8)"));
    QVERIFY2(w.Tip(24 + 2, 3).contains("; 0C"), qPrintable(w.Tip(24 + 2, 3)));
    w.form.findChild<QLineEdit*>("txtMap")->setText("in.map");
    const auto [listing, core] = w.CoreRun();
    testing::ClickGo(w.form);
    QCOMPARE(core.tiles, 3);
    QCOMPARE(w.files.files["out"], listing);
    QCOMPARE(w.files.files["in.map"], " .db $0A,$0B\r\n .db $0A,$0C\r\n");
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::PictureWindowTest)
#include "picture_window_test.moc"
