// Tests of the preview pane: shading and outlines follow the fields, drag, tooltip, notes, zoom.
#include "ui/tile_preview.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include "run/mem_file_system.h"
#include "run/tile_sheet.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/sheet_layout.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

// A window over the in-memory file "in" of 4096 zero bytes, its range $80 to $280.
struct PreviewWindow {
  MemFileSystem files;
  frmTessary form{nullptr, &files};
  QWidget* view;
  PreviewWindow() {
    files.files = {{"in", std::string(4096, '\0')}};
    form.show();
    view = form.findChild<QWidget*>("sheetView");
    Set({{"txt1", "in"}, {"txtStart", "$80"}, {"txtEnd", "$280"}, {"txtHex", "$10"}});
    for (const char* box : {"CVert", "CSkip", "C1616", "C812Mask"}) Box(box, 0);
    Box("CHex", 1);
  }
  void Set(const QList<std::pair<const char*, QString>>& fields) {
    for (const auto& [name, text] : fields) form.findChild<QLineEdit*>(name)->setText(text);
  }
  void Box(const char* name, int value) { form.findChild<CheckBox*>(name)->setValue(value); }
  QString Field(const char* name) { return form.findChild<QLineEdit*>(name)->text(); }
  QString Note() { return form.findChild<QLabel*>("lblNote")->text(); }
  // The sheet as the pane lays it out for the range's Start.
  SheetLayout layout{std::nullopt, 0x80};
  int Zoom() { return form.findChild<QSpinBox*>("spnZoom")->value(); }
  // Where pixel (x, y) of the cell of the byte at `offset` shows in the view, at the sheet's top.
  QPoint At(int64_t offset, int x = 3, int y = 4) {
    const SheetPoint cell = layout.CellPoint(layout.CellOf(offset));
    return QPoint(int(cell.x + x) * Zoom(), int(cell.y + y) * Zoom());
  }
  // A point inside the byte at `offset`, its fourth pixel.
  QPoint Byte(int64_t offset) {
    const SheetPoint at = *layout.PointOf(offset);
    return QPoint(int(at.x + 3) * Zoom(), int(at.y) * Zoom() + Zoom() / 2);
  }
  QRgb Pixel(QPoint at) { return view->grab().toImage().pixel(at); }
  QString Tip(QPoint at) {
    QHelpEvent help(QEvent::ToolTip, at, view->mapToGlobal(at));
    QApplication::sendEvent(view, &help);
    return QToolTip::text();
  }
};

}  // namespace

class TilePreviewTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  // Each row: a field's new text or a box's new value, then blocks whose inside is tinted (+) or
  // plain (-), and blocks whose left edge is outlined (+) or not (-). Guards against shading or
  // outlines that lag behind an edit, miss the range's ends, or ignore the shape and Skip/Even.
  void shadingAndOutlinesFollowTheFields() {
    PreviewWindow w;
    QTRY_VERIFY(w.Pixel(w.At(0x80)) != w.Pixel(w.At(0x700)));  // the file shows, $80 on tinted
    const QRgb tint = w.Pixel(w.At(0x80));
    struct Case {
      const char *control, *value;
      std::vector<std::pair<uint64_t, bool>> tinted, outlined;
    } cases[] = {
        {"txtStart",
         "$100",
         {{0xF8, 0}, {0x100, 1}, {0x278, 1}, {0x280, 0}},
         {{0x108, 1}, {0x80, 0}}},
        {"CSkip", "1", {}, {{0x100, 1}, {0x108, 0}}},
        {"C1616", "1", {}, {{0x180, 1}, {0x188, 0}, {0x190, 1}, {0x280, 0}}},
        {"txtEnd", "$300", {{0x2F8, 1}, {0x300, 0}}, {{0x280, 1}}},
    };
    for (const Case& c : cases) {
      c.control[0] == 'C' ? w.Box(c.control, 1) : w.Set({{c.control, c.value}});
      // A cell's top and bottom rows: the byte past each end of the range is one of them. The
      // top row is probed a screen pixel down, below a tile's outline.
      for (const auto& [offset, tinted] : c.tinted) {
        for (const QPoint at : {w.At(offset, 3, 0) + QPoint(0, 1), w.At(offset, 3, 7)}) {
          QTRY_VERIFY_WITH_TIMEOUT((w.Pixel(at) == tint) == tinted, 500);
        }
      }
      for (const auto& [offset, outlined] : c.outlined) {
        QTRY_VERIFY_WITH_TIMEOUT((w.Pixel(w.At(offset, 0)) != w.Pixel(w.At(offset))) == outlined,
                                 500);
      }
    }
  }

  // Each row: press at byte $94, release at a point, and the fields after. Guards against a drag
  // that leaves the fields alone, fills them off the tile grid or in another notation than "$"
  // hex; a release right of the sheet that ends in the next band rather than at the last tile of
  // its own; a click, or a move shorter than a drag, that changes the fields.
  void dragFillsStartAndEnd() {
    PreviewWindow w;
    const int drag = QApplication::startDragDistance();  // under 16: 8 sheet rows at 2x
    const QPoint press = w.At(0x94, 3, 0);
    const std::pair<QPoint, const char*> cases[] = {
        {press, "$80$280"},
        {press + QPoint(0, drag - 1), "$80$280"},
        {press + QPoint(0, drag), "$0090$0098"},
        {w.At(0x1A8, 6, 7), "$0090$01B0"},
        {QPoint(kSheetWidth * 2 + 10, w.At(0xF8, 0, 7).y()), "$0090$0100"},
    };
    for (const auto& [release, fields] : cases) {
      w.Set({{"txtStart", "$80"}, {"txtEnd", "$280"}});
      QTest::mousePress(w.view, Qt::LeftButton, {}, press);
      QTest::mouseMove(w.view, release);
      QTest::mouseRelease(w.view, Qt::LeftButton, {}, release);
      QCOMPARE(w.Field("txtStart") + w.Field("txtEnd"), QString(fields));
    }
  }

  // Guards against a drag past 2 GiB filling "$80000000" and up, read as negative offsets.
  void dragStopsAtTheLastOffset() {
    PreviewWindow w;
    w.Set({{"txtStart", "$7FFFFE00"}, {"txtEnd", "$7FFFFFFF"}});
    auto* bar = w.form.findChild<TilePreview*>()->findChild<QScrollBar*>();
    QTRY_VERIFY_WITH_TIMEOUT(bar->value() > 0, 500);  // scrolled to the range, at 2x
    const auto at = [&](uint64_t b) {
      return QPoint(int(b % 128) * 2 + 6, int(b / 16 - bar->value()) * 2 + 8);
    };
    for (const auto& [from, to] :
         {std::pair(0x7FFFFF08u, 0x80000010u), {0x80000000u, 0x80000088u}}) {
      QTest::mousePress(w.view, Qt::LeftButton, {}, at(from));
      QTest::mouseRelease(w.view, Qt::LeftButton, {}, at(to));  // the second fills nothing
      QCOMPARE(w.Field("txtStart") + w.Field("txtEnd"), QString("$7FFFFF08$7FFFFFFF"));
    }
  }

  // The tile's first byte and the label the listing gives it; a byte of no listed tile shows
  // its own offset. Guards against labels counted from the wrong tile or the wrong TileNo.
  void tooltipNamesTheTile() {
    PreviewWindow w;
    w.Set({{"txtStart", "$83"}});
    w.layout = SheetLayout(std::nullopt, 0x83);
    const std::pair<uint64_t, const char*> cases[] = {
        {0x8B, "$008B  ; 11"}, {0x1FF, "$01FB  ; 3F"}, {0x41, "$0041"}, {0x300, "$0300"}};
    for (const auto& [offset, tip] : cases) {
      QTRY_COMPARE_WITH_TIMEOUT(w.Tip(w.Byte(offset)), QString(tip), 500);
    }
    QVERIFY(w.Pixel(w.At(0x83, 0, 4)) != w.Pixel(w.At(0x83, 3, 4)));  // outlined from $83
    // Guards against tiles outlined and named under a prefix that the run refuses.
    auto* syntax = w.form.findChild<QComboBox*>("cboSyntax");
    syntax->setCurrentIndex(syntax->findData(QString("kickass")));
    w.Set({{"txtPrefix", "9t"}});
    QTRY_VERIFY_WITH_TIMEOUT(w.Note().startsWith("Label prefix \"9t\""), 500);
    QCOMPARE(w.Tip(w.Byte(0x8B)), QString("$008B"));
    QCOMPARE(w.Pixel(w.At(0x83, 0, 4)), w.Pixel(w.At(0x83, 3, 4)));
  }

  // A missing file or a range that lists nothing is named in the pane, never in a dialog.
  void notesSayWhyNothingShows() {
    testing::MessageBoxWatch watch;
    PreviewWindow w;
    w.Set({{"txt1", "gone.chr"}});
    QTRY_COMPARE_WITH_TIMEOUT(
        w.Note(), QString("Cannot open input file \"gone.chr\": No such file or directory"), 500);
    // Guards against a pane that still shows a file as it was before the window was left.
    w.files.files["gone.chr"] = std::string(4096, '\0');
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&w.form, &activation);
    QTRY_COMPARE_WITH_TIMEOUT(w.Note(), QString(), 500);
    w.Set({{"txt1", "in"}, {"txtEnd", "$84"}});
    QTRY_COMPARE_WITH_TIMEOUT(
        w.Note(), QString("The range from 128 to 132 holds fewer than 8 bytes; nothing to list"),
        500);
    w.Set({{"txtEnd", "$F0"}});
    QTRY_COMPARE_WITH_TIMEOUT(w.Note(),
                              QString("The range from $80 to $F0 (112 bytes) holds no whole block "
                                      "row of 128 bytes; nothing to list (\"Every tile\" lists "
                                      "its 14 tiles)"),
                              500);
    QCOMPARE(watch.texts(), QStringList());
  }

  // Guards against a pane that overlaps the controls, shows fewer than four block rows at 8x in
  // the smallest window, or does not take the room the window gains.
  void paneTakesTheRoom() {
    PreviewWindow w;
    w.form.resize(w.form.minimumSize());
    QTRY_COMPARE(w.form.size(), w.form.minimumSize());
    const QRect view(w.view->mapTo(&w.form, QPoint()), w.view->size());
    QVERIFY(view.left() >= 3675 / 15 && view.height() >= 4 * 8 * 8);
    w.form.resize(w.form.size() + QSize(100, 50));
    QTRY_COMPARE(w.view->size(), view.size() + QSize(100, 50));
  }

  // Guards against outlines lost for tiles that begin above the view: scrolled to band 2, the
  // last 8x12 tile row shows only its four mask rows.
  void maskRowsOutlinedBelowTheirTile() {
    PreviewWindow w;
    w.Set({{"txtStart", "$0"}, {"txtEnd", "$100"}});
    w.Box("C812Mask", 1);
    QTRY_VERIFY_WITH_TIMEOUT(w.Pixel(w.At(0x80)) != w.Pixel(w.At(0x100)), 500);  // band 2 plain
    w.form.findChild<TilePreview*>()->findChild<QScrollBar*>()->setValue(16);    // band 2 on top
    QVERIFY(w.Pixel(w.At(0, 0, 3)) != w.Pixel(w.At(0, 3, 3)));
    QCOMPARE(w.Pixel(w.At(0, 0, 5)), w.Pixel(w.At(0, 3, 5)));
  }

  // [View] Zoom: 1 to 8 comes back, anything else loads as 2; Ctrl+wheel zooms.
  // Guards against a zoom from the spin box that moves the view away from what it showed.
  void zoomKeepsTheMiddleInView() {
    PreviewWindow w;
    QTest::qWait(100);
    auto* zoom = w.form.findChild<QSpinBox*>("spnZoom");
    zoom->setValue(8);
    for (QScrollBar* bar : w.form.findChild<TilePreview*>()->findChildren<QScrollBar*>()) {
      bar->setValue(bar->orientation() == Qt::Vertical ? 64 : 400);
    }
    const QPoint middle = w.view->rect().center();
    const QString before = w.Tip(middle);
    zoom->setValue(3);
    QCOMPARE(w.Tip(middle), before);
    QVERIFY(before != w.Tip(middle + QPoint(25, 0)));  // the next cell: the tip tells them apart
  }

  void zoomIsSaved() {
    for (const auto& [stored, loaded] : {std::pair("5", 5), {"9", 2}, {"x", 2}, {"0", 2}}) {
      QSettings("Tessary", "Tessary").setValue("View/Zoom", stored);
      frmTessary form;
      form.show();
      QCOMPARE(form.findChild<QSpinBox*>("spnZoom")->value(), loaded);
      form.findChild<QSpinBox*>("spnZoom")->setValue(7);
      QWheelEvent wheel(QPointF(9, 9), QPointF(9, 9), {}, QPoint(0, 120), {}, Qt::ControlModifier,
                        Qt::NoScrollPhase, false);
      QApplication::sendEvent(form.findChild<QWidget*>("sheetView"), &wheel);  // one step in
      QVERIFY(form.close());
      QCOMPARE(QSettings("Tessary", "Tessary").value("View/Zoom").toString(), QString("8"));
    }
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::TilePreviewTest)
#include "tile_preview_test.moc"
