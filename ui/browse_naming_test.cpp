// Tests of the output name the browse button proposes and of the file dialog's set-up.
#include "ui/browse_naming.h"

#include <QFile>
#include <QFileDialog>
#include <QListView>
#include <QTemporaryDir>
#include <QTest>

#include "ui/file_dialog.h"
#include "ui/test_env.h"

namespace tessary {

class BrowseNamingTest : public QObject {
  Q_OBJECT

 private slots:
  void outputName_data() {
    QTest::addColumn<QString>("input");
    QTest::addColumn<QString>("output");
    QTest::newRow("three-letter extension") << "/home/ann/gfx/font.chr"
                                            << "/home/ann/gfx/font.H";
    QTest::newRow("Windows path") << "C:\\gfx\\font.chr"
                                  << "C:\\gfx\\font.H";
    // Guards against cutting a fixed four characters: "x.grph" once gave "x..H".
    QTest::newRow("four-letter extension") << "C:\\gfx\\x.grph"
                                           << "C:\\gfx\\x.H";
    // Guards against cutting a fixed four characters: "tileset" once gave "til.H".
    QTest::newRow("no extension") << "C:\\gfx\\tileset"
                                  << "C:\\gfx\\tileset.H";
    QTest::newRow("dot in a folder only") << "/data/v1.2/tileset"
                                          << "/data/v1.2/tileset.H";
    QTest::newRow("two dots") << "/gfx/level.1.bin"
                              << "/gfx/level.1.H";
    QTest::newRow("one-letter extension") << "/gfx/a.b"
                                          << "/gfx/a.H";
    QTest::newRow("upper-case extension") << "/gfx/SPRITES.NES"
                                          << "/gfx/SPRITES.H";
    QTest::newRow("short name") << "a.c"
                                << "a.H";
    QTest::newRow("name ending in a dot") << "/gfx/x."
                                          << "/gfx/x.H";
  }
  void outputName() {
    QFETCH(QString, input);
    QFETCH(QString, output);
    QCOMPARE(OutputNameFor(input), output);
  }

  // The first filter shows the graphics files only, the second every file; a name typed
  // without an extension gets ".chr".
  void dialogFilters() {
    QTemporaryDir dir;
    const QStringList graphics = {"a.bin", "b.chr", "c.nes", "d.grph", "e.gr"};
    for (const QString& name : graphics + QStringList{"f.txt", "readme"}) {
      QFile file(dir.filePath(name));
      QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFileDialog dialog;
    ConfigureOpenDialog(dialog);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setDirectory(dir.path());
    dialog.show();
    auto* view = dialog.findChild<QListView*>(QStringLiteral("listView"));
    QVERIFY(view);

    const QStringList filters = dialog.nameFilters();
    QCOMPARE(filters.size(), 2);
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("Binary Files (*.bin, *.chr, *.gr*)"));
    QTRY_COMPARE(Shown(*view), graphics);
    dialog.selectNameFilter(filters[1]);
    QCOMPARE(dialog.selectedNameFilter(), QStringLiteral("All Files (*.*)"));
    const QStringList everything = graphics + QStringList{"f.txt", "readme"};
    QTRY_COMPARE(Shown(*view), everything);

    QCOMPARE(dialog.defaultSuffix(), QStringLiteral("chr"));
    QCOMPARE(dialog.acceptMode(), QFileDialog::AcceptOpen);
    QCOMPARE(dialog.fileMode(), QFileDialog::ExistingFile);
  }

 private:
  // The file names the dialog lists, sorted.
  static QStringList Shown(const QListView& view) {
    QStringList names;
    const QAbstractItemModel* model = view.model();
    for (int row = 0; row < model->rowCount(view.rootIndex()); ++row) {
      names << model->index(row, 0, view.rootIndex()).data().toString();
    }
    names.sort();
    return names;
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::BrowseNamingTest)
#include "browse_naming_test.moc"
