// TestPng: PNG files that the tests and benchmarks write themselves (zlib's compress and
// crc32), from sample values, for the picture reader to read.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessary {

inline std::string Big32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8),
          static_cast<char>(v)};
}

// One chunk: length, name, body, CRC.
inline std::string PngChunk(std::string_view name, std::string_view body) {
  std::string named = std::string(name) + std::string(body);
  const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(named.data()), named.size());
  return Big32(static_cast<uint32_t>(body.size())) + named + Big32(static_cast<uint32_t>(crc));
}

struct TestPng {
  TestPng(uint32_t w, uint32_t h, int bit_depth, int colour_type)
      : width(w), height(h), depth(bit_depth), type(colour_type) {}

  uint32_t width;
  uint32_t height;
  int depth;
  int type;  // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey and alpha, 6 RGBA
  bool interlaced = false;
  std::vector<uint16_t> samples;  // width * height * channels, rows top down
  std::string palette;            // PLTE and tRNS bodies; empty: no such chunk
  std::string transparency;
  size_t idat_piece = SIZE_MAX;  // the compressed data is split into IDAT chunks of this size

  int Channels() const { return type == 2 ? 3 : type == 4 ? 2 : type == 6 ? 4 : 1; }

  // The rows of pixels [x0, width) step dx, y0 step dy, each with filter byte 0.
  void Rows(uint32_t x0, uint32_t y0, uint32_t dx, uint32_t dy, std::string* out) const {
    const int channels = Channels();
    for (uint32_t y = y0; y < height && x0 < width; y += dy) {
      out->push_back('\0');
      uint32_t bits = 0, held = 0;
      for (uint32_t x = x0; x < width; x += dx) {
        for (int c = 0; c < channels; ++c) {
          const uint16_t v = samples[(size_t{y} * width + x) * channels + c];
          bits = bits << depth | v;
          held += depth;
          for (; held >= 8; held -= 8) out->push_back(static_cast<char>(bits >> (held - 8)));
        }
      }
      if (held > 0) out->push_back(static_cast<char>(bits << (8 - held)));
    }
  }

  std::string File() const {
    std::string raw;
    if (!interlaced) {
      Rows(0, 0, 1, 1, &raw);
    } else {
      static constexpr uint32_t kPasses[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
                                                 {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2},
                                                 {0, 1, 1, 2}};
      for (const auto& p : kPasses) Rows(p[0], p[1], p[2], p[3], &raw);
    }
    uLongf size = compressBound(raw.size());
    std::string packed(size, '\0');
    compress(reinterpret_cast<Bytef*>(packed.data()), &size,
             reinterpret_cast<const Bytef*>(raw.data()), raw.size());
    packed.resize(size);
    std::string file = "\x89PNG\r\n\x1A\n";
    file += PngChunk("IHDR", Big32(width) + Big32(height) + static_cast<char>(depth) +
                                 static_cast<char>(type) + std::string(2, '\0') +
                                 static_cast<char>(interlaced));
    if (!palette.empty()) file += PngChunk("PLTE", palette);
    if (!transparency.empty()) file += PngChunk("tRNS", transparency);
    for (size_t at = 0; at < packed.size(); at += idat_piece) {
      file += PngChunk("IDAT", std::string_view(packed).substr(at, idat_piece));
    }
    return file + PngChunk("IEND", "");
  }
};

}  // namespace tessary
