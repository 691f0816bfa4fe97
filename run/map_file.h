// MapFile: the tile map written beside the listing (--map, the window's Map file): the listed
// tile number of every cell, one byte each, in the listing's syntax.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "run/file_system.h"
#include "run/map_sink.h"
#include "run/side_output.h"
#include "tiles/syntax.h"

namespace tessary {

// Takes the numbers as a MapSink and is made final or put back as a SideOutput; the listed tiles
// are none of its business, so its TileSink calls take them and do nothing. Each line is one
// picture row of cells (`across` from Begin()): " .byte $00,$01" (the syntax's map_head,
// hex_head and row_tail), ending in CR LF; with a label prefix (in a syntax with symbols) the
// first line defines the symbol PREFIXmap, which no tile symbol (PREFIX and hex digits) can be.
// Opened through `files` at the first cell; no cell leaves no file.
class MapFile final : public SideOutput, public MapSink {
 public:
  MapFile(FileSystem& files, std::string path, const ListingSyntax& syntax);

  bool Ahead(int64_t, int, int) override { return true; }
  bool Tiles(const uint8_t*, size_t) override { return true; }
  int64_t tiles() const override { return cells_; }

  bool Begin(int64_t count, int32_t across) override;
  bool Cells(const MapCell* cells, size_t count) override;
  // Ends the last line and writes what is left; may be called again, and then does nothing.
  bool Done() override;
  std::string Problem() const override { return problem_; }
  bool Cancelled() const override { return cancelled_; }

  std::error_code Commit() override;
  std::string Rollback() override;

 private:
  bool Open();
  bool Flush();
  bool Failed(std::error_code ec, const char* what);

  FileSystem& files_;
  const std::string path_;
  const SyntaxProfile& profile_;
  std::string symbol_;  // "PREFIXmap:" and its line end, or ""
  std::unique_ptr<OutputFile> out_;
  std::string pending_;
  int32_t across_ = 16;
  int32_t in_line_ = 0;  // cells on the current line
  int64_t cells_ = 0;
  bool committed_ = false;
  bool cancelled_ = false;
  std::string problem_;
};

}  // namespace tessary
