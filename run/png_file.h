// PngFile: the PNG signature, the header's fields, and the walk that checks a PNG file's chunks
// (lengths, CRCs, order, the header's values and this reader's limits) before it is decoded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

#include "run/file_system.h"

namespace tessary {

constexpr size_t kPngSignatureSize = 8;
// A picture row is decoded and turned into cells 8 rows at a time; this bounds the memory.
constexpr uint32_t kMaxPictureWidth = 1000000;
// Interlaced rows come in seven passes over the whole picture, so the picture is held decoded.
constexpr uint64_t kMaxInterlacedBytes = uint64_t{64} << 20;
// The last byte offset of the listing's range; the cell bytes must stay within it.
constexpr uint64_t kMaxCellBytes = 2147483647;

// True when `first8` (8 bytes) is the PNG signature.
bool IsPng(const char* first8);

// The fields of the IHDR chunk, and the picture's grid of 8×8 cells.
struct PngHeader {
  uint32_t width = 0;
  uint32_t height = 0;
  int bit_depth = 0;    // bits per sample: 1, 2, 4, 8 or 16
  int colour_type = 0;  // 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
  bool interlaced = false;

  int Channels() const;
  // Bytes of one row in the file's own layout, as a codec decodes it.
  uint64_t RowBytes() const { return (uint64_t{width} * Channels() * bit_depth + 7) / 8; }
  uint64_t CellsAcross() const { return (uint64_t{width} + 7) / 8; }
  uint64_t CellsDown() const { return (uint64_t{height} + 7) / 8; }
  // The picture's own cells, without the blank ones that complete its last block row.
  uint64_t Cells() const { return CellsAcross() * CellsDown(); }
  // The cell bytes: 8 per cell, the cell count completed to a multiple of 16.
  uint64_t CellBytes() const { return (Cells() + 15) / 16 * 16 * 8; }
};

// Reads the PNG file `file` (its first byte at offset 0, readable at any offset) chunk by chunk
// up to its IEND chunk, 64 KiB at a time: checks the signature, that IHDR comes first with
// sound values, each chunk's CRC, a palette for a palette picture, some picture data, and that
// the file does not end before IEND; checks the header against this reader's limits as soon as
// it is read. Fills `*header`. Returns a PictureError with `*problem` set to its reason, a read
// error of `file`, or std::errc::operation_canceled when `keep_going` (asked between reads; may
// be empty) returned false. Chunks are not decoded; bytes after IEND are not read.
std::error_code CheckPngFile(InputFile& file, const std::function<bool()>& keep_going,
                             PngHeader* header, std::string* problem);

}  // namespace tessary
