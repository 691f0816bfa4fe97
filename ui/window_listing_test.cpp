// Tests of what Go! lists and says: a range that lists nothing, Every tile and Glyph, the
// status line.
#include <QLineEdit>
#include <QTest>
#include <tuple>

#include "run/run.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"
#include "ui/test_env.h"
#include "ui/window_options.h"

namespace tessary {

using testing::Fill;
using testing::MemWindow;
using testing::Status;

class WindowListingTest : public QObject {
  Q_OBJECT

 private slots:
  void init() { testing::ClearSettings(); }

  // A range one byte short of a block row lists nothing: the message box and the status line
  // say why, naming the Every tile box, and the output is not even opened, to be replaced or
  // appended to, from a file or a pipe. Guards against a window that empties the output when
  // nothing is listed, or shows no reason.
  void nothingListedLeavesTheOutput() {
    const QString reason =
        "The range from $0 to $7F (127 bytes) holds no whole block row of 128 bytes; nothing "
        "to list (\"Every tile\" lists its 15 tiles)";
    for (const QString boxes : {"00010001", "01010001", "pipe"}) {
      MemWindow w(4096);
      if (boxes == "pipe") w.files.streams = {"in"};
      Fill(w.form, {"in", "out", "0", "$7F", "$00"}, boxes == "pipe" ? "00010001" : boxes);
      testing::MessageBoxWatch watch;
      w.Go();
      QCOMPARE(watch.texts(), QStringList{reason});
      QCOMPARE(Status(w.form), reason);
      QCOMPARE(w.files.outputs_opened, 0);
      QCOMPARE(w.files.files["out"], "; kept\r\n");
    }
  }

  // Every tile and Glyph reach the run as the options hold them; a grayed box counts as unset.
  // The status line gives the tiles, lines and bytes of the listing and the note on the bytes
  // left unlisted, naming the box. Guards against a box that does not reach the run, a glyph read
  // past its edges, a glyph problem that lets the run start, and a status line out of step.
  void everyTileAndGlyphReachTheRun() {
    MemWindow w(144);  // a block row and two tiles
    const auto box = [&](const char* name, int value) {
      w.form.findChild<CheckBox*>(name)->setValue(value);
    };
    const auto field = [&](const char* name, const char* text) {
      w.form.findChild<QLineEdit*>(name)->setText(text);
    };
    const QString note =
        ". The last 16 bytes of the range ($80 to $90) fill no whole block row of 128 bytes and "
        "are not listed; \"Every tile\" lists their 2 tiles";
    for (int every : {0, 1, 2}) {
      box("CEveryTile", every);
      w.Go();
      const int tiles = every == 1 ? 18 : 16;
      const QString counts = QString("%1 tiles: %2 lines, %3 bytes").arg(tiles).arg(tiles * 9);
      QCOMPARE(Status(w.form), "Listed " + counts.arg(w.files.files["out"].size()) + " to \"out\"" +
                                   (every == 1 ? "" : note));
    }
    // Each row: Glyph, its size and gap, then the glyph the run gets ("WxH+gap", "" for none)
    // or the start of the problem that stops Go!.
    const char* const kShape =
        "Glyph \"%1\" is no glyph shape; write WxH, W 8, 16, 24 or 32 and H 1 to 64";
    const char* const kGap = "Glyph gap \"%1\" is no whole number from 0 to 65536";
    struct Case {
      int glyph;
      const char *size, *gap, *expected;
    } cases[] = {
        {1, "8x16", "0", "8x16+0"},  {1, "32X64", "65536", "32x64+65536"},
        {1, "24x1", "$1", "24x1+1"}, {2, "8x", "x", ""},
        {1, "8x65", "0", kShape},    {1, "8x8", "65537", kGap},
        {1, "8x8", "-1", kGap},      {1, "8x8", "2x", kGap},
    };
    box("CEveryTile", 0);
    field("txtEnd", "$200");  // room for a 32x64 glyph
    for (const Case& c : cases) {
      box("CGlyph", c.glyph);
      field("txtGlyph", c.size);
      field("txtGlyphGap", c.gap);
      QString problem;
      const RunOptions options = OptionsOf(w.form, &problem);
      const QString problem_start =
          c.expected[0] == 'G' ? QString(c.expected).arg(c.expected == kShape ? c.size : c.gap)
                               : QString();
      QVERIFY2(problem.startsWith(problem_start) && problem.isEmpty() == problem_start.isEmpty(),
               qPrintable(problem));
      const QString glyph = options.glyph ? QString::fromStdString(GlyphName(*options.glyph)) +
                                                "+" + QString::number(options.glyph->gap)
                                          : QString();
      QCOMPARE(glyph, QString(c.expected[0] == 'G' ? "" : c.expected));
      QCOMPARE(options.every_tile_name, std::string("\"Every tile\""));
      const int opened = w.files.outputs_opened;
      testing::MessageBoxWatch watch;
      w.Go();
      QCOMPARE(watch.texts(), problem.isEmpty() ? QStringList() : QStringList{problem});
      QCOMPARE(w.files.outputs_opened, opened + problem.isEmpty());
      if (!problem.isEmpty()) QCOMPARE(Status(w.form), problem);
    }
    // The glyphs listed are the run's own.
    box("CGlyph", 1);
    field("txtGlyph", "16x3");
    field("txtGlyphGap", "2");
    w.Go();
    RunOptions options;
    std::tie(options.input_path, options.output_path, options.end_text) =
        std::tuple("in", "expected", "$200");
    options.glyph = GlyphShape{16, 3, 2};
    FixedStyleHost host({.labels = true});
    const RunResult result = Run(options, host, w.files);
    QCOMPARE(result.tiles, 64);
    QCOMPARE(w.files.files["out"], w.files.files["expected"]);
  }
};

}  // namespace tessary

TESSARY_WINDOW_TEST_MAIN(tessary::WindowListingTest)
#include "window_listing_test.moc"
