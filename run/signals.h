// Signals: how the process takes interrupts (SIGINT, SIGTERM, SIGHUP) and a file size limit.
#pragma once

#include <string_view>

namespace tessary {

// Makes the interrupt signals a request to cancel: each sets the flag that Interrupted() reads
// and, when `wake_fd` is not -1, writes one byte to it (for an event loop to notice). They are
// caught without SA_RESTART, so a blocked open or write returns EINTR and the caller can ask
// Interrupted(). A SIGINT that arrives after an interrupt ends the process at once, unless a
// PutBackScope lives. SIGXFSZ is ignored, so a write past a file size limit fails with EFBIG
// instead of killing the process.
// On Windows the console's Ctrl-C, Ctrl-Break and close events take the signals' place, and
// `wake_fd` is not used. `program` names the program at the start of that line. Call once,
// early; calling again only changes `wake_fd` (and the name, when one is given).
void CatchInterrupts(int wake_fd = -1, std::string_view program = "");

// True once an interrupt signal has arrived. Safe to ask from anywhere, at any time.
bool Interrupted();

// While one lives, an output is being put back as it was, which must not be cut short: an
// interrupt that would end the process at once (a second Ctrl-C) only writes a line saying so
// to standard error. They may nest, and may live on any thread.
class PutBackScope {
 public:
  PutBackScope();
  ~PutBackScope();
  PutBackScope(const PutBackScope&) = delete;
  PutBackScope& operator=(const PutBackScope&) = delete;
};

}  // namespace tessary
