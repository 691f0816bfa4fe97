#include "run/picture_error.h"

#include <string>

namespace tessary {
namespace {

class Category : public std::error_category {
 public:
  const char* name() const noexcept override { return "picture"; }
  std::string message(int ev) const override {
    switch (static_cast<PictureError>(ev)) {
      case PictureError::kTruncated:
        return "truncated PNG file";
      case PictureError::kCrc:
        return "damaged PNG file (CRC error)";
      case PictureError::kBadStructure:
        return "damaged PNG file";
      case PictureError::kBrokenData:
        return "damaged PNG file (broken compressed data)";
      case PictureError::kPaletteIndex:
        return "palette index outside the palette";
      case PictureError::kNoPixels:
        return "the picture has no pixels";
      case PictureError::kTooWide:
        return "the picture is too wide";
      case PictureError::kTooBig:
        return "the picture's cells pass the 2 GiB offset range";
      case PictureError::kInterlacedTooBig:
        return "the interlaced picture is too big";
      case PictureError::kTooManyColours:
        return "the picture has more than two colours";
      case PictureError::kChanged:
        return "the picture changed while it was read";
    }
    return "unreadable picture";
  }
};

}  // namespace

const std::error_category& PictureCategory() {
  static const Category category;
  return category;
}

}  // namespace tessary
