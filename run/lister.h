// Lister: what a run does at each tile position: reads the input as the position needs it,
// spells the tile into the listing, hands its bytes to a tile sink, and writes in chunks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <system_error>

#include "run/column_stash.h"
#include "run/file_system.h"
#include "run/host.h"
#include "run/options.h"
#include "run/slice_reader.h"
#include "run/yield_pacer.h"
#include "tiles/emitters.h"
#include "tiles/glyph.h"

namespace tessary {

// The listing is gathered in memory and written in chunks of this size.
inline constexpr size_t kChunkSize = size_t{1} << 20;
// A tile sink is handed the tiles this many at a time.
inline constexpr size_t kSinkBatch = 4096;

using Emitter = char* (*)(char*, const ListingFormat&, const SourceSlice&, int32_t, int32_t,
                          int32_t&, TileStyle);
using Gatherer = void (*)(const SourceSlice&, int32_t, int32_t, uint8_t*);

// An emitter, where the bytes of its tiles lie, and how they are gathered for a TileSink: rows
// of tile_row_bytes bytes. Glyphs take DoGlyph and DoGlyphBytes with `glyph` instead of `emit`
// and `gather`; each glyph is a tile row of its own.
struct Layout {
  Emitter emit;
  uint64_t row_bytes;
  uint64_t reach;
  Gatherer gather;
  int tile_rows;
  int tile_row_bytes;
  std::optional<GlyphShape> glyph{};
};

Layout LayoutFor(const RunOptions& options);

// The visitor of a run's walk. Yields to the host by time, also between reads.
class Lister {
 public:
  Lister(const ListingFormat& format, SliceReader& reader, Layout layout, RunHost& host,
         int32_t tile_no);

  // One tile position; false ends the walk (cancelled, or a failed read or write).
  bool operator()(int32_t column, int32_t row) {
    if (pacer_.Due() && !YieldNow()) return false;
    const uint64_t lo =
        static_cast<uint64_t>(row) * layout_.row_bytes + static_cast<uint64_t>(column) * 8;
    const SourceSlice* source = &reader_.slice();
    if (stash && stash->Serve(column, row, lo, &stash_view_)) {
      source = &stash_view_;
    } else {
      const uint64_t hi = lo + (stash ? stash->Reach(column) : layout_.reach);
      if (!reader_.Covers(lo, hi) && !Read(lo, hi)) return false;
      if (stash) stash->Keep(column, row, lo, reader_.slice());
    }
    if (used_ >= kChunkSize && !Flush()) return false;
    char* const chunk = chunk_.get();
    if (layout_.glyph) {
      used_ = static_cast<size_t>(
          DoGlyph(chunk + used_, format_, *source, lo, *layout_.glyph, TileNo, style_) - chunk);
    } else {
      used_ = static_cast<size_t>(
          layout_.emit(chunk + used_, format_, *source, column, row, TileNo, style_) - chunk);
    }
    ++tiles;
    if (sink != nullptr) {
      uint8_t* at = sink_tiles_.get() + sink_count_ * tile_bytes_;
      if (layout_.glyph) {
        DoGlyphBytes(*source, lo, *layout_.glyph, at);
      } else {
        layout_.gather(*source, column, row, at);
      }
      // A fixed length inverts fastest; what it inverts past the tile, the next one overwrites.
      if (style_.invert) {
        for (size_t k = 0; k < invert_bytes_; ++k) at[k] = static_cast<uint8_t>(~at[k]);
      }
      if (++sink_count_ == kSinkBatch && !FlushTiles()) return false;
    }
    return true;
  }

  // Whether the range holds at least `n` bytes. While the length is unknown (a stream without an
  // end offset) it reads on to see, keeping what is held.
  bool Reaches(int64_t n);

  // The range length, once known: for a stream without an end offset, after its end was read.
  int64_t RangeLength() const {
    if (length >= 0) return length;
    return reader_.end_known() ? static_cast<int64_t>(reader_.end()) : 0;
  }

  // Row lines per tile.
  int TileRows() const { return layout_.tile_rows; }

  // Makes the reader hold [lo, hi); false (with `cancelled` or `read_error` set) when it can't.
  bool Read(uint64_t lo, uint64_t hi);

  // Opens the listing: from now on tiles are written to `output`.
  void Start(OutputFile& output);

  // From now on the listed tiles go to `tiles` too, `count` of them (-1: not known yet); false
  // when the sink refuses them.
  bool GiveTilesTo(TileSink* tiles, int64_t count);

  // Hands the tiles gathered for the sink over; false (with `sink_failed` set) when it fails.
  bool FlushTiles();

  // Writes what is gathered; false (with `write_error` set) when this or an earlier write failed.
  bool Flush();

  int32_t TileNo;
  int64_t length = -1;           // the range length; -1 while unknown
  ColumnStash* stash = nullptr;  // set for the vertical walk over a file
  bool cancelled = false;
  std::error_code read_error;
  std::error_code write_error;
  int64_t tiles = 0;
  uint64_t bytes_written = 0;
  TileSink* sink = nullptr;  // see GiveTilesTo()
  bool sink_failed = false;

 private:
  bool YieldNow();

  const ListingFormat& format_;
  SliceReader& reader_;
  Layout layout_;
  size_t tile_bytes_;
  size_t invert_bytes_;   // at least tile_bytes_
  size_t max_tile_size_;  // the room one tile needs in the chunk
  RunHost& host_;
  OutputFile* output_ = nullptr;
  YieldPacer pacer_;
  TileStyle style_;
  SliceReader::Poll poll_;
  SourceSlice stash_view_;
  std::unique_ptr<char[]> chunk_;
  size_t used_ = 0;
  // Tiles for the sink, one after another, and room for the last one's inversion.
  std::unique_ptr<uint8_t[]> sink_tiles_;
  size_t sink_count_ = 0;
};

}  // namespace tessary
