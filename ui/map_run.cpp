#include "ui/map_run.h"

#include <filesystem>

#include "run/map_file.h"
#include "run/map_host.h"
#include "run/quoted.h"

namespace tessary {
namespace {

// Whether `a` and `b` name one file: an existing one, or one that the two would create.
bool SameTarget(FileSystem& files, const std::string& a, const std::string& b) {
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path x = fs::weakly_canonical(fs::absolute(fs::path(a), ec), ec);
  const fs::path y = fs::weakly_canonical(fs::absolute(fs::path(b), ec), ec);
  return (!ec && x == y) || files.SameFile(a, b);
}

RunResult Refused(const std::string& map_path, const char* other) {
  RunResult result;
  result.status = RunStatus::kFailed;
  result.message =
      "map file " + Quoted(map_path) + " is the " + other + " file; choose another map file";
  return result;
}

}  // namespace

RunResult RunWithMap(const RunOptions& options, const std::string& map_path, RunHost& host,
                     FileSystem& files) {
  if (!options.map) return Run(options, host, files);
  if (SameTarget(files, map_path, options.input_path)) return Refused(map_path, "input");
  if (SameTarget(files, map_path, options.output_path)) return Refused(map_path, "output");
  MapFile map(files, map_path, options.listing);
  MapHost map_host(host, map);
  RunResult result = Run(options, map_host, files);
  if (result.status == RunStatus::kDone) {
    const std::error_code ec = map.Commit();
    if (!ec) return result;
    result.status = RunStatus::kFailed;
    result.message =
        "the listing is written, but not map file " + Quoted(map_path) + ": " + ec.message();
  }
  if (const std::string left = map.Rollback(); !left.empty()) {
    result.message += "; map file " + Quoted(map_path) + " " + left;
  }
  return result;
}

}  // namespace tessary
