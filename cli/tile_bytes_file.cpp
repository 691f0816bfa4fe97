#include "cli/tile_bytes_file.h"

#include <string_view>
#include <vector>

#include "run/quoted.h"

namespace tessary {
namespace {

constexpr size_t kChunk = size_t{1} << 20;

class BytesFile final : public SideOutput {
 public:
  BytesFile(FileSystem& files, std::string path)
      : files_(files), path_(std::move(path)), name_("binary file " + Quoted(path_)) {}

  bool Ahead(int64_t, int row_count, int row_bytes) override {
    tile_bytes_ = static_cast<size_t>(row_count) * static_cast<size_t>(row_bytes);
    return true;
  }

  bool Tiles(const uint8_t* tiles, size_t count) override {
    if (!out_ && !Open()) return false;
    tiles_ += static_cast<int64_t>(count);
    pending_.insert(pending_.end(), tiles, tiles + count * tile_bytes_);
    return pending_.size() < kChunk || Flush();
  }

  bool Done() override { return !out_ || Flush(); }
  std::string Problem() const override { return problem_; }
  bool Cancelled() const override { return cancelled_; }
  int64_t tiles() const override { return tiles_; }

  std::error_code Commit() override { return CommitSideFile(out_.get(), &committed_); }

  std::string Rollback() override { return RollBackSideFile(out_, committed_); }

 private:
  bool Open() {
    const std::error_code ec = files_.OpenOutput(path_, false, &out_);
    if (!ec) return true;
    out_.reset();
    return Failed(ec, "cannot create ");
  }

  bool Flush() {
    const std::error_code ec = out_->Write(
        std::string_view(reinterpret_cast<const char*>(pending_.data()), pending_.size()));
    pending_.clear();
    return !ec || Failed(ec, "cannot write ");
  }

  bool Failed(std::error_code ec, const char* what) {
    cancelled_ = ec == std::errc::operation_canceled;
    problem_ = what + name_ + ": " + ec.message();
    return false;
  }

  FileSystem& files_;
  const std::string path_;
  const std::string name_;
  std::unique_ptr<OutputFile> out_;
  std::vector<uint8_t> pending_;
  size_t tile_bytes_ = 8;
  int64_t tiles_ = 0;
  bool committed_ = false;
  bool cancelled_ = false;
  std::string problem_;
};

}  // namespace

std::unique_ptr<SideOutput> NewTileBytesFile(FileSystem& files, const std::string& path) {
  return std::make_unique<BytesFile>(files, path);
}

}  // namespace tessary
