// PngEncoder: the bytes of a one-bit PNG of two colours, made from rows of pixels.
#pragma once

#include <png.h>
#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace tessary {

// The tallest picture a PNG can state.
inline constexpr int64_t kMaxPngHeight = PNG_UINT_31_MAX;

// Makes a PNG whose pixel 0 is white and 1 black from rows given at scale 1, eight pixels to a
// byte, bit 7 leftmost; every pixel is drawn `scale` times across and down. The rows are widened
// and filtered here (None, and Up for each repeat, which makes it all zeros), deflated a buffer at
// a time, and written by libpng as IDAT chunks. The bytes collect in the encoder until taken.
// One thread at a time may use it.
class PngEncoder {
 public:
  PngEncoder() = default;
  ~PngEncoder();
  PngEncoder(const PngEncoder&) = delete;
  PngEncoder& operator=(const PngEncoder&) = delete;

  // Starts a picture of `row_bytes` bytes across at scale 1 and `height` pixel rows at scale
  // (1 to kMaxPngHeight), and makes its header. Call once, first. Every `rows_at_once` rows at
  // scale 1 (at least 1) are deflated together, so the bytes made by one AddRows call with that
  // many rows or fewer take about as much room as those rows at scale, or less.
  bool Begin(size_t row_bytes, uint32_t height, int scale, size_t rows_at_once);
  // Adds `count` rows at scale 1, each `row_bytes` long, one after another.
  bool AddRows(const uint8_t* rows, size_t count);
  // After the last row: the rest of the picture data and the end chunk. Once only: after it,
  // AddRows and End fail.
  bool End();
  // Moves the bytes made since the last call into `*out`, which is emptied first.
  void TakeBytes(std::string* out);

  // After a call returned false: whether memory ran out, else what went wrong.
  bool out_of_memory() const { return out_of_memory_; }
  const std::string& problem() const { return problem_; }

 private:
  bool StartDeflate(uint64_t pixel_bytes);
  bool Ended();
  bool Flush(bool finish);
  bool Deflate(const uint8_t* rows, size_t size, bool finish);

  static void OnError(png_structp png, png_const_charp message);
  static void OnWarning(png_structp, png_const_charp) {}
  static void OnFlush(png_structp) {}
  static void OnWrite(png_structp png, png_bytep data, size_t size);

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  z_stream zlib_{};
  bool zlib_open_ = false;
  bool ended_ = false;
  std::string problem_;
  bool out_of_memory_ = false;
  size_t row_bytes_ = 0;  // of a row at scale 1
  size_t scale_ = 1;
  std::vector<uint8_t> widen_;     // each byte's bits, `scale` times each: `scale` bytes per byte
  std::vector<uint8_t> filtered_;  // rows at scale, each after its filter byte, to be deflated
  size_t filtered_used_ = 0;
  std::vector<uint8_t> deflated_;  // what deflate makes of them, an IDAT chunk at a time
  std::string bytes_;              // made since they were last taken
};

}  // namespace tessary
