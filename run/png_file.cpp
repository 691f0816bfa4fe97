#include "run/png_file.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "run/picture_error.h"

namespace tessary {
namespace {

constexpr unsigned char kSignature[kPngSignatureSize] = {0x89, 'P',  'N',  'G',
                                                         '\r', '\n', 0x1A, '\n'};
constexpr uint32_t kMaxChunkLength = 0x7FFFFFFF;
constexpr size_t kPiece = size_t{64} << 10;

uint32_t Big32(const unsigned char* p) {
  return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

std::string Name(const unsigned char* p) {
  return std::string(reinterpret_cast<const char*>(p), 4);
}

bool ValidName(const unsigned char* p) {
  return std::all_of(p, p + 4,
                     [](unsigned char c) { return (c | 0x20) >= 'a' && (c | 0x20) <= 'z'; });
}

// The bit depths each colour type allows, as a mask of 1 << depth.
int DepthsOf(int colour_type) {
  switch (colour_type) {
    case 0:
      return 1 << 1 | 1 << 2 | 1 << 4 | 1 << 8 | 1 << 16;
    case 3:
      return 1 << 1 | 1 << 2 | 1 << 4 | 1 << 8;
    case 2:
    case 4:
    case 6:
      return 1 << 8 | 1 << 16;
  }
  return 0;
}

std::string Dims(const PngHeader& h) {
  return std::to_string(h.width) + " by " + std::to_string(h.height);
}

std::error_code Refuse(PictureError e, std::string text, std::string* problem) {
  *problem = std::move(text);
  return e;
}

// The IHDR fields: sound for a PNG file, and within what this reader takes.
std::error_code ReadHeader(const unsigned char* d, PngHeader* h, std::string* problem) {
  h->width = Big32(d);
  h->height = Big32(d + 4);
  h->bit_depth = d[8];
  h->colour_type = d[9];
  h->interlaced = d[12] == 1;
  const auto bad = [problem](std::string text) {
    return Refuse(PictureError::kBadStructure, "damaged PNG file: " + text, problem);
  };
  if (h->width == 0 || h->height == 0) {
    return Refuse(PictureError::kNoPixels,
                  "the picture has no pixels (it is " + Dims(*h) + " pixels)", problem);
  }
  if (h->width > kMaxChunkLength || h->height > kMaxChunkLength) {
    return bad("its header gives a size of " + Dims(*h) + " pixels, more than a PNG file may have");
  }
  if (DepthsOf(h->colour_type) == 0) {
    return bad("its header gives colour type " + std::to_string(h->colour_type) +
               ", which PNG does not have");
  }
  if (h->bit_depth > 16 || (DepthsOf(h->colour_type) & (1 << h->bit_depth)) == 0) {
    return bad("its header gives bit depth " + std::to_string(h->bit_depth) +
               ", which colour type " + std::to_string(h->colour_type) + " cannot have");
  }
  if (d[10] != 0 || d[11] != 0 || d[12] > 1) {
    return bad("its header gives an unknown compression, filter or interlace method");
  }
  if (h->width > kMaxPictureWidth) {
    return Refuse(PictureError::kTooWide,
                  "the picture is " + std::to_string(h->width) + " pixels wide, more than the " +
                      std::to_string(kMaxPictureWidth) + " that can be read",
                  problem);
  }
  if (h->CellBytes() > kMaxCellBytes) {
    return Refuse(PictureError::kTooBig,
                  "the picture's " + Dims(*h) + " pixels make " + std::to_string(h->CellBytes()) +
                      " bytes of 8x8 cells, more than the " + std::to_string(kMaxCellBytes) +
                      " that offsets reach",
                  problem);
  }
  const uint64_t whole = h->RowBytes() * h->height;
  if (h->interlaced && whole > kMaxInterlacedBytes) {
    return Refuse(PictureError::kInterlacedTooBig,
                  "the picture is interlaced, so it is decoded whole, and its " + Dims(*h) +
                      " pixels take " + std::to_string((whole + (1 << 20) - 1) >> 20) +
                      " MiB that way, more than " + std::to_string(kMaxInterlacedBytes >> 20) +
                      " MiB; save it without interlacing",
                  problem);
  }
  return {};
}

}  // namespace

bool IsPng(const char* first8) { return std::memcmp(first8, kSignature, kPngSignatureSize) == 0; }

int PngHeader::Channels() const {
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  return colour_type >= 0 && colour_type < 7 ? kChannels[colour_type] : 0;
}

std::error_code CheckPngFile(InputFile& file, const std::function<bool()>& keep_going,
                             PngHeader* header, std::string* problem) {
  std::vector<unsigned char> piece(kPiece);
  size_t got = 0;
  uint64_t at = 0;
  const auto read = [&](size_t count) {
    const std::error_code ec =
        ReadFileAt(file, at, reinterpret_cast<char*>(piece.data()), count, &got);
    at += got;
    if (ec) *problem = ec.message();
    return ec;
  };
  const auto truncated = [&](const std::string& where) {
    return Refuse(PictureError::kTruncated,
                  "truncated PNG file: it ends after " + std::to_string(at) + " bytes, " + where,
                  problem);
  };
  const auto bad = [problem](std::string text) {
    return Refuse(PictureError::kBadStructure, "damaged PNG file: " + text, problem);
  };
  if (std::error_code ec = read(kPngSignatureSize)) return ec;
  if (got < kPngSignatureSize || !IsPng(reinterpret_cast<const char*>(piece.data()))) {
    return bad("it does not begin with the PNG signature");
  }
  bool palette = false;
  bool data = false;
  for (int chunk = 0;; ++chunk) {
    if (keep_going && !keep_going()) return std::make_error_code(std::errc::operation_canceled);
    const uint64_t start = at;
    if (std::error_code ec = read(8)) return ec;
    if (got == 0) return truncated("before its IEND chunk");
    if (got < 8) return truncated("inside the length and name of a chunk");
    const uint32_t length = Big32(piece.data());
    unsigned char name[4];
    std::memcpy(name, piece.data() + 4, 4);
    const std::string where = " chunk at byte " + std::to_string(start);
    if (length > kMaxChunkLength || !ValidName(name)) {
      return bad("the" + where + " has no valid length and name");
    }
    const std::string called = Name(name);
    if ((chunk == 0) != (called == "IHDR") || (chunk == 0 && length != 13)) {
      return bad("its first chunk is not a header (IHDR) of 13 bytes");
    }
    uLong crc = crc32(0, name, 4);
    for (uint32_t left = length; left > 0;) {
      const size_t want = std::min<size_t>(left, kPiece);
      if (std::error_code ec = read(want)) return ec;
      if (got < want) return truncated("inside its " + called + where);
      crc = crc32(crc, piece.data(), static_cast<uInt>(got));
      left -= static_cast<uint32_t>(got);
    }
    unsigned char fields[13] = {};
    if (chunk == 0) std::memcpy(fields, piece.data(), 13);  // IHDR's 13 bytes, read in one piece
    if (std::error_code ec = read(4)) return ec;
    if (got < 4) return truncated("inside its " + called + where);
    if (Big32(piece.data()) != static_cast<uint32_t>(crc)) {
      return Refuse(PictureError::kCrc,
                    "damaged PNG file: the CRC of its " + called + where + " does not match",
                    problem);
    }
    if (chunk == 0) {
      if (std::error_code ec = ReadHeader(fields, header, problem)) return ec;
    } else if (called == "IHDR") {
      return bad("it has a second header (IHDR" + where + ")");
    } else if (called == "PLTE") {
      if (length == 0 || length % 3 != 0 || length > 768) {
        return bad("its palette (PLTE" + where + ") is " + std::to_string(length) + " bytes long");
      }
      palette = true;
    } else if (called == "IDAT") {
      if (header->colour_type == 3 && !palette) {
        return bad("it has no palette (PLTE chunk) before its picture data");
      }
      data = true;
    } else if (called == "IEND") {
      if (!data) return bad("it has no picture data (IDAT chunk)");
      return {};
    }
  }
}

}  // namespace tessary
