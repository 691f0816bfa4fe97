#include "ui/preview_listing.h"

#include <limits>

#include "run/range_note.h"
#include "run/sheet_pick.h"
#include "ui/run_summary.h"

namespace tessary {

QString DollarHex(quint64 value) {
  return QStringLiteral("$") + QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

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
  const auto start = static_cast<uint64_t>(plan.start);
  int64_t index = -1;
  if (!choice.glyph) {
    index = ListedTileHolding(tiles, choice.shape, start, offset);
  } else if (offset >= start) {
    const auto stride = static_cast<uint64_t>(choice.glyph->Stride());
    const uint64_t glyph = (offset - start) / stride;
    const bool in_glyph = (offset - start) % stride < static_cast<uint64_t>(choice.glyph->Bytes());
    if (in_glyph && glyph <= uint64_t{std::numeric_limits<int32_t>::max()})
      index = tiles.IndexOf({0, int32_t(glyph)});
  }
  if (index < 0) return DollarHex(offset);
  const uint64_t first = start + static_cast<uint64_t>(tiles.OffsetOf(tiles.At(index)));
  if (!cells.empty()) {  // unique tiles: each cell is numbered by its tile
    const uint64_t cell = (first - start) / 8;
    if (cell >= cells.size()) return DollarHex(first);
    index = cells[cell].tile;
    if (cells[cell].repeat) {
      const auto repeated = static_cast<uint32_t>(plan.TileNo) + static_cast<uint32_t>(index);
      return DollarHex(first) + QStringLiteral("  same as tile ") +
             QString::number(repeated, 16).toUpper().rightJustified(2, u'0');
    }
  }
  // The tile number wraps like the run's 32-bit counter.
  const auto tile_no =
      static_cast<int32_t>(static_cast<uint32_t>(plan.TileNo) + static_cast<uint32_t>(index));
  const QString label = QString::fromStdString(LabelText(format, tile_no, labels));
  return label.isEmpty() ? DollarHex(first) : DollarHex(first) + QStringLiteral("  ") + label;
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
