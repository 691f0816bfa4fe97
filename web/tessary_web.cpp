// The browser build's door to the core: plain C functions that the page's scripts call through
// WebAssembly, all over one WebSession. Strings come back as pointers to UTF-8 text that stays
// valid until the next call of the same function.
#include <emscripten.h>

#include <chrono>
#include <cstdint>
#include <string>
#include <system_error>
#include <vector>

#include "run/tile_sink.h"
#include "web/browser_rows.h"
#include "web/web_session.h"

namespace tessary {
namespace {

// Asks the script how the run stands: it shows `done` of `total` tiles (total -1: not known)
// and returns 0 to cancel the run.
EM_JS(int, HostYield, (double done, double total),
      { return Module.onYield ? Module.onYield(done, total) : 1; });

// Hands a chunk of the listing to the script, a view valid only during the call, which the
// script writes to its listing file (or keeps a copy of). Returns 0 when it is kept, 1 when the
// browser's storage is full, 2 when it failed otherwise.
EM_JS(int, ListingChunk, (const char* data, size_t size),
      { return Module.onChunk(HEAPU8.subarray(data, data + size)); });

// Tells the script that the listing is whole (1) or to be dropped (0).
EM_JS(void, ListingEnd, (int whole), { Module.onListingEnd(whole); });

class ScriptSink : public ListingSink {
 public:
  std::error_code Write(std::string_view chunk) override {
    switch (ListingChunk(chunk.data(), chunk.size())) {
      case 0:
        return {};
      case 1:
        return std::make_error_code(std::errc::no_space_on_device);
      default:
        return std::make_error_code(std::errc::io_error);
    }
  }
  void Finish(bool whole) override { ListingEnd(whole ? 1 : 0); }
};

// Counts the listed tiles for the progress bar; it keeps none of their bytes.
class TileCounter : public TileSink {
 public:
  bool Ahead(int64_t count, int, int) override {
    total = count;
    return true;
  }
  bool Tiles(const uint8_t*, size_t count) override {
    done += static_cast<int64_t>(count);
    return true;
  }
  bool Done() override { return true; }
  std::string Problem() const override { return {}; }

  int64_t total = -1;
  int64_t done = 0;
};

// The page's host: the session's style, and a yield to the script every 50 ms with the
// progress, whose answer may cancel the run. (The page itself stops a run by ending its worker,
// which needs no answer from a run that holds the worker's thread.)
class PageHost : public RunHost {
 public:
  explicit PageHost(TileStyle style) : style_(style) {}
  std::chrono::nanoseconds YieldInterval() const override { return std::chrono::milliseconds(50); }
  bool Yield() override { return HostYield(double(counter_.done), double(counter_.total)) != 0; }
  TileStyle CurrentStyle() override { return style_; }
  TileSink* Tiles() override { return &counter_; }

 private:
  TileStyle style_;
  TileCounter counter_;
};

WebSession& Session() {
  static WebSession session;
  return session;
}

RunResult& LastResult() {
  static RunResult result;
  return result;
}

}  // namespace
}  // namespace tessary

using namespace tessary;

extern "C" {

// Takes the input file: its name and `size` bytes at `data` (copied).
EMSCRIPTEN_KEEPALIVE void tessary_input(const char* name, const char* data, double size) {
  Session().SetInput(name, std::string(data, static_cast<size_t>(size)));
}

// Takes the input picture's pixels as the browser decoded them: `width` * `height` RGBA
// pixels at `rgba` (copied); a width of 0 for an input that is no picture.
EMSCRIPTEN_KEEPALIVE void tessary_picture(int width, int height, const uint8_t* rgba) {
  const size_t size = size_t(width > 0 ? width : 0) * size_t(height > 0 ? height : 0) * 4;
  SetBrowserPicture(uint32_t(width > 0 ? width : 0), uint32_t(height > 0 ? height : 0),
                    std::vector<uint8_t>(rgba, rgba + size));
}

EMSCRIPTEN_KEEPALIVE double tessary_input_size() { return double(Session().InputSize()); }

// Bits of `flags`: 1 Hex Count, 2 Vertical, 4 Skip, 8 Even, 16 Invert, 32 pixel comments,
// 64 Every tile, 128 Glyph, 256 Unique tiles, 512 its map. `shape`: 0 8x8, 1 8x12, 2 16x16.
// `syntax`: a place in the core's syntax table. The glyph size and gap and the threshold come as
// typed. Returns why a run would list nothing, or why the page refuses it, or "".
EMSCRIPTEN_KEEPALIVE const char* tessary_fields(const char* start, const char* end,
                                                const char* count_from, const char* prefix,
                                                int flags, int shape, int syntax,
                                                const char* glyph_size, const char* glyph_gap,
                                                const char* threshold) {
  PageFields f;
  f.every_tile = flags & 64;
  f.glyph = flags & 128;
  f.unique = flags & 256;
  f.map = flags & 512;
  f.glyph_size = glyph_size;
  f.glyph_gap = glyph_gap;
  f.threshold = threshold;
  f.start = start;
  f.end = end;
  f.count_from = count_from;
  f.label_prefix = prefix;
  f.hex_count = flags & 1;
  f.vertical = flags & 2;
  f.skip = flags & 4;
  f.even = flags & 8;
  f.invert = flags & 16;
  f.pixels = flags & 32;
  f.shape = shape == 2 ? Shape::k16x16 : shape == 1 ? Shape::k8x12 : Shape::k8x8;
  if (syntax >= 0 && syntax < int(kSyntaxProfiles.size()))
    f.syntax = kSyntaxProfiles[syntax].syntax;
  Session().SetFields(f);
  return Session().problem().c_str();
}

// Runs with the last fields, handing the listing to Module.onChunk as it goes and ending it with
// Module.onListingEnd; returns the RunStatus as a number (0 done ... 4 cancelled).
EMSCRIPTEN_KEEPALIVE int tessary_convert() {
  PageHost host(Session().style());
  ScriptSink sink;
  LastResult() = Session().Convert(host, sink);
  return static_cast<int>(LastResult().status);
}

EMSCRIPTEN_KEEPALIVE const char* tessary_message() { return LastResult().message.c_str(); }
EMSCRIPTEN_KEEPALIVE const char* tessary_note() { return LastResult().note.c_str(); }
EMSCRIPTEN_KEEPALIVE double tessary_tiles() { return double(LastResult().tiles); }

// The map of the last run (see tessary_map_size), valid until the next run.
EMSCRIPTEN_KEEPALIVE const char* tessary_map() { return Session().map().data(); }
EMSCRIPTEN_KEEPALIVE double tessary_map_size() { return double(Session().map().size()); }

// The sheet as the last fields lay it out: its width in pixels, a band's height in pixel rows,
// and how many bands it has.
EMSCRIPTEN_KEEPALIVE const double* tessary_sheet() {
  static double sheet[3];
  const PageSheet& s = Session().sheet();
  sheet[0] = double(s.width());
  sheet[1] = double(s.band_height());
  sheet[2] = double(s.bands());
  return sheet;
}

// The RGBA pixels of `bands` sheet bands from `first_band` on, the sheet's width across.
EMSCRIPTEN_KEEPALIVE const uint32_t* tessary_paint(double first_band, int bands) {
  static std::vector<uint32_t> pixels;
  const PageSheet& s = Session().sheet();
  pixels.assign(size_t(bands > 0 ? bands : 0) * size_t(s.width() * s.band_height()), 0);
  s.PaintBands(int64_t(first_band), bands, pixels.data());
  return pixels.data();
}

// The outlines for those bands: their count, then x, y, width and height of each.
EMSCRIPTEN_KEEPALIVE const double* tessary_outlines(double first_band, int bands) {
  static std::vector<double> out;
  const std::vector<SheetRect> rects = Session().sheet().Outlines(int64_t(first_band), bands);
  out.assign(1, double(rects.size()));
  for (const SheetRect& r : rects)
    out.insert(out.end(), {double(r.x), double(r.y), double(r.width), double(r.height)});
  return out.data();
}

// The offset of the byte at sheet pixel (x, y); below 0 before the file.
EMSCRIPTEN_KEEPALIVE double tessary_offset_at(double x, double y) {
  return double(Session().sheet().OffsetAt(int64_t(x), int64_t(y)));
}

EMSCRIPTEN_KEEPALIVE const char* tessary_tip(double offset) {
  static std::string tip;
  tip = Session().sheet().TipAt(uint64_t(offset));
  return tip.c_str();
}

// The range a drag selects: [start, end) at the returned pointer.
EMSCRIPTEN_KEEPALIVE const double* tessary_drag(double from, double to) {
  static double range[2];
  const ByteRange r = Session().sheet().Drag(int64_t(from), int64_t(to));
  range[0] = double(r.start);
  range[1] = double(r.end);
  return range;
}

// The syntax table: how many, and each one's --syntax name, title and whether it has symbols.
EMSCRIPTEN_KEEPALIVE int tessary_syntax_count() { return int(kSyntaxProfiles.size()); }
EMSCRIPTEN_KEEPALIVE const char* tessary_syntax_name(int i) { return kSyntaxProfiles[i].name; }
EMSCRIPTEN_KEEPALIVE const char* tessary_syntax_title(int i) { return kSyntaxProfiles[i].title; }
EMSCRIPTEN_KEEPALIVE int tessary_syntax_symbols(int i) {
  return kSyntaxProfiles[i].symbol_tail != nullptr;
}

}  // extern "C"
