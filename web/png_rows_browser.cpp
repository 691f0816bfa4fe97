// The browser build's PngRows: the rows that the page decoded with the browser's own decoder.
#include <cstring>
#include <utility>

#include "run/png_rows.h"
#include "web/browser_rows.h"

namespace tessary {
namespace {

struct BrowserPicture {
  uint32_t width = 0, height = 0;
  std::vector<uint8_t> rgba;
};

BrowserPicture& Picture() {
  static BrowserPicture picture;
  return picture;
}

class BrowserRows : public PngRows {
 public:
  BrowserRows() {
    const BrowserPicture& p = Picture();
    if (p.width == 0 || p.rgba.size() != size_t{p.width} * p.height * 4) {
      fault_ = RowsFault::kDecode;
      return;
    }
    layout_.width = p.width;
    layout_.height = p.height;
    layout_.bits = 8;
    layout_.channels = 4;
    layout_.red = 0;
    layout_.green = 1;
    layout_.blue = 2;
    layout_.alpha = 3;
  }

  bool NextRow(uint8_t* row) override {
    const BrowserPicture& p = Picture();
    if (fault_ != RowsFault::kNone || next_ >= p.height) {
      fault_ = RowsFault::kDecode;
      return false;
    }
    const size_t bytes = size_t{p.width} * 4;
    std::memcpy(row, p.rgba.data() + bytes * next_++, bytes);
    return true;
  }

 private:
  uint32_t next_ = 0;
};

}  // namespace

void SetBrowserPicture(uint32_t width, uint32_t height, std::vector<uint8_t> rgba) {
  Picture() = BrowserPicture{width, height, std::move(rgba)};
}

// The file was checked whole by the core before it gets here; its rows are the browser's.
std::unique_ptr<PngRows> OpenPngRows(InputFile&) { return std::make_unique<BrowserRows>(); }

}  // namespace tessary
