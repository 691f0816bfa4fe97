// PreviewListing: what a run with the window's fields would list from the previewed file, as
// the pane marks it on the sheet and names its tiles.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

#include "run/listed_tiles.h"
#include "run/options.h"
#include "run/range_check.h"
#include "tiles/listing_format.h"
#include "ui/sheet_view.h"

namespace tessary {

// `value` as the number notation writes a hexadecimal number, with at least four digits: "$0A80".
QString DollarHex(quint64 value);

struct PreviewListing {
  RangePlan plan;  // with no problem
  ListedTiles tiles;
  ListingFormat format;
  Shape shape;
  bool labels;  // label lines carry numbers ("Hex Count From")
  bool lists;   // false when the run would refuse the options and list nothing

  // The range, and the tiles when the run would list them.
  SheetMarks Marks() const;
  // The tooltip over the byte at `offset`: its tile's first byte and label line, or its own
  // offset when no listed tile reads it.
  QString TipAt(uint64_t offset) const;
};

// What a run with `options` would list from a file of `size` bytes, `labels` as in
// PreviewListing. Sets `why` to the reason the run would list nothing, or empties it; returns
// std::nullopt when the fields name no range at all.
std::optional<PreviewListing> PlanPreview(const RunOptions& options, bool labels, uint64_t size,
                                          QString& why);

}  // namespace tessary
