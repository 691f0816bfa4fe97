#include "web/web_session.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <utility>

#include "notation/val2.h"
#include "notation/whole_number.h"
#include "run/box_values.h"
#include "run/listing_walk.h"
#include "run/quoted.h"

namespace tessary {
namespace {

// A browser's file names hold no "/", so the listing never takes the input's place.
constexpr const char* kListingPath = "/listing";

// The listing as the run writes it: every chunk to the sink at once. Nothing is kept, so a run
// that gives up has nothing to put back; the sink drops what it got.
class SinkOutput : public OutputFile {
 public:
  explicit SinkOutput(ListingSink* sink) : sink_(sink) {}
  std::error_code Write(std::string_view data) override { return sink_->Write(data); }
  std::error_code Commit() override { return {}; }
  bool Restorable() const override { return true; }
  bool Existed() const override { return false; }
  std::string Rollback() override { return {}; }

 private:
  ListingSink* sink_;
};

// A whole number from 0 to `most` in the number notation, or why `text` is none: "<name>
// "<text>" is no whole number from 0 to <most>", with the notation's hint when it has one.
std::optional<int32_t> WholeField(const std::string& name, const std::string& text, int32_t most,
                                  std::string* problem) {
  const std::optional<std::string> hint = WholeNumberProblem(text);
  const std::optional<int32_t> value = Val2(text);
  if (hint || !value || *value < 0 || *value > most) {
    *problem = name + " " + Quoted(text) + " is no whole number from 0 to " + std::to_string(most) +
               (hint ? "; it " + *hint : "");
    return std::nullopt;
  }
  return value;
}

// The glyph shape and gap of the Glyph fields, as the window reads its own, or why they name none.
std::optional<GlyphShape> GlyphOf(const PageFields& fields, std::string* problem) {
  std::optional<GlyphShape> glyph = GlyphNamed(fields.glyph_size);
  if (!glyph) {
    *problem = "Glyph " + Quoted(fields.glyph_size) +
               " is no glyph shape; write WxH, W 8, 16, 24 or 32 and H 1 to 64 (8x16, 24x21)";
    return std::nullopt;
  }
  const std::optional<int32_t> gap =
      WholeField("Glyph gap", fields.glyph_gap, kMaxGlyphGap, problem);
  if (!gap) return std::nullopt;
  glyph->gap = *gap;
  return glyph;
}

}  // namespace

std::string DollarHex(uint64_t value) {
  char text[24];
  std::snprintf(text, sizeof text, "$%04llX", static_cast<unsigned long long>(value));
  return text;
}

std::error_code WebSession::PageFiles::OpenOutput(const std::string&, bool,
                                                  std::unique_ptr<OutputFile>* out) {
  ++outputs_opened;
  *out = std::make_unique<SinkOutput>(sink);
  return {};
}

void WebSession::SetInput(const std::string& name, std::string bytes) {
  files_.files.clear();
  name_ = name.empty() ? "input" : name;
  files_.files[name_] = std::move(bytes);
}

uint64_t WebSession::InputSize() const {
  const auto it = files_.files.find(name_);
  return it == files_.files.end() ? 0 : it->second.size();
}

void WebSession::SetFields(const PageFields& fields) {
  BoxValues boxes;
  boxes.vertical = fields.vertical;
  boxes.skip = fields.skip;
  boxes.even = fields.skip && fields.even;
  boxes.invert = fields.invert;
  boxes.box_1616 = fields.shape == Shape::k16x16;
  boxes.box_812 = fields.shape == Shape::k8x12;
  boxes.hex = fields.hex_count;
  const BoxChoices choices = FromBoxes(boxes);
  options_ = choices.options;
  style_ = choices.style;
  options_.input_path = name_;
  options_.output_path = kListingPath;
  options_.start_text = fields.start;
  options_.end_text = fields.end.empty() ? std::nullopt : std::optional<std::string>(fields.end);
  options_.tile_number_text = fields.count_from;
  options_.listing.syntax = fields.syntax;
  options_.listing.pixels = fields.pixels;
  if (fields.hex_count && ProfileOf(fields.syntax).symbol_tail) {
    options_.listing.label_prefix = fields.label_prefix;
  }
  options_.every_tile = fields.every_tile;
  options_.every_tile_name = "\"Every tile\"";
  std::string refusal;
  if (fields.glyph) options_.glyph = GlyphOf(fields, &refusal);
  // An emptied Threshold field counts as its least value, as the window's spin box has no empty.
  const std::string threshold_text = fields.threshold.empty() ? "0" : fields.threshold;
  if (const auto threshold = WholeField("Threshold", threshold_text, 255, &refusal))
    options_.threshold = *threshold;

  plan_ = PlanRange(options_, InputSize());
  tiles_.reset();
  refused_ = !refusal.empty();
  problem_ = refused_ ? refusal : plan_.problem;
  if (!problem_.empty()) return;
  if (plan_.length > kMaxPageRange) {
    refused_ = true;
    problem_ = "The range holds " + std::to_string(plan_.length) +
               " bytes; the page lists at most 16 MiB (16777216 bytes) at a time";
    return;
  }
  const std::string& prefix = options_.listing.label_prefix;
  if (const auto bad = prefix.empty() ? std::nullopt : LabelPrefixProblem(prefix)) {
    problem_ = "Label prefix " + *bad;
    return;
  }
  if (options_.glyph) return;
  tiles_.emplace(WalkChoiceOf(options_), plan_.length);
}

RunResult WebSession::Convert(RunHost& host, ListingSink& sink) {
  if (refused_) {
    RunResult refused;
    refused.status = RunStatus::kFailed;
    refused.message = problem_;
    return refused;
  }
  files_.sink = &sink;
  const RunResult result = Run(options_, host, files_);
  files_.sink = nullptr;
  sink.Finish(result.status == RunStatus::kDone);
  return result;
}

void WebSession::PaintBands(uint64_t first_band, int bands, uint32_t* pixels) const {
  const size_t count = static_cast<size_t>(std::max(bands, 0)) * kSheetWidth * 8;
  std::fill(pixels, pixels + count, kPageOffSheet);
  const auto it = files_.files.find(name_);
  if (it == files_.files.end()) return;
  const std::string& bytes = it->second;
  const uint64_t first = first_band * kSheetRowBytes;
  if (first >= bytes.size()) return;
  const uint64_t end = std::min<uint64_t>(bytes.size(), first + uint64_t(bands) * kSheetRowBytes);
  PaintSheet(reinterpret_cast<const uint8_t*>(bytes.data()) + first, size_t(end - first), pixels,
             kSheetWidth, kPageInk, kPagePaper);
  if (!plan_.problem.empty() || plan_.length == 0) return;
  // The range is tinted wherever the run would read it, listed or not.
  const uint64_t range_start = uint64_t(plan_.start);
  const uint64_t range_end = std::min(end, range_start + uint64_t(plan_.length));
  for (uint64_t offset = std::max(first, range_start); offset < range_end; ++offset) {
    const SheetPoint at = SheetPointOf(offset - first);
    uint32_t* row = pixels + size_t(at.y) * kSheetWidth + size_t(at.x);
    for (int bit = 0; bit < 8; ++bit)
      row[bit] = row[bit] == kPageInk ? kPageRangeInk : kPageRangePaper;
  }
}

std::vector<SheetRect> WebSession::Outlines(uint64_t first_band, int bands) const {
  std::vector<SheetRect> out;
  if (!tiles_) return out;
  const auto start = int64_t{plan_.start};
  const int64_t row_bytes = TileRowBytes(options_.shape);
  const auto first_byte = static_cast<int64_t>(first_band * kSheetRowBytes);
  const int64_t end_byte = first_byte + int64_t{bands} * int64_t(kSheetRowBytes);
  // A tile reaches at most two tile rows below its first byte (8x12 mask rows, or a 16x16 tile
  // that begins off a block's first byte).
  const int64_t first_row = std::max<int64_t>(0, (first_byte - start) / row_bytes - 2);
  const int64_t last_row =
      std::min<int64_t>((end_byte - start) / row_bytes, std::numeric_limits<int32_t>::max());
  for (int64_t row = first_row; row <= last_row; ++row) {
    for (int32_t column = 0; column < 16; ++column) {
      const TilePosition at{column, static_cast<int32_t>(row)};
      if (tiles_->IndexOf(at) < 0) continue;
      SheetRect rects[kMaxOutlineRects];
      const int n = TileOutline(options_.shape, uint64_t(start + tiles_->OffsetOf(at)), rects);
      out.insert(out.end(), rects, rects + n);
    }
  }
  return out;
}

std::string WebSession::TipAt(uint64_t offset) const {
  if (!tiles_) return DollarHex(offset);
  const auto start = static_cast<uint64_t>(plan_.start);
  const int64_t index = ListedTileHolding(*tiles_, options_.shape, start, offset);
  if (index < 0) return DollarHex(offset);
  const uint64_t first = start + static_cast<uint64_t>(tiles_->OffsetOf(tiles_->At(index)));
  // The tile number wraps like the run's 32-bit counter.
  const auto tile_no =
      static_cast<int32_t>(static_cast<uint32_t>(plan_.TileNo) + static_cast<uint32_t>(index));
  const std::string label = LabelText(ListingFormat(options_.listing), tile_no, style_.labels);
  return label.empty() ? DollarHex(first) : DollarHex(first) + "  " + label;
}

ByteRange WebSession::Drag(uint64_t from, uint64_t to) const {
  ByteRange range = DragRange(options_.shape, from, to);
  const auto last = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
  range.end = std::min(range.end, last);
  range.start = std::min(range.start, last);
  return range;
}

}  // namespace tessary
