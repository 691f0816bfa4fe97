// TileBytesFile: the bytes that the listing's digits spell, written beside it (--bin), ready for
// an assembler's .incbin.
#pragma once

#include <memory>
#include <string>

#include "run/file_system.h"
#include "run/side_output.h"

namespace tessary {

// Writes the tiles as the run hands them over: listing order, each tile's rows top first and each
// row's bytes left to right, after the invert (two bytes a 16x16 row). Opened through `files` at
// the first tile, written in large chunks, made final by Commit() and put back by Rollback().
std::unique_ptr<SideOutput> NewTileBytesFile(FileSystem& files, const std::string& path);

}  // namespace tessary
