// Tests of the window itself: layout, keyboard, check boxes, the Skip/Even coupling and browse.
#include "ui/frm_tessary.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyleOptionButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <deque>

#include "ui/application.h"
#include "ui/check_box.h"
#include "ui/file_dialog.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

// A file dialog that hands out prepared answers; nothing means the user cancelled.
class FakeDialog : public FileDialog {
 public:
  std::deque<std::optional<QString>> answers;
  int shown = 0;
  std::optional<QString> ShowOpen(QWidget*) override {
    ++shown;
    std::optional<QString> answer = answers.front();
    answers.pop_front();
    return answer;
  }
};

template <typename T>
T* Child(const QWidget& form, const char* name) {
  return form.findChild<T*>(QString::fromLatin1(name));
}

QRect Px(int left, int top, int width, int height) {
  return QRect(left / 15, top / 15, width / 15, height / 15);
}

// The focusable controls in the order Tab visits them, from `start` on.
QStringList TabChain(QWidget* start, int count) {
  QStringList names;
  QWidget* w = start;
  for (int i = 0; i < count; ++i) {
    names << w->objectName();
    do {
      w = w->nextInFocusChain();
    } while (!(w->focusPolicy() & Qt::TabFocus) || !w->isEnabled() || !w->isVisibleTo(w->window()));
  }
  return names;
}

void ShowActive(QWidget& form) {
  form.show();
  QApplication::setActiveWindow(&form);
  QVERIFY(QTest::qWaitForWindowActive(&form));
}

}  // namespace

class FrmTessaryTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  void layoutTable_data() {
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<int>("value");  // a check box's value before the settings are loaded
    auto row = [](const char* name, const char* kind, const char* caption, QRect geometry,
                  int value = -1) {
      QTest::newRow(name) << name << kind << caption << geometry << value;
    };
    row("lblIn", "QLabel", "&Input File:", Px(120, 0, 690, 195));
    row("txt1", "QLineEdit", "", Px(120, 240, 3135, 285));
    row("cmdBrowse", "QPushButton", "O", Px(3360, 240, 255, 255));
    row("lblOut", "QLabel", "&Output File:", Px(120, 600, 810, 195));
    row("txt2", "QLineEdit", "", Px(120, 840, 3135, 285));
    row("Label1", "QLabel", "&Start Offset:", Px(120, 1200, 840, 195));
    row("txtStart", "QLineEdit", "", Px(120, 1440, 1335, 285));
    row("Label2", "QLabel", "&End Offset:", Px(1920, 1200, 795, 195));
    row("txtEnd", "QLineEdit", "", Px(1920, 1440, 1335, 285));
    row("cmdGo", "QPushButton", "Go!", Px(2280, 2520, 1335, 375));
    row("CVert", "tessary::CheckBox", "Vertical", Px(120, 1800, 855, 255), 1);
    row("CAppend", "tessary::CheckBox", "Append", Px(1080, 1800, 855, 195), 0);
    row("CSkip", "tessary::CheckBox", "Skip", Px(2040, 1800, 615, 195), 0);
    row("CEven", "tessary::CheckBox", "Even", Px(2760, 1800, 735, 195), 1);
    row("CInvert", "tessary::CheckBox", "Invert", Px(120, 2160, 735, 195), 1);
    row("C1616", "tessary::CheckBox", "16x16", Px(1080, 2160, 855, 255), 0);
    row("C812Mask", "tessary::CheckBox", "8x12 Masked", Px(2040, 2160, 1455, 255), 0);
    row("CHex", "tessary::CheckBox", "Hex Count From", Px(120, 2520, 1455, 255), 0);
    row("txtHex", "QLineEdit", "", Px(1680, 2520, 495, 285));
  }
  void layoutTable() {
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(QRect, geometry);
    QFETCH(int, value);
    frmTessary form;
    auto* w = form.findChild<QWidget*>(name);
    QVERIFY(w);
    QCOMPARE(w->parentWidget(), &form);
    QCOMPARE(QString::fromLatin1(w->metaObject()->className()), kind);
    if (auto* label = qobject_cast<QLabel*>(w)) {
      // Labels size themselves to their caption at the table's position.
      QCOMPARE(label->text(), caption);
      QCOMPARE(label->pos(), geometry.topLeft());
      QCOMPARE(label->size(), label->sizeHint());
      QCOMPARE(label->focusPolicy(), Qt::NoFocus);
    } else {
      QCOMPARE(w->geometry(), geometry);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(w)) QCOMPARE(button->text(), caption);
    if (auto* edit = qobject_cast<QLineEdit*>(w)) {
      QVERIFY(edit->text().isEmpty());
      QVERIFY(!edit->isReadOnly());
    }
    if (auto* box = qobject_cast<CheckBox*>(w)) QCOMPARE(box->value(), value);
    QCOMPARE(w->isEnabled(), name != QStringLiteral("CEven"));
    QVERIFY(w->isVisibleTo(&form));
  }

  void windowFrame() {
    frmTessary form;
    QCOMPARE(form.objectName(), QStringLiteral("frmTessary"));
    QCOMPARE(form.windowTitle(), QStringLiteral("Tessary v2.1"));
    QCOMPARE(form.minimumSize(), QSize(245, 199));
    QCOMPARE(form.maximumSize(), QSize(245, 199));
    QVERIFY(!(form.windowFlags() & Qt::WindowMaximizeButtonHint));
    const QList<QSize> sizes = form.windowIcon().availableSizes();
    QVERIFY(sizes.contains(QSize(16, 16)));
    QVERIFY(sizes.contains(QSize(32, 32)));
    QCOMPARE(QCoreApplication::applicationVersion(), QStringLiteral("2.01.0005"));
    const QFont browse = Child<QPushButton>(form, "cmdBrowse")->font();
    QCOMPARE(browse.family(), QStringLiteral("Terminal"));
    QCOMPARE(browse.pointSize(), 9);
    QVERIFY(browse.bold());
  }

  // Every caption and check box indicator is drawn inside its control, nothing cut off.
  void captionsFit() {
    frmTessary form;
    ShowActive(form);
    for (QWidget* w : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      const QFontMetrics fm = w->fontMetrics();
      const QString name = w->objectName();
      if (auto* label = qobject_cast<QLabel*>(w)) {
        const QSize need = fm.size(Qt::TextShowMnemonic, label->text());
        QVERIFY2(need.width() <= label->width() && need.height() <= label->height(),
                 qPrintable(name));
        for (QWidget* other : form.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
          QVERIFY2(other == w || !other->geometry().intersects(w->geometry()),
                   qPrintable(name + QStringLiteral(" overlaps ") + other->objectName()));
        }
        QVERIFY2(form.rect().contains(w->geometry()), qPrintable(name));
      } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
        QStyleOptionButton option;
        option.initFrom(box);
        option.text = box->text();
        const QRect indicator =
            box->style()->subElementRect(QStyle::SE_CheckBoxIndicator, &option, box);
        const QRect contents =
            box->style()->subElementRect(QStyle::SE_CheckBoxContents, &option, box);
        QVERIFY2(box->rect().contains(indicator), qPrintable(name));
        QVERIFY2(fm.horizontalAdvance(box->text()) <= contents.width(), qPrintable(name));
        QVERIFY2(fm.height() <= box->height(), qPrintable(name));
        QVERIFY2(!indicator.intersects(contents), qPrintable(name));
      } else if (auto* button = qobject_cast<QPushButton*>(w)) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.text = button->text();
        const QRect contents =
            button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        const QRect ink = fm.tightBoundingRect(button->text());
        QVERIFY2(ink.width() <= contents.width() && ink.height() <= contents.height(),
                 qPrintable(name));
      } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
        QStyleOptionFrame option;
        option.initFrom(edit);
        option.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit);
        const QRect contents =
            edit->style()->subElementRect(QStyle::SE_LineEditContents, &option, edit);
        QVERIFY2(fm.height() <= contents.height(), qPrintable(name));
      }
    }
    QVERIFY(form.childrenRect().width() <= form.width());
    QVERIFY(form.childrenRect().height() <= form.height());
  }

  void tabOrderAndFocus() {
    frmTessary form;
    ShowActive(form);
    QCOMPARE(QApplication::focusWidget(), Child<QWidget>(form, "txt1"));
    // "Even" is disabled until "Skip" is checked, so Tab passes it by.
    QCOMPARE(
        TabChain(Child<QWidget>(form, "txt1"), 15),
        QStringList({"txt1", "cmdBrowse", "txt2", "txtStart", "txtEnd", "cmdGo", "CVert", "CAppend",
                     "CSkip", "CInvert", "C1616", "C812Mask", "CHex", "txtHex", "txt1"}));
    Child<CheckBox>(form, "CSkip")->setValue(1);
    QCOMPARE(TabChain(Child<QWidget>(form, "CSkip"), 3),
             QStringList({"CSkip", "CEven", "CInvert"}));
    // The keyboard itself: from txt1 Tab goes to the browse button, then to txt2.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("cmdBrowse"));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("txt2"));
  }

  void accessKeys_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("target");
    QTest::newRow("Alt+I") << int(Qt::Key_I) << "txt1";
    QTest::newRow("Alt+O") << int(Qt::Key_O) << "txt2";
    QTest::newRow("Alt+S") << int(Qt::Key_S) << "txtStart";
    QTest::newRow("Alt+E") << int(Qt::Key_E) << "txtEnd";
  }
  void accessKeys() {
    QFETCH(int, key);
    QFETCH(QString, target);
    frmTessary form;
    ShowActive(form);
    Child<QWidget>(form, "txtHex")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::AltModifier);
    QCOMPARE(QApplication::focusWidget()->objectName(), target);
  }

  // A click only ever makes 0 or 1; a stored 2 shows partially checked.
  void checkBoxClicks() {
    frmTessary form;
    ShowActive(form);
    auto* box = Child<CheckBox>(form, "CAppend");
    box->setValue(2);
    QCOMPARE(box->checkState(), Qt::PartiallyChecked);
    QCOMPARE(box->value(), 2);
    QList<int> seen;
    connect(box, &CheckBox::valueChanged, this, [&seen](int v) { seen << v; });
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QCOMPARE(box->value(), 1);
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
    QCOMPARE(box->value(), 0);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(box->value(), 1);
    QTest::keyClick(box, Qt::Key_Space);
    QCOMPARE(box->value(), 0);
    QCOMPARE(seen, QList<int>({1, 0, 1, 0}));
  }

  void skipEvenCouplingOnClicks() {
    frmTessary form;
    ShowActive(form);
    auto* skip = Child<CheckBox>(form, "CSkip");
    auto* even = Child<CheckBox>(form, "CEven");
    QCOMPARE(skip->value(), 0);
    QVERIFY(!even->isEnabled());
    even->setValue(0);
    QTest::mouseClick(skip, Qt::LeftButton, {}, QPoint(5, skip->height() / 2));
    QCOMPARE(skip->value(), 1);
    QVERIFY(even->isEnabled());
    QCOMPARE(even->value(), 0);  // the coupling never touches the value
    QTest::mouseClick(skip, Qt::LeftButton, {}, QPoint(5, skip->height() / 2));
    QVERIFY(!even->isEnabled());
    QCOMPARE(even->value(), 0);
    even->setValue(1);
    skip->setValue(2);
    QVERIFY(even->isEnabled());
    QCOMPARE(even->value(), 1);
    skip->setValue(0);
    QVERIFY(!even->isEnabled());
    QCOMPARE(even->value(), 1);
  }

  void browse() {
    FakeDialog dialog;
    frmTessary form(&dialog);
    ShowActive(form);
    auto* in = Child<QLineEdit>(form, "txt1");
    auto* out = Child<QLineEdit>(form, "txt2");
    auto* button = Child<QPushButton>(form, "cmdBrowse");

    dialog.answers = {QStringLiteral("/home/ann/gfx/font.chr"), std::nullopt,
                      QStringLiteral("/home/ann/gfx/tileset")};
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(dialog.shown, 1);
    QCOMPARE(in->text(), QStringLiteral("/home/ann/gfx/font.chr"));
    QCOMPARE(out->text(), QStringLiteral("/home/ann/gfx/font.H"));

    // Cancelling the dialog leaves both fields as they were.
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(dialog.shown, 2);
    QCOMPARE(in->text(), QStringLiteral("/home/ann/gfx/font.chr"));
    QCOMPARE(out->text(), QStringLiteral("/home/ann/gfx/font.H"));

    button->setFocus();
    QTest::keyClick(button, Qt::Key_Space);
    QCOMPARE(dialog.shown, 3);
    QCOMPARE(in->text(), QStringLiteral("/home/ann/gfx/tileset"));
    QCOMPARE(out->text(), QStringLiteral("/home/ann/gfx/tileset.H"));
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::FrmTessaryTest)
#include "frm_tessary_test.moc"
