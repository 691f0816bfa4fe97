#include "cli/cli.h"

#include <filesystem>
#include <memory>
#include <vector>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "cli/tile_bytes_file.h"
#include "run/disk_file_system.h"
#include "run/disk_input.h"
#include "run/host.h"
#include "run/map_file.h"
#include "run/quoted.h"
#include "run/run.h"
#include "run/side_output.h"
#include "run/signals.h"
#include "run/win_path.h"

namespace tessary {
namespace {

// Reads the input "-" from standard input, sends the output "-" to a stream, and leaves every
// other call to `base`.
class StreamAwareFileSystem : public FileSystem {
 public:
  StreamAwareFileSystem(FileSystem& base, std::FILE* stream) : base_(base), stream_(stream) {}
  std::error_code OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) override {
    if (path != "-") return base_.OpenInput(path, out);
    return OpenDescriptorInput(fileno(stdin), out);
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    if (a != "-" && b != "-") return base_.SameFile(a, b);
    // Standard input or output redirected from or into the other file.
    return SameRegularFile(a == "-" ? stdin : nullptr, PathFromUtf8(a),
                           b == "-" ? stream_ : nullptr, PathFromUtf8(b));
  }
  std::error_code OpenOutput(const std::string& path, bool append,
                             std::unique_ptr<OutputFile>* out) override {
    if (path != "-") return base_.OpenOutput(path, append, out);
    *out = NewStreamOutput(stream_);
    return {};
  }

 private:
  FileSystem& base_;
  std::FILE* stream_;
};

// Lists with a fixed style; a caught interrupt cancels the run within about a millisecond.
class InterruptibleHost : public RunHost {
 public:
  explicit InterruptibleHost(TileStyle style) : style_(style) {}
  std::chrono::nanoseconds YieldInterval() const override { return std::chrono::milliseconds(1); }
  bool Yield() override { return !Interrupted(); }
  TileStyle CurrentStyle() override { return style_; }
  TileSink* Tiles() override { return tiles; }
  MapSink* Map() override { return map; }

  TileSink* tiles = nullptr;
  MapSink* map = nullptr;

 private:
  TileStyle style_;
};

// Prints `text` to `out`; 1 with a message on `err` when standard output cannot take it.
int Print(const std::string& text, std::FILE* out, std::FILE* err) {
  std::fputs(text.c_str(), out);
  if (std::fflush(out) == 0 && !std::ferror(out)) return 0;
  std::fputs("tessary-cli: cannot write to standard output\n", err);
  return 1;
}

// A finished run: its note, if any, on `err`; exit status 0.
int Done(const RunResult& result, std::FILE* err) {
  if (!result.note.empty()) std::fprintf(err, "tessary-cli: note: %s\n", result.note.c_str());
  return 0;
}

// Why the stream `out`, standard output, cannot take a file, or "" when it can.
std::string Unwritable(std::FILE* out) {
#if defined(_WIN32)
  return _fileno(out) < 0 ? "standard output is closed" : "";
#else
  const int flags = fcntl(fileno(out), F_GETFL);
  if (flags == -1) return "standard output is closed";
  return (flags & O_ACCMODE) == O_RDONLY ? "standard output is open for reading only" : "";
#endif
}

// Whether two outputs, each a path or "-" for `out`, lead into one file, pipe or socket, as
// /dev/stdout and a redirected standard output do. Devices (a terminal, /dev/null) take both.
bool OneTarget(const std::string& a, const std::string& b, std::FILE* out) {
#if defined(_WIN32)
  (void)a, (void)b, (void)out;
  return false;  // no such names; SameFile compares files
#else
  struct stat a_stat, b_stat;
  const auto look = [out](const std::string& path, struct stat* s) {
    return path == "-" ? fstat(fileno(out), s) == 0 : stat(path.c_str(), s) == 0;
  };
  return look(a, &a_stat) && look(b, &b_stat) && !S_ISCHR(a_stat.st_mode) &&
         a_stat.st_dev == b_stat.st_dev && a_stat.st_ino == b_stat.st_ino;
#endif
}

// Whether a side output would land on another output: one path, one file by two names, one
// pipe, or standard output ("-") redirected into the other.
bool SameOutput(FileSystem& files, std::FILE* out, const std::string& side,
                const std::string& other) {
  if (side == other || OneTarget(side, other, out)) return true;
  if (side == "-" || other == "-") {
    return side == "-" ? files.SameFile(other, side) : files.SameFile(side, other);
  }
  // Both made absolute first: a path none of whose folders exist stays relative otherwise.
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(fs::absolute(PathFromUtf8(side), ec), ec);
  const fs::path b = fs::weakly_canonical(fs::absolute(PathFromUtf8(other), ec), ec);
  return (!ec && a == b) || files.SameFile(side, other);
}

// A file written beside the listing: its path, how messages name it, and its writer.
struct Side {
  std::string path;
  std::string kind;  // "picture file"
  std::unique_ptr<SideOutput> output;
  MapSink* map = nullptr;  // the map file's: it takes numbers, not tiles
  std::string name() const { return kind + " " + Quoted(path); }
};

// The files that the request writes beside the listing, in the order they are made final.
std::vector<Side> SidesOf(const CliRequest& request, FileSystem& files) {
  std::vector<Side> sides;
#if defined(TESSARY_HAS_PNG)
  if (!request.picture.path.empty()) {
    sides.push_back({request.picture.path, "picture file", NewTilePicture(files, request.picture)});
  }
#endif
  if (!request.bin_path.empty()) {
    sides.push_back({request.bin_path, "binary file", NewTileBytesFile(files, request.bin_path)});
  }
  if (!request.map_path.empty()) {
    auto map = std::make_unique<MapFile>(files, request.map_path, request.options.listing);
    MapSink* sink = map.get();
    sides.push_back({request.map_path, "map file", std::move(map), sink});
  }
  return sides;
}

// Why the side outputs cannot be written where they are asked for, or "".
std::string SidesProblem(const std::vector<Side>& sides, const RunOptions& options,
                         FileSystem& files, std::FILE* out) {
  for (size_t k = 0; k < sides.size(); ++k) {
    const Side& side = sides[k];
    const std::string choose = "; choose another " + side.kind;
    if (files.SameFile(options.input_path, side.path)) {
      return side.name() + " is the input file" + choose;
    }
    if (SameOutput(files, out, side.path, options.output_path)) {
      return side.name() + " is the output file" + choose;
    }
    for (size_t j = 0; j < k; ++j) {
      if (SameOutput(files, out, side.path, sides[j].path)) {
        return side.name() + " is the " + sides[j].kind + choose;
      }
    }
  }
  return "";
}

// The run with files beside the listing: they are finished before the listing is made final
// and made final right after it; a failed run puts them all back.
int RunWithSides(const CliRequest& request, InterruptibleHost& host, FileSystem& files,
                 std::FILE* out, std::FILE* err) {
  std::vector<Side> sides = SidesOf(request, files);
  std::string problem = SidesProblem(sides, request.options, files, out);
  if (problem.empty()) {
    std::vector<SideOutput*> outputs;
    for (Side& side : sides) {
      if (side.map) {
        host.map = side.map;
      } else {
        outputs.push_back(side.output.get());
      }
    }
    FanOutSink fan_out(outputs);
    host.tiles = outputs.empty() ? nullptr : &fan_out;
    const RunResult result = Run(request.options, host, files);
    problem = result.message;
    if (result.status == RunStatus::kDone) {
      size_t done = 0;
      std::error_code ec;
      while (done < sides.size() && !(ec = sides[done].output->Commit())) ++done;
      if (done == sides.size()) return Done(result, err);
      problem = "the listing is written, but not " + sides[done].name() + ": " + ec.message();
      sides.erase(sides.begin(), sides.begin() + static_cast<ptrdiff_t>(done));
    }
    for (Side& side : sides) {
      if (const std::string left = side.output->Rollback(); !left.empty()) {
        problem += "; " + side.name() + " " + left;
      }
    }
  }
  std::fprintf(err, "tessary-cli: %s\n", problem.c_str());
  return 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::FILE* out, std::FILE* err,
           FileSystem& files) {
  CliRequest request;
  if (const auto error = ParseCliArgs(args, &request)) {
    std::fprintf(err, "tessary-cli: %s\nTry 'tessary-cli --help'.\n", error->c_str());
    return 2;
  }
  switch (request.action) {
    case CliRequest::Action::kHelp:
      return Print(CliUsage(), out, err);
    case CliRequest::Action::kVersion:
      return Print(std::string("tessary-cli ") + kVersion + "\n", out, err);
    case CliRequest::Action::kConvert:
      break;
  }
  // An interrupt held back until the handlers were in place.
  if (Interrupted()) {
    std::fputs("tessary-cli: cancelled; nothing was written\n", err);
    return 1;
  }
  // Else a closed standard output is taken by the first file opened, and looks like it.
  for (const auto& [path, what] :
       {std::pair{request.options.output_path, "output file"},
        std::pair{request.picture.path, "picture file"}, std::pair{request.bin_path, "binary file"},
        std::pair{request.map_path, "map file"}}) {
    if (const std::string why = path == "-" ? Unwritable(out) : ""; !why.empty()) {
      std::fprintf(err, "tessary-cli: cannot write %s \"-\": %s\n", what, why.c_str());
      return 1;
    }
  }
  StreamAwareFileSystem stream_aware(files, out);
  InterruptibleHost host(request.style);
  if (!request.picture.path.empty() || !request.bin_path.empty() || !request.map_path.empty()) {
    return RunWithSides(request, host, stream_aware, out, err);
  }
  const RunResult result = Run(request.options, host, stream_aware);
  if (result.status == RunStatus::kDone) return Done(result, err);
  std::fprintf(err, "tessary-cli: %s\n", result.message.c_str());
  return 1;
}

}  // namespace tessary
