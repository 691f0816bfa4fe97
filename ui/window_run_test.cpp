// Tests of runs started from the window: the listing, failure, close guard, Go!, Esc, live boxes.
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "run/mem_file_system.h"
#include "run/run.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

std::string Bytes(size_t count) {
  std::string bytes(count, '\0');
  for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<char>((i * 2654435761u) >> 13);
  return bytes;
}

// Sets the fields txt1, txt2, txtStart, txtEnd, txtHex, then the boxes Vertical, Append, Skip,
// Even, Invert, 16x16, 8x12 Masked, Hex Count From from the digits of `boxes`.
void Fill(QWidget& form, const QStringList& texts, const QString& boxes = "00010001") {
  const char* fields[] = {"txt1", "txt2", "txtStart", "txtEnd", "txtHex"};
  const char* names[] = {"CVert",   "CAppend", "CSkip",    "CEven",
                         "CInvert", "C1616",   "C812Mask", "CHex"};
  for (int i = 0; i < 5; ++i) form.findChild<QLineEdit*>(fields[i])->setText(texts[i]);
  for (int i = 0; i < 8; ++i) form.findChild<CheckBox*>(names[i])->setValue(boxes[i].digitValue());
}

void ClickGo(QWidget& form) { form.findChild<QPushButton*>("cmdGo")->click(); }

// A window over the in-memory files "in" (`size` bytes) and "out" ("; kept"), pausing before
// every tile; `pause` fires at every pause.
struct MemWindow {
  MemFileSystem files;
  frmTessary form{nullptr, &files};
  QTimer pause;
  int pauses = 0;
  explicit MemWindow(size_t size) {
    files.files = {{"in", Bytes(size)}, {"out", "; kept\r\n"}};
    form.SetYieldInterval(std::chrono::nanoseconds(0));
    form.show();  // loads the settings, which Fill() then replaces
    Fill(form, {"in", "out", "0", QString::number(size), "$00"});
    QObject::connect(&pause, &QTimer::timeout, [this] { ++pauses; });
  }
  void Go() {
    pauses = 0;
    pause.start(0);
    ClickGo(form);
    pause.stop();
  }
};

}  // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  void sameListingAsCli_data() {
    QTest::addColumn<QString>("numbers");  // start, end, first tile number
    QTest::addColumn<QString>("boxes");    // as for Fill()
    QTest::addColumn<QString>("flags");
    // clang-format off
    QTest::newRow("plain") << "$0 $1000 $00" << "00010001" << "";
    QTest::newRow("vertical, inverted, skip odd, 8x12")
        << "$8 4104 %101" << "10101011" << "--vertical --invert --skip odd --shape 8x12";
    QTest::newRow("16x16 wins over 8x12") << "'A $1000 $7FFFFFFE" << "00010111" << "--shape 16x16";
    // Grayed Vertical, Append, Skip and Even count as set; grayed Invert, 16x16, 8x12 as not.
    QTest::newRow("grayed, append")
        << "$100 $900 $00" << "22222220" << "--vertical --append --skip even --no-labels";
    // clang-format on
  }
  void sameListingAsCli() {
    QFETCH(QString, numbers);
    QFETCH(QString, boxes);
    QFETCH(QString, flags);
    const QStringList n = numbers.split(' ');
    QTemporaryDir dir;
    const QString in = dir.filePath("in"), window = dir.filePath("w.H"), cli = dir.filePath("c.H");
    const QByteArray kept = "; kept\r\n";
    for (const auto& [path, data] :
         {std::pair(in, QByteArray::fromStdString(Bytes(0x1100))), {window, kept}, {cli, kept}}) {
      QFile file(path);
      QVERIFY(file.open(QIODevice::WriteOnly) && file.write(data) == data.size());
    }
    frmTessary form;
    Fill(form, QStringList{in, window} + n, boxes);
    testing::MessageBoxWatch watch;
    ClickGo(form);
    QCOMPARE(watch.texts(), QStringList());

    QProcess process;
    process.start(TESSARY_CLI_PATH,
                  QStringList{"--start", n[0], "--end", n[1], "--count-from", n[2]} +
                      flags.split(' ', Qt::SkipEmptyParts) + QStringList{in, cli});
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    QFile from_window(window), from_cli(cli);
    QVERIFY(from_window.open(QIODevice::ReadOnly) && from_cli.open(QIODevice::ReadOnly));
    const QByteArray expected = from_cli.readAll();
    QVERIFY(expected.size() > 100);
    QCOMPARE(from_window.readAll(), expected);
  }

  // A failed run: message shown with the pointer restored, output kept. During a run: busy
  // pointer, a close refused without saving, Go! ignored, Esc cancels and keeps the output.
  // After both: a run goes to its end, and a close is granted and saves.
  void runStates() {
    MemWindow w(64 * 1024);
    const std::string kept = w.files.files["out"];
    w.files.space = 1000;
    auto idle = [&] {
      return !w.form.IsBusy() && !QApplication::overrideCursor() &&
             w.form.cursor().shape() == Qt::ArrowCursor;
    };
    bool restored = false;
    {
      testing::MessageBoxWatch watch([&] { restored = idle(); });
      w.Go();
      QCOMPARE(watch.texts().size(), 1);
      QVERIFY2(watch.texts()[0].startsWith("Cannot write output file \"out\""),
               qPrintable(watch.texts()[0]));
    }
    QVERIFY(restored);
    QCOMPARE(w.files.files["out"], kept);

    w.files.space = UINT64_MAX;
    QApplication::setActiveWindow(&w.form);
    QVERIFY(QTest::qWaitForWindowActive(&w.form));
    bool checked = false;
    QObject::connect(&w.pause, &QTimer::timeout, [&] {
      if (w.pauses != 3 || checked) return;
      QVERIFY(w.form.IsBusy() && QApplication::overrideCursor());
      QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
      QCOMPARE(w.form.cursor().shape(), Qt::BusyCursor);
      QVERIFY(!w.form.close());  // guards against a close that ignores Busy
      QVERIFY(!QFile::exists(testing::SettingsFile()));
      ClickGo(w.form);
      QCOMPARE(w.files.outputs_opened, 2);  // guards against a second run started in a pause
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      checked = true;
    });
    testing::MessageBoxWatch watch;
    w.Go();
    QVERIFY(checked);
    QVERIFY(w.pauses < 100);  // stopped soon after Esc, not at the end
    QCOMPARE(w.files.files["out"], kept);
    QCOMPARE(watch.texts(), QStringList());
    QVERIFY(idle());

    w.Go();  // guards against a failure or a cancel that sticks to the next run
    QVERIFY(w.files.files["out"].size() > 64 * 1024);
    QVERIFY(w.form.close());
    QVERIFY(QFile::exists(testing::SettingsFile()));
  }

  // Go! lists in the chosen syntax, with pixels and symbols, as the run itself does; a bad
  // prefix is refused naming its field. Guards against a prefix used while it is disabled
  // (Hex Count From unchecked, or a syntax without symbols).
  void syntaxRowReachesTheRun() {
    MemWindow w(1024);
    auto* syntax = w.form.findChild<QComboBox*>("cboSyntax");
    auto* prefix = w.form.findChild<QLineEdit*>("txtPrefix");
    syntax->setCurrentIndex(syntax->findData(QString("kickass")));
    w.form.findChild<CheckBox*>("CPixels")->setValue(1);
    prefix->setText("t_");
    w.Go();
    RunOptions options;
    options.input_path = "in";
    options.output_path = "expected";
    options.end_text = "1024";
    options.listing = {Syntax::kKickass, true, "t_"};
    FixedStyleHost host({});
    QCOMPARE(int(Run(options, host, w.files).status), int(RunStatus::kDone));
    QCOMPARE(w.files.files["out"], w.files.files["expected"]);

    prefix->setText("9t");
    testing::MessageBoxWatch watch;
    w.Go();
    QCOMPARE(watch.texts().size(), 1);
    QVERIFY2(watch.texts()[0].startsWith("Label prefix \"9t\" is not a symbol name"),
             qPrintable(watch.texts()[0]));
    QCOMPARE(w.files.files["out"], w.files.files["expected"]);

    w.form.findChild<CheckBox*>("CHex")->setValue(0);
    w.Go();
    QVERIFY(QString::fromStdString(w.files.files["out"]).startsWith("\r\n .byte %"));
    w.form.findChild<CheckBox*>("CHex")->setValue(2);  // grayed: label lines, still numbered
    syntax->setCurrentIndex(syntax->findData(QString("c")));
    w.Go();
    QVERIFY(QString::fromStdString(w.files.files["out"]).startsWith("/* 00 */\r\n0x"));
  }

  // "Invert" and "Hex Count From" changed while a run pauses apply from a later tile on.
  void boxesChangedDuringRun() {
    MemWindow w(1024);                       // 128 tiles
    auto tiles = [&](int invert, int hex) {  // the listing's tiles, nine lines each
      w.form.findChild<CheckBox*>("CInvert")->setValue(invert);
      w.form.findChild<CheckBox*>("CHex")->setValue(hex);
      w.Go();
      const QStringList lines = QString::fromStdString(w.files.files["out"]).split("\r\n");
      QStringList tiles;
      for (qsizetype i = 0; i + 9 <= lines.size(); i += 9) tiles << lines.mid(i, 9).join('\n');
      return tiles;
    };
    const QStringList after = tiles(1, 0);
    const QStringList before = tiles(0, 1);
    QObject::connect(&w.pause, &QTimer::timeout, [&] {
      if (w.pauses != 10) return;
      w.form.findChild<CheckBox*>("CInvert")->setValue(1);
      w.form.findChild<CheckBox*>("CHex")->setValue(0);
    });
    const QStringList got = tiles(0, 1);
    QCOMPARE(got.size(), 128);
    qsizetype switched = 0;
    while (switched < got.size() && got[switched] == before[switched]) ++switched;
    QVERIFY2(switched > 0 && switched < 128, qPrintable(QString::number(switched)));
    QCOMPARE(got.mid(switched), after.mid(switched));
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::WindowRunTest)
#include "window_run_test.moc"
