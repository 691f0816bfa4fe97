// RunWithMap: the run that Go! starts, with the window's map file written beside the listing.
#pragma once

#include <string>

#include "run/file_system.h"
#include "run/host.h"
#include "run/run.h"

namespace tessary {

// Runs `options` on `host`, as Run() does. With options.map, `map_path` names the map file: it is
// refused (kFailed, nothing touched) when it is the input or the output file; else the numbers
// go to a MapFile there, made final right after the listing, and put back when the run does not
// end with kDone or the map cannot be made final (the message then says so, and what became of
// the map file when it cannot be put back).
RunResult RunWithMap(const RunOptions& options, const std::string& map_path, RunHost& host,
                     FileSystem& files);

}  // namespace tessary
