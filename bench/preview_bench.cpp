// preview_bench: the window's preview pane, offscreen.
//
// Times a redraw of a 600x800 pixel view at 2x (and at 1x) over a 16 MiB random file, at a new
// scroll position each time, with the whole view inside the range (tinted and outlined); the
// first paint of a 1 GiB sparse file from the moment the pane is told its name; a paint at the
// file's far end; and, in the window, the time from a field edit to the preview's repaint. Prints
// the peak memory before and after the 1 GiB file was opened and scrolled through.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QSettings>
#include <QSpinBox>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "bench/scratch_settings.h"
#include "run/disk_file_system.h"
#include "ui/frm_tessary.h"
#include "ui/tile_preview.h"

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

namespace {

double PeakRssMiB() {
#if defined(_WIN32)
  return 0;
#else
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
#endif
}

struct Times {
  double median = 0, worst = 0;
};

Times Summary(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return {ms[ms.size() / 2], ms.back()};
}

double Ms(const QElapsedTimer& timer) { return static_cast<double>(timer.nsecsElapsed()) / 1e6; }

QWidget* View(QWidget& pane) { return pane.findChild<QWidget*>(QStringLiteral("sheetView")); }

QScrollBar* VerticalBar(QWidget& pane) {
  for (QScrollBar* bar : pane.findChildren<QScrollBar*>()) {
    if (bar->orientation() == Qt::Vertical) return bar;
  }
  return nullptr;
}

tessary::RunOptions Options(const QString& path, const char* end) {
  tessary::RunOptions options;
  options.input_path = QFile::encodeName(path).toStdString();
  options.start_text = "$0";
  options.end_text = std::string(end);
  return options;
}

// Sizes `pane` so that its sheet view is `size`.
void FitView(QWidget& pane, QSize size) {
  for (int i = 0; i < 3; ++i) {
    pane.resize(pane.size() + size - View(pane)->size());
    QCoreApplication::processEvents();
  }
}

Times Redraws(QWidget& pane, int zoom, int rounds) {
  pane.findChild<QSpinBox*>()->setValue(zoom);
  QScrollBar* bar = VerticalBar(pane);
  std::vector<double> ms;
  for (int i = 0; i < rounds; ++i) {
    bar->setValue(QRandomGenerator::global()->bounded(bar->maximum()));
    QElapsedTimer timer;
    timer.start();
    View(pane)->repaint();
    ms.push_back(Ms(timer));
  }
  return Summary(ms);
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  tessary::UseScratchSettings(dir);
  QApplication app(argc, argv);

  const QString random = dir.filePath(QStringLiteral("random.chr"));
  const QString sparse = dir.filePath(QStringLiteral("sparse.chr"));
  {
    QFile file(random);
    if (!file.open(QIODevice::WriteOnly)) return 1;
    QByteArray chunk(64 << 10, '\0');
    for (int i = 0; i < 256; ++i) {
      QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(chunk.data()),
                                            chunk.size() / 4);
      if (file.write(chunk) != chunk.size()) return 1;
    }
    QFile big(sparse);  // a hole of 1 GiB: no disk space
    if (!big.open(QIODevice::WriteOnly) || !big.resize(qint64{1} << 30)) return 1;
  }

  tessary::TilePreview pane(tessary::DiskFileSystem());
  pane.show();
  FitView(pane, QSize(600, 800));
  pane.Show(Options(random, "$1000000"), true);
  QCoreApplication::processEvents();
  std::printf("preview_bench: view %dx%d, 16 MiB random file, all of it in the range\n",
              View(pane)->width(), View(pane)->height());
  const Times two = Redraws(pane, 2, 300);
  const Times one = Redraws(pane, 1, 300);
  std::printf(
      "redraw at 2x:  median %6.3f ms, worst %6.3f ms  (300 scroll positions; target <= 5)%s\n",
      two.median, two.worst, two.median <= 5 ? "" : "  OVER TARGET");
  std::printf("redraw at 1x:  median %6.3f ms, worst %6.3f ms\n", one.median, one.worst);

  pane.findChild<QSpinBox*>()->setValue(2);
  const double rss_before = PeakRssMiB();
  std::vector<double> first, far_end;
  for (int round = 0; round < 7; ++round) {
    pane.Show(Options(random, "$100"), true);  // away from the big file
    View(pane)->repaint();
    QElapsedTimer timer;
    timer.start();
    pane.Show(Options(sparse, "$40000000"), true);
    View(pane)->repaint();
    first.push_back(Ms(timer));
    timer.start();
    VerticalBar(pane)->setValue(VerticalBar(pane)->maximum());
    View(pane)->repaint();
    far_end.push_back(Ms(timer));
  }
  const Times scrolled = Redraws(pane, 2, 1000);
  const Times open = Summary(first);
  std::printf(
      "1 GiB sparse file: first paint median %.3f ms, worst %.3f ms (7 opens; target <= 100)%s\n",
      open.median, open.worst, open.worst <= 100 ? "" : "  OVER TARGET");
  std::printf(
      "1 GiB sparse file: paint at its end median %.3f ms; 1000 scroll positions: median "
      "%.3f ms, worst %.3f ms\n",
      Summary(far_end).median, scrolled.median, scrolled.worst);
  std::printf("peak RSS: %.1f MiB before the 1 GiB file, %.1f MiB after opening and scrolling it\n",
              rss_before, PeakRssMiB());

  // The window: from an edit of Start Offset to the preview's repaint.
  tessary::frmTessary form;
  form.show();
  form.findChild<QLineEdit*>(QStringLiteral("txt1"))->setText(random);
  QWidget* view = View(*form.findChild<tessary::TilePreview*>());
  int paints = 0;
  struct Counter : QObject {
    int* paints;
    explicit Counter(int* p) : paints(p) {}
    bool eventFilter(QObject*, QEvent* event) override {
      if (event->type() == QEvent::Paint) ++*paints;
      return false;
    }
  } counter(&paints);
  view->installEventFilter(&counter);
  std::vector<double> follow;
  for (int round = 0; round < 11; ++round) {
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 150) QCoreApplication::processEvents();
    const int before = paints;
    QElapsedTimer timer;
    timer.start();
    form.findChild<QLineEdit*>(QStringLiteral("txtStart"))->setText(QString::number(round * 8));
    while (paints == before && timer.elapsed() < 2000) QCoreApplication::processEvents();
    follow.push_back(Ms(timer));
  }
  const Times edit = Summary(follow);
  std::printf("field edit to repaint: median %.1f ms, worst %.1f ms (11 edits; target <= 100)%s\n",
              edit.median, edit.worst, edit.worst <= 100 ? "" : "  OVER TARGET");
  return 0;
}
