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
#endif

int main(int argc, char** argv) {
#if defined(_WIN32)
  // The listing's CR LF go out as they are, and messages naming files print in UTF-8.
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  _setmode(_fileno(stdin), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);
#endif
  tessary::CatchInterrupts();
  return tessary::RunCli(tessary::Utf8Arguments(argc, argv), stdout, stderr,
                         *tessary::DiskFileSystem());
}
