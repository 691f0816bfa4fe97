// tessary-cli's entry point.
#include <cstdio>

#include "cli/cli.h"
#include "run/disk_file_system.h"
#include "run/signals.h"
#include "run/win_path.h"

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <signal.h>
#endif

int main(int argc, char** argv) {
  // First of all: until then an interrupt ends the process instead of cancelling the run.
  tessary::CatchInterrupts(-1, "tessary-cli");
#if !defined(_WIN32)
  // One that came while a parent held the signals back (they stay blocked across exec) is taken
  // now, and RunCli cancels the run before it begins.
  sigset_t interrupts;
  sigemptyset(&interrupts);
  for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&interrupts, signal_number);
  sigprocmask(SIG_UNBLOCK, &interrupts, nullptr);
#else
  // The listing's CR LF go out as they are, and messages naming files print in UTF-8.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
#endif
  return tessary::RunCli(tessary::Utf8Arguments(argc, argv), stdout, stderr,
                         *tessary::DiskFileSystem());
}
