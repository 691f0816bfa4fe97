// Set-up shared by the window's tests: headless, with settings in a temporary folder.
#pragma once

#include <QString>
#include <QStringList>
#include <QTimer>
#include <functional>

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

// While it lives, closes every message box that opens and notes its text; `while_open`, when
// given, runs first, with the box still open.
class MessageBoxWatch {
 public:
  explicit MessageBoxWatch(std::function<void()> while_open = {});
  QStringList texts() const { return texts_; }

 private:
  QTimer poll_;
  QStringList texts_;
  std::function<void()> while_open_;
};

}  // namespace tessary::testing

// Defines main() for the test class `Class`.
#define TESSARY_WINDOW_TEST_MAIN(Class)                         \
  int main(int argc, char** argv) {                             \
    Class test;                                                 \
    return tessary::testing::RunWindowTests(&test, argc, argv); \
  }
