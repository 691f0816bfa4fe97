// PreviewListing: what a run with the window's fields would list from the previewed file, as
// the pane marks it on the sheet, names its tiles and notes what it leaves out.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "run/listed_tiles.h"
#include "run/map_sink.h"
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
  WalkChoice choice;
  bool labels;  // label lines carry numbers ("Hex Count From")
  bool lists;   // false when the run would refuse the options and list nothing
  // With unique tiles: the first cells of the range numbered (see NumberCells); else empty.
  std::vector<MapCell> cells;

  // The range, and the tiles when the run would list them.
  SheetMarks Marks() const;
  // The tooltip over the byte at `offset` (see TileTip), or its own offset when the run would
  // list nothing.
  QString TipAt(uint64_t offset) const;
};

// `options` with the range of a file of `size` bytes cut at `own` bytes (a picture's own cells,
// without the blank ones that complete its last block row) when unique tiles or a map take every
// cell, as the run cuts it; else `options` as they are.
RunOptions CutAtOwnCells(const RunOptions& options, uint64_t size, std::optional<uint64_t> own);

// What a run with `options` would list from a file of `size` bytes, `labels` as in
// PreviewListing. Sets `note` to what the pane says under the sheet: the reason the run would
// list nothing, or the note on the bytes at the range's end that it would leave unlisted (naming
// the option as options.every_tile_name does), or nothing. Returns std::nullopt when the fields
// name no range at all.
std::optional<PreviewListing> PlanPreview(const RunOptions& options, bool labels, uint64_t size,
                                          QString& note);

}  // namespace tessary
