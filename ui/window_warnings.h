// WindowWarnings: where the window's warnings go, a box over it or, once an interrupt closes it,
// stderr.
#pragma once

#include <QString>

class QWidget;

namespace tessary {

// After an interrupt nobody may be there to click a box, which would hold the close up; the
// warnings then go to stderr as "tessary: <text>".
class WindowWarnings {
 public:
  explicit WindowWarnings(QWidget* window) : window_(window) {}

  // A warning box over the window, which waits for a click; on stderr after Interrupt().
  void Show(const QString& text);
  // As Show(), once the event loop runs again (the window then shows); an Interrupt() before
  // that prints it.
  void ShowSoon(const QString& text);
  // From now on warnings go to stderr. One that waits to show, or waits for a click in a box
  // (which is closed), is printed now.
  void Interrupt();

 private:
  QWidget* window_;
  QString soon_;  // the warning ShowSoon() holds back
  bool interrupted_ = false;
};

}  // namespace tessary
