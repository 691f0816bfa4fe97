// SignalWatch: interrupt signals (SIGINT, SIGTERM, SIGHUP) delivered to the event loop.
#pragma once

#include <QObject>

class QSocketNotifier;

namespace tessary {

// Catches the interrupt signals (run/signals.h) and emits arrived() from the event loop for
// each, so the window can end a run and close as the user would. One per process, made after
// the application; where the platform has no such signals it never emits.
class SignalWatch : public QObject {
  Q_OBJECT

 public:
  explicit SignalWatch(QObject* parent = nullptr);
  ~SignalWatch() override;

 signals:
  void arrived();

 private:
  int fds_[2] = {-1, -1};  // the handler writes to [1]; the notifier reads [0]
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace tessary
