#include "cli/arguments.h"


#include "notation/val2.h"
#include "notation/whole_number.h"
#include "run/quoted.h"
#include "tiles/syntax.h"

namespace tessary {
namespace {

// Every option ApplyOption knows, and whether it takes a value.
struct OptionName {
  const char* name;
  bool takes_value;
};
constexpr OptionName kOptions[] = {
    {"--start", true},        {"--end", true},       {"--count-from", true},
    {"--skip", true},         {"--shape", true},     {"--syntax", true},
    {"--label-prefix", true}, {"--png", true},       {"--png-columns", true},
    {"--png-scale", true},    {"--pixels", false},   {"--no-labels", false},
    {"--invert", false},      {"--append", false},   {"--vertical", false},
    {"--help", false},        {"--version", false},  {"--every-tile", false},
    {"--glyph", true},        {"--glyph-gap", true}, {"--raw", false},
    {"--threshold", true},    {"--bin", true},       {"--unique", false},
    {"--map", true},
};

const OptionName* Known(const std::string& name) {
  for (const OptionName& option : kOptions) {
    if (name == option.name) return &option;
  }
  return nullptr;
}

// Reads the whole number `value` of option `name`, in the number notation, into `*out`; the
// usage error when it is not one from `low` to `high`.
std::optional<std::string> ReadWhole(const std::string& name, const std::string& value, int low,
                                     int high, int* out) {
  const std::optional<int32_t> number = Val2(value);
  if (WholeNumberProblem(value) || !number || *number < low || *number > high) {
    return name + " takes a whole number from " + std::to_string(low) + " to " +
           std::to_string(high) + ", not " + Quoted(value);
  }
  *out = *number;
  return std::nullopt;
}

// Applies one option with its value; returns the usage error, if any.
std::optional<std::string> ApplyOption(const std::string& name, const std::string& value,
                                       CliRequest* request) {
  RunOptions& o = request->options;
  if (name == "--start" || name == "--end" || name == "--count-from") {
    // Val2 reads what it can; a build script wants a typo refused instead.
    if (const auto problem = WholeNumberProblem(value))
      return name + " " + Quoted(value) + ": " + *problem;
    (name == "--start" ? o.start_text
     : name == "--end" ? o.end_text.emplace()
                       : o.tile_number_text) = value;
  } else if (name == "--every-tile") {
    o.every_tile = true;
  } else if (name == "--glyph") {
    const std::optional<GlyphShape> glyph = GlyphNamed(value);
    if (!glyph) {
      return "--glyph takes WxH, W 8, 16, 24 or 32 and H 1 to 64 (8x16, 24x21), not " +
             Quoted(value);
    }
    const int32_t gap = o.glyph ? o.glyph->gap : 0;
    o.glyph = *glyph;
    o.glyph->gap = gap;
  } else if (name == "--glyph-gap") {
    int gap = 0;
    if (auto error = ReadWhole(name, value, 0, kMaxGlyphGap, &gap)) return error;
    if (!o.glyph) o.glyph = GlyphShape{0, 0, 0};  // the shape comes with --glyph
    o.glyph->gap = gap;
  } else if (name == "--raw") {
    o.raw = true;
  } else if (name == "--threshold") {
    return ReadWhole(name, value, 1, 255, &o.threshold);
  } else if (name == "--bin") {
    if (value.empty()) return std::string("--bin needs a file name");
    request->bin_path = value;
  } else if (name == "--unique") {
    o.unique = true;
  } else if (name == "--map") {
    if (value.empty()) return std::string("--map needs a file name");
    request->map_path = value;
    o.map = true;
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

// The usage error of options that do not go together with a glyph shape, if any.
std::optional<std::string> ShapeConflict(const RunOptions& o, const std::string& shape) {
  if (!o.glyph) return std::nullopt;
  if (o.glyph->width == 0) return std::string("--glyph-gap goes with --glyph");
  if (o.vertical)
    return std::string("--glyph cannot go with --vertical: glyphs are listed in order");
  if (o.skip) return std::string("--glyph cannot go with --skip: glyphs have no block columns");
  if (!shape.empty())
    return "--glyph cannot go with --shape " + Quoted(shape) + ": it is a shape of its own";
  return std::nullopt;
}

// The usage error of --unique or --map with a walk other than the 8x8 row walk, if any.
std::optional<std::string> CellsConflict(const RunOptions& o, const std::string& shape) {
  if (!o.unique && !o.map) return std::nullopt;
  const std::string option = o.unique ? "--unique" : "--map";
  std::string other;
  if (o.vertical) other = "--vertical";
  if (o.skip) other = "--skip";
  if (o.shape != Shape::k8x8) other = "--shape " + shape;
  if (o.glyph) other = "--glyph";
  if (other.empty()) return std::nullopt;
  return option + " cannot go with " + other + ": it takes every 8x8 cell, row by row";
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

}  // namespace

std::optional<std::string> ParseCliArgs(const std::vector<std::string>& args, CliRequest* request) {
  std::vector<std::string> paths;
  bool options_end = false;
  std::string picture_option;  // the last --png-columns or --png-scale
  std::string shape_option;    // the last --shape
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
    if (name == "--shape") shape_option = value;
    if (name.rfind("--png-", 0) == 0) picture_option = name;
  }
  if (request->action != CliRequest::Action::kConvert) return std::nullopt;
  if (!picture_option.empty() && request->picture.path.empty()) {
    return picture_option + " goes with --png";
  }
  if (const auto error = ShapeConflict(request->options, shape_option)) return error;
  if (const auto error = CellsConflict(request->options, shape_option)) return error;
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
         "  --every-tile         also list the whole tiles of a last, partial tile row\n"
         "  --glyph WxH          glyphs of consecutive bytes, W 8/16/24/32, H 1-64 (8x16)\n"
         "  --glyph-gap N        bytes skipped after each glyph (24x21 sprites: 1)\n"
         "  --syntax NAME        the assembler's syntax (default classic, \" .db %01101100\")\n"
         "  --pixels             draw each row as a comment: \".\" for 0, \"#\" for 1\n"
         "  --label-prefix TEXT  label lines define the symbol TEXT and the tile number\n"
         "  --png FILE           also draw the listed tiles as a PNG picture, digit 1 black\n"
         "  --png-columns N      tiles per picture row, 1 to 1024 (default 16)\n"
         "  --png-scale N        pixels per tile pixel across and down, 1 to 16 (default 1)\n"
         "  --bin FILE           also write the bytes the listing spells, for .incbin\n"
         "  --unique             list each distinct 8x8 cell once, in order of first use;\n"
         "                       every cell of the range counts, a partial block row too\n"
         "  --map FILE           also write the tile number of every cell, a byte each in\n"
         "                       the syntax (8x8 row walk only; numbers up to $FF)\n"
         "  --raw                read INPUT as raw bytes, also when it is a PNG picture\n"
         "  --threshold N        a picture's pixel is 1 below luminance N (1-255); else a\n"
         "                       picture must have at most two colours, the darker one 1\n"
         "  --help, --version\n"
         "Syntax names: " +
         Wrapped(SyntaxNames(), 14) +
         "\n"
         "Numbers: $ hexadecimal, % binary, 'c a character code, otherwise decimal.\n"
         "A PNG picture (told by its first bytes) reads as its 8x8 cells, left to right and\n"
         "downward, completed to whole block rows.\n"
         "Exit status: 0 listing written, 1 error or nothing to list, 2 usage error.\n";
}

}  // namespace tessary
