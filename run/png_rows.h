// PngRows: a PNG picture's rows, top to bottom, as the platform's codec decodes them (libpng,
// or the Windows Imaging Component), with the layout of their samples.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "run/file_system.h"

namespace tessary {

// How the samples of a decoded row lie. Rows are packed: pixels left to right, samples of a
// pixel in turn, samples under 8 bits from the high bits of a byte on, 16-bit samples in the
// machine's byte order. A row is RowBytes() long; bits past the last pixel mean nothing.
struct RowLayout {
  uint32_t width = 0;
  uint32_t height = 0;
  int bits = 8;      // per sample: 1, 2, 4, 8 or 16
  int channels = 1;  // samples per pixel
  // Which sample of a pixel holds red, green, blue and alpha (-1: no alpha, fully opaque).
  int red = 0;
  int green = 0;
  int blue = 0;
  int alpha = -1;
  // For a palette picture: one sample, an index into `palette` (0xAARRGGBB entries).
  bool indexed = false;
  std::vector<uint32_t> palette;
  // The samples of the one fully transparent colour (red, green, blue; grey in all three).
  std::optional<std::array<uint16_t, 3>> key;

  uint64_t RowBytes() const { return (uint64_t{width} * channels * bits + 7) / 8; }
};

// What stopped a codec: a read error of the file, or a fault that the codec found in the file.
enum class RowsFault { kNone, kRead, kDecode };

class PngRows {
 public:
  virtual ~PngRows() = default;

  // Decodes the next row, top to bottom, into `row` (layout().RowBytes() bytes). False when
  // it cannot (see fault()); every later call then fails as well.
  virtual bool NextRow(uint8_t* row) = 0;

  const RowLayout& layout() const { return layout_; }
  RowsFault fault() const { return fault_; }
  // For RowsFault::kRead: the file's error.
  std::error_code read_error() const { return read_error_; }

 protected:
  RowLayout layout_;
  RowsFault fault_ = RowsFault::kNone;
  std::error_code read_error_;
};

// Starts decoding the PNG file `file` (its first byte at offset 0, readable at any offset; it
// must outlive the rows) and reads its header: check fault() before anything else. libpng
// decodes the rows as they are asked for, except an interlaced picture, which it decodes whole
// at the first row; the Windows codec decodes as it sees fit (Wine's holds the whole picture).
std::unique_ptr<PngRows> OpenPngRows(InputFile& file);

}  // namespace tessary
