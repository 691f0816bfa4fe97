#include "run/signals.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <time.h>
#include <unistd.h>
#endif

namespace tessary {
namespace {

// Set from a signal handler or, on Windows, from the console's handler thread.
std::atomic<bool> interrupted = false;
std::atomic<int> wake = -1;
std::atomic<int> put_backs = 0;  // PutBackScopes alive
static_assert(std::atomic<bool>::is_always_lock_free && std::atomic<int>::is_always_lock_free);

// What an interrupt that would end the process writes while an output is put back, after the
// program's name; made once by CatchInterrupts(), before any handler can read it.
constexpr char kPutBackNote[] = "putting the output file back as it was; wait for it to finish\n";
char note[sizeof kPutBackNote + 64] = {};
size_t note_size = 0;

// Writes the note to standard error (also from a signal handler).
void WriteNote() { [[maybe_unused]] const auto ignored = ::write(2, note, note_size); }

void SetNote(std::string_view program) {
  std::string text = program.empty() ? "" : std::string(program.substr(0, 60)) + ": ";
  text += kPutBackNote;
  std::memcpy(note, text.data(), text.size());
  note_size = text.size();
}

#if defined(_WIN32)
// Runs on a thread of its own. Ctrl-C and Ctrl-Break cancel the run like SIGINT; a second Ctrl-C
// is left to the system, which ends the process, unless an output is being put back. Closing the
// console, logging off or shutting down end the process once this returns, so it waits (the system
// allows a few seconds) while the run cancels and main() ends the process.
BOOL WINAPI OnConsoleEvent(DWORD event) {
  if (interrupted.exchange(true) && event == CTRL_C_EVENT) {
    if (put_backs == 0) return FALSE;
    WriteNote();
    return TRUE;
  }
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) {
    Sleep(INFINITE);
  }
  return TRUE;
}
#else
// Milliseconds on the monotonic clock (clock_gettime may be called in a signal handler).
int64_t NowMs() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

// A repeat within this time is the same interrupt: timeout(1), for one, signals the process and
// then its whole group.
constexpr int64_t kRepeatMs = 250;
std::atomic<int64_t> first_at = 0;
static_assert(std::atomic<int64_t>::is_always_lock_free);

extern "C" void OnInterrupt(int signal_number) {
  const int saved_errno = errno;  // the interrupted code may be about to read it
  if (!interrupted) first_at = NowMs();
  const bool again = interrupted.exchange(true);
  if (again && signal_number == SIGINT && NowMs() - first_at >= kRepeatMs) {
    if (put_backs > 0) {  // what a second Ctrl-C would cut short cannot be put back again
      WriteNote();
      errno = saved_errno;
      return;
    }
    std::signal(SIGINT, SIG_DFL);  // a second Ctrl-C: stop waiting for the cancel
    std::raise(SIGINT);
    return;
  }
  if (const int fd = wake; fd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t ignored = ::write(fd, &byte, 1);
  }
  errno = saved_errno;
}
#endif

}  // namespace

void CatchInterrupts(int wake_fd, std::string_view program) {
  wake = wake_fd;
  if (note_size == 0 || !program.empty()) SetNote(program);
#if defined(_WIN32)
  SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
#else
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);  // one handler at a time: none runs inside another
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&action.sa_mask, signal_number);
  action.sa_flags = 0;  // no SA_RESTART: blocked calls return EINTR
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaction(signal_number, &action, nullptr);
  std::signal(SIGXFSZ, SIG_IGN);
#endif
}

bool Interrupted() { return interrupted; }

PutBackScope::PutBackScope() { ++put_backs; }

PutBackScope::~PutBackScope() { --put_backs; }

}  // namespace tessary
