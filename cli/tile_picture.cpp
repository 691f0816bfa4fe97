#include "cli/tile_picture.h"

#include <algorithm>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#if !defined(_WIN32)
#include <signal.h>
#endif

#include "cli/png_encoder.h"
#include "run/quoted.h"

namespace tessary {
namespace {

// Tile bytes gathered before they go to the encoding thread, divided by the square of the
// scale (which multiplies the pixels). A batch holds whole bands (rows of tiles), at least one.
constexpr size_t kBatchBytes = size_t{256} << 10;
// Eight white pixels.
constexpr uint8_t kWhite = 0x00;

// Lays a band of tiles (`kTileBytes` each, `size` bytes) out as its picture rows at `rows`, one
// after another, `kRowBytes` per tile in each. The sizes are fixed so that the loops unroll.
template <size_t kTileBytes, size_t kRowBytes>
void LayOut(const uint8_t* band, size_t size, uint8_t* rows) {
  const size_t stride = size / kTileBytes * kRowBytes;
  for (size_t t = 0; t < size / kTileBytes; ++t) {
    for (size_t k = 0; k < kTileBytes; ++k) {
      rows[k / kRowBytes * stride + t * kRowBytes + k % kRowBytes] = band[t * kTileBytes + k];
    }
  }
}

// The same for tiles of any size.
void LayOutAny(const uint8_t* band, size_t size, uint8_t* rows, size_t tile_bytes,
               size_t row_bytes) {
  const size_t stride = size / tile_bytes * row_bytes;
  for (size_t t = 0; t < size / tile_bytes; ++t) {
    for (size_t k = 0; k < tile_bytes; ++k) {
      rows[k / row_bytes * stride + t * row_bytes + k % row_bytes] = band[t * tile_bytes + k];
    }
  }
}

// The encoder is used by one thread at a time: the run's thread until the encoding thread
// starts, then that thread, which hands each batch's bytes back under the lock. Only the run's
// thread opens and writes the file, so a signal interrupts its writes as it does the listing's.
class PngPicture final : public SideOutput {
 public:
  PngPicture(FileSystem& files, const PictureOptions& options)
      : files_(files), options_(options), name_("picture file " + Quoted(options.path)) {}

  ~PngPicture() override {
    {
      std::lock_guard lock(mutex_);
      quit_ = true;
    }
    wake_.notify_one();
    if (worker_.joinable()) worker_.join();
  }

  bool Ahead(int64_t count, int row_count, int row_bytes) override {
    rows_ = static_cast<size_t>(row_count);
    row_bytes_ = static_cast<size_t>(row_bytes);
    tile_bytes_ = rows_ * row_bytes_;
    stride_ = static_cast<size_t>(options_.columns) * row_bytes_;
    band_bytes_ = stride_ * rows_;
    const auto square = static_cast<size_t>(options_.scale * options_.scale);
    batch_bytes_ = std::max<size_t>(1, kBatchBytes / square / band_bytes_) * band_bytes_;
    count_ = count;
    return count_ <= 0 || Begin();
  }

  // Kept as they come, tile after tile; the encoding thread lays the bands out in rows. With
  // the count unknown every band is kept, since the height goes before the first row.
  bool Tiles(const uint8_t* tiles, size_t count) override {
    tiles_ += static_cast<int64_t>(count);
    for (size_t size = count * tile_bytes_; size > 0;) {
      std::vector<uint8_t>& fill = fills_[filling_];
      if (used_ == fill.size()) fill.resize(std::max(batch_bytes_, 2 * fill.size()));
      const size_t part = std::min(size, fill.size() - used_);
      std::memcpy(fill.data() + used_, tiles, part);
      used_ += part;
      tiles += part;
      size -= part;
      if (count_ >= 0 && used_ == batch_bytes_ && !HandFill(false)) return false;
    }
    return true;
  }

  bool Done() override {
    const bool kept_all = count_ < 0;
    if (kept_all) {
      count_ = tiles_;
      if (count_ > 0 && !Begin()) return false;
    }
    if (tiles_ != count_) {
      return Fail(name_ + ": " + std::to_string(count_) + " tiles were due, " +
                  std::to_string(tiles_) + " came");
    }
    if (count_ == 0) return true;
    // The unused cells of the last band are white.
    std::vector<uint8_t>& fill = fills_[filling_];
    const size_t end = (used_ + band_bytes_ - 1) / band_bytes_ * band_bytes_;
    fill.resize(std::max(fill.size(), end));
    std::fill(fill.begin() + static_cast<ptrdiff_t>(used_),
              fill.begin() + static_cast<ptrdiff_t>(end), kWhite);
    used_ = end;
    if (!kept_all) return HandFill(true) && Finish();
    // Kept whole: handed over a batch at a time from where it lies, as the buffers hold one.
    for (size_t at = 0; at < end; at += batch_bytes_) {
      const size_t size = std::min(batch_bytes_, end - at);
      if (!Hand(fill.data() + at, size, at + size == end)) return false;
    }
    return Finish();
  }

  std::string Problem() const override { return problem_; }
  bool Cancelled() const override { return cancelled_; }
  int64_t tiles() const override { return tiles_; }

  std::error_code Commit() override { return CommitSideFile(out_.get(), &committed_); }

  std::string Rollback() override { return RollBackSideFile(out_, committed_); }

 private:
  bool Fail(std::string problem) {
    problem_ = std::move(problem);
    return false;
  }

  // Opens the file and starts the PNG, once the tile count is known.
  bool Begin() {
    const int64_t bands = (count_ + options_.columns - 1) / options_.columns;
    const int64_t height = bands * static_cast<int64_t>(rows_) * options_.scale;
    if (height > kMaxPngHeight) {
      return Fail(name_ + " would be " + std::to_string(height) +
                  " pixels high, more than a PNG holds (" + std::to_string(kMaxPngHeight) +
                  "); use more --png-columns or a smaller --png-scale");
    }
    if (std::error_code ec = files_.OpenOutput(options_.path, false, &out_)) {
      return Fail("cannot create " + name_ + ": " + ec.message());
    }
    band_.resize(band_bytes_);
    // A batch is deflated as one, once it is all there.
    if (!encoder_.Begin(stride_, static_cast<uint32_t>(height), options_.scale,
                        batch_bytes_ / stride_)) {
      return Failed();
    }
    return StartWorker();
  }

  // Lays the bands of `tiles` (`size` bytes, whole bands) out as picture rows for the encoder.
  bool Encode(const uint8_t* tiles, size_t size, bool last) {
    for (const uint8_t* band = tiles; band < tiles + size; band += band_bytes_) {
      if (tile_bytes_ == 8 && row_bytes_ == 1) {
        LayOut<8, 1>(band, band_bytes_, band_.data());
      } else if (tile_bytes_ == 12 && row_bytes_ == 1) {
        LayOut<12, 1>(band, band_bytes_, band_.data());
      } else if (tile_bytes_ == 32 && row_bytes_ == 2) {
        LayOut<32, 2>(band, band_bytes_, band_.data());
      } else {  // glyphs of any other size
        LayOutAny(band, band_bytes_, band_.data(), tile_bytes_, row_bytes_);
      }
      if (!encoder_.AddRows(band_.data(), rows_)) return false;
    }
    return !last || encoder_.End();
  }

  bool Failed() {
    return Fail(encoder_.out_of_memory() ? "not enough memory for " + name_
                                         : "cannot make " + name_ + ": " + encoder_.problem());
  }

  // Waits until the encoding thread has no batch, then hands it `size` bytes of whole bands at
  // `bands` (at most a batch, left alone until the thread is idle again) and writes what the
  // batch before them made.
  bool Hand(const uint8_t* bands, size_t size, bool last) {
    {
      std::unique_lock lock(mutex_);
      if (!TakeMade(lock)) return false;
      job_ = bands;
      job_size_ = size;
      job_last_ = last;
      job_ready_ = true;
    }
    wake_.notify_one();
    return WriteMade();
  }

  // Hands over the gathered bands and gathers on in the other buffer.
  bool HandFill(bool last) {
    const size_t size = std::exchange(used_, 0);
    const uint8_t* bands = fills_[filling_].data();
    filling_ ^= 1;
    return Hand(bands, size, last);
  }

  // Waits for the last batch and writes what it made.
  bool Finish() {
    {
      std::unique_lock lock(mutex_);
      if (!TakeMade(lock)) return false;
    }
    return WriteMade();
  }

  bool TakeMade(std::unique_lock<std::mutex>& lock) {
    idle_.wait(lock, [this] { return !job_ready_; });
    encoder_.TakeBytes(&made_);
    return encode_ok_ || Failed();
  }

  bool WriteMade() {
    const std::error_code ec = out_->Write(made_);
    made_.clear();
    cancelled_ = ec == std::errc::operation_canceled;
    return !ec || Fail("cannot write " + name_ + ": " + ec.message());
  }

  // The encoding thread takes no signals: they go to the run's thread, whose reads and writes
  // they are meant to interrupt.
  bool StartWorker() {
#if !defined(_WIN32)
    sigset_t all, old;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, &old);
#endif
    std::string problem;
    try {
      worker_ = std::thread([this] { Work(); });
    } catch (const std::system_error& e) {
      problem = "cannot start encoding " + name_ + ": " + e.what();
    }
#if !defined(_WIN32)
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
#endif
    return problem.empty() || Fail(problem);
  }

  void Work() {
    std::unique_lock lock(mutex_);
    for (;;) {
      wake_.wait(lock, [this] { return job_ready_ || quit_; });
      if (!job_ready_) return;
      lock.unlock();
      const bool encoded = Encode(job_, job_size_, job_last_);
      lock.lock();
      encode_ok_ = encode_ok_ && encoded;
      job_ready_ = false;
      idle_.notify_one();
    }
  }

  FileSystem& files_;
  const PictureOptions options_;
  const std::string name_;  // "picture file "NAME"", for messages
  std::string problem_;
  bool cancelled_ = false;
  int64_t count_ = -1;  // tiles due; -1 until known
  int64_t tiles_ = 0;
  size_t rows_ = 0, row_bytes_ = 0, tile_bytes_ = 0;  // of a tile
  size_t stride_ = 0;                                 // bytes of a picture row at scale 1
  size_t band_bytes_ = 0;                             // of a row of tiles
  size_t batch_bytes_ = 0;
  // Tiles gathered in one while the encoding thread reads the other; their bits are the pixels.
  std::vector<uint8_t> fills_[2];
  int filling_ = 0;
  size_t used_ = 0;  // of fills_[filling_]
  std::unique_ptr<OutputFile> out_;
  bool committed_ = false;
  std::string made_;  // PNG bytes taken from the encoding thread, to be written

  // Used by one thread at a time (see above).
  PngEncoder encoder_;
  std::vector<uint8_t> band_;  // the picture rows of one band at scale 1

  // The encoding thread and its batch, under the lock.
  std::thread worker_;
  std::mutex mutex_;
  std::condition_variable wake_, idle_;
  const uint8_t* job_ = nullptr;
  size_t job_size_ = 0;
  bool job_last_ = false;
  bool job_ready_ = false;
  bool quit_ = false;
  bool encode_ok_ = true;
};

}  // namespace

std::unique_ptr<SideOutput> NewTilePicture(FileSystem& files, const PictureOptions& options) {
  return std::make_unique<PngPicture>(files, options);
}

}  // namespace tessary
