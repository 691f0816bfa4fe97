#include "cli/cli.h"

#include <charconv>
#include <filesystem>
#include <memory>

#if !defined(_WIN32)
#include <fcntl.h>
#include <sys/stat.h>
#endif

#include "run/disk_file_system.h"
#include "run/disk_input.h"
#include "run/host.h"
#include "run/quoted.h"
#include "run/run.h"
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

  TileSink* tiles = nullptr;

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

// Every option ApplyOption knows, and whether it takes a value.
struct OptionName {
  const char* name;
  bool takes_value;
};
constexpr OptionName kOptions[] = {
    {"--start", true},        {"--end", true},      {"--count-from", true},
    {"--skip", true},         {"--shape", true},    {"--syntax", true},
    {"--label-prefix", true}, {"--png", true},      {"--png-columns", true},
    {"--png-scale", true},    {"--pixels", false},  {"--no-labels", false},
    {"--invert", false},      {"--append", false},  {"--vertical", false},
    {"--help", false},        {"--version", false},
};

const OptionName* Known(const std::string& name) {
  for (const OptionName& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// Reads the whole number `value` of option `name` into `*out`; the usage error when it is not
// one from `low` to `high`.
std::optional<std::string> ReadWhole(const std::string& name, const std::string& value, int low,
                                     int high, int* out) {
  int number = 0;
  const char* end = value.data() + value.size();
  const auto [stop, ec] = std::from_chars(value.data(), end, number);
  if (ec != std::errc() || stop != end || number < low || number > high) {
    return name + " takes a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not " + Quoted(value);
  }
  *out = number;
  return std::nullopt;
}

// Applies one option with its value; returns the usage error, if any.
std::optional<std::string> ApplyOption(const std::string& name, const std::string& value,
                                       CliRequest* request) {
  RunOptions& o = request->options;
  if (name == "--start") {
    o.start_text = value;
  } else if (name == "--end") {
    o.end_text = value;
  } else if (name == "--count-from") {
    o.tile_number_text = value;
  } else if (name == "--skip") {
    if (value != "even" && value != "odd") return "--skip takes even or odd, not " + Quoted(value);
    o.skip = true;
    o.even = value == "even";
  } else if (name == "--shape") {
    if (value == "8x8") {
      o.shape = Shape::k8x8;
    } else if (value == "8x12") {
      o.shape = Shape::k8x12;
    } else if (value == "16x16") {
      o.shape = Shape::k16x16;
    } else {
      return "--shape takes 8x8, 8x12 or 16x16, not " + Quoted(value);
    }
  } else if (name == "--syntax") {
    const std::optional<Syntax> syntax = SyntaxNamed(value);
    if (!syntax) return "--syntax takes one of " + SyntaxNames() + "; not " + Quoted(value);
    o.listing.syntax = *syntax;
  } else if (name == "--label-prefix") {
    if (const auto problem = LabelPrefixProblem(value)) return "--label-prefix " + *problem;
    o.listing.label_prefix = value;
  } else if (name == "--png") {
#if defined(TESSARY_HAS_PNG)
    if (value.empty()) return std::string("--png needs a file name");
    request->picture.path = value;
#else
    return std::string("--png is not available: this tessary-cli was built without libpng");
#endif
  } else if (name == "--png-columns") {
    return ReadWhole(name, value, 1, kMaxPictureColumns, &request->picture.columns);
  } else if (name == "--png-scale") {
    return ReadWhole(name, value, 1, kMaxPictureScale, &request->picture.scale);
  } else if (name == "--pixels") {
    o.listing.pixels = true;
  } else if (name == "--no-labels") {
    request->style.labels = false;
  } else if (name == "--invert") {
    request->style.invert = true;
  } else if (name == "--append") {
    o.append = true;
  } else if (name == "--vertical") {
    o.vertical = true;
  } else if (name == "--help") {
    request->action = CliRequest::Action::kHelp;
  } else if (name == "--version") {
    request->action = CliRequest::Action::kVersion;
  } else {
    return "unknown option " + Quoted(name);
  }
  return std::nullopt;
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

#if defined(TESSARY_HAS_PNG)
// Whether two outputs, each a path or "-" for `out`, lead into one file, pipe or socket, as
// /dev/stdout and a redirected standard output do. Devices (a terminal, /dev/null) take both.
bool OneTarget(const std::string& a, const std::string& b, std::FILE* out) {
#if defined(_WIN32)
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

// Whether the picture would land on the listing: one path, one file by two names, one pipe, or
// standard output ("-") redirected into the other.
bool PictureOnListing(FileSystem& files, std::FILE* out, const std::string& picture,
                      const std::string& listing) {
  if (picture == listing || OneTarget(picture, listing, out)) return true;
  if (picture == "-" || listing == "-") {
    return picture == "-" ? files.SameFile(listing, picture) : files.SameFile(picture, listing);
  }
  // Both made absolute first: a path none of whose folders exist stays relative otherwise.
  namespace fs = std::filesystem;
  std::error_code ec;
  const fs::path a = fs::weakly_canonical(fs::absolute(PathFromUtf8(picture), ec), ec);
  const fs::path b = fs::weakly_canonical(fs::absolute(PathFromUtf8(listing), ec), ec);
  return (!ec && a == b) || files.SameFile(picture, listing);
}

// The run with a picture beside the listing: the picture is finished before the listing is
// made final and made final right after it; a failed run puts both back.
int RunWithPicture(const CliRequest& request, InterruptibleHost& host, FileSystem& files,
                   std::FILE* out, std::FILE* err) {
  const RunOptions& options = request.options;
  const std::string name = "picture file " + Quoted(request.picture.path);
  std::string problem;
  if (files.SameFile(options.input_path, request.picture.path)) {
    problem = name + " is the input file; choose another picture file";
  } else if (PictureOnListing(files, out, request.picture.path, options.output_path)) {
    problem = name + " is the output file; choose another picture file";
  }
  const std::unique_ptr<TilePicture> picture = NewTilePicture(files, request.picture);
  if (problem.empty()) {
    host.tiles = picture.get();
    const RunResult result = Run(options, host, files);
    problem = result.message;
    if (result.status == RunStatus::kDone && picture->tiles() == 0) {
      std::fprintf(err, "tessary-cli: no tile listed; %s is not written\n", name.c_str());
      return 0;
    }
    if (result.status == RunStatus::kDone) {
      const std::error_code ec = picture->Commit();
      if (!ec) return 0;
      problem = "the listing is written, but not " + name + ": " + ec.message();
    }
    if (const std::string left = picture->Rollback(); !left.empty()) {
      problem += "; " + name + " " + left;
    }
  }
  std::fprintf(err, "tessary-cli: %s\n", problem.c_str());
  return 1;
}
#endif

}  // namespace

std::optional<std::string> ParseCliArgs(const std::vector<std::string>& args, CliRequest* request) {
  std::vector<std::string> paths;
  bool options_end = false;
  std::string picture_option;  // the last --png-columns or --png-scale
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_end || arg == "-" || arg.rfind("--", 0) != 0) {
      if (!options_end && arg.size() > 1 && arg[0] == '-') return "unknown option " + Quoted(arg);
      paths.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_end = true;
      continue;
    }
    const size_t equals = arg.find('=');
    const std::string name = arg.substr(0, equals);
    const OptionName* option = Known(name);
    if (option == nullptr) return "unknown option " + Quoted(name);
    std::string value;
    if (equals != std::string::npos) {
      if (!option->takes_value) return name + " takes no value";
      value = arg.substr(equals + 1);
    } else if (option->takes_value) {
      // "--end --vertical" lacks a value rather than ending at "--vertical".
      if (++i == args.size() || args[i].rfind("--", 0) == 0) return name + " needs a value";
      value = args[i];
    }
    if (auto error = ApplyOption(name, value, request)) return error;
    if (name.rfind("--png-", 0) == 0) picture_option = name;
  }
  if (request->action != CliRequest::Action::kConvert) return std::nullopt;
  if (!picture_option.empty() && request->picture.path.empty()) {
    return picture_option + " goes with --png";
  }
  const ListingSyntax& listing = request->options.listing;
  if (!listing.label_prefix.empty()) {
    if (!request->style.labels) {
      return "--label-prefix needs label lines, and --no-labels leaves them empty";
    }
    if (!ProfileOf(listing.syntax).symbol_tail) {
      return std::string("--label-prefix cannot go with --syntax ") +
             ProfileOf(listing.syntax).name + ", which has no symbols, only comments";
    }
  }
  if (paths.size() != 2)
    return "expected INPUT and OUTPUT, got " + std::to_string(paths.size()) + " file name" +
           (paths.size() == 1 ? "" : "s");
  request->options.input_path = paths[0];
  request->options.output_path = paths[1];
  return std::nullopt;
}

// `text` with its blanks after commas turned into line breaks where a line would pass 80
// columns; later lines are indented by `indent`.
std::string Wrapped(std::string text, size_t indent) {
  size_t line_start = 0;
  size_t last_break = std::string::npos;
  for (size_t at = text.find(", "); at != std::string::npos; at = text.find(", ", at + 1)) {
    if (at + 2 - line_start + indent > 80 && last_break != std::string::npos) {
      std::string line_break(1, '\n');
      line_break.append(indent, ' ');
      text.replace(last_break, 1, line_break);
      line_start = last_break + 1;
      at += indent;
    }
    last_break = at + 1;
  }
  return text;
}

std::string CliUsage() {
  return "Usage: tessary-cli [OPTIONS] INPUT OUTPUT\n"
         "Lists a byte range of INPUT as 8x8 one-bit tiles in assembler source.\n"
         "INPUT \"-\" reads standard input, OUTPUT \"-\" writes to standard output. A pipe is\n"
         "read as it comes (the start offset is skipped by reading), except with --vertical,\n"
         "which keeps the whole range of a pipe in memory.\n"
         "  --start TEXT         start offset in the number notation (default 0)\n"
         "  --end TEXT           end offset, exclusive (default: the size of INPUT)\n"
         "  --count-from TEXT    first tile number (default $00)\n"
         "  --no-labels          empty label lines, as with \"Hex Count From\" unchecked\n"
         "  --invert             inverted digits\n"
         "  --append             add to OUTPUT instead of replacing it\n"
         "  --vertical           list 8x8 tiles column by column\n"
         "  --skip even|odd      list only the even or only the odd block columns\n"
         "  --shape 8x8|8x12|16x16   (default 8x8)\n"
         "  --syntax NAME        the assembler's syntax (default classic, \" .db %01101100\")\n"
         "  --pixels             draw each row as a comment: \".\" for 0, \"#\" for 1\n"
         "  --label-prefix TEXT  label lines define the symbol TEXT and the tile number\n"
         "  --png FILE           also draw the listed tiles as a PNG picture, digit 1 black\n"
         "  --png-columns N      tiles per picture row, 1 to 1024 (default 16)\n"
         "  --png-scale N        pixels per tile pixel across and down, 1 to 16 (default 1)\n"
         "  --help, --version\n"
         "Syntax names: " +
         Wrapped(SyntaxNames(), 14) +
         "\n"
         "Numbers: $ hexadecimal, % binary, 'c a character code, otherwise decimal.\n"
         "Exit status: 0 listing written, 1 error or nothing to list, 2 usage error.\n";
}

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
  for (const auto& [path, what] : {std::pair{request.options.output_path, "output file"},
                                   std::pair{request.picture.path, "picture file"}}) {
    if (const std::string why = path == "-" ? Unwritable(out) : ""; !why.empty()) {
      std::fprintf(err, "tessary-cli: cannot write %s \"-\": %s\n", what, why.c_str());
      return 1;
    }
  }
  StreamAwareFileSystem stream_aware(files, out);
  InterruptibleHost host(request.style);
#if defined(TESSARY_HAS_PNG)
  if (!request.picture.path.empty()) return RunWithPicture(request, host, stream_aware, out, err);
#endif
  const RunResult result = Run(request.options, host, stream_aware);
  if (result.status == RunStatus::kDone) return 0;
  std::fprintf(err, "tessary-cli: %s\n", result.message.c_str());
  return 1;
}

}  // namespace tessary
