// libFuzzer target: the picture reader takes any file without crashing, and what it reads of a
// picture is the same whole or in pieces, forward or back, from a file or a stream. An input
// that does not begin with the PNG signature describes a picture (size, colour type, samples)
// that is written out as a PNG file, then maybe cut short or with one byte changed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "run/mem_file_system.h"
#include "run/picture_input.h"
#include "run/test_png.h"

namespace {

using tessary::OpenedInput;

void Check(bool ok) {
  if (!ok) __builtin_trap();
}

std::string FromFields(const uint8_t* data, size_t size) {
  if (size < 7) return {};
  static constexpr int kTypes[5] = {0, 2, 3, 4, 6};
  static constexpr int kDepths[5] = {1, 2, 4, 8, 16};
  const int type = kTypes[data[0] % 5];
  int depth = kDepths[data[1] % 5];
  if (type != 0 && type != 3 && depth < 8) depth = 8;
  if (type == 3 && depth == 16) depth = 4;
  tessary::TestPng png(data[2] % 40 + 1, data[3] % 40 + 1, depth, type);
  png.interlaced = data[4] & 1;
  png.idat_piece = data[4] >> 1 | 1;
  const size_t count = size_t{png.width} * png.height * png.Channels();
  for (size_t i = 0; i < count; ++i) {
    const uint8_t a = data[6 + i % (size - 6)], b = data[6 + (i * 7 + 1) % (size - 6)];
    png.samples.push_back(static_cast<uint16_t>((a << 8 | b) >> (16 - depth)));
  }
  const auto bytes = [&](size_t n) {
    std::string out;
    for (size_t i = 0; i < n; ++i) out += static_cast<char>(data[6 + (i * 3 + 2) % (size - 6)]);
    return out;
  };
  if (type == 3) png.palette = bytes((size - 6) / 3 % 5 * 3 + 3);
  if (data[5] & 1) png.transparency = bytes(type == 2 ? 6 : type == 3 ? data[5] % 7 : 2);
  std::string file = png.File();
  if (data[5] & 2) file.resize(data[5] * file.size() / 256);
  if ((data[5] & 4) && !file.empty())
    file[data[4] * file.size() / 256] ^= static_cast<char>(data[5]);
  return file;
}

std::string ReadAll(tessary::InputFile& in, uint64_t from, size_t step) {
  std::string all, piece(step, '\0');
  size_t got = 1;
  while (got > 0 && !in.Read(from + all.size(), piece.data(), step, &got))
    all.append(piece, 0, got);
  return all;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string raw(reinterpret_cast<const char*>(data), size);
  tessary::MemFileSystem files;
  files.files["p"] = size >= 8 && tessary::IsPng(raw.data()) ? raw : FromFields(data, size);
  std::string first;  // the cells read from the file
  for (bool stream : {false, true}) {
    if (stream) files.streams.insert("p");
    std::unique_ptr<tessary::InputFile> input;
    Check(!files.OpenInput("p", &input));
    OpenedInput opened = tessary::OpenPictureOrRaw(std::move(input), {size % 3 == 0 ? 0 : 100, {}});
    if (opened.error) {
      Check(!opened.problem.empty() && opened.input == nullptr);
      return 0;
    }
    if (opened.picture == nullptr) return 0;
    const uint64_t bytes = *opened.input->Size();
    Check(bytes % 128 == 0 && bytes <= 2147483647 && bytes >= opened.picture->cells() * 8);
    if (bytes > (uint64_t{1} << 20)) return 0;
    const std::string whole = ReadAll(*opened.input, 0, 4096);
    if (whole.size() < bytes) {
      Check(!opened.picture->problem().empty());
      return 0;
    }
    Check(whole.size() == bytes && (!stream || whole == first));
    first = whole;
    // Blank cells, and the bits past the right edge, are 0.
    for (uint64_t i = opened.picture->cells() * 8; i < bytes; ++i) Check(whole[i] == 0);
    const uint32_t spare = (8 - opened.picture->width() % 8) % 8;
    const uint64_t across = (opened.picture->width() + 7) / 8;
    for (uint64_t i = (across - 1) * 8; i < opened.picture->cells() * 8; i += across * 8) {
      for (int r = 0; r < 8; ++r) Check((whole[i + r] & ((1 << spare) - 1)) == 0);
    }
    // From the middle on in odd pieces, then from the start again.
    const uint64_t middle = bytes / 2 + size % 13;
    Check(ReadAll(*opened.input, middle, 13) == whole.substr(middle));
    Check(ReadAll(*opened.input, 0, 61) == whole);
  }
  return 0;
}
