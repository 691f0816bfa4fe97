#include "run/picture_input.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace tessary {
namespace {

constexpr size_t kStreamPiece = size_t{64} << 10;

std::error_code Cancelled() { return std::make_error_code(std::errc::operation_canceled); }

// A stream's bytes, kept whole in memory, read at any offset.
class HeldInput : public InputFile {
 public:
  explicit HeldInput(std::string bytes) : bytes_(std::move(bytes)) {}
  std::optional<uint64_t> Size() const override { return bytes_.size(); }
  std::error_code Read(uint64_t offset, char* buf, size_t count, size_t* got) override {
    *got = offset < bytes_.size() ? std::min<uint64_t>(count, bytes_.size() - offset) : 0;
    if (*got > 0) std::memcpy(buf, bytes_.data() + offset, *got);
    return {};
  }

 private:
  const std::string bytes_;
};

// A stream whose first bytes were read already: gives them again, then the rest.
class ReplayInput : public InputFile {
 public:
  ReplayInput(std::unique_ptr<InputFile> stream, std::string first)
      : stream_(std::move(stream)), first_(std::move(first)) {}
  std::optional<uint64_t> Size() const override { return std::nullopt; }
  std::error_code Read(uint64_t offset, char* buf, size_t count, size_t* got) override {
    if (given_ == first_.size()) return stream_->Read(offset, buf, count, got);
    *got = std::min(count, first_.size() - given_);
    std::memcpy(buf, first_.data() + given_, *got);
    given_ += *got;
    return {};
  }

 private:
  std::unique_ptr<InputFile> stream_;
  const std::string first_;
  size_t given_ = 0;
};

// Reads a stream on to `*bytes` until it holds `limit` bytes or the stream ends, repeating
// reads that a signal interrupted unless `keep_going` says no.
std::error_code ReadStream(InputFile& stream, size_t limit, const PictureSettings& settings,
                           std::string* bytes) {
  std::string piece(kStreamPiece, '\0');
  while (bytes->size() < limit) {
    size_t got = 0;
    const std::error_code ec =
        stream.Read(0, piece.data(), std::min(kStreamPiece, limit - bytes->size()), &got);
    if (ec && ec != std::errc::interrupted) return ec;
    if (settings.keep_going && !settings.keep_going()) return Cancelled();
    if (ec) continue;
    if (got == 0) break;
    bytes->append(piece.data(), got);
  }
  return {};
}

}  // namespace

PictureInput::PictureInput(std::unique_ptr<InputFile> file, PictureSettings settings)
    : file_(std::move(file)), settings_(std::move(settings)) {}

PictureInput::~PictureInput() = default;

bool PictureInput::CellCorner(uint64_t offset, uint32_t* x, uint32_t* y) const {
  const uint64_t cell = offset / 8;
  if (cell >= header_.Cells()) return false;
  *x = static_cast<uint32_t>(cell % header_.CellsAcross() * 8);
  *y = static_cast<uint32_t>(cell / header_.CellsAcross() * 8);
  return true;
}

std::error_code PictureInput::Fail(std::error_code ec) {
  if (ec.category() != PictureCategory()) problem_ = ec.message();
  rows_.reset();
  band_ = UINT64_MAX;
  return ec;
}

// A fresh decoding from the top, which must give the rows the first one gave.
std::error_code PictureInput::StartRows() {
  rows_ = OpenPngRows(*file_);
  next_band_ = 0;
  band_ = UINT64_MAX;
  if (rows_->fault() == RowsFault::kNone) {
    const RowLayout& l = rows_->layout();
    if (!digits_) {
      layout_ = l;
    } else if (l.width != layout_.width || l.height != layout_.height || l.bits != layout_.bits ||
               l.channels != layout_.channels || l.palette != layout_.palette ||
               l.key != layout_.key) {
      problem_ = "the picture changed while it was read";
      return Fail(PictureError::kChanged);
    }
    return {};
  }
  return NextRow();  // words the fault
}

// Decodes the next row into `row_`; on a fault, finds and words its reason.
std::error_code PictureInput::NextRow() {
  if (rows_->fault() == RowsFault::kNone && rows_->NextRow(row_.data())) return {};
  if (rows_->fault() == RowsFault::kRead) return Fail(rows_->read_error());
  // A file that passes the check again was so when the codec failed; else it changed since.
  PngHeader header;
  if (std::error_code ec = CheckPngFile(*file_, settings_.keep_going, &header, &problem_)) {
    return Fail(ec);
  }
  problem_ = "damaged PNG file: its picture data cannot be decoded";
  return Fail(PictureError::kBrokenData);
}

std::error_code PictureInput::Open() {
  if (settings_.threshold < 0 || settings_.threshold > 255) {
    return Fail(std::make_error_code(std::errc::invalid_argument));
  }
  if (std::error_code ec = CheckPngFile(*file_, settings_.keep_going, &header_, &problem_)) {
    return Fail(ec);
  }
  if (std::error_code ec = StartRows()) return ec;
  if (layout_.width != header_.width || layout_.height != header_.height) {
    problem_ = "the picture changed while it was read";
    return Fail(PictureError::kChanged);
  }
  row_.resize(layout_.RowBytes());
  band_bytes_.resize(header_.CellsAcross() * 8);
  digits_ = std::make_unique<RowDigits>(layout_);
  if (settings_.threshold == 0 && digits_->NeedsCensus()) return TakeCensus();
  digits_->Decide(settings_.threshold, nullptr);
  return {};
}

// Counts the colours over every row; the cells are then decoded again from the top.
std::error_code PictureInput::TakeCensus() {
  ColourCensus census;
  for (uint32_t y = 0; y < header_.height && !census.full(); ++y) {
    if (y % 8 == 0 && settings_.keep_going && !settings_.keep_going()) return Fail(Cancelled());
    if (std::error_code ec = NextRow()) return ec;
    if (std::error_code ec = digits_->Survey(row_.data(), y, &census, &problem_)) return Fail(ec);
  }
  rows_.reset();
  if (census.count() <= 2) {
    digits_->Decide(0, &census);
    return {};
  }
  problem_ = "the picture has " +
             (census.full() ? "more than " + std::to_string(ColourCensus::kMaxCounted)
                            : std::to_string(census.count())) +
             " colours, more than the two that can be told apart without a threshold (the first "
             "pixel of a third colour is at x " +
             std::to_string(census.third_x()) + ", y " + std::to_string(census.third_y()) + ")";
  return Fail(PictureError::kTooManyColours);
}

// Makes `band_bytes_` hold the cell bytes of band `band`, decoding on (or again from the top).
std::error_code PictureInput::LoadBand(uint64_t band) {
  if (!rows_ || band < next_band_) {
    if (std::error_code ec = StartRows()) return ec;
  }
  const size_t across = band_bytes_.size() / 8;
  for (; next_band_ <= band; ++next_band_) {
    if (settings_.keep_going && !settings_.keep_going()) return Fail(Cancelled());
    for (uint32_t r = 0; r < 8; ++r) {
      const uint64_t y = next_band_ * 8 + r;
      if (y >= header_.height) {
        for (size_t k = 0; k < across; ++k) band_bytes_[k * 8 + r] = 0;
        continue;
      }
      if (std::error_code ec = NextRow()) return ec;
      if (next_band_ < band) continue;               // a band passed over
      const uint32_t at = static_cast<uint32_t>(y);  // each cell's row r
      if (std::error_code ec = digits_->Pack(row_.data(), at, &band_bytes_[r], 8, &problem_)) {
        return Fail(ec);
      }
    }
  }
  band_ = band;
  return {};
}

std::error_code PictureInput::Read(uint64_t offset, char* buf, size_t count, size_t* got) {
  *got = 0;
  const uint64_t size = header_.CellBytes();
  const uint64_t real = header_.Cells() * 8;  // then the blank cells
  const uint64_t per_band = band_bytes_.size();
  while (*got < count && offset < size) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(count - *got, size - offset));
    if (offset >= real) {
      std::memset(buf + *got, 0, n);
    } else {
      const uint64_t band = offset / per_band;
      if (band != band_) {
        if (std::error_code ec = LoadBand(band)) return *got > 0 ? std::error_code() : ec;
      }
      const uint64_t in_band = offset - band * per_band;
      n = static_cast<size_t>(std::min<uint64_t>(n, per_band - in_band));
      std::memcpy(buf + *got, band_bytes_.data() + in_band, n);
    }
    *got += n;
    offset += n;
  }
  return {};
}

OpenedInput OpenPictureOrRaw(std::unique_ptr<InputFile> raw, const PictureSettings& settings) {
  OpenedInput opened;
  std::string first;
  std::error_code ec;
  const bool stream = !raw->Size();
  if (stream) {
    ec = ReadStream(*raw, kPngSignatureSize, settings, &first);
  } else {
    first.resize(kPngSignatureSize);
    size_t held = 0;
    ec = ReadFileAt(*raw, 0, first.data(), first.size(), &held);
    first.resize(held);
  }
  if (!ec && (first.size() < kPngSignatureSize || !IsPng(first.data()))) {
    opened.input =
        stream ? std::make_unique<ReplayInput>(std::move(raw), std::move(first)) : std::move(raw);
    return opened;
  }
  if (!ec && stream) {
    ec = ReadStream(*raw, SIZE_MAX, settings, &first);
    if (!ec) raw = std::make_unique<HeldInput>(std::move(first));
  }
  if (ec) {
    opened.error = ec;
    opened.problem = ec.message();
    return opened;
  }
  std::unique_ptr<PictureInput> picture(new PictureInput(std::move(raw), settings));
  opened.error = picture->Open();
  if (opened.error) {
    opened.problem = picture->problem();
    return opened;
  }
  opened.picture = picture.get();
  opened.input = std::move(picture);
  return opened;
}

}  // namespace tessary
