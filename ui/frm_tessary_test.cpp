// Tests of the window itself: layout, keyboard, nothing clipped, the Skip/Even coupling on clicks.
#include "ui/frm_tessary.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QTest>

#include "ui/check_box.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

// Positions in twips; a label (no width) sizes itself to its caption. `value` is a box's value
// before the settings load.
struct Control {
  const char *name, *kind, *caption;
  int left, top, width, height, value;
};

// The focusable controls in tab order, then the labels.
const Control kLayout[] = {
    {"txt1", "QLineEdit", "", 120, 240, 3135, 285, -1},
    {"cmdBrowse", "QPushButton", "O", 3360, 240, 255, 255, -1},
    {"txt2", "QLineEdit", "", 120, 840, 3135, 285, -1},
    {"txtStart", "QLineEdit", "", 120, 1440, 1335, 285, -1},
    {"txtEnd", "QLineEdit", "", 1920, 1440, 1335, 285, -1},
    {"cmdGo", "QPushButton", "Go!", 2280, 2520, 1335, 375, -1},
    {"CVert", "tessary::CheckBox", "Vertical", 120, 1800, 855, 255, 1},
    {"CAppend", "tessary::CheckBox", "Append", 1080, 1800, 855, 195, 0},
    {"CSkip", "tessary::CheckBox", "Skip", 2040, 1800, 615, 195, 0},
    {"CEven", "tessary::CheckBox", "Even", 2760, 1800, 735, 195, 1},
    {"CInvert", "tessary::CheckBox", "Invert", 120, 2160, 735, 195, 1},
    {"C1616", "tessary::CheckBox", "16x16", 1080, 2160, 855, 255, 0},
    {"C812Mask", "tessary::CheckBox", "8x12 Masked", 2040, 2160, 1455, 255, 0},
    {"CHex", "tessary::CheckBox", "Hex Count From", 120, 2520, 1455, 255, 0},
    {"txtHex", "QLineEdit", "", 1680, 2520, 495, 285, -1},
    {"cboSyntax", "QComboBox", "", 120, 3240, 1770, 330, -1},
    {"txtPrefix", "QLineEdit", "", 1920, 3240, 1335, 285, -1},
    {"CPixels", "tessary::CheckBox", "&Pixel comments", 120, 3660, 1695, 255, 0},
    {"lblIn", "QLabel", "&Input File:", 120, 0, 0, 0, -1},
    {"lblOut", "QLabel", "&Output File:", 120, 600, 0, 0, -1},
    {"Label1", "QLabel", "&Start Offset:", 120, 1200, 0, 0, -1},
    {"Label2", "QLabel", "&End Offset:", 1920, 1200, 0, 0, -1},
    {"lblSyntax", "QLabel", "S&yntax:", 120, 3000, 0, 0, -1},
    {"lblPrefix", "QLabel", "&Label prefix:", 1920, 3000, 0, 0, -1},
};
constexpr int kFocusable = 18;

QString FocusName() { return QApplication::focusWidget()->objectName(); }

}  // namespace

class FrmTessaryTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  void layoutKeyboardAndFit() {
    frmTessary form;
    QCOMPARE(form.windowTitle(), QStringLiteral("Tessary v2.1"));
    QCOMPARE(form.minimumSize(), QSize(3675 / 15, 4020 / 15));
    QCOMPARE(form.maximumSize(), form.minimumSize());
    for (const Control& c : kLayout) {
      auto* w = form.findChild<QWidget*>(c.name);
      QVERIFY2(w && w->parentWidget() == &form, c.name);
      QCOMPARE(w->metaObject()->className(), c.kind);
      const QRect px(c.left / 15, c.top / 15, c.width / 15, c.height / 15);
      QCOMPARE(w->geometry(), c.width ? px : QRect(px.topLeft(), w->size()));
      QCOMPARE(w->property("text").toString(), QString(c.caption));
      if (auto* box = qobject_cast<CheckBox*>(w)) QCOMPARE(box->value(), c.value);
      // Before the settings load, Hex Count From is unchecked, which disables the prefix.
      QCOMPARE(w->isEnabled(), QByteArray(c.name) != "CEven" && QByteArray(c.name) != "txtPrefix");
    }

    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    QCOMPARE(FocusName(), QStringLiteral("txt1"));
    form.findChild<CheckBox*>("CSkip")->setValue(1);  // enables Even, so Tab visits it too
    for (int i = 0; i <= kFocusable; ++i) {
      QCOMPARE(FocusName(), QString(kLayout[i % kFocusable].name));
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }

    const std::pair<Qt::Key, const char*> access_keys[] = {
        {Qt::Key_I, "txt1"},   {Qt::Key_O, "txt2"},      {Qt::Key_S, "txtStart"},
        {Qt::Key_E, "txtEnd"}, {Qt::Key_Y, "cboSyntax"}, {Qt::Key_L, "txtPrefix"},
        {Qt::Key_P, "CPixels"}};
    for (const auto& [key, target] : access_keys) {
      form.findChild<QWidget*>("txtHex")->setFocus();
      QTest::keyClick(QApplication::focusWidget(), key, Qt::AltModifier);
      QCOMPARE(FocusName(), QString(target));
    }

    // Nothing clipped: every caption and check box indicator fits its control, and no label
    // runs into another control.
    const QList<QWidget*> controls = form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
    for (QWidget* w : controls) {
      const QFontMetrics fm = w->fontMetrics();
      const QByteArray name = w->objectName().toLatin1();
      const QStyle* style = w->style();
      QStyleOptionButton option;
      option.initFrom(w);
      if (auto* label = qobject_cast<QLabel*>(w)) {
        const QSize need = fm.size(Qt::TextShowMnemonic, label->text());
        QVERIFY2(need.width() <= label->width() && need.height() <= label->height(), name);
        for (QWidget* other : controls) {
          QVERIFY2(other == w || !other->geometry().intersects(w->geometry()), name);
        }
      } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        option.text = box->text();
        const QRect mark = style->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        const QRect text = style->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        QVERIFY2(box->rect().contains(mark) && !mark.intersects(text), name);
        QVERIFY2(fm.horizontalAdvance(box->text()) <= text.width(), name);
        QVERIFY2(fm.height() <= box->height(), name);
      } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        option.text = button->text();
        const QRect text = style->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QRect ink = fm.tightBoundingRect(button->text());
        QVERIFY2(ink.width() <= text.width() && ink.height() <= text.height(), name);
      }
    }
    QVERIFY(form.rect().contains(form.childrenRect()));
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
