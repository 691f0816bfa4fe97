#include "run/lister.h"

#include <string_view>

namespace tessary {

Layout LayoutFor(const RunOptions& options) {
  if (const std::optional<GlyphShape>& glyph = options.glyph) {
    return {nullptr,
            static_cast<uint64_t>(glyph->Stride()),
            static_cast<uint64_t>(glyph->Bytes()),
            nullptr,
            glyph->height,
            glyph->RowBytes(),
            glyph};
  }
  switch (options.shape) {
    case Shape::k16x16:
      return {&Do1616Tile, kDo1616TileRowBytes, kDo1616TileReach, &Do1616TileBytes, 16, 2};
    case Shape::k8x12:
      return {&Do812Tile, kDo812TileRowBytes, kDo812TileReach, &Do812TileBytes, 12, 1};
    case Shape::k8x8:
      break;
  }
  return {&DoTile, kDoTileRowBytes, kDoTileReach, &DoTileBytes, 8, 1};
}

Lister::Lister(const ListingFormat& format, SliceReader& reader, Layout layout, RunHost& host,
               int32_t tile_no)
    : TileNo(tile_no),
      format_(format),
      reader_(reader),
      layout_(layout),
      tile_bytes_(static_cast<size_t>(layout.tile_rows * layout.tile_row_bytes)),
      invert_bytes_(layout.glyph ? tile_bytes_ : kMaxTileBytes),
      max_tile_size_(layout.glyph ? format.MaxGlyphSize(layout.tile_row_bytes, layout.tile_rows)
                                  : format.MaxTileSize()),
      host_(host),
      pacer_(host.YieldInterval()),
      style_(host.CurrentStyle()),
      poll_([this](bool now) { return !(now || pacer_.DueNow()) || YieldNow(); }) {}

bool Lister::Reaches(int64_t n) {
  if (length >= 0) return n <= length;
  const auto wanted = static_cast<uint64_t>(n);
  if (!reader_.end_known() && !Read(reader_.slice().base(), wanted)) return false;
  return !reader_.end_known() || reader_.end() >= wanted;
}

bool Lister::Read(uint64_t lo, uint64_t hi) {
  const std::error_code ec = reader_.Cover(lo, hi, poll_);
  if (!ec) return true;
  if (ec == std::errc::operation_canceled) {
    cancelled = true;
  } else {
    read_error = ec;
  }
  return false;
}

void Lister::Start(OutputFile& output) {
  output_ = &output;
  chunk_.reset(new char[kChunkSize + max_tile_size_]);
}

bool Lister::GiveTilesTo(TileSink* tiles, int64_t count) {
  sink = tiles;
  sink_tiles_.reset(new uint8_t[kSinkBatch * tile_bytes_ + invert_bytes_]);
  return sink->Ahead(count, layout_.tile_rows, layout_.tile_row_bytes);
}

bool Lister::FlushTiles() {
  sink_failed = sink_count_ > 0 && !sink->Tiles(sink_tiles_.get(), sink_count_);
  sink_count_ = 0;
  return !sink_failed;
}

bool Lister::Flush() {
  if (write_error) return false;
  if (used_ == 0) return true;
  write_error = output_->Write(std::string_view(chunk_.get(), used_));
  if (write_error) return false;
  bytes_written += used_;
  used_ = 0;
  return true;
}

bool Lister::YieldNow() {
  if (!host_.Yield()) {
    cancelled = true;
    return false;
  }
  style_ = host_.CurrentStyle();
  return true;
}

}  // namespace tessary
