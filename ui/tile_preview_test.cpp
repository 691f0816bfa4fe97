// Tests of the preview pane: shading and outlines follow the fields, drag, tooltip, notes, zoom.
#include "ui/tile_preview.h"

#include <QApplication>
#include <QComboBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QSet>
#include <QSettings>
#include <QSpinBox>
#include <QTest>
#include <QToolTip>
#include <QWheelEvent>

#include "run/mem_file_system.h"
#include "run/sheet_layout.h"
#include "run/tile_sheet.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"
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
  // Whether the cell of the byte at `offset` shows its left edge at row `y` apart from inside.
  bool Outlined(int64_t offset, int y = 4) {
    return Pixel(At(offset, 0, y)) != Pixel(At(offset, 3, y));
  }
  void Drag(QPoint from, QPoint to) {
    QTest::mousePress(view, Qt::LeftButton, {}, from);
    QTest::mouseMove(view, to);
    QTest::mouseRelease(view, Qt::LeftButton, {}, to);
  }
  QString Range() { return Field("txtStart") + Field("txtEnd"); }
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
          QTRY_VERIFY((w.Pixel(at) == tint) == tinted);
        }
      }
      for (const auto& [offset, outlined] : c.outlined) {
        QTRY_COMPARE(w.Outlined(offset), outlined);
      }
    }
  }

  // Each row: press at byte $94, release at a point, the fields after. Guards against a drag that
  // leaves the fields alone or fills them off the tile grid or not in "$" hex; a release right of
  // the sheet that ends in the next band, not at its own last tile; a click or a short move.
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
      w.Drag(press, release);
      QCOMPARE(w.Range(), QString(fields));
    }
  }

  // Guards against a drag past 2 GiB filling "$80000000" and up, read as negative offsets.
  void dragStopsAtTheLastOffset() {
    PreviewWindow w;
    w.Set({{"txtStart", "$7FFFFE00"}, {"txtEnd", "$7FFFFFFF"}});
    auto* bar = w.form.findChild<TilePreview*>()->findChild<QScrollBar*>();
    QTRY_VERIFY(bar->value() > 0);  // scrolled to the range, at 2x
    const auto at = [&](uint64_t b) {
      return QPoint(int(b % 128) * 2 + 6, int(b / 16 - bar->value()) * 2 + 8);
    };
    for (const auto& [from, to] :
         {std::pair(0x7FFFFF08u, 0x80000010u), {0x80000000u, 0x80000088u}}) {
      w.Drag(at(from), at(to));  // the second fills nothing
      QCOMPARE(w.Range(), QString("$7FFFFF08$7FFFFFFF"));
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
      QTRY_COMPARE(w.Tip(w.Byte(offset)), QString(tip));
    }
    QVERIFY(w.Outlined(0x83));
    // Guards against tiles outlined and named under a prefix that the run refuses.
    auto* syntax = w.form.findChild<QComboBox*>("cboSyntax");
    syntax->setCurrentIndex(syntax->findData(QString("kickass")));
    w.Set({{"txtPrefix", "9t"}});
    QTRY_VERIFY(w.Note().startsWith("Label prefix \"9t\""));
    QCOMPARE(w.Tip(w.Byte(0x8B)), QString("$008B"));
    QVERIFY(!w.Outlined(0x83));
  }

  // A missing file or a range that lists nothing is named in the pane, never in a dialog.
  void notesSayWhyNothingShows() {
    testing::MessageBoxWatch watch;
    PreviewWindow w;
    w.Set({{"txt1", "gone.chr"}});
    QTRY_COMPARE(w.Note(), "Cannot open input file \"gone.chr\": No such file or directory");
    // Guards against a pane that still shows a file as it was before the window was left.
    w.files.files["gone.chr"] = std::string(4096, '\0');
    QEvent activation(QEvent::ActivationChange);
    QApplication::sendEvent(&w.form, &activation);
    QTRY_COMPARE(w.Note(), QString());
    w.Set({{"txt1", "in"}, {"txtEnd", "$84"}});
    QTRY_COMPARE(w.Note(), "The range from 128 to 132 holds fewer than 8 bytes; nothing to list");
    w.Set({{"txtEnd", "$F0"}});
    QTRY_COMPARE(w.Note(),
                 "The range from $80 to $F0 (112 bytes) holds no whole block row of 128 "
                 "bytes; nothing to list (\"Every tile\" lists its 14 tiles)");
    QCOMPARE(watch.texts(), QStringList());
  }

  // $FF at byte $1 of a 4-byte header, the range's first byte $4 and $300 past its end. Guards
  // against a sheet laid out from the file's first byte, every tile from $4 across two cells: the
  // range's first byte begins a band, each listed tile is one outlined cell, the header is dimmed
  // in the band above, and the cell part before the file not drawn at all.
  void sheetStartsAtTheRange() {
    PreviewWindow w;
    std::string& in = w.files.files["in"];
    in[1] = in[4] = in[0x300] = char(0xFF);
    w.Set({{"txtStart", "$4"}, {"txtEnd", "$104"}});
    w.layout = SheetLayout(std::nullopt, 4);
    QCOMPARE(w.layout.PointOf(4)->y, 8);
    QTRY_VERIFY(w.Pixel(w.Byte(4)) != w.Pixel(w.Byte(5)));
    const QRgb range_ink = w.Pixel(w.Byte(4)), ink = w.Pixel(w.Byte(0x300));
    const QRgb early_ink = w.Pixel(w.Byte(1)), early_paper = w.Pixel(w.Byte(0));
    QCOMPARE(QSet<QRgb>({range_ink, ink, early_ink, early_paper, w.Pixel(w.Byte(5))}).size(), 5);
    QVERIFY(w.Pixel(w.At(0, 3, 1)) != early_paper);  // the 4 bytes before the file
    for (int64_t tile = 4; tile < 0x104; tile += 8) QVERIFY(w.Outlined(tile));
    QVERIFY(!w.Outlined(0x104));
    QCOMPARE(w.Tip(w.Byte(4)), QString("$0004  ; 10"));
  }

  // 16x4 glyphs with a gap of 2, from $20 to $CF: 17 whole glyphs and 5 bytes. Glyph 1 ($2A) has
  // a first row of $FF $00 and a second of $0F $00; the gap before it holds $FF. Guards against
  // glyphs drawn on the 8x8 grid, their gaps drawn, outlines 8 pixels wide or on the partial
  // glyph, tooltips and drags off the glyph cells, and a glyph problem that keeps its outlines.
  void glyphsAreCellsOfTheirShape() {
    PreviewWindow w;
    std::string& in = w.files.files["in"];
    in[0x28] = in[0x29] = in[0x2A] = char(0xFF);
    in[0x2C] = 0x0F;
    w.Set({{"txtStart", "$20"}, {"txtEnd", "$CF"}, {"txtGlyph", "16x4"}, {"txtGlyphGap", "2"}});
    w.Box("CGlyph", 1);
    w.layout = SheetLayout(GlyphShape{16, 4, 2}, 0x20);
    QTRY_COMPARE(w.Note(),
                 "The last 5 bytes of the range ($CA to $CF) hold no whole 16x4 glyph of "
                 "8 bytes and are not listed");
    // Row 1 is probed: row 0 of a cell holds the top of its outline.
    const QRgb ink = w.Pixel(w.At(0x2A, 5, 1)), paper = w.Pixel(w.At(0x2A, 11, 1));
    QVERIFY(ink != paper);
    QCOMPARE(w.Pixel(w.At(0x2A, 3, 0) + QPoint(0, 1)), ink);
    for (int x : {1, 3, 4, 7}) QCOMPARE(w.Pixel(w.At(0x2A, x, 1)), x < 4 ? paper : ink);
    QCOMPARE(w.Pixel(w.At(0x20, 3, 3)), paper);         // glyph 0, before the gap
    const auto outlined = [&](int64_t offset, int x) {  // against a clear pixel inside
      return w.Pixel(w.At(offset, x, 2) + QPoint(x ? 1 : 0, 0)) != w.Pixel(w.At(offset, 6, 2));
    };
    QVERIFY(outlined(0x2A, 0) && outlined(0x2A, 15) && !outlined(0x2A, 7));
    QVERIFY(outlined(0xC0, 0) && !outlined(0xCA, 0));  // glyph 16, and the partial one
    const std::pair<int64_t, const char*> tips[] = {
        {0x2A + 7, "$002A  ; 11"}, {0xC0, "$00C0  ; 20"}, {0xCC, "$00CC"}};
    for (const auto& [offset, tip] : tips) QCOMPARE(w.Tip(w.Byte(offset)), QString(tip));

    w.Set({{"txtEnd", "$408"}});  // 100 glyphs, glyph 99 in band 7
    QTRY_COMPARE(w.Note(), QString());
    QVERIFY(outlined(0x20 + 990, 0) && !outlined(0x20 + 1000, 0));
    w.Drag(w.At(0x2A, 3, 1), w.At(0xD4, 3, 1));  // to glyph 18
    QCOMPARE(w.Range(), QString("$002A$00DC"));

    // A gap wider than the glyphs, which the pane reads one by one: glyph 1 at $8C, its second
    // row $F0 $00, and the range's end in its gap.
    in[0x8E] = char(0xF0);
    w.Set({{"txtStart", "$20"}, {"txtEnd", "$CF"}, {"txtGlyphGap", "100"}});
    w.layout = SheetLayout(GlyphShape{16, 4, 100}, 0x20);
    QTRY_COMPARE(w.Pixel(w.At(0x8C, 1, 1)), ink);
    for (int x : {5, 11}) QCOMPARE(w.Pixel(w.At(0x8C, x, 1)), paper);

    w.Set({{"txtGlyph", "16x"}});
    QTRY_VERIFY(w.Note().startsWith("Glyph \"16x\" is no glyph shape"));
    w.layout = SheetLayout(std::nullopt, 0x20);
    QVERIFY(!w.Outlined(0x20));
  }

  // A block row and 28 bytes, $80 to $11C. Guards against the tiles that Every tile adds left
  // unoutlined, a grayed box counted as set, and a note that does not follow the box.
  void everyTileOutlinesThePartialRow() {
    PreviewWindow w;
    w.Set({{"txtEnd", "$11C"}});
    const QString unlisted =
        "The last 28 bytes of the range ($100 to $11C) fill no whole block row of 128 bytes and "
        "are not listed; \"Every tile\" lists their 3 tiles";
    for (int every : {0, 1, 2}) {
      w.Box("CEveryTile", every);
      QTRY_COMPARE(w.Note(), every != 1 ? unlisted
                                        : "The last 4 bytes of the range ($118 to $11C) hold no "
                                          "whole tile and are not listed");
      QCOMPARE(w.Outlined(0x100) && w.Outlined(0x110), every == 1);
      QVERIFY(w.Outlined(0xF8) && !w.Outlined(0x118));
    }
  }

  // Guards against the layout's sums at their edges: each byte of the first band and the two from
  // the start shows at a pixel of its cell that leads back to it, or lies in a gap; the start
  // begins a band; a drag before the file selects nothing.
  void layoutMapsBytesAndPixels() {
    const std::pair<std::optional<GlyphShape>, int64_t> layouts[] = {
        {std::nullopt, 0},          {std::nullopt, 4},        {std::nullopt, 0x7FFFFF81},
        {GlyphShape{24, 21, 1}, 5}, {GlyphShape{8, 1, 0}, 3}, {GlyphShape{32, 64, 65536}, 70000}};
    for (const auto& [glyph, start] : layouts) {
      const SheetLayout layout(glyph, start);
      const int64_t first = layout.CellStart(0);
      QVERIFY(first <= 0 && first > -layout.BandBytes());
      QCOMPARE(layout.CellOf(first - 1), int64_t{-1});
      QCOMPARE(layout.PointOf(first - 1).has_value(), false);
      const int64_t start_cell = layout.CellOf(start);
      QCOMPARE(layout.CellStart(start_cell), start);
      QCOMPARE(start_cell % 16, int64_t{0});
      for (int64_t cell = 0; cell < start_cell + 32;
           cell = cell == 15 ? std::max<int64_t>(16, start_cell) : cell + 1) {
        const SheetPoint corner = layout.CellPoint(cell);
        const int64_t cell_start = layout.CellStart(cell);
        for (int64_t offset = cell_start; offset < cell_start + layout.stride(); ++offset) {
          const std::optional<SheetPoint> at = layout.PointOf(offset);
          QCOMPARE(at.has_value(), offset - cell_start < layout.CellBytes());
          if (!at) break;
          QVERIFY(at->x >= corner.x && at->x + 8 <= corner.x + layout.cell_width());
          QVERIFY(at->y >= corner.y && at->y < corner.y + layout.cell_height());
          QCOMPARE(layout.OffsetAt(at->x, at->y), offset);
          QCOMPARE(layout.OffsetAt(at->x + 7, at->y), offset);
        }
      }
      const ByteRange none = layout.DragRange(Shape::k8x8, first, first);
      QVERIFY(none.start == none.end || first == 0);
    }
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
    QTRY_VERIFY(w.Pixel(w.At(0x80)) != w.Pixel(w.At(0x100)));                  // band 2 plain
    w.form.findChild<TilePreview*>()->findChild<QScrollBar*>()->setValue(16);  // band 2 on top
    QVERIFY(w.Outlined(0, 3) && !w.Outlined(0, 5));
  }

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

  // [View] Zoom: 1 to 8 comes back, anything else loads as 2; Ctrl+wheel zooms.
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
