// PictureError: the reasons a PNG picture cannot be read as cell bytes, as std::error_code values.
#pragma once

#include <system_error>

namespace tessary {

// Each comes with a reason text that gives the details (which chunk, which pixel); the error
// code's own message() is only the short, general form of it.
enum class PictureError {
  kTruncated = 1,     // the file ends before its IEND chunk
  kCrc,               // a chunk's CRC does not match its bytes
  kBadStructure,      // a chunk or header field that no PNG file may have
  kBrokenData,        // the compressed picture data cannot be decoded
  kPaletteIndex,      // a pixel's palette index lies past the end of the palette
  kNoPixels,          // a width or height of 0
  kTooWide,           // wider than kMaxPictureWidth
  kTooBig,            // its cell bytes would pass the 2 GiB offset range
  kInterlacedTooBig,  // interlaced, and its decoded rows would pass kMaxInterlacedBytes
  kTooManyColours,    // more than two colours, and no threshold to split them
  kChanged,           // the file was changed while it was read
};

const std::error_category& PictureCategory();

inline std::error_code make_error_code(PictureError e) {
  return {static_cast<int>(e), PictureCategory()};
}

}  // namespace tessary

template <>
struct std::is_error_code_enum<tessary::PictureError> : std::true_type {};
