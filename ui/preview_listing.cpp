#include "ui/preview_listing.h"

#include <QObject>

#include "run/sheet_pick.h"

namespace tessary {

QString DollarHex(quint64 value) {
  return QStringLiteral("$") + QString::number(value, 16).toUpper().rightJustified(4, u'0');
}

SheetMarks PreviewListing::Marks() const {
  return {.start = static_cast<uint64_t>(plan.start),
          .length = static_cast<uint64_t>(plan.length),
          .shape = shape,
          .tiles = lists ? &tiles : nullptr};
}

QString PreviewListing::TipAt(uint64_t offset) const {
  if (!lists) return DollarHex(offset);
  const auto start = static_cast<uint64_t>(plan.start);
  const int64_t index = ListedTileHolding(tiles, shape, start, offset);
  if (index < 0) return DollarHex(offset);
  const uint64_t first = start + static_cast<uint64_t>(tiles.OffsetOf(tiles.At(index)));
  // The tile number wraps like the run's 32-bit counter.
  const auto tile_no =
      static_cast<int32_t>(static_cast<uint32_t>(plan.TileNo) + static_cast<uint32_t>(index));
  const QString label = QString::fromStdString(LabelText(format, tile_no, labels));
  return label.isEmpty() ? DollarHex(first) : DollarHex(first) + QStringLiteral("  ") + label;
}

std::optional<PreviewListing> PlanPreview(const RunOptions& options, bool labels, uint64_t size,
                                          QString& why) {
  why.clear();
  const RangePlan plan = PlanRange(options, size);
  if (!plan.problem.empty()) {
    why = QString::fromStdString(plan.problem);
    if (!why.isEmpty()) why[0] = why[0].toUpper();  // a sentence of its own
    return std::nullopt;
  }
  const ListedTiles tiles(WalkChoiceOf(options), plan.length);
  const std::string& prefix = options.listing.label_prefix;
  const auto prefix_problem = prefix.empty() ? std::nullopt : LabelPrefixProblem(prefix);
  if (prefix_problem) {
    why = QStringLiteral("Label prefix ") + QString::fromStdString(*prefix_problem);
  } else if (tiles.count() == 0) {
    why = QObject::tr("The range holds no whole tile row of %1 bytes; nothing to list")
              .arg(TileRowBytes(options.shape));
  }
  return PreviewListing{plan,          tiles,  ListingFormat(options.listing),
                        options.shape, labels, !prefix_problem};
}

}  // namespace tessary
