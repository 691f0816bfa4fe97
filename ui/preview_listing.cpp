#include "ui/preview_listing.h"

#include "run/range_note.h"
#include "run/tile_tip.h"
#include "ui/run_summary.h"

namespace tessary {

QString DollarHex(quint64 value) { return QString::fromStdString(TipOffset(value)); }

SheetMarks PreviewListing::Marks() const {
  return {.start = static_cast<uint64_t>(plan.start),
          .length = static_cast<uint64_t>(plan.length),
          .shape = choice.shape,
          .tiles = lists ? &tiles : nullptr,
          .cells = cells.data(),
          .cell_count = cells.size()};
}

QString PreviewListing::TipAt(uint64_t offset) const {
  if (!lists) return DollarHex(offset);
  return QString::fromStdString(TileTip(tiles, choice, static_cast<uint64_t>(plan.start),
                                        plan.TileNo, format, labels, cells, offset));
}

RunOptions CutAtOwnCells(const RunOptions& options, uint64_t size, std::optional<uint64_t> own) {
  RunOptions cut = options;
  if (!own || !(options.unique || options.map)) return cut;
  const RangePlan plan = PlanRange(options, size);
  if (plan.problem.empty() && uint64_t(plan.start) + uint64_t(plan.length) > *own) {
    cut.end_text = DollarHex(*own).toStdString();
  }
  return cut;
}

std::optional<PreviewListing> PlanPreview(const RunOptions& options, bool labels, uint64_t size,
                                          QString& note) {
  note.clear();
  const RangePlan plan = PlanRange(options, size);
  if (!plan.problem.empty()) {
    note = Sentence(plan.problem);
    return std::nullopt;
  }
  const WalkChoice choice = WalkChoiceOf(options);
  const ListedTiles tiles(choice, plan.length);
  const std::string& prefix = options.listing.label_prefix;
  const auto prefix_problem = prefix.empty() ? std::nullopt : LabelPrefixProblem(prefix);
  if (prefix_problem) {
    note = QStringLiteral("Label prefix ") + QString::fromStdString(*prefix_problem);
  } else if (tiles.count() == 0) {
    note = Sentence(NothingToList(choice, plan.start, plan.length, options.every_tile_name));
  } else if (const auto unlisted =
                 UnlistedNote(choice, plan.start, plan.length, options.every_tile_name)) {
    note = Sentence(*unlisted);
  }
  return PreviewListing{
      plan, tiles, ListingFormat(options.listing), choice, labels, !prefix_problem, {}};
}

}  // namespace tessary
