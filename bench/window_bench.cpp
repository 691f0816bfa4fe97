// window_bench: a run started from the window against the engine's own run, on a 4 MiB input.
//
// Both list the same 8x8 tiles of the same generated input to files in a temporary folder: the
// engine with Run() and a host that never pauses, the window by a click on "Go!" (offscreen,
// pausing for its events every 10 ms). Prints the median time of each and their ratio; fails
// when the two listings differ.
#include <QApplication>
#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "bench/scratch_settings.h"
#include "run/disk_file_system.h"
#include "run/host.h"
#include "run/run.h"
#include "ui/check_box.h"
#include "ui/frm_tessary.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kInputSize = 4 << 20;

double MedianMs(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  return ms[ms.size() / 2];
}

double TimeMs(const std::function<void()>& work) {
  const auto start = Clock::now();
  work();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

QByteArray Input() {
  QByteArray bytes(kInputSize, '\0');
  uint32_t x = 2024;
  for (char& c : bytes) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return bytes;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

int main(int argc, char** argv) {
  const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  QTemporaryDir dir;
  if (!dir.isValid()) return 1;
  tessary::UseScratchSettings(dir);
  QApplication app(argc, argv);

  const QString in = dir.filePath(QStringLiteral("sheet.chr"));
  const QString engine_out = dir.filePath(QStringLiteral("engine.H"));
  const QString window_out = dir.filePath(QStringLiteral("window.H"));
  {
    QFile file(in);
    if (!file.open(QIODevice::WriteOnly) || file.write(Input()) != kInputSize) return 1;
  }

  tessary::RunOptions options;
  options.input_path = QFile::encodeName(in).toStdString();
  options.output_path = QFile::encodeName(engine_out).toStdString();
  options.start_text = std::string("$0");
  options.end_text = std::string("$400000");
  options.tile_number_text = std::string("$00");

  tessary::frmTessary form;
  form.show();
  QCoreApplication::processEvents();
  const auto field = [&form](const char* name, const QString& text) {
    form.findChild<QLineEdit*>(QString::fromLatin1(name))->setText(text);
  };
  const auto box = [&form](const char* name, int value) {
    form.findChild<tessary::CheckBox*>(QString::fromLatin1(name))->setValue(value);
  };
  field("txt1", in);
  field("txt2", window_out);
  field("txtStart", QStringLiteral("$0"));
  field("txtEnd", QStringLiteral("$400000"));
  field("txtHex", QStringLiteral("$00"));
  for (const char* name : {"CVert", "CAppend", "CSkip", "C1616", "C812Mask", "CInvert"}) {
    box(name, 0);
  }
  box("CEven", 1);
  box("CHex", 1);
  QPushButton* go = form.findChild<QPushButton*>(QStringLiteral("cmdGo"));

  std::vector<double> engine_ms;
  std::vector<double> window_ms;
  int64_t tiles = 0;
  bool engine_ok = true;
  for (int round = 0; round < rounds; ++round) {
    engine_ms.push_back(TimeMs([&] {
      tessary::FixedStyleHost host({.labels = true, .invert = false});
      const tessary::RunResult result = tessary::Run(options, host, *tessary::DiskFileSystem());
      engine_ok = engine_ok && result.status == tessary::RunStatus::kDone;
      tiles = result.tiles;
    }));
    window_ms.push_back(TimeMs([&] { go->click(); }));
  }

  const QByteArray expected = Read(engine_out);
  if (!engine_ok || expected.isEmpty() || Read(window_out) != expected) {
    std::fprintf(stderr, "window_bench: the window's listing differs from the engine's\n");
    return 1;
  }
  const double engine = MedianMs(engine_ms);
  const double window = MedianMs(window_ms);
  std::printf("window_bench: 4 MiB input, 8x8 tiles by rows, %lld tiles, %lld bytes listed\n",
              static_cast<long long>(tiles), static_cast<long long>(expected.size()));
  std::printf("engine Run():      %8.1f ms  (median of %d)\n", engine, rounds);
  std::printf("run from window:   %8.1f ms  (median of %d)\n", window, rounds);
  std::printf("ratio window/engine: %.3f  (target <= 1.20)%s\n", window / engine,
              window / engine <= 1.2 ? "" : "  OVER TARGET");
  return 0;
}
