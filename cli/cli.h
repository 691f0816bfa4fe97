// tessary-cli: the command-line front end, from arguments to an exit status.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/tile_picture.h"
#include "run/file_system.h"
#include "run/options.h"
#include "tiles/tile_style.h"
#include "version.h"

namespace tessary {

inline constexpr char kVersion[] = TESSARY_VERSION_TEXT;

// What the arguments ask for.
struct CliRequest {
  enum class Action { kConvert, kHelp, kVersion };
  Action action = Action::kConvert;
  RunOptions options;
  TileStyle style;
  PictureOptions picture;  // --png and its options
};

// Parses the arguments after the program name. Returns the usage error, if any.
std::optional<std::string> ParseCliArgs(const std::vector<std::string>& args, CliRequest* request);

// The usage text printed by --help.
std::string CliUsage();

// Runs tessary-cli: 0 when the listing was written (also when it holds no tile), 1 on an error
// or a range that does not qualify, 2 on a usage error. With --png the picture is written too,
// or neither is: a failed run puts both back. Messages go to `err` as one line
// "tessary-cli: <message>". An OUTPUT of "-" writes the listing to `out`. Once interrupts are
// caught (CatchInterrupts), an interrupt cancels the run and leaves the output as it was.
int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err, FileSystem& files);

}  // namespace tessary
