// Tests of the saved settings: first start, round trip, grayed and damaged boxes, failed writes.
#include "ui/settings_binding.h"

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QSettings>
#include <QTest>

#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

QSettings Store() { return QSettings(QStringLiteral("Tessary"), QStringLiteral("Tessary")); }

QString Key(const SettingsEntry& e) {
  return QString::fromLatin1(e.section) + QLatin1Char('/') + QString::fromLatin1(e.key);
}

// What the window shows for an entry: a field's text or a box's value as text.
QString Shown(const QWidget& form, const SettingsEntry& e) {
  const QString name = QString::fromLatin1(e.control);
  if (e.is_box) return QString::number(form.findChild<CheckBox*>(name)->value());
  return form.findChild<QLineEdit*>(name)->text();
}

void Set(QWidget& form, const SettingsEntry& e, const QString& text) {
  const QString name = QString::fromLatin1(e.control);
  if (e.is_box) {
    form.findChild<CheckBox*>(name)->setValue(text.toInt());
  } else {
    form.findChild<QLineEdit*>(name)->setText(text);
  }
}

CheckBox* Box(const QWidget& form, const char* name) {
  return form.findChild<CheckBox*>(QString::fromLatin1(name));
}

}  // namespace

class SettingsBindingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  void entryTable() {
    const char* const expected[13][4] = {
        {"txt1", "Files", "File1", "Click on *"}, {"txt2", "Files", "File2", "Type in target file"},
        {"txtStart", "Range", "Range1", "$0"},    {"txtEnd", "Range", "Range2", "$100"},
        {"CVert", "Flags", "Vertical", "1"},      {"CAppend", "Flags", "Append", "0"},
        {"CSkip", "Flags", "Skip", "0"},          {"CEven", "Flags", "Even", "1"},
        {"CInvert", "Flags", "Invert", "0"},      {"C1616", "Flags", "1616", "0"},
        {"C812Mask", "Flags", "812", "0"},        {"CHex", "Flags", "CHex", "1"},
        {"txtHex", "Flags", "txtHex", "$00"},
    };
    frmTessary form;
    for (size_t i = 0; i < kSettingsEntries.size(); ++i) {
      const SettingsEntry& e = kSettingsEntries[i];
      QCOMPARE(e.control, expected[i][0]);
      QCOMPARE(e.section, expected[i][1]);
      QCOMPARE(e.key, expected[i][2]);
      QCOMPARE(e.default_text, expected[i][3]);
      // Each entry names a control of the window of its kind.
      const QString name = QString::fromLatin1(e.control);
      QVERIFY2(e.is_box ? form.findChild<CheckBox*>(name) != nullptr
                        : form.findChild<QLineEdit*>(name) != nullptr,
               e.control);
    }
  }

  void firstStart() {
    QVERIFY(!QFile::exists(testing::SettingsFile()));
    {
      frmTessary form;
      form.show();
      for (const SettingsEntry& e : kSettingsEntries) {
        QCOMPARE(Shown(form, e), QString::fromUtf8(e.default_text));
      }
      QVERIFY(!Box(form, "CEven")->isEnabled());
      QVERIFY(!QFile::exists(testing::SettingsFile()));  // nothing is written before the close
      QVERIFY(form.close());
    }
    QSettings store = Store();
    QCOMPARE(store.allKeys().size(), 13);
    for (const SettingsEntry& e : kSettingsEntries) {
      QCOMPARE(store.value(Key(e)).toString(), QString::fromUtf8(e.default_text));
    }
    QFile file(testing::SettingsFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray ini = file.readAll();
    for (const char* line : {"[Files]", "[Range]", "[Flags]", "File1=Click on *", "1616=0", "812=0",
                             "CHex=1", "Vertical=1"}) {
      QVERIFY2(ini.contains(line), line);
    }
  }

  // Each value comes back exactly as it was typed: case, blanks and punctuation kept.
  void roundTrip() {
    const QString values[13] = {
        QStringLiteral("/home/Ann/GFX, old/Font #1.CHR"),
        QStringLiteral("  C:\\Out\\font=\"x\";.H  "),
        QStringLiteral("$ff"),
        QStringLiteral("$7734"),
        QStringLiteral("0"),
        QStringLiteral("1"),
        QStringLiteral("1"),
        QStringLiteral("0"),
        QStringLiteral("1"),
        QStringLiteral("1"),
        QStringLiteral("1"),
        QStringLiteral("0"),
        QStringLiteral("'é"),
    };
    {
      frmTessary form;
      form.show();
      for (size_t i = 0; i < 13; ++i) Set(form, kSettingsEntries[i], values[i]);
      QVERIFY(form.close());
    }
    frmTessary again;
    again.show();
    for (size_t i = 0; i < 13; ++i) {
      QCOMPARE(Shown(again, kSettingsEntries[i]), values[i]);
    }
    QVERIFY(Box(again, "CEven")->isEnabled());
  }

  void emptyTextStaysEmpty() {
    {
      frmTessary form;
      form.show();
      form.findChild<QLineEdit*>(QStringLiteral("txtStart"))->clear();
      QVERIFY(form.close());
    }
    frmTessary again;
    again.show();
    QCOMPARE(again.findChild<QLineEdit*>(QStringLiteral("txtStart"))->text(), QString());
  }

  void storedBoxValues_data() {
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("skip");          // the value "Skip" shows
    QTest::addColumn<bool>("evenEnabled");  // and whether "Even" is enabled with it
    QTest::addColumn<int>("vertical");      // the value "Vertical" (default 1) shows
    QTest::newRow("0") << "0" << 0 << false << 0;
    QTest::newRow("1") << "1" << 1 << true << 1;
    QTest::newRow("2 (grayed)") << "2" << 2 << true << 2;
    QTest::newRow("blanks around") << " 1 " << 1 << true << 1;
    // Damaged entries load as the entry's default.
    QTest::newRow("3") << "3" << 0 << false << 1;
    QTest::newRow("-1") << "-1" << 0 << false << 1;
    QTest::newRow("word") << "yes" << 0 << false << 1;
    QTest::newRow("empty") << "" << 0 << false << 1;
    QTest::newRow("fraction") << "1.5" << 0 << false << 1;
  }
  void storedBoxValues() {
    QFETCH(QString, stored);
    QFETCH(int, skip);
    QFETCH(bool, evenEnabled);
    QFETCH(int, vertical);
    {
      QSettings store = Store();
      store.setValue(QStringLiteral("Flags/Skip"), stored);
      store.setValue(QStringLiteral("Flags/Vertical"), stored);
      store.setValue(QStringLiteral("Flags/Even"), QStringLiteral("0"));
    }
    frmTessary form;
    form.show();
    QCOMPARE(Box(form, "CSkip")->value(), skip);
    QCOMPARE(Box(form, "CSkip")->checkState() == Qt::PartiallyChecked, skip == 2);
    QCOMPARE(Box(form, "CEven")->isEnabled(), evenEnabled);
    QCOMPARE(Box(form, "CEven")->value(), 0);
    QCOMPARE(Box(form, "CVert")->value(), vertical);
    QVERIFY(form.close());
    QCOMPARE(Store().value(QStringLiteral("Flags/Skip")).toString(), QString::number(skip));
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
    QVERIFY2(watch.texts()[0].contains(QStringLiteral("could not be saved")),
             qPrintable(watch.texts()[0]));
    QVERIFY2(watch.texts()[0].contains(QStringLiteral("is not a folder")),
             qPrintable(watch.texts()[0]));
    QVERIFY(!form.isVisible());
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::SettingsBindingTest)
#include "settings_binding_test.moc"
