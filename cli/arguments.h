// tessary-cli's arguments: what they ask for, read from the command line, and the usage text.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/tile_picture.h"
#include "run/options.h"
#include "tiles/tile_style.h"

namespace tessary {

// What the arguments ask for.
struct CliRequest {
  enum class Action { kConvert, kHelp, kVersion };
  Action action = Action::kConvert;
  RunOptions options;
  TileStyle style;
  PictureOptions picture;  // --png and its options
  std::string bin_path;    // --bin: empty for none
};

// Parses the arguments after the program name. Returns the usage error, if any, worded for a
// message line: the user's text in it is shown through Quoted.
std::optional<std::string> ParseCliArgs(const std::vector<std::string>& args, CliRequest* request);

// The usage text printed by --help.
std::string CliUsage();

}  // namespace tessary
