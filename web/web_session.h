// WebSession: the browser page's one input file held in memory, the values of its controls, the
// runs made from them, and what its preview draws: sheet pixels, outlines, tips and drags.
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
#include "run/sheet_pick.h"
#include "run/tile_sheet.h"
#include "tiles/syntax.h"

namespace tessary {

// The page's controls as the user left them. The boxes follow the window's rules: Even counts
// only with Skip, the label prefix only with Hex Count and a syntax that has symbols, the glyph
// size and gap only with Glyph (which the run takes instead of Vertical, Skip and the shape).
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
};

// The most bytes a range may hold on the page: the input is kept in the page's memory, and its
// listing (some 20 to 40 times as large) in the browser's storage, or in memory where the
// browser has no private file system for the page.
inline constexpr int64_t kMaxPageRange = int64_t{16} << 20;

// The sheet's colours on the page, as 0xAABBGGRR words (RGBA bytes in memory, as a canvas takes
// them): the file's bits, the same bits inside the range, and past the end of the file.
inline constexpr uint32_t kPagePaper = 0xff181410, kPageInk = 0xffe3ddd8;
inline constexpr uint32_t kPageRangePaper = 0xff5e3616, kPageRangeInk = 0xffffd4a8;
inline constexpr uint32_t kPageOffSheet = 0xff665f5a;

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
  // The input's name (shown in messages) and its bytes; replaces any earlier input.
  void SetInput(const std::string& name, std::string bytes);
  uint64_t InputSize() const;

  // Takes the controls' values and plans the range they name.
  void SetFields(const PageFields& fields);
  // The options a run takes from the last fields (the input and output are the session's).
  const RunOptions& options() const { return options_; }
  // The labels and invert that the host of a run hands it as its style.
  TileStyle style() const { return style_; }
  // Why a run would list nothing, or why the page refuses the run (a range too large, glyph
  // fields that name no glyph shape, a threshold out of 0 to 255); "" otherwise.
  const std::string& problem() const { return problem_; }

  // Runs with the last fields, the listing going to `sink`. A run that the page refuses fails
  // before it starts with problem() as the message (and `sink` hears nothing).
  RunResult Convert(RunHost& host, ListingSink& sink);

  // Paints `bands` bands of the sheet from band `first_band` on into `pixels` (128 across, 8
  // rows a band), tinting the range; what lies past the file gets kPageOffSheet.
  void PaintBands(uint64_t first_band, int bands, uint32_t* pixels) const;
  // The outlines of the listed tiles that may show in those bands (and cover none of the
  // bands above them when they start two tile rows up); empty when the run would list nothing,
  // and for glyphs, which the page's sheet does not lay out.
  std::vector<SheetRect> Outlines(uint64_t first_band, int bands) const;
  // What the tooltip over file byte `offset` says: the offset of the listed tile's first byte
  // that holds it and its label line, or the byte's own offset.
  std::string TipAt(uint64_t offset) const;
  // The range a drag from `from` to `to` selects for the shape, its end cut at the last offset
  // a field holds.
  ByteRange Drag(uint64_t from, uint64_t to) const;

 private:
  // The input in memory; the listing, whatever its name, straight to the sink of the run.
  class PageFiles : public MemFileSystem {
   public:
    std::error_code OpenOutput(const std::string& path, bool append,
                               std::unique_ptr<OutputFile>* out) override;
    ListingSink* sink = nullptr;
  };
  PageFiles files_;
  std::string name_ = "input";
  RunOptions options_;
  TileStyle style_;
  RangePlan plan_;
  std::optional<ListedTiles> tiles_;  // set when the run would list 8x8 to 16x16 tiles
  std::string problem_;
  bool refused_ = false;  // the page refuses the run: problem_ says why
};

// "$0ABC": an offset as the tips show it, four hexadecimal digits at least.
std::string DollarHex(uint64_t value);

}  // namespace tessary
