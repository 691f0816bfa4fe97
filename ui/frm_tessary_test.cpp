// Tests of the window itself: layout, keyboard, the Skip/Even coupling on clicks.
#include "ui/frm_tessary.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "ui/check_box.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

// Positions in twips; a label (no width) sizes itself to its caption.
struct Control {
  const char *name, *kind, *caption;
  int left, top, width, height;
};

// The focusable controls in tab order, then the labels.
const Control kLayout[] = {
    {"txt1", "QLineEdit", "", 120, 240, 3135, 285},
    {"cmdBrowse", "QPushButton", "O", 3360, 240, 255, 255},
    {"txt2", "QLineEdit", "", 120, 840, 3135, 285},
    {"txtStart", "QLineEdit", "", 120, 1440, 1335, 285},
    {"txtEnd", "QLineEdit", "", 1920, 1440, 1335, 285},
    {"cmdGo", "QPushButton", "Go!", 2280, 2520, 1335, 375},
    {"CVert", "tessary::CheckBox", "Vertical", 120, 1800, 855, 255},
    {"CAppend", "tessary::CheckBox", "Append", 1080, 1800, 855, 195},
    {"CSkip", "tessary::CheckBox", "Skip", 2040, 1800, 615, 195},
    {"CEven", "tessary::CheckBox", "Even", 2760, 1800, 735, 195},
    {"CInvert", "tessary::CheckBox", "Invert", 120, 2160, 735, 195},
    {"C1616", "tessary::CheckBox", "16x16", 1080, 2160, 855, 255},
    {"C812Mask", "tessary::CheckBox", "8x12 Masked", 2040, 2160, 1455, 255},
    {"CHex", "tessary::CheckBox", "Hex Count From", 120, 2520, 1455, 255},
    {"txtHex", "QLineEdit", "", 1680, 2520, 495, 285},
    {"cboSyntax", "QComboBox", "", 120, 3240, 1770, 330},
    {"txtPrefix", "QLineEdit", "", 1920, 3240, 1335, 285},
    {"CPixels", "tessary::CheckBox", "&Pixel comments", 120, 3660, 1695, 255},
    {"CEveryTile", "tessary::CheckBox", "Every tile", 1920, 3660, 1455, 255},
    {"CGlyph", "tessary::CheckBox", "Glyph", 120, 4020, 855, 255},
    {"txtGlyph", "QLineEdit", "", 1080, 4020, 855, 285},
    {"txtGlyphGap", "QLineEdit", "", 2640, 4020, 615, 285},
    {"spnThreshold", "QSpinBox", "2 colours", 1080, 4380, 855, 285},
    {"CUnique", "tessary::CheckBox", "&Unique tiles", 2040, 4380, 1455, 255},
    {"txtMap", "QLineEdit", "", 1080, 4740, 2175, 285},
    {"lblIn", "QLabel", "&Input File:", 120, 0, 0, 0},
    {"lblOut", "QLabel", "&Output File:", 120, 600, 0, 0},
    {"Label1", "QLabel", "&Start Offset:", 120, 1200, 0, 0},
    {"Label2", "QLabel", "&End Offset:", 1920, 1200, 0, 0},
    {"lblSyntax", "QLabel", "S&yntax:", 120, 3000, 0, 0},
    {"lblPrefix", "QLabel", "&Label prefix:", 1920, 3000, 0, 0},
    {"lblGlyphGap", "QLabel", "Gap:", 2040, 4065, 0, 0},
    {"lblThreshold", "QLabel", "&Threshold:", 120, 4425, 0, 0},
    {"lblMap", "QLabel", "&Map file:", 120, 4785, 0, 0},
};
constexpr int kFocusable = 25;

QString FocusName() { return QApplication::focusWidget()->objectName(); }

}  // namespace

class FrmTessaryTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  void layoutAndKeyboard() {
    frmTessary form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Tessary v2.1"));
    // The preview right of the controls widens the window, which may now be resized.
    QVERIFY(form.minimumWidth() > 3675 / 15 && form.minimumHeight() >= 4020 / 15);
    QVERIFY(form.maximumWidth() > form.minimumWidth());
    for (const Control& c : kLayout) {
      auto* w = form.findChild<QWidget*>(c.name);
      QVERIFY2(w && w->parentWidget() == &form, c.name);
      QCOMPARE(w->metaObject()->className(), c.kind);
      const QRect px(c.left / 15, c.top / 15, c.width / 15, c.height / 15);
      QCOMPARE(w->geometry(), c.width ? px : QRect(px.topLeft(), w->size()));
      QCOMPARE(w->property("text").toString(), QString(c.caption));
      // Before the settings load, an unchecked Hex Count From disables the prefix, an unset Glyph
      // its fields, and a checked Vertical unique tiles and the map.
      const QByteArray name(c.name);
      QCOMPARE(w->isEnabled(), name != "CEven" && name != "txtPrefix" && !name.startsWith("txtG") &&
                                   name != "CUnique" && name != "txtMap");
    }

    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(FocusName(), QStringLiteral("txt1"));
    form.findChild<CheckBox*>("CSkip")->setValue(1);  // enables Even, so Tab visits it too
    // Tab visits the enabled controls: Glyph's fields only while it is set, the tile boxes only
    // while it is not.
    for (int glyph : {0, 1}) {
      form.findChild<CheckBox*>("CGlyph")->setValue(glyph);
      QStringList visits;
      for (int i = 0; i < kFocusable; ++i) {
        if (form.findChild<QWidget*>(kLayout[i].name)->isEnabled()) visits << kLayout[i].name;
      }
      QCOMPARE(visits.size(), glyph ? 18 : 21);
      form.findChild<QWidget*>("txt1")->setFocus();
      for (qsizetype i = 0; i <= visits.size(); ++i) {
        QCOMPARE(FocusName(), visits[i % visits.size()]);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
      }
    }
    form.findChild<CheckBox*>("CGlyph")->setValue(0);

    const std::pair<Qt::Key, const char*> access_keys[] = {
        {Qt::Key_I, "txt1"},    {Qt::Key_O, "txt2"},        {Qt::Key_S, "txtStart"},
        {Qt::Key_E, "txtEnd"},  {Qt::Key_Y, "cboSyntax"},   {Qt::Key_L, "txtPrefix"},
        {Qt::Key_P, "CPixels"}, {Qt::Key_T, "spnThreshold"}};
    for (const auto& [key, target] : access_keys) {
      form.findChild<QWidget*>("txtHex")->setFocus();
      QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
      QCOMPARE(FocusName(), QString(target));
    }

    QVERIFY(form.rect().contains(form.childrenRect()));

    // Guards against keypad Enter doing nothing on a focused Go! (on O: browse_naming_test).
    form.findChild<QLineEdit*>("txtEnd")->setText("0");  // Go! then stops quietly
    QSignalSpy clicks(form.findChild<QPushButton*>("cmdGo"), &QPushButton::clicked);
    QTest::keyClick(form.findChild<QPushButton*>("cmdGo"), Qt::Key_Enter, Qt::KeypadModifier);
    QCOMPARE(clicks.count(), 1);
  }

  // Guards against Glyph leaving a tile box enabled, changing a value, or re-enabling Even
  // without Skip; and against a grayed Glyph, which lists no glyphs, disabling anything.
  void glyphDecidesTheShape() {
    frmTessary form;
    form.show();
    const char* tile_boxes[] = {"CVert", "CSkip", "CEven", "C1616", "C812Mask"};
    auto box = [&](const char* name) { return form.findChild<CheckBox*>(name); };
    for (int skip : {1, 0}) {
      box("CSkip")->setValue(skip);
      for (const char* name : {"CVert", "C1616", "C812Mask"}) box(name)->setValue(2 - skip);
      for (int glyph : {1, 2, 0}) {
        box("CGlyph")->setValue(glyph);
        for (const char* name : tile_boxes) {
          const bool enabled = glyph != 1 && (QByteArray(name) != "CEven" || skip);
          QVERIFY2(box(name)->isEnabled() == enabled, name);
        }
        for (const char* field : {"txtGlyph", "txtGlyphGap"}) {
          QCOMPARE(form.findChild<QLineEdit*>(field)->isEnabled(), glyph == 1);
        }
        QCOMPARE(box("CSkip")->value(), skip);
        QCOMPARE(box("C1616")->value(), 2 - skip);
      }
    }
  }

  // Guards against the coupling missing a click on Skip or changing Even's check mark; a click
  // on a grayed box makes it checked.
  void skipEvenCouplingOnClicks() {
    frmTessary form;
    form.show();
    auto* skip = form.findChild<CheckBox*>("CSkip");
    auto* even = form.findChild<CheckBox*>("CEven");
    even->setValue(1);
    skip->setValue(2);
    QVERIFY(even->isEnabled());
    for (int expected : {1, 0, 1, 0}) {
      QTest::mouseClick(skip, Qt::LeftButton, {}, QPoint(5, skip->height() / 2));
      QCOMPARE(skip->value(), expected);
      QCOMPARE(even->isEnabled(), expected == 1);
      QCOMPARE(even->value(), 1);
    }
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::FrmTessaryTest)
#include "frm_tessary_test.moc"
