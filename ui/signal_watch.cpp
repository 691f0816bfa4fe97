#include "ui/signal_watch.h"

#include <QSocketNotifier>

#include "run/signals.h"

#if !defined(_WIN32)
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tessary {

SignalWatch::SignalWatch(QObject* parent) : QObject(parent) {
#if !defined(_WIN32)
  if (::pipe(fds_) != 0) {
    CatchInterrupts();  // still cancels a blocked write; the window just is not told
    return;
  }
  for (int fd : fds_) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    ::fcntl(fd, F_SETFD, FD_CLOEXEC);
  }
  notifier_ = new QSocketNotifier(fds_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, [this] {
    char bytes[16];
    while (::read(fds_[0], bytes, sizeof bytes) > 0) {
    }
    emit arrived();
  });
  CatchInterrupts(fds_[1], "tessary");
#else
  CatchInterrupts();
#endif
}

SignalWatch::~SignalWatch() {
#if !defined(_WIN32)
  CatchInterrupts();  // the handlers stop writing to the pipe before it goes
  for (int fd : fds_) {
    if (fd >= 0) ::close(fd);
  }
#endif
}

}  // namespace tessary
