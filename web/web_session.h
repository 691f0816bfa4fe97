// WebSession: the browser page's one input file held in memory, the values of its controls, the
// runs made from them with the map they write, and the sheet that its preview draws.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "run/host.h"
#include "run/mem_file_system.h"
#include "run/options.h"
#include "run/range_check.h"
#include "run/run.h"
#include "tiles/syntax.h"
#include "web/page_sheet.h"

namespace tessary {

// The page's controls as the user left them. The boxes follow the window's rules: Even counts
// only with Skip, the label prefix only with Hex Count and a syntax that has symbols, the glyph
// size and gap only with Glyph (which the run takes instead of Vertical, Skip and the shape),
// Unique tiles only with the 8x8 row walk (no Vertical, Skip, Glyph or other shape); a run with
// Unique tiles writes the map as well.
struct PageFields {
  std::string start = "0";
  std::string end;  // empty: the range ends with the file
  std::string count_from = "$00";
  bool hex_count = true;
  bool vertical = false;
  bool skip = false;
  bool even = false;
  bool invert = false;
  Shape shape = Shape::k8x8;
  Syntax syntax = Syntax::kClassic;
  bool pixels = false;
  std::string label_prefix;
  bool every_tile = false;
  bool glyph = false;
  std::string glyph_size = "8x16";  // WxH, as GlyphNamed reads it
  std::string glyph_gap = "0";      // a whole number from 0 to kMaxGlyphGap
  std::string threshold = "0";      // a whole number from 0 (two colours only) to 255
  bool unique = false;
  bool map = true;  // with Unique tiles: the map too, as the window's Map file field names one
};

// The most bytes a range may hold on the page: the input is kept in the page's memory, and its
// listing (some 20 to 40 times as large) in the browser's storage, or in memory where the
// browser has no private file system for the page.
inline constexpr int64_t kMaxPageRange = int64_t{16} << 20;

// Where a run's listing goes as the run writes it, so that it is never held whole in the core's
// memory: the page hands each chunk to the script at once.
class ListingSink {
 public:
  virtual ~ListingSink() = default;
  // The next piece of the listing, CR LF kept; an error when it could not be kept (the
  // browser's storage is full), which fails the run.
  virtual std::error_code Write(std::string_view chunk) = 0;
  // Called once after the run: `whole` when it listed (kDone), else what came is to be dropped.
  virtual void Finish(bool whole) = 0;
};

class WebSession {
 public:
  // The input's name (shown in messages) and its bytes; replaces any earlier input. A PNG
  // picture is read from the rows that SetBrowserPicture() holds when SetFields() next comes.
  void SetInput(const std::string& name, std::string bytes);
  // The bytes a run reads: the file's, or a PNG picture's cell bytes (0 when it cannot be read).
  uint64_t InputSize() const { return sheet_.size(); }

  // Takes the controls' values and plans the range they name.
  void SetFields(const PageFields& fields);
  // The options a run takes from the last fields (the input and output are the session's).
  const RunOptions& options() const { return options_; }
  // The labels and invert that the host of a run hands it as its style.
  TileStyle style() const { return style_; }
  // Why a run would list nothing, or why the page refuses the run (a range too large, glyph
  // fields that name no glyph shape, a threshold out of 0 to 255); "" otherwise. A picture that
  // cannot be read is named here too, as the run names it.
  const std::string& problem() const { return problem_; }

  // Runs with the last fields, the listing going to `sink`. A run that the page refuses fails
  // before it starts with problem() as the message (and `sink` hears nothing). With Unique
  // tiles the run also writes the map, kept as map() when it ends with kDone.
  RunResult Convert(RunHost& host, ListingSink& sink);
  // The map of the last run, as the core's MapFile writes it; "" when it wrote none.
  const std::string& map() const { return map_; }

  // What the preview draws, for the last input and fields.
  const PageSheet& sheet() const { return sheet_; }

 private:
  // The input in memory, and the map; the listing straight to the sink of the run.
  class PageFiles : public MemFileSystem {
   public:
    std::error_code OpenOutput(const std::string& path, bool append,
                               std::unique_ptr<OutputFile>* out) override;
    // The page's outputs are downloads and the map in memory: never the input, whatever their
    // names.
    bool SameFile(const std::string&, const std::string&) override { return false; }
    ListingSink* sink = nullptr;
  };
  PageFiles files_;
  std::string name_ = "input";
  RunOptions options_;
  TileStyle style_;
  PageSheet sheet_;
  int sheet_threshold_ = -1;  // the threshold the sheet was opened with; -1: not opened
  std::string problem_;
  std::string map_;
  bool refused_ = false;  // the page refuses the run: problem_ says why
};

}  // namespace tessary
