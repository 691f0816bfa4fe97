// tessary-cli: the command-line front end, from arguments to an exit status.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "run/file_system.h"
#include "version.h"

namespace tessary {

inline constexpr char kVersion[] = TESSARY_VERSION_TEXT;

// Runs tessary-cli: 0 when the listing was written (also when it holds no tile), 1 on an error
// or a range that does not qualify, 2 on a usage error. With --png the picture is written too,
// or neither is: a failed run puts both back. Messages go to `err` as one line
// "tessary-cli: <message>". An OUTPUT (or --png) of "-" writes to `out`, which must be open for
// writing. Once interrupts are caught (CatchInterrupts), an interrupt cancels the run and leaves
// the output as it was; one caught before RunCli cancels the run before it begins.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, FileSystem& files);

}  // namespace tessary
