// Interrupts: turns SIGINT, SIGTERM and SIGHUP into a request to cancel the run in progress.
#pragma once

namespace tessary {

// Installs the handlers; from then on these signals no longer end the process at once, so the
// run can stop between tiles and put its output back.
void CatchInterrupts();

// True once one of the signals has arrived.
bool Interrupted();

}  // namespace tessary
