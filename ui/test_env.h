// Set-up shared by the window's tests: headless, with settings in a temporary folder, and a
// window over in-memory files to run from.
#pragma once

#include <QElapsedTimer>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <string>

#include "run/mem_file_system.h"
#include "ui/frm_tessary.h"

class QObject;

namespace tessary::testing {

// Points the per-user settings at a fresh temporary folder and the display at the offscreen
// platform (unless one is named), makes the application and runs the tests of `test`. Refuses
// to run when the settings would not land in that folder.
int RunWindowTests(QObject* test, int argc, char** argv);

// The folder that holds the settings of this test run; the store is its Tessary/Tessary.conf.
QString SettingsFolder();
QString SettingsFile();

// Removes the settings store, so that the next window starts as on a first start.
void ClearSettings();

// While it lives, notes the text of every message box that opens and clicks it `patience`
// later; `while_open`, when given, runs as the box is first seen. A box that something else
// closes within its patience is noted but not counted in clicks().
class MessageBoxWatch {
 public:
  explicit MessageBoxWatch(std::function<void()> while_open = {}, int patience_ms = 0);
  QStringList texts() const { return texts_; }
  int clicks() const { return clicks_; }

 private:
  QTimer poll_;
  QStringList texts_;
  int clicks_ = 0;
  std::function<void()> while_open_;
  int patience_ms_;
  QPointer<QMessageBox> seen_;  // the box open at the last poll
  QElapsedTimer open_for_;
};

// `count` bytes of a pattern that repeats no tile soon.
std::string PatternBytes(size_t count);

// Sets the fields txt1, txt2, txtStart, txtEnd, txtHex, then the boxes Vertical, Append, Skip,
// Even, Invert, 16x16, 8x12 Masked, Hex Count From from the digits of `boxes`.
void Fill(QWidget& form, const QStringList& texts, const QString& boxes = "00010001");

void ClickGo(QWidget& form);

// The status line of the window's preview pane.
QString Status(QWidget& form);

// A window over the in-memory files "in" (`size` bytes) and "out" ("; kept"), its boxes set as
// Fill() does, pausing before every tile; `pause` fires at every pause.
struct MemWindow {
  MemFileSystem files;
  frmTessary form{nullptr, &files};
  QTimer pause;
  int pauses = 0;
  explicit MemWindow(size_t size, const QString& boxes = "00010001");
  void Go();
};

}  // namespace tessary::testing

// Defines main() for the test class `Class`.
#define TESSARY_WINDOW_TEST_MAIN(Class)                         \
  int main(int argc, char** argv) {                             \
    Class test;                                                 \
    return tessary::testing::RunWindowTests(&test, argc, argv); \
  }
