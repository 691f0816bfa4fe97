// tessary-cli's entry point.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "cli/interrupts.h"
#include "run/disk_file_system.h"

int main(int argc, char** argv) {
  tessary::CatchInterrupts();
  const std::vector<std::string> args(argv + 1, argv + argc);
  return tessary::RunCli(args, stdout, stderr, *tessary::DiskFileSystem());
}
