// Tests of the saved settings: first start, round trip, stored boxes, an unwritable store.
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/test_env.h"

namespace tessary {

class SettingsBindingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  // An empty store shows the defaults, and the close writes all thirteen entries.
  void firstStart() {
    frmTessary form;
    form.show();
    QVERIFY(!QFile::exists(testing::SettingsFile()));
    QVERIFY(form.close());
    QSettings store("Tessary", "Tessary");
    QStringList entries;
    for (const QString& key : store.allKeys()) entries << key + "=" + store.value(key).toString();
    entries.sort();
    QCOMPARE(entries,
             QStringList({"Files/File1=Click on *", "Files/File2=Type in target file",
                          "Flags/1616=0", "Flags/812=0", "Flags/Append=0", "Flags/CHex=1",
                          "Flags/Even=1", "Flags/Invert=0", "Flags/Skip=0", "Flags/Vertical=1",
                          "Flags/txtHex=$00", "Format/LabelPrefix=", "Format/Pixels=0",
                          "Format/Syntax=classic", "Range/Range1=$0", "Range/Range2=$100"}));
  }

  // Every entry comes back as typed: case, blanks, commas, quotes, an empty text, a grayed box.
  void roundTrip() {
    // clang-format off
    const QStringList names = {"txt1", "txt2", "txtStart", "txtEnd", "txtHex", "CVert", "CAppend",
                               "CSkip", "CEven", "CInvert", "C1616", "C812Mask", "CHex",
                               "cboSyntax", "CPixels", "txtPrefix"};
    const QStringList typed = {"/home/Ann/GFX, old/Font #1.CHR", "  C:\\Out\\font=\"x\";.H  ",
                               "$ff", "", "'é", "0", "1", "1", "0", "1", "1", "2", "0",
                               "kickass", "1", "font_"};
    // clang-format on
    for (bool saving : {true, false}) {
      frmTessary form;
      form.show();
      for (qsizetype i = 0; i < names.size(); ++i) {
        auto* box = form.findChild<CheckBox*>(names[i]);
        auto* field = form.findChild<QLineEdit*>(names[i]);
        if (auto* combo = form.findChild<QComboBox*>(names[i])) {
          if (saving) combo->setCurrentIndex(combo->findData(typed[i]));
          QCOMPARE(combo->currentData().toString(), typed[i]);
          continue;
        }
        QVERIFY2(box || field, qPrintable(names[i]));
        if (saving) {
          box ? box->setValue(typed[i].toInt()) : field->setText(typed[i]);
        } else {
          QCOMPARE(box ? QString::number(box->value()) : field->text(), typed[i]);
        }
      }
      QVERIFY(form.close());
    }
  }

  // The Skip/Even coupling at start-up, a stored 2 shown grayed, and damaged text loading the
  // entry's default (Skip 0, Vertical 1).
  void storedBoxes_data() {
    QTest::addColumn<QString>("stored");  // for both Skip and Vertical
    QTest::addColumn<int>("skip");
    QTest::addColumn<int>("vertical");
    QTest::newRow("0") << "0" << 0 << 0;
    QTest::newRow("1") << "1" << 1 << 1;
    QTest::newRow("2") << "2" << 2 << 2;
    QTest::newRow("3") << "3" << 0 << 1;
    QTest::newRow("word") << "yes" << 0 << 1;
  }
  void storedBoxes() {
    QFETCH(QString, stored);
    QFETCH(int, skip);
    QFETCH(int, vertical);
    {
      QSettings store("Tessary", "Tessary");
      store.setValue("Flags/Skip", stored);
      store.setValue("Flags/Vertical", stored);
      store.setValue("Flags/Even", "0");
    }
    frmTessary form;
    form.show();
    auto* even = form.findChild<CheckBox*>("CEven");
    QCOMPARE(form.findChild<CheckBox*>("CSkip")->value(), skip);
    QCOMPARE(form.findChild<CheckBox*>("CSkip")->checkState() == Qt::PartiallyChecked, skip == 2);
    QCOMPARE(form.findChild<CheckBox*>("CVert")->value(), vertical);
    QCOMPARE(even->isEnabled(), skip != 0);
    QCOMPARE(even->value(), 0);
  }

  // A stored syntax name is read in any letter case; an unknown one loads as classic.
  void storedSyntax() {
    for (const auto& [stored, loaded] : {std::pair("KickAss", "kickass"), {"masm", "classic"}}) {
      QSettings("Tessary", "Tessary").setValue("Format/Syntax", stored);
      frmTessary form;
      form.findChild<QComboBox*>("cboSyntax")->setCurrentIndex(3);  // neither of the results
      form.show();
      QCOMPARE(form.findChild<QComboBox*>("cboSyntax")->currentData().toString(), loaded);
    }
  }

  // A store that cannot be written: the user is told why, and the window still closes.
  void unwritableStore() {
    QFile blocker(testing::SettingsFolder() + QStringLiteral("/Tessary"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));  // a file where the store's folder belongs
    blocker.close();
    frmTessary form;
    form.show();
    testing::MessageBoxWatch watch;
    QVERIFY(form.close());
    QCOMPARE(watch.texts().size(), 1);
    QVERIFY2(watch.texts()[0].contains("could not be saved: ") &&
                 watch.texts()[0].contains("is not a folder"),
             qPrintable(watch.texts()[0]));
    QVERIFY(!form.isVisible());
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::SettingsBindingTest)
#include "settings_binding_test.moc"
