#include "web/web_session.h"

#include <utility>

#include "notation/val2.h"
#include "notation/whole_number.h"
#include "run/box_values.h"
#include "run/map_file.h"
#include "run/map_host.h"
#include "run/quoted.h"

namespace tessary {
namespace {

// A browser's file names hold no "/", so the map never takes the input's place.
constexpr const char* kMapPath = "/map";

// The listing's name as the page offers it for download, which messages about it use: the
// input's name with its extension replaced by ".H", as the window names outputs ("font.chr"
// gives "font.H", "tileset" gives "tileset.H").
std::string ListingName(const std::string& input) {
  return input.substr(0, input.rfind('.')) + ".H";
}

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

std::error_code WebSession::PageFiles::OpenOutput(const std::string& path, bool append,
                                                  std::unique_ptr<OutputFile>* out) {
  if (path == kMapPath) return MemFileSystem::OpenOutput(path, append, out);
  ++outputs_opened;
  *out = std::make_unique<SinkOutput>(sink);
  return {};
}

void WebSession::SetInput(const std::string& name, std::string bytes) {
  sheet_.Close();  // it reads the file in place
  sheet_threshold_ = -1;
  files_.files.clear();
  map_.clear();
  name_ = name.empty() ? "input" : name;
  files_.files[name_] = std::move(bytes);
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
  options_.output_path = ListingName(name_);
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
  options_.unique = fields.unique && !options_.glyph && !options_.vertical && !options_.skip &&
                    options_.shape == Shape::k8x8;
  options_.map = options_.unique && fields.map;

  // The sheet is what the run reads: opened again only for another input or threshold.
  std::string unreadable;
  if (sheet_threshold_ != options_.threshold) {
    unreadable = sheet_.Open(files_, name_, options_.threshold);
    sheet_threshold_ = unreadable.empty() ? options_.threshold : -1;
  }
  RangePlan plan = PlanRange(options_, InputSize());
  // Unique tiles and the map take a picture's own cells, not the blank ones after them.
  const PictureInput* picture = sheet_.picture();
  if (picture && options_.unique && plan.problem.empty() &&
      uint64_t(plan.start) + uint64_t(plan.length) > picture->cells() * 8) {
    RunOptions cut = options_;
    cut.end_text = std::to_string(picture->cells() * 8);
    plan = PlanRange(cut, InputSize());
  }
  refused_ = !refusal.empty();
  problem_ = refused_ ? refusal : !unreadable.empty() ? unreadable : plan.problem;
  if (problem_.empty() && plan.length > kMaxPageRange) {
    refused_ = true;
    problem_ = "The range holds " + std::to_string(plan.length) +
               " bytes; the page lists at most 16 MiB (16777216 bytes) at a time";
  }
  const std::string& prefix = options_.listing.label_prefix;
  const auto bad = prefix.empty() ? std::nullopt : LabelPrefixProblem(prefix);
  if (problem_.empty() && bad) problem_ = "Label prefix " + *bad;
  sheet_.Mark(options_, plan, problem_.empty(), style_.labels);
}

RunResult WebSession::Convert(RunHost& host, ListingSink& sink) {
  if (refused_) {
    RunResult refused;
    refused.status = RunStatus::kFailed;
    refused.message = problem_;
    return refused;
  }
  files_.sink = &sink;
  files_.files.erase(kMapPath);
  map_.clear();
  RunResult result;
  if (options_.map) {
    MapFile map(files_, kMapPath, options_.listing);
    MapHost map_host(host, map);
    result = Run(options_, map_host, files_);
    if (result.status == RunStatus::kDone && !map.Commit()) {
      map_ = std::move(files_.files[kMapPath]);
      files_.files.erase(kMapPath);
    }
  } else {
    result = Run(options_, host, files_);
  }
  files_.sink = nullptr;
  sink.Finish(result.status == RunStatus::kDone);
  return result;
}

}  // namespace tessary
