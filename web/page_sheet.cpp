#include "web/page_sheet.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "run/messages.h"
#include "run/tile_tip.h"
#include "tiles/listing_format.h"

namespace tessary {

std::string PageSheet::Open(FileSystem& files, const std::string& name, int threshold) {
  Close();
  std::unique_ptr<InputFile> raw;
  if (const std::error_code ec = files.OpenInput(name, &raw)) {
    return messages::CannotOpenInput(name, ec);
  }
  OpenedInput opened = OpenPictureOrRaw(std::move(raw), {threshold, {}});
  if (opened.error) {
    const bool own = opened.error.category() == PictureCategory() && !opened.problem.empty();
    return own ? messages::BadPicture(name, opened.problem)
               : messages::CannotReadInput(name, opened.error);
  }
  input_ = std::move(opened.input);
  picture_ = opened.picture;
  size_ = input_->Size().value_or(0);
  return {};
}

void PageSheet::Close() {
  input_.reset();
  cells_.clear();
  picture_ = nullptr;
  size_ = 0;
}

void PageSheet::Mark(const RunOptions& options, const RangePlan& plan, bool lists, bool labels) {
  plan_ = plan;
  shape_ = options.shape;
  listing_ = options.listing;
  labels_ = labels;
  layout_ = options.glyph ? SheetLayout(options.glyph, std::max(0, plan.start)) : SheetLayout();
  choice_ = WalkChoiceOf(options);
  tiles_.reset();
  cells_.clear();
  if (!lists || !plan.problem.empty()) return;
  tiles_.emplace(choice_, plan.length);
  if (options.unique && input_) cells_ = NumberCells(*input_, uint64_t(plan.start), plan.length);
}

bool PageSheet::Repeated(int64_t offset) const {
  const int64_t cell = (offset - plan_.start) / 8;
  return offset >= plan_.start && cell < int64_t(cells_.size()) && cells_[size_t(cell)].repeat;
}

int64_t PageSheet::bands() const {
  const int64_t bytes = static_cast<int64_t>(size_) - layout_.CellStart(0);
  return (bytes + layout_.BandBytes() - 1) / layout_.BandBytes();
}

void PageSheet::PaintBands(int64_t first_band, int bands, uint32_t* pixels) const {
  const int64_t width = layout_.SheetWidth(), height = layout_.cell_height();
  bands = std::max(bands, 0);
  std::fill(pixels, pixels + size_t(bands) * size_t(height * width), kPageOffSheet);
  if (!input_) return;
  const int64_t top = first_band * height;
  const bool tinted = plan_.problem.empty() && plan_.length > 0;
  const int64_t range_start = plan_.start, range_end = int64_t{plan_.start} + plan_.length;
  const auto file_end = static_cast<int64_t>(std::min<uint64_t>(size_, uint64_t{1} << 62));
  const int64_t first_cell = first_band * 16, end_cell = (first_band + bands) * 16;
  ReadCells(*input_, layout_, first_cell, end_cell, file_end,
            [&](int64_t cell, const uint8_t* bytes, int64_t from, int64_t to) {
              const int64_t cell_start = layout_.CellStart(cell);
              const int64_t stop = std::min(cell_start + layout_.CellBytes(), to);
              for (int64_t offset = std::max(cell_start, from); offset < stop; ++offset) {
                const SheetPoint at = *layout_.PointOf(offset);
                uint32_t* row = pixels + size_t(at.y - top) * size_t(width) + size_t(at.x);
                const bool in_range = tinted && offset >= range_start && offset < range_end;
                const bool repeat = in_range && Repeated(offset);
                const uint32_t ink = repeat ? kPageRepeatInk : in_range ? kPageRangeInk : kPageInk;
                const uint32_t paper = repeat     ? kPageRepeatPaper
                                       : in_range ? kPageRangePaper
                                                  : kPagePaper;
                const uint8_t byte = bytes[offset - from];
                for (int bit = 0; bit < 8; ++bit) row[bit] = (byte << bit) & 0x80 ? ink : paper;
              }
            });
}

std::vector<SheetRect> PageSheet::Outlines(int64_t first_band, int bands) const {
  std::vector<SheetRect> out;
  if (!tiles_) return out;
  const int64_t start = plan_.start;
  const int64_t row_bytes = layout_.glyphs() ? layout_.stride() : TileRowBytes(shape_);
  const int64_t first_byte = layout_.CellStart(first_band * 16);
  const int64_t end_byte = layout_.CellStart((first_band + bands) * 16);
  // A tile reaches at most two tile rows below its first byte (8x12 mask rows, or a 16x16 tile
  // that begins off a block's first byte).
  const int64_t first_row = std::max<int64_t>(0, (first_byte - start) / row_bytes - 2);
  const int64_t last_row =
      std::min<int64_t>((end_byte - start) / row_bytes, std::numeric_limits<int32_t>::max());
  for (int64_t row = first_row; row <= last_row; ++row) {
    for (int32_t column = 0; column < 16; ++column) {
      const TilePosition at{column, static_cast<int32_t>(row)};
      if (tiles_->IndexOf(at) < 0 || Repeated(start + tiles_->OffsetOf(at))) continue;
      SheetRect rects[kMaxOutlineRects];
      const int n = layout_.Outline(shape_, start + tiles_->OffsetOf(at), rects);
      out.insert(out.end(), rects, rects + n);
    }
  }
  return out;
}

std::string PageSheet::TipAt(uint64_t offset) const {
  if (!tiles_) return TipOffset(offset);
  return TileTip(*tiles_, choice_, static_cast<uint64_t>(plan_.start), plan_.TileNo,
                 ListingFormat(listing_), labels_, cells_, offset);
}

ByteRange PageSheet::Drag(int64_t from, int64_t to) const {
  ByteRange range = layout_.DragRange(shape_, from, to);
  const auto last = static_cast<uint64_t>(std::numeric_limits<int32_t>::max());
  range.end = std::min(range.end, last);
  range.start = std::min(range.start, last);
  return range;
}

}  // namespace tessary
