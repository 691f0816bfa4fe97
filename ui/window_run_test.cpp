// Tests of runs started from the window: same listing as tessary-cli, failures, cancel, the
// close guard and a click on "Go!" during a run, and boxes changed while a run pauses.
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "run/host.h"
#include "run/mem_file_system.h"
#include "run/run.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

constexpr const char* kBoxes[] = {"CVert",   "CAppend", "CSkip",    "CEven",
                                  "CInvert", "C1616",   "C812Mask", "CHex"};

std::string Bytes(size_t count) {
  std::string bytes(count, '\0');
  uint32_t x = 12345;
  for (char& c : bytes) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

void Write(const QString& path, const QByteArray& data) {
  QFile file(path);
  QVERIFY(file.open(QIODevice::WriteOnly));
  file.write(data);
}

QLineEdit* Field(const QWidget& form, const char* name) {
  return form.findChild<QLineEdit*>(QString::fromLatin1(name));
}

CheckBox* Box(const QWidget& form, const char* name) {
  return form.findChild<CheckBox*>(QString::fromLatin1(name));
}

// Fills the window: paths, then start, end and first tile number, then the eight boxes in the
// order of kBoxes.
void Fill(QWidget& form, const QString& in, const QString& out, const QStringList& numbers,
          const QList<int>& boxes) {
  Field(form, "txt1")->setText(in);
  Field(form, "txt2")->setText(out);
  Field(form, "txtStart")->setText(numbers[0]);
  Field(form, "txtEnd")->setText(numbers[1]);
  Field(form, "txtHex")->setText(numbers[2]);
  for (int i = 0; i < 8; ++i) Box(form, kBoxes[i])->setValue(boxes[i]);
}

void ClickGo(QWidget& form) { form.findChild<QPushButton*>(QStringLiteral("cmdGo"))->click(); }

// Runs `step` at every pause of a run, with the number of the pause (1, 2, ...).
class EveryPause {
 public:
  explicit EveryPause(std::function<void(int)> step) {
    QObject::connect(&timer_, &QTimer::timeout, [this, step] { step(++count_); });
    timer_.start(0);
  }
  int count() const { return count_; }

 private:
  QTimer timer_;
  int count_ = 0;
};

// Splits a listing of 8x8 tiles into its tiles, nine lines each.
QStringList Tiles(const std::string& listing) {
  const QStringList lines = QString::fromStdString(listing).split(QStringLiteral("\r\n"));
  QStringList tiles;
  for (qsizetype i = 0; i + 9 <= lines.size(); i += 9) {
    tiles << lines.mid(i, 9).join(QLatin1Char('\n'));
  }
  return tiles;
}

std::string EngineListing(const std::string& input, TileStyle style) {
  MemFileSystem files;
  files.files["in"] = input;
  RunOptions options;
  options.input_path = std::string("in");
  options.output_path = std::string("out");
  options.start_text = std::string("0");
  options.end_text = std::to_string(input.size());
  FixedStyleHost host(style);
  const RunResult result = Run(options, host, files);
  return result.status == RunStatus::kDone ? files.files["out"] : std::string("<failed>");
}

}  // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  void sameListingAsCli_data() {
    QTest::addColumn<QStringList>("numbers");  // start, end, first tile number
    QTest::addColumn<QList<int>>("boxes");     // in the order of kBoxes
    QTest::addColumn<QStringList>("cli");
    // Boxes: Vert Append Skip Even Invert 1616 812 Hex.
    QTest::newRow("rows") << QStringList{"$0", "$1000", "$00"} << QList<int>{0, 0, 0, 1, 0, 0, 0, 1}
                          << QStringList{"--start", "$0", "--end", "$1000", "--count-from", "$00"};
    QTest::newRow("vertical, inverted")
        << QStringList{"$80", "4000", "$10"} << QList<int>{1, 0, 0, 1, 1, 0, 0, 1}
        << QStringList{"--start",      "$80", "--end",      "4000",
                       "--count-from", "$10", "--vertical", "--invert"};
    QTest::newRow("skip even") << QStringList{"0", "$c00", "%101"}
                               << QList<int>{0, 0, 1, 1, 0, 0, 0, 1}
                               << QStringList{"--start",      "0",    "--end",  "$c00",
                                              "--count-from", "%101", "--skip", "even"};
    QTest::newRow("vertical, skip odd")
        << QStringList{"$8", "$1008", "$FF"} << QList<int>{1, 0, 1, 0, 0, 0, 0, 1}
        << QStringList{"--start", "$8",         "--end",  "$1008", "--count-from",
                       "$FF",     "--vertical", "--skip", "odd"};
    QTest::newRow("grayed Skip and Even count as set")
        << QStringList{"0", "$800", "0"} << QList<int>{0, 0, 2, 2, 0, 0, 0, 1}
        << QStringList{"--start", "0", "--end", "$800", "--count-from", "0", "--skip", "even"};
    QTest::newRow("8x12, no labels")
        << QStringList{"'A", "$1000", "$00"} << QList<int>{0, 0, 0, 1, 0, 0, 1, 0}
        << QStringList{"--start", "'A",      "--end", "$1000",      "--count-from",
                       "$00",     "--shape", "8x12",  "--no-labels"};
    QTest::newRow("16x16 wins over 8x12")
        << QStringList{"$0", "$1000", "$7FFFFFFE"} << QList<int>{1, 0, 1, 1, 1, 1, 1, 1}
        << QStringList{"--start",   "$0",      "--end", "$1000",   "--count-from",
                       "$7FFFFFFE", "--shape", "16x16", "--invert"};
    // A grayed "Invert", "16x16" and "8x12 Masked" count as not set, "Vertical" and "Hex
    // Count From" as set.
    QTest::newRow("grayed shapes and Invert")
        << QStringList{"$0", "$1000", "$00"} << QList<int>{2, 0, 0, 1, 2, 2, 2, 2}
        << QStringList{"--start", "$0", "--end", "$1000", "--count-from", "$00", "--vertical"};
    QTest::newRow("grayed Append")
        << QStringList{"$100", "$300", "$00"} << QList<int>{0, 2, 0, 1, 0, 0, 0, 1}
        << QStringList{"--start", "$100", "--end", "$300", "--count-from", "$00", "--append"};
    QTest::newRow("past the end of the input")
        << QStringList{"$1000", "$1400", "$00"} << QList<int>{0, 0, 0, 1, 0, 0, 1, 1}
        << QStringList{"--start",      "$1000", "--end",   "$1400",
                       "--count-from", "$00",   "--shape", "8x12"};
  }
  void sameListingAsCli() {
    QFETCH(QStringList, numbers);
    QFETCH(QList<int>, boxes);
    QFETCH(QStringList, cli);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("sheet.chr"));
    const QString from_window = dir.filePath(QStringLiteral("window.H"));
    const QString from_cli = dir.filePath(QStringLiteral("cli.H"));
    Write(in, QByteArray::fromStdString(Bytes(0x1100)));
    Write(from_window, "; kept\r\n");
    Write(from_cli, "; kept\r\n");

    frmTessary form;
    Fill(form, in, from_window, numbers, boxes);
    testing::MessageBoxWatch watch;
    ClickGo(form);
    QCOMPARE(watch.texts(), QStringList());

    QProcess process;
    process.start(QStringLiteral(TESSARY_CLI_PATH), cli << in << from_cli);
    QVERIFY(process.waitForFinished(30000));
    QCOMPARE(process.exitCode(), 0);
    const QByteArray expected = Read(from_cli);
    QVERIFY(expected.size() > 100);
    QCOMPARE(Read(from_window), expected);
  }

  void quietStop_data() {
    QTest::addColumn<QString>("start");
    QTest::addColumn<QString>("end");
    QTest::newRow("end before start") << "$100"
                                      << "$80";
    QTest::newRow("seven bytes") << "$0"
                                 << "7";
  }
  void quietStop() {
    QFETCH(QString, start);
    QFETCH(QString, end);
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("sheet.chr"));
    const QString out = dir.filePath(QStringLiteral("out.H"));
    Write(in, QByteArray::fromStdString(Bytes(512)));
    frmTessary form;
    Fill(form, in, out, {start, end, QStringLiteral("$00")}, {0, 0, 0, 1, 0, 0, 0, 1});
    testing::MessageBoxWatch watch;
    ClickGo(form);
    QCOMPARE(watch.texts(), QStringList());
    QVERIFY(!QFile::exists(out));
  }

  // A run that fails shows the reason, then leaves the window as before it: default pointer,
  // not busy, output untouched, and ready for the next run and for a saving close.
  void failedRunLeavesWindowUsable() {
    QTemporaryDir dir;
    const QString in = dir.filePath(QStringLiteral("sheet.chr"));
    const QString out = dir.filePath(QStringLiteral("out.H"));
    Write(in, QByteArray::fromStdString(Bytes(1024)));
    Write(out, "; kept\r\n");
    frmTessary form;
    form.show();
    Fill(form, dir.filePath(QStringLiteral("missing.chr")), out,
         {QStringLiteral("$0"), QStringLiteral("$400"), QStringLiteral("$00")},
         {0, 0, 0, 1, 0, 0, 0, 1});
    bool pointer_restored = false;
    bool busy = true;
    {
      testing::MessageBoxWatch watch([&] {
        pointer_restored =
            QApplication::overrideCursor() == nullptr && form.cursor().shape() == Qt::ArrowCursor;
        busy = form.IsBusy();
      });
      ClickGo(form);
      QCOMPARE(watch.texts().size(), 1);
      QVERIFY2(watch.texts()[0].contains(QStringLiteral("missing.chr")),
               qPrintable(watch.texts()[0]));
    }
    QVERIFY(pointer_restored);
    QVERIFY(!busy);
    QCOMPARE(Read(out), QByteArray("; kept\r\n"));

    Field(form, "txt1")->setText(in);
    testing::MessageBoxWatch watch;
    ClickGo(form);
    QCOMPARE(watch.texts(), QStringList());
    QVERIFY(Read(out).startsWith("; 00\r\n .db %"));
    QVERIFY(form.close());
    QVERIFY(QFile::exists(testing::SettingsFile()));
  }

  // A write that fails half-way through leaves the output as it was before the run.
  void failedWriteKeepsOutput() {
    MemFileSystem files;
    files.files["in"] = Bytes(64 * 1024);
    files.files["out"] = std::string("; kept\r\n");
    files.space = 1000;
    frmTessary form(nullptr, &files);
    Fill(form, QStringLiteral("in"), QStringLiteral("out"),
         {QStringLiteral("$0"), QStringLiteral("$10000"), QStringLiteral("$00")},
         {0, 0, 0, 1, 0, 0, 0, 1});
    testing::MessageBoxWatch watch;
    ClickGo(form);
    QCOMPARE(watch.texts().size(), 1);
    QCOMPARE(files.files["out"], std::string("; kept\r\n"));
    QVERIFY(!form.IsBusy());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
  }

  // Esc during a run cancels it at the next pause; the output stays as it was, and no message
  // is shown. The next run lists everything again.
  void escapeCancels() {
    MemFileSystem files;
    files.files["in"] = Bytes(64 * 1024);
    files.files["out"] = std::string("; kept\r\n");
    frmTessary form(nullptr, &files);
    form.show();
    QApplication::setActiveWindow(&form);
    QVERIFY(QTest::qWaitForWindowActive(&form));
    form.SetYieldInterval(std::chrono::nanoseconds(0));
    Fill(form, QStringLiteral("in"), QStringLiteral("out"),
         {QStringLiteral("$0"), QStringLiteral("$10000"), QStringLiteral("$00")},
         {0, 0, 0, 1, 0, 0, 0, 1});
    bool busy_at_escape = false;
    testing::MessageBoxWatch watch;
    {
      EveryPause pause([&](int n) {
        if (n != 3) return;
        busy_at_escape = form.IsBusy();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
      });
      ClickGo(form);
      QVERIFY(pause.count() >= 3);
      QVERIFY(pause.count() < 100);  // the run stopped soon after Esc, not at its end
    }
    QVERIFY(busy_at_escape);
    QCOMPARE(files.files["out"], std::string("; kept\r\n"));
    QCOMPARE(watch.texts(), QStringList());
    QVERIFY(!form.IsBusy());
    QCOMPARE(QApplication::overrideCursor(), nullptr);

    // Esc outside a run changes nothing; the next run goes to its end.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    ClickGo(form);
    QCOMPARE(files.files["out"], EngineListing(files.files["in"], {true, false}));
  }

  // During a run: busy pointer on, a close is refused without saving, and "Go!" does nothing.
  // After it: a close is granted and saves.
  void closeAndGoDuringRun() {
    MemFileSystem files;
    files.files["in"] = Bytes(8 * 1024);
    frmTessary form(nullptr, &files);
    form.show();
    form.SetYieldInterval(std::chrono::nanoseconds(0));
    Fill(form, QStringLiteral("in"), QStringLiteral("out"),
         {QStringLiteral("0"), QStringLiteral("8192"), QStringLiteral("$00")},
         {0, 0, 0, 1, 0, 0, 0, 1});
    bool checked = false;
    {
      EveryPause pause([&](int n) {
        if (n != 5) return;
        QVERIFY(form.IsBusy());
        QVERIFY(QApplication::overrideCursor() != nullptr);
        QCOMPARE(QApplication::overrideCursor()->shape(), Qt::BusyCursor);
        QCOMPARE(form.cursor().shape(), Qt::BusyCursor);
        QVERIFY(!form.close());
        QVERIFY(form.isVisible());
        QVERIFY(!QFile::exists(testing::SettingsFile()));
        ClickGo(form);
        QCOMPARE(files.outputs_opened, 1);
        checked = true;
      });
      ClickGo(form);
    }
    QVERIFY(checked);
    QVERIFY(!form.IsBusy());
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QCOMPARE(form.cursor().shape(), Qt::ArrowCursor);
    QCOMPARE(files.outputs_opened, 1);
    QCOMPARE(files.files["out"], EngineListing(files.files["in"], {true, false}));
    QVERIFY(!QFile::exists(testing::SettingsFile()));
    QVERIFY(form.close());
    QVERIFY(QFile::exists(testing::SettingsFile()));
  }

  // "Invert" and "Hex Count From" changed while a run pauses apply from the next tile on.
  void boxesChangedDuringRun() {
    MemFileSystem files;
    files.files["in"] = Bytes(1024);  // 128 tiles
    frmTessary form(nullptr, &files);
    form.SetYieldInterval(std::chrono::nanoseconds(0));
    Fill(form, QStringLiteral("in"), QStringLiteral("out"),
         {QStringLiteral("0"), QStringLiteral("1024"), QStringLiteral("$00")},
         {0, 0, 0, 1, 0, 0, 0, 1});
    {
      EveryPause pause([&](int n) {
        if (n != 10) return;
        Box(form, "CInvert")->setValue(1);
        Box(form, "CHex")->setValue(0);
      });
      ClickGo(form);
    }
    const QStringList before = Tiles(EngineListing(files.files["in"], {true, false}));
    const QStringList after = Tiles(EngineListing(files.files["in"], {false, true}));
    const QStringList got = Tiles(files.files["out"]);
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
