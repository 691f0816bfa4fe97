#include "cli/png_encoder.h"

#include <csetjmp>
#include <cstring>
#include <new>
#include <utility>

namespace tessary {
namespace {

// Pictures of up to this many bytes of pixels are deflated fully; bigger ones as speed allows.
constexpr uint64_t kSmallPicture = uint64_t{256} << 10;
constexpr png_byte kIdat[5] = "IDAT";
constexpr png_byte kIend[5] = "IEND";

}  // namespace

PngEncoder::~PngEncoder() {
  if (png_ != nullptr) png_destroy_write_struct(&png_, &info_);
  if (zlib_open_) deflateEnd(&zlib_);
}

// The libpng calls here, in AddRows and in End: on an error libpng jumps back to their setjmp,
// so they hold nothing that needs a destructor.
bool PngEncoder::Begin(size_t row_bytes, uint32_t height, int scale, size_t rows_at_once) {
  row_bytes_ = row_bytes;
  scale_ = static_cast<size_t>(scale);
  const size_t width = row_bytes_ * scale_;  // in bytes
  filtered_.resize(rows_at_once * scale_ * (1 + width));
  deflated_.resize(size_t{256} << 10);
  bytes_.reserve(filtered_.size() + (size_t{1} << 16));
  widen_.assign(256 * scale_, 0);
  for (size_t value = 0; value < 256; ++value) {
    for (size_t bit = 0; bit < 8 * scale_; ++bit) {
      if (value & (0x80u >> (bit / scale_))) widen_[value * scale_ + bit / 8] |= 0x80 >> bit % 8;
    }
  }
  png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, OnError, OnWarning);
  if (png_ != nullptr) info_ = png_create_info_struct(png_);
  if (info_ == nullptr) {
    out_of_memory_ = true;
    return false;
  }
  if (setjmp(png_jmpbuf(png_))) return false;
  png_set_write_fn(png_, this, OnWrite, OnFlush);
  png_set_user_limits(png_, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
  // Two colours, so that each pixel is its digit: 0 white, 1 black.
  png_set_IHDR(png_, info_, static_cast<uint32_t>(width * 8), height, 1, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_color colours[2] = {{255, 255, 255}, {0, 0, 0}};
  png_set_PLTE(png_, info_, colours, 2);
  png_write_info(png_, info_);
  return !out_of_memory_ && StartDeflate(uint64_t{width} * height);
}

// libpng takes a picture a row at a time, which cost more than the whole listing for the
// narrow, tall pictures of big ranges; so the rows are filtered and deflated here, a buffer at
// a time, and libpng writes them as IDAT chunks. A big picture at scale 1 is stored: deflating it
// took two to three times as long as the whole listing (run lengths or Huffman codes at level 1).
// A scaled picture repeats every row, which the Up filter turns into zeros: run lengths then make
// it 2 (scale 2) to 50 (scale 16) times smaller. A small one (a font, a sprite sheet) is deflated
// fully, which takes a few milliseconds.
bool PngEncoder::StartDeflate(uint64_t pixel_bytes) {
  const bool small = pixel_bytes <= kSmallPicture;
  const int level = small ? Z_BEST_COMPRESSION : scale_ > 1 ? 1 : Z_NO_COMPRESSION;
  if (deflateInit2(&zlib_, level, Z_DEFLATED, 15, 8, small ? Z_DEFAULT_STRATEGY : Z_RLE) != Z_OK) {
    out_of_memory_ = true;
    return false;
  }
  zlib_open_ = true;
  return true;
}

bool PngEncoder::AddRows(const uint8_t* rows, size_t count) {
  if (ended_) return Ended();
  if (setjmp(png_jmpbuf(png_))) return false;
  const size_t width = row_bytes_ * scale_;
  for (const uint8_t* line = rows; line < rows + count * row_bytes_; line += row_bytes_) {
    uint8_t* at = filtered_.data() + filtered_used_;
    *at++ = PNG_FILTER_VALUE_NONE;
    if (scale_ > 1) {
      for (size_t k = 0; k < row_bytes_; ++k) {
        std::memcpy(at + k * scale_, &widen_[line[k] * scale_], scale_);
      }
    } else {
      std::memcpy(at, line, row_bytes_);
    }
    at += width;
    for (size_t copy = 1; copy < scale_; ++copy) {
      *at++ = PNG_FILTER_VALUE_UP;
      std::memset(at, 0, width);
      at += width;
    }
    filtered_used_ = static_cast<size_t>(at - filtered_.data());
    if (filtered_used_ == filtered_.size() && !Flush(false)) return false;
  }
  return !out_of_memory_;
}

bool PngEncoder::End() {
  if (ended_) return Ended();
  ended_ = true;
  if (setjmp(png_jmpbuf(png_))) return false;
  if (!Flush(true)) return false;
  png_write_chunk(png_, kIend, nullptr, 0);
  return !out_of_memory_;
}

// Deflate would wait for the end of a stream that has ended, forever.
bool PngEncoder::Ended() {
  problem_ = "the picture was already ended";
  return false;
}

void PngEncoder::TakeBytes(std::string* out) {
  out->clear();
  out->reserve(bytes_.capacity());  // so that the next bytes need not grow it again
  out->swap(bytes_);
}

// Deflates the filtered rows gathered so far (with `finish`, the last ones). Within a libpng
// call's setjmp.
bool PngEncoder::Flush(bool finish) {
  const size_t size = std::exchange(filtered_used_, 0);
  return Deflate(filtered_.data(), size, finish) && !out_of_memory_;
}

// Deflates `size` bytes and has libpng write what comes out as IDAT chunks. Within a libpng
// call's setjmp.
bool PngEncoder::Deflate(const uint8_t* rows, size_t size, bool finish) {
  zlib_.next_in = const_cast<Bytef*>(rows);
  zlib_.avail_in = static_cast<uInt>(size);
  for (;;) {
    zlib_.next_out = deflated_.data();
    zlib_.avail_out = static_cast<uInt>(deflated_.size());
    const int status = deflate(&zlib_, finish ? Z_FINISH : Z_NO_FLUSH);
    if (status == Z_STREAM_ERROR) {
      problem_ = "the picture data could not be deflated";
      return false;
    }
    const size_t made = deflated_.size() - zlib_.avail_out;
    if (made > 0) png_write_chunk(png_, kIdat, deflated_.data(), made);
    if (finish ? status == Z_STREAM_END : zlib_.avail_in == 0 && zlib_.avail_out != 0) {
      return true;
    }
  }
}

void PngEncoder::OnError(png_structp png, png_const_charp message) {
  static_cast<PngEncoder*>(png_get_error_ptr(png))->problem_ = message;
  png_longjmp(png, 1);
}

// Collects the PNG's bytes for TakeBytes.
void PngEncoder::OnWrite(png_structp png, png_bytep data, size_t size) {
  auto* self = static_cast<PngEncoder*>(png_get_io_ptr(png));
  try {
    self->bytes_.append(reinterpret_cast<const char*>(data), size);
  } catch (const std::bad_alloc&) {
    self->out_of_memory_ = true;
  }
}

}  // namespace tessary
