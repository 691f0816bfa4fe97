// SideOutput: a file written beside the listing from what the run lists (the picture of --png,
// the bytes of --bin, the tile map), and a sink that hands the tiles to several of them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "run/file_system.h"
#include "run/tile_sink.h"

namespace tessary {

// Takes the tiles as a TileSink does, then is made final with the listing or put back with it.
// Its file is opened only once there is a tile for it.
class SideOutput : public TileSink {
 public:
  // Tiles handed over so far.
  virtual int64_t tiles() const = 0;
  // After Done(): makes the file final; the error, if any.
  virtual std::error_code Commit() = 0;
  // Puts back what the file held before, when it was opened and not committed: "" when it is as
  // it was (or was never touched), else what became of it, worded to follow the file's name.
  virtual std::string Rollback() = 0;
};

// Commit() for a side output whose file is `out` (null while it was never opened); sets
// `*committed` once it is final.
inline std::error_code CommitSideFile(OutputFile* out, bool* committed) {
  if (!out) return {};
  const std::error_code ec = out->Commit();
  if (!ec) *committed = true;
  return ec;
}

// Rollback() for the same: puts an opened, uncommitted file back once and lets it go.
inline std::string RollBackSideFile(std::unique_ptr<OutputFile>& out, bool committed) {
  if (!out || committed) return {};
  const std::string left = out->Restorable() ? out->Rollback() : "is incomplete";
  out.reset();
  return left;
}

// Hands every call on to each of `outputs` in turn; the first that refuses stops the others,
// and its Problem() and Cancelled() are this sink's.
class FanOutSink : public TileSink {
 public:
  explicit FanOutSink(std::vector<SideOutput*> outputs) : outputs_(std::move(outputs)) {}

  bool Ahead(int64_t count, int row_count, int row_bytes) override {
    return Each([&](SideOutput* o) { return o->Ahead(count, row_count, row_bytes); });
  }
  bool Tiles(const uint8_t* tiles, size_t count) override {
    return Each([&](SideOutput* o) { return o->Tiles(tiles, count); });
  }
  bool Done() override {
    return Each([](SideOutput* o) { return o->Done(); });
  }
  std::string Problem() const override { return failed_ ? failed_->Problem() : ""; }
  bool Cancelled() const override { return failed_ && failed_->Cancelled(); }

 private:
  template <typename Call>
  bool Each(Call&& call) {
    for (SideOutput* output : outputs_) {
      if (!call(output)) {
        failed_ = output;
        return false;
      }
    }
    return true;
  }

  std::vector<SideOutput*> outputs_;
  SideOutput* failed_ = nullptr;
};

}  // namespace tessary
