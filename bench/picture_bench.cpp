// A whole 8x8 row-walk listing of a raw file or a PNG picture, read as the picture's cells, for
// bench/run-bench to time against the same cells in a raw file; and the pictures it times:
//   picture_bench INPUT OUTPUT              lists INPUT (a picture when it is a PNG file)
//   picture_bench --palette RAW WIDTH PNG   writes RAW's bytes as cells of an 8-bit palette
//                                           picture WIDTH pixels wide (three colours, two used)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "run/disk_file_system.h"
#include "run/host.h"
#include "run/picture_input.h"
#include "run/run.h"
#include "run/test_png.h"

namespace tessary {
namespace {

// The disk, with every input opened as a picture when it is one.
class PictureFileSystem : public FileSystem {
 public:
  std::error_code OpenInput(const std::string& path, std::unique_ptr<InputFile>* out) override {
    std::unique_ptr<InputFile> raw;
    if (std::error_code ec = disk_->OpenInput(path, &raw)) return ec;
    OpenedInput opened = OpenPictureOrRaw(std::move(raw), {});
    if (opened.error) std::fprintf(stderr, "picture_bench: %s\n", opened.problem.c_str());
    *out = std::move(opened.input);
    return opened.error;
  }
  bool SameFile(const std::string& a, const std::string& b) override {
    return disk_->SameFile(a, b);
  }
  std::error_code OpenOutput(const std::string& path, bool append,
                             std::unique_ptr<OutputFile>* out) override {
    return disk_->OpenOutput(path, append, out);
  }

 private:
  FileSystem* disk_ = DiskFileSystem();
};

int WritePalettePicture(const std::string& raw_path, uint32_t width, const std::string& path) {
  std::ifstream in(raw_path, std::ios::binary);
  std::stringstream raw;
  raw << in.rdbuf();
  const std::string bytes = raw.str();
  const uint64_t across = width / 8;
  TestPng png(width, static_cast<uint32_t>(bytes.size() / across), 8, 3);
  png.palette = std::string("\xFF\xFF\xFF\x80\x80\x80\0\0\0", 9);
  png.samples.resize(size_t{png.width} * png.height);
  for (size_t i = 0; i < bytes.size(); ++i) {
    const size_t cell = i / 8, y = cell / across * 8 + i % 8, x = cell % across * 8;
    for (int b = 0; b < 8; ++b) png.samples[y * width + x + b] = (bytes[i] >> (7 - b) & 1) * 2;
  }
  std::ofstream(path, std::ios::binary) << png.File();
  return 0;
}

}  // namespace
}  // namespace tessary

int main(int argc, char** argv) {
  if (argc == 5 && std::string(argv[1]) == "--palette") {
    return tessary::WritePalettePicture(argv[2], static_cast<uint32_t>(std::atoi(argv[3])),
                                        argv[4]);
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: picture_bench INPUT OUTPUT | --palette RAW WIDTH PNG\n");
    return 2;
  }
  tessary::RunOptions options;
  options.input_path = argv[1];
  options.output_path = argv[2];
  tessary::FixedStyleHost host({.labels = true, .invert = false});
  tessary::PictureFileSystem files;
  const tessary::RunResult result = tessary::Run(options, host, files);
  if (result.status != tessary::RunStatus::kDone) {
    std::fprintf(stderr, "picture_bench: %s\n", result.message.c_str());
    return 1;
  }
  return 0;
}
