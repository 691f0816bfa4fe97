#include "run/map_file.h"

#include <string_view>

#include "notation/hex2.h"
#include "run/quoted.h"

namespace tessary {
namespace {

constexpr size_t kChunk = size_t{1} << 20;

}  // namespace

MapFile::MapFile(FileSystem& files, std::string path, const ListingSyntax& syntax)
    : files_(files), path_(std::move(path)), profile_(ProfileOf(syntax.syntax)) {
  if (!syntax.label_prefix.empty() && profile_.symbol_tail) {
    symbol_ = syntax.label_prefix + "map" + profile_.symbol_tail + "\r\n";
  }
}

bool MapFile::Begin(int64_t, int32_t across) {
  across_ = across > 0 ? across : 16;
  return true;
}

bool MapFile::Cells(const MapCell* cells, size_t count) {
  if (!out_ && !Open()) return false;
  for (size_t k = 0; k < count; ++k) {
    pending_ += in_line_ == 0 ? profile_.map_head : ",";
    pending_ += profile_.hex_head;
    const auto& digits = kHexByteDigits[static_cast<uint8_t>(cells[k].tile)];
    pending_.append(digits.data(), 2);
    if (++in_line_ == across_) {
      pending_ += profile_.row_tail;
      pending_ += "\r\n";
      in_line_ = 0;
    }
  }
  cells_ += static_cast<int64_t>(count);
  return pending_.size() < kChunk || Flush();
}

bool MapFile::Done() {
  if (!out_) return true;
  if (in_line_ > 0) {
    pending_ += profile_.row_tail;
    pending_ += "\r\n";
    in_line_ = 0;
  }
  return pending_.empty() || Flush();
}

std::error_code MapFile::Commit() { return CommitSideFile(out_.get(), &committed_); }

std::string MapFile::Rollback() { return RollBackSideFile(out_, committed_); }

bool MapFile::Open() {
  const std::error_code ec = files_.OpenOutput(path_, false, &out_);
  if (ec) {
    out_.reset();
    return Failed(ec, "cannot create ");
  }
  pending_ = symbol_;
  return true;
}

bool MapFile::Flush() {
  const std::error_code ec = out_->Write(std::string_view(pending_));
  pending_.clear();
  return !ec || Failed(ec, "cannot write ");
}

bool MapFile::Failed(std::error_code ec, const char* what) {
  cancelled_ = ec == std::errc::operation_canceled;
  problem_ = what + std::string("map file ") + Quoted(path_) + ": " + ec.message();
  return false;
}

}  // namespace tessary
