// Tests of the row of Threshold, Unique tiles and Map file: what enables them, the stored
// threshold, and a map that Go! refuses or puts back. (browse_naming_test names the map.)
#include <QLineEdit>
#include <QSettings>
#include <QSpinBox>
#include <QTest>

#include "ui/check_box.h"
#include "ui/test_env.h"
#include "ui/window_options.h"

namespace tessary {
namespace {

CheckBox* Box(QWidget& form, const char* name) { return form.findChild<CheckBox*>(name); }

}  // namespace

class CellsRowTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  // Each of Vertical, Skip, 16x16, 8x12 Masked and Glyph disables Unique tiles and Map file,
  // which then ask for nothing; a grayed 16x16 or 8x12 Masked, which chooses no shape, does not.
  // Guards against a map asked of a walk that the run refuses, or a box that is not followed.
  void rowWalkEnablesUniqueAndMap() {
    frmTessary form;
    form.show();
    testing::Fill(form, {"in", "out", "0", "$100", "$00"}, "00000000");
    Box(form, "CUnique")->setValue(1);
    form.findChild<QLineEdit*>("txtMap")->setText("in.map");
    const std::pair<const char*, int> cases[] = {
        {"", 0},      {"CVert", 1},    {"CVert", 2},    {"CSkip", 2},  {"C1616", 1},
        {"C1616", 2}, {"C812Mask", 1}, {"C812Mask", 2}, {"CGlyph", 1}, {"CGlyph", 2}};
    for (const auto& [name, value] : cases) {
      if (*name) Box(form, name)->setValue(value);
      const QByteArray box(name);
      const bool row_walk = box.isEmpty() || (value == 2 && box != "CVert" && box != "CSkip");
      QString problem;
      const RunOptions options = OptionsOf(form, &problem);
      QVERIFY2(Box(form, "CUnique")->isEnabled() == row_walk, name);
      QCOMPARE(form.findChild<QLineEdit*>("txtMap")->isEnabled(), row_walk);
      QCOMPARE(options.unique, row_walk);
      QCOMPARE(options.map, row_walk);
      QCOMPARE(MapPathOf(form), row_walk ? "in.map" : "");
      if (*name) Box(form, name)->setValue(0);
    }
    form.findChild<QLineEdit*>("txtMap")->setText("");
    QString problem;
    QVERIFY(!OptionsOf(form, &problem).map);  // an empty field asks for no map
  }

  // The stored threshold loads when it lies in 0 to 255, else as 0, and is saved as a number.
  void storedThreshold() {
    for (const auto& [stored, loaded] :
         {std::pair("128", 128), {"255", 255}, {"256", 0}, {"-1", 0}, {"x", 0}}) {
      QSettings("Tessary", "Tessary").setValue("Format/Threshold", stored);
      frmTessary form;
      form.show();
      QCOMPARE(form.findChild<QSpinBox*>("spnThreshold")->value(), loaded);
      QString problem;
      QCOMPARE(OptionsOf(form, &problem).threshold, loaded);
      form.findChild<QSpinBox*>("spnThreshold")->setValue(7);
      QVERIFY(form.close());
      QCOMPARE(QSettings("Tessary", "Tessary").value("Format/Threshold").toString(), "7");
    }
  }

  // A map file that is the input or the output is refused before anything is written; one that
  // cannot be written fails the run and is put back with the listing. Guards against a map
  // written over the input or the listing, and a partial map left behind.
  void goRefusesOrPutsBackTheMap() {
    testing::MemWindow w(0);
    // 8192 cells of five kinds: unique tiles keep the numbers within a byte.
    std::string cells;
    for (int k = 0; k < 8192; ++k) cells += std::string(8, static_cast<char>(k % 5));
    w.files.files = {{"in", cells}, {"out", "; kept\r\n"}, {"in.map", "old"}};
    testing::Fill(w.form, {"in", "out", "0", "$10000", "$00"}, "00010001");
    Box(w.form, "CUnique")->setValue(1);
    auto* map = w.form.findChild<QLineEdit*>("txtMap");
    for (const char* name : {"in", "out"}) {
      map->setText(name);
      testing::MessageBoxWatch watch;
      w.Go();
      const QString why = QString("Map file \"%1\" is the %2 file; choose another map file");
      QTRY_COMPARE(watch.texts(),
                   QStringList{why.arg(name, name == QString("in") ? "input" : "output")});
      QCOMPARE(w.files.outputs_opened, 0);
    }
    map->setText("in.map");
    w.files.space = 4096;  // the map's first batch does not fit
    w.files.rollback_problem = "could not be put back";
    testing::MessageBoxWatch watch;
    w.Go();
    QTRY_COMPARE(watch.texts().size(), 1);
    QVERIFY2(watch.texts()[0].startsWith("Cannot write map file \"in.map\""),
             qPrintable(watch.texts()[0]));
    QVERIFY(watch.texts()[0].endsWith("; map file \"in.map\" could not be put back"));
    w.files.rollback_problem.clear();
    QCOMPARE(w.files.files["in.map"], "old");
    QCOMPARE(w.files.files["out"], "; kept\r\n");
    w.files.space = UINT64_MAX;
    w.Go();
    QVERIFY(testing::Status(w.form).startsWith("Listed 5 tiles"));
    QCOMPARE(w.files.files["in.map"].substr(0, 24), " .db $00,$01,$02,$03,$04");
    QCOMPARE(w.files.files["in.map"].size(), 8192 / 16 * size_t{5 + 16 * 3 + 15 + 2});  // 512 lines
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::CellsRowTest)
#include "cells_row_test.moc"
