#include "cli/interrupts.h"

#include <atomic>
#include <csignal>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace tessary {
namespace {

// Set from a signal handler or, on Windows, from the console's handler thread.
std::atomic<bool> interrupted = false;
static_assert(std::atomic<bool>::is_always_lock_free);

#if defined(_WIN32)
// Runs on a thread of its own. Ctrl-C and Ctrl-Break cancel the run like SIGINT. Closing the
// console, logging off or shutting down end the process once this returns, so it waits (the
// system allows a few seconds) while the run cancels and main() ends the process.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  interrupted = true;
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    Sleep(INFINITE);
  }
  return TRUE;
}
#else
extern "C" void OnInterrupt(int) { interrupted = true; }
#endif

}  // namespace

void CatchInterrupts() {
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  std::signal(SIGINT, OnInterrupt);
  std::signal(SIGTERM, OnInterrupt);
  std::signal(SIGHUP, OnInterrupt);
#endif
}

bool Interrupted() { return interrupted; }

}  // namespace tessary
