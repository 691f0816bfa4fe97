// PictureInput: a PNG picture read as the bytes of its 8×8 cells, behind the InputFile door, and
// the open that tells a picture from a raw file by its first 8 bytes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "run/file_system.h"
#include "run/picture_colours.h"
#include "run/picture_error.h"
#include "run/png_file.h"
#include "run/png_rows.h"

namespace tessary {

// How the colours of a picture become digits.
struct PictureSettings {
  // 0: the picture may have at most two colours, after compositing over white (else it is
  // refused): of two the darker is 1, and a lone colour is 1 when it is darker than mid-grey.
  // 1 to 255: every pixel, whatever the number of colours (two included), is 1 when its
  // luminance (see Luminance()) is below `threshold` on the 8-bit scale, else 0.
  int threshold = 0;
  // Asked between batches of rows and between the reads of a stream; false cancels the open
  // or the read with std::errc::operation_canceled. May be empty.
  std::function<bool()> keep_going;
};

class PictureInput;

// What OpenPictureOrRaw() gives.
struct OpenedInput {
  std::unique_ptr<InputFile> input;  // set when `error` is clear
  PictureInput* picture = nullptr;   // `input` as a picture; null when it reads as the raw one
  std::error_code error;             // a read error of the raw input, a PictureError,
                                     // std::errc::operation_canceled, or invalid_argument for
                                     // a threshold outside 0 to 255
  std::string problem;               // the reason for `error`, worded to follow "<file name>: "
};

// Reads the first 8 bytes of `raw`. Without the PNG signature the input reads exactly as `raw`
// would (a stream replays the bytes read). With it, the file is checked whole (chunks and
// CRCs), its header read, and, when the colours must be counted (no threshold and more than two
// colours possible), decoded once for a census; the cells are decoded again as they are read.
// A stream (no size) is read to its end first and its compressed bytes kept in memory, since a
// picture is decoded more than once.
OpenedInput OpenPictureOrRaw(std::unique_ptr<InputFile> raw, const PictureSettings& settings);

// The cell bytes of a picture: its 8×8 cells in reading order (left to right along each band
// of 8 pixel rows, the bands top down), 8 bytes a cell, its top row first, each row's leftmost
// pixel as bit 7. A width or height that is not a multiple of 8 is completed with 0 pixels; a
// cell count that is not a multiple of 16 with blank cells (8 zero bytes each), so that the
// bytes fill whole block rows of 128.
//
// The size is known from the header, and a read may start at any offset. Rows are decoded one
// band at a time, in order, and only the current band's cell bytes are kept, so memory does not
// grow with the height (a few bytes per pixel of one row, and all of an interlaced picture); a
// read before the current band decodes again from the top of the picture. Limits (see
// png_file.h): kMaxPictureWidth pixels across, kMaxInterlacedBytes of an interlaced picture
// decoded, kMaxCellBytes of cells.
class PictureInput : public InputFile {
 public:
  ~PictureInput() override;

  std::optional<uint64_t> Size() const override { return header_.CellBytes(); }
  // Per the InputFile contract. An error from the file is returned as it is; a fault of the
  // picture comes as a PictureError with its reason in problem(): a palette index outside the
  // palette (when the open needed no census, it is first met here), or any fault once the file
  // changed since the open. After an error the next read decodes again from the top.
  std::error_code Read(uint64_t offset, char* buf, size_t count, size_t* got) override;

  uint32_t width() const { return header_.width; }
  uint32_t height() const { return header_.height; }
  // The picture's own cells, without the blank ones that complete its last block row.
  uint64_t cells() const { return header_.Cells(); }
  // The top-left pixel of the cell that holds byte `offset`; false for a blank cell and past
  // the end.
  bool CellCorner(uint64_t offset, uint32_t* x, uint32_t* y) const;
  // The reason for the last error, worded to follow "<file name>: ".
  const std::string& problem() const { return problem_; }

 private:
  friend OpenedInput OpenPictureOrRaw(std::unique_ptr<InputFile> raw,
                                      const PictureSettings& settings);
  PictureInput(std::unique_ptr<InputFile> file, PictureSettings settings);

  std::error_code Open();
  std::error_code TakeCensus();
  std::error_code StartRows();
  std::error_code NextRow();
  std::error_code LoadBand(uint64_t band);
  std::error_code Fail(std::error_code ec);

  std::unique_ptr<InputFile> file_;
  PictureSettings settings_;
  PngHeader header_;
  std::unique_ptr<PngRows> rows_;  // null until the next read starts from the top
  RowLayout layout_;               // as the first decoding gave it
  std::unique_ptr<RowDigits> digits_;
  uint64_t next_band_ = 0;      // the band `rows_` decodes next
  uint64_t band_ = UINT64_MAX;  // the band in `band_bytes_`
  std::vector<uint8_t> row_;    // one decoded row
  std::vector<uint8_t> band_bytes_;
  std::string problem_;
};

}  // namespace tessary
