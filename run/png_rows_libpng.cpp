// The rows of a PNG picture as libpng decodes them. libpng reports errors by a longjmp back to
// the setjmp of the call that asked it for something; no function on that path, ours or
// libpng's, holds a C++ object with a destructor, and libpng's own wording stays here.
#include <png.h>

#include <algorithm>
#include <bit>
#include <csetjmp>
#include <cstring>

#include "run/png_file.h"
#include "run/png_rows.h"

namespace tessary {
namespace {

// The sample layout of each PNG colour type, by its number.
struct TypeLayout {
  int channels, red, green, blue, alpha;
};
constexpr TypeLayout kTypeLayouts[7] = {
    {1, 0, 0, 0, -1},                    // 0 grey
    {0, 0, 0, 0, -1}, {3, 0, 1, 2, -1},  // 2 RGB
    {1, 0, 0, 0, -1},                    // 3 palette
    {2, 0, 0, 0, 1},                     // 4 grey and alpha
    {0, 0, 0, 0, -1}, {4, 0, 1, 2, 3},   // 6 RGBA
};

constexpr size_t kReadPiece = size_t{64} << 10;

class LibpngRows : public PngRows {
 public:
  explicit LibpngRows(InputFile& file) : file_(file), buffer_(kReadPiece) {
    png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
    if (info_ == nullptr || !Start()) Fail(RowsFault::kDecode);
  }
  ~LibpngRows() override { png_destroy_read_struct(&png_, &info_, nullptr); }

  bool NextRow(uint8_t* row) override {
    if (fault_ != RowsFault::kNone || next_row_ >= layout_.height) return false;
    if (!whole_.empty()) {
      std::memcpy(row, whole_.data() + next_row_++ * layout_.RowBytes(), layout_.RowBytes());
      return true;
    }
    if (setjmp(png_jmpbuf(png_))) return Fail(RowsFault::kDecode);
    if (interlaced_) {
      DecodeWhole();
      return NextRow(row);
    }
    png_read_row(png_, row, nullptr);
    ++next_row_;
    return true;
  }

 private:
  static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
  static void OnWarning(png_structp, png_const_charp) {}

  // libpng's source of file bytes, read a piece at a time. The end of the file, or a read
  // error, is an error for libpng.
  static void ReadData(png_structp png, png_bytep out, size_t count) {
    auto* self = static_cast<LibpngRows*>(png_get_io_ptr(png));
    while (count > 0) {
      if (self->held_ == self->used_) {
        self->used_ = self->held_ = 0;
        self->read_error_ =
            ReadFileAt(self->file_, self->at_, reinterpret_cast<char*>(self->buffer_.data()),
                       kReadPiece, &self->held_);
        self->at_ += self->held_;
        if (self->read_error_ || self->held_ == 0) png_error(png, "no more bytes");
      }
      const size_t n = std::min(count, self->held_ - self->used_);
      std::memcpy(out, self->buffer_.data() + self->used_, n);
      self->used_ += n;
      out += n;
      count -= n;
    }
  }

  bool Start() {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_set_read_fn(png_, this, ReadData);
    png_set_user_limits(png_, kMaxPictureWidth, 0x7FFFFFFF);
    // The CRCs were checked with the file (CheckPngFile).
    png_set_crc_action(png_, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_read_info(png_, info_);
    png_uint_32 width = 0, height = 0;
    int depth = 0, type = 0, interlace = 0;
    png_get_IHDR(png_, info_, &width, &height, &depth, &type, &interlace, nullptr, nullptr);
    if (depth == 16 && std::endian::native == std::endian::little) png_set_swap(png_);
    interlaced_ = interlace != PNG_INTERLACE_NONE;
    if (interlaced_) png_set_interlace_handling(png_);
    png_read_update_info(png_, info_);
    if (type < 0 || type > 6 || kTypeLayouts[type].channels == 0) return false;
    const TypeLayout& t = kTypeLayouts[type];
    layout_.width = width;
    layout_.height = height;
    layout_.bits = depth;
    layout_.channels = t.channels;
    layout_.red = t.red;
    layout_.green = t.green;
    layout_.blue = t.blue;
    layout_.alpha = t.alpha;
    layout_.indexed = type == PNG_COLOR_TYPE_PALETTE;
    png_bytep alphas = nullptr;
    int alpha_count = 0;
    png_color_16p key = nullptr;
    png_get_tRNS(png_, info_, &alphas, &alpha_count, &key);
    if (layout_.indexed) {
      png_colorp colours = nullptr;
      int count = 0;
      png_get_PLTE(png_, info_, &colours, &count);
      layout_.palette.resize(static_cast<size_t>(count));
      for (int i = 0; i < count; ++i) {
        const uint32_t a = i < alpha_count && alphas != nullptr ? alphas[i] : 0xFF;
        layout_.palette[static_cast<size_t>(i)] = a << 24 | uint32_t{colours[i].red} << 16 |
                                                  uint32_t{colours[i].green} << 8 | colours[i].blue;
      }
    } else if (key != nullptr && png_get_valid(png_, info_, PNG_INFO_tRNS)) {
      layout_.key = type == PNG_COLOR_TYPE_GRAY
                        ? std::array<uint16_t, 3>{key->gray, key->gray, key->gray}
                        : std::array<uint16_t, 3>{key->red, key->green, key->blue};
    }
    return png_get_rowbytes(png_, info_) == layout_.RowBytes() &&
           (!interlaced_ || layout_.RowBytes() * height <= kMaxInterlacedBytes);
  }

  // An interlaced picture: all seven passes into `whole_`, called under NextRow's setjmp.
  void DecodeWhole() {
    whole_.resize(layout_.RowBytes() * layout_.height);
    rows_.resize(layout_.height);
    for (uint32_t y = 0; y < layout_.height; ++y) rows_[y] = whole_.data() + y * layout_.RowBytes();
    png_read_image(png_, rows_.data());
  }

  bool Fail(RowsFault fault) {
    fault_ = read_error_ ? RowsFault::kRead : fault;
    whole_.clear();
    return false;
  }

  InputFile& file_;
  std::vector<unsigned char> buffer_;
  uint64_t at_ = 0;  // the file offset after the bytes in `buffer_`
  size_t held_ = 0;
  size_t used_ = 0;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  bool interlaced_ = false;
  uint32_t next_row_ = 0;
  std::vector<uint8_t> whole_;  // an interlaced picture, decoded
  std::vector<png_bytep> rows_;
};

}  // namespace

std::unique_ptr<PngRows> OpenPngRows(InputFile& file) { return std::make_unique<LibpngRows>(file); }

}  // namespace tessary
