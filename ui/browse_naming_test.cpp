// Tests of the browse button, with the file dialog replaced, and of the real dialog's set-up.
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include "ui/file_dialog.h"
#include "ui/frm_tessary.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

// A file dialog that returns a prepared answer; nothing means the user cancelled.
class FakeDialog : public FileDialog {
 public:
  std::optional<QString> answer;
  std::optional<QString> ShowOpen(QWidget*) override { return answer; }
};

}  // namespace

class BrowseNamingTest : public QObject {
  Q_OBJECT

 private slots:
  void browse() {
    // Each step clicks the button its own way: the mouse, or a key while it has the focus, with
    // a Map file before, then the fields after. Guards against Enter and keypad Enter doing
    // nothing there, and against a map name that keeps the old input's, or a map forced on who
    // asked for none.
    struct Step {
      Qt::Key key;  // Qt::Key_unknown: the mouse
      std::optional<QString> chosen;
      const char *map_before, *in, *out, *map;
    };
    const Step steps[] = {
        {Qt::Key_unknown, "/home/ann/gfx/font.chr", "", "/home/ann/gfx/font.chr",
         "/home/ann/gfx/font.H", ""},
        // Guards against cutting a fixed four characters: "x.grph" once gave "x..H".
        {Qt::Key_Return, "C:\\gfx\\x.grph", "x", "C:\\gfx\\x.grph", "C:\\gfx\\x.H",
         "C:\\gfx\\x.map"},
        // Guards against a cancelled dialog changing any field.
        {Qt::Key_Space, std::nullopt, "old.map", "C:\\gfx\\x.grph", "C:\\gfx\\x.H", "old.map"},
        // Guards against cutting a fixed four characters: "tileset" once gave "til.H".
        {Qt::Key_Enter, "/data/v1.2/tileset", "old.map", "/data/v1.2/tileset",
         "/data/v1.2/tileset.H", "/data/v1.2/tileset.map"},
    };
    FakeDialog dialog;
    frmTessary form(&dialog);
    form.show();
    for (const Step& step : steps) {
      dialog.answer = step.chosen;
      form.findChild<QLineEdit*>("txtMap")->setText(step.map_before);
      auto* button = form.findChild<QPushButton*>("cmdBrowse");
      const auto keypad = step.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
      step.key != Qt::Key_unknown ? QTest::keyClick(button, step.key, keypad)
                                  : QTest::mouseClick(button, Qt::LeftButton);
      QCOMPARE(form.findChild<QLineEdit*>("txt1")->text(), QString(step.in));
      QCOMPARE(form.findChild<QLineEdit*>("txt2")->text(), QString(step.out));
      QCOMPARE(form.findChild<QLineEdit*>("txtMap")->text(), QString(step.map));
    }
  }

  // The first filter, selected at the start, shows the graphics files only; a name typed
  // without an extension gets ".chr". Guards against an "All Files (*.*)" filter that hides a
  // file without an extension.
  void dialogSetUp() {
    QTemporaryDir dir;
    for (const char* name : {"a.bin", "b.chr", "c.nes", "d.grph", "e.png", "readme"}) {
      QVERIFY(QFile(dir.filePath(name)).open(QIODevice::WriteOnly));
    }
    QFileDialog dialog(nullptr, QString(), dir.path());
    ConfigureOpenDialog(dialog);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.show();
    auto* view = dialog.findChild<QListView*>("listView");
    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 4);
    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("chr"));
    auto* filters = dialog.findChild<QComboBox*>("fileTypeCombo");
    QCOMPARE(filters->itemText(1), QStringLiteral("PNG Pictures (*.png)"));
    QCOMPARE(filters->itemText(2), QStringLiteral("All Files (*.*)"));
    filters->setCurrentIndex(1);
    filters->activated(1);                                        // as a pick by the user
    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 1);  // e.png alone
    filters->setCurrentIndex(2);
    filters->activated(2);
    QTRY_COMPARE(view->model()->rowCount(view->rootIndex()), 6);
    const QModelIndex first = view->model()->index(0, 0, view->rootIndex());
    QCOMPARE(view->model()->match(first, Qt::DisplayRole, "readme", 1, Qt::MatchWrap).size(), 1);
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::BrowseNamingTest)
#include "browse_naming_test.moc"
