// Tests of runs from the window: boxes, failure, close guard, Go!, Esc, live boxes, signals.
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QTemporaryFile>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <tuple>

#include "run/box_values.h"
#include "run/mem_file_system.h"
#include "run/run.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/signal_watch.h"
#include "ui/test_env.h"

namespace tessary {
namespace {

using testing::ClickGo;
using testing::MemWindow;
using testing::Status;

// What the process writes to stderr while it lives.
struct StderrCapture {
  QTemporaryFile file;
  int saved = ::dup(2);
  StderrCapture() {
    std::fflush(stderr);
    if (file.open()) ::dup2(file.handle(), 2);
  }
  ~StderrCapture() {
    std::fflush(stderr);
    ::dup2(saved, 2);
    ::close(saved);
  }
  QString Text() {
    std::fflush(stderr);
    return file.seek(0) ? QString::fromUtf8(file.readAll()) : QStringLiteral("(unread)");
  }
};

}  // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  // Guards against the window handing a box's value to the wrong option.
  void boxesReachTheRun() {
    for (const QString boxes : {"10100001", "01011000", "00000011"}) {
      MemWindow w(4096, boxes), reference(4096);
      w.Go();
      int v[8];
      for (int i = 0; i < 8; ++i) v[i] = boxes[i].digitValue();
      BoxChoices expected = FromBoxes({v[0], v[1], v[2], v[3], v[4], v[5], v[6], v[7]});
      RunOptions& o = expected.options;
      std::tie(o.input_path, o.output_path, o.end_text) = std::tuple("in", "out", "4096");
      FixedStyleHost host(expected.style);
      QCOMPARE(Run(o, host, reference.files).status, RunStatus::kDone);
      QVERIFY2(w.files.files["out"] == reference.files.files["out"], qPrintable(boxes));
    }
  }

  // A failed run: message shown with the pointer restored, output kept, the status line says so.
  // During a run: busy pointer, a close refused without saving, Go! ignored, Esc cancels and keeps
  // the output, the status line says so. After both: a run ends, and a close is granted and saves.
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
    QVERIFY(Status(w.form).startsWith("Failed: cannot write output file \"out\""));

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
    QVERIFY2(Status(w.form).startsWith("Cancelled; "), qPrintable(Status(w.form)));
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
    std::tie(options.input_path, options.output_path, options.end_text) =
        std::tuple("in", "expected", "1024");
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
    // Guards against pixel comments from a grayed box: they come at the value 1 only.
    std::string listed[3] = {"", w.files.files["out"], ""};
    for (int pixels : {0, 2}) {
      w.form.findChild<CheckBox*>("CPixels")->setValue(pixels);
      w.Go();
      listed[pixels] = w.files.files["out"];
    }
    QVERIFY(listed[0] != listed[1]);
    QCOMPARE(listed[2], listed[0]);
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

  // Guards against SIGTERM (in a run) or SIGHUP (idle) killing the window, mid-run leaving a
  // partial listing: the run is cancelled, the output kept, the settings saved, the window closed.
  // Last: from here on the process counts as interrupted.
  void signalCancelsSavesAndCloses() {
    for (const auto& [signal, during_run] : {std::pair(SIGTERM, true), {SIGHUP, false}}) {
      testing::ClearSettings();
      MemWindow w(1 << 20);
      SignalWatch watch;
      connect(&watch, &SignalWatch::arrived, &w.form, &frmTessary::Form_Interrupt);
      QTimer::singleShot(0, [signal = signal] { std::raise(signal); });
      if (during_run) w.Go();
      QTRY_VERIFY(!w.form.isVisible());
      QCOMPARE(w.files.files["out"], "; kept\r\n");
      QVERIFY(QFile::exists(testing::SettingsFile()));
    }
  }

  // Guards against a settings warning that holds up a SIGTERM until it is clicked, whether it
  // waits at start or at close, or the signal comes before the one at start shows: the window
  // says the warnings on stderr, without a box, and closes.
  void signalClosesPastSettingsWarnings() {
    const QString store = testing::SettingsFile();
    const QString unread = "tessary: The settings could not be read: " + store +
                           " cannot be read. The window starts with the defaults.\n";
    const QString unsaved =
        "tessary: The settings could not be saved: writing " + store + " failed.\n";
    enum When { kStartBox, kCloseBox, kBeforeStartBox };
    // The close box first: Qt keeps the entries of a failed save to write them when the store is
    // next opened, which would put a file where that case needs the folder.
    for (When when : {kCloseBox, kStartBox, kBeforeStartBox}) {
      testing::ClearSettings();
      if (when != kCloseBox) QVERIFY(QDir().mkpath(store));  // the store is a folder
      StderrCapture err;
      frmTessary form;
      SignalWatch signal_watch;
      connect(&signal_watch, &SignalWatch::arrived, &form, &frmTessary::Form_Interrupt);
      int signals_sent = 0;
      testing::MessageBoxWatch boxes([&] { signals_sent++ || std::raise(SIGTERM); }, 2000);
      form.show();
      if (when == kBeforeStartBox) form.Form_Interrupt();
      if (when == kCloseBox) {
        QTest::qWait(50);
        QVERIFY(QDir().mkpath(store));
        QVERIFY(form.close());
      }
      QTRY_VERIFY(!form.isVisible());
      QCOMPARE(boxes.clicks(), 0);
      QCOMPARE(boxes.texts().size(), when == kBeforeStartBox ? 0 : 1);
      QCOMPARE(err.Text(), when == kCloseBox ? unsaved : unread + unsaved);
    }
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::WindowRunTest)
#include "window_run_test.moc"
