// Tests of the saved settings: first start, round trip, stored boxes, damaged stores.
#include <QComboBox>
#include <QDir>
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

  // An empty store shows the defaults, and the close writes every entry.
  void firstStart() {
    frmTessary form;
    form.show();
    QVERIFY(!QFile::exists(testing::SettingsFile()));
    QVERIFY(form.close());
    QSettings store("Tessary", "Tessary");
    QStringList entries;
    for (const QString& key : store.allKeys()) entries << key + "=" + store.value(key).toString();
    entries.sort();
    QCOMPARE(entries.join("; "),
             "Files/File1=Click on *; Files/File2=Type in target file; Flags/1616=0; Flags/812=0; "
             "Flags/Append=0; Flags/CHex=1; Flags/Even=1; Flags/Invert=0; Flags/Skip=0; "
             "Flags/Vertical=1; Flags/txtHex=$00; Format/EveryTile=0; Format/Glyph=0; "
             "Format/GlyphGap=0; Format/GlyphSize=8x16; Format/LabelPrefix=; Format/MapFile=; "
             "Format/Pixels=0; Format/Syntax=classic; Format/Threshold=0; Format/Unique=0; "
             "Range/Range1=$0; Range/Range2=$100; View/Zoom=2");
  }

  // Every entry comes back as typed: case, blanks, commas, quotes, an empty text, a grayed box.
  void roundTrip() {
    // clang-format off
    const QStringList names = {"txt1", "txt2", "txtStart", "txtEnd", "txtHex", "CVert", "CAppend",
                               "CSkip", "CEven", "CInvert", "C1616", "C812Mask", "CHex",
                               "cboSyntax", "CPixels", "txtPrefix", "CEveryTile", "CGlyph",
                               "txtGlyph", "txtGlyphGap", "CUnique", "txtMap"};
    const QStringList typed = {"/home/Ann/GFX, old/Font #1.CHR", "  C:\\Out\\font=\"x\";.H  ",
                               "$ff", "", "'é", "0", "1", "1", "0", "1", "1", "2", "0",
                               "kickass", "1", "font_", "1", "1", "24x21", "$01", "2",
                               "/gfx/Title, 2.map"};
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

  // What a hand-edited or damaged store gives: controls at start ("name=value"), then the
  // warnings shown at start and at close. Guards against the Skip/Even coupling (and Glyph's
  // over it) skipped at start, damaged box values kept, junk reported as a failed save, an
  // unreadable store passed over in silence, a hand-written list loaded empty, text fields cut at
  // 32767 characters, and a failed save not saying why.
  void storedFile_data() {
    // "/": the store is a folder; "^": a file stands where the store's folder belongs.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QStringList>("controls");
    QTest::addColumn<QStringList>("warnings");
    const QString store = testing::SettingsFile(), unsaved = "The settings could not be saved: ";
    const QString unreadable = "The settings could not be read: " + store +
                               " cannot be read. The window starts with the defaults.";
    const QStringList defaults = {"txt1=Click on *", "CSkip=0", "CVert=1"}, none;
    QTest::newRow("boxes") << QByteArray("[Flags]\nSkip=2\nVertical=0\nEven=0\n")
                           << QStringList{"CSkip=2", "CVert=0", "CEven=0"} << none;
    QTest::newRow("damaged") << QByteArray("[Flags]\nSkip=3\nVertical=yes\n") << defaults << none;
    QTest::newRow("junk") << QByteArray("\x01\x02\x03\xff\xfe\n") << defaults << none;
    QTest::newRow("keys") << QByteArray("top=1\n[Flags]\nSkip=1\nBogus=1\n%%%=\\q\n[Old]\nx=1\n")
                          << QStringList{"CSkip=1", "CVert=1"} << none;
    QTest::newRow("glyph") << QByteArray("[Flags]\nSkip=1\n[Format]\nGlyph=1\nGlyphSize=32x8\n")
                           << QStringList{"CSkip=1", "CGlyph=1", "txtGlyph=32x8"} << none;
    QTest::newRow("list") << QByteArray("[Files]\nFile1=/gfx, old/a.chr\n")
                          << QStringList{"txt1=/gfx, old/a.chr"} << none;
    QTest::newRow("long") << "[Files]\nFile2=" + QByteArray(40000, 'x')
                          << QStringList{"txt2=" + QString(40000, 'x')} << none;
    QTest::newRow("unreadable") << QByteArray("/") << defaults
                                << QStringList{unreadable,
                                               unsaved + "writing " + store + " failed."};
    QTest::newRow("no folder") << QByteArray("^") << defaults
                               << QStringList{unreadable, unsaved + testing::SettingsFolder() +
                                                              "/Tessary is not a folder."};
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

  void storedFile() {
    QFETCH(QByteArray, content);
    QFETCH(QStringList, controls);
    QFETCH(QStringList, warnings);
    const QString folder = testing::SettingsFolder() + "/Tessary";
    QFile store(content == "^" ? folder : testing::SettingsFile());
    QVERIFY(content == "^" || QDir().mkpath(folder));
    QVERIFY(content == "/" ? QDir().mkdir(store.fileName())
                           : store.open(QIODevice::WriteOnly) && store.write(content) >= 0);
    store.close();
    testing::MessageBoxWatch watch;
    frmTessary form;
    form.show();
    QTRY_COMPARE(watch.texts(), warnings.mid(0, warnings.size() / 2));
    for (const QString& control : controls) {
      const QString name = control.section('=', 0, 0);
      auto* box = form.findChild<CheckBox*>(name);
      auto* field = form.findChild<QLineEdit*>(name);
      QCOMPARE(name + "=" + (box ? QString::number(box->value()) : field->text()), control);
    }
    QCOMPARE(form.findChild<CheckBox*>("CEven")->isEnabled(),
             form.findChild<CheckBox*>("CSkip")->value() != 0 &&
                 form.findChild<CheckBox*>("CGlyph")->value() != 1);
    QVERIFY(form.close());
    QCOMPARE(watch.texts(), warnings);
    if (!warnings.isEmpty()) return;
    // Guards against junk kept past the close: the window's 24 entries in 5 sections, no more.
    store.setFileName(testing::SettingsFile());
    QVERIFY(store.open(QIODevice::ReadOnly));
    const QByteArray written = store.readAll();
    QVERIFY(written.contains("\nRange2=$100\n"));
    qsizetype lines = 0;
    for (const QByteArray& line : written.split('\n')) lines += !line.isEmpty();
    QCOMPARE(lines, 24 + 5);
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::SettingsBindingTest)
#include "settings_binding_test.moc"
