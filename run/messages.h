// Messages: the wording of every message a conversion run gives the user, in one place.
#pragma once

#include <cstdint>
#include <string>
#include <system_error>

namespace tessary::messages {

// The numeric fields and the range.
std::string OutOfRange(const char* field, const std::string& text);
std::string EndBelowStart(int32_t start, int32_t end);
std::string RangeTooShort(int32_t start, int32_t end);
std::string StartBelowZero(int32_t start);
std::string BadLabelPrefix(const std::string& problem);

// The input file `in`.
std::string CannotOpenInput(const std::string& in, std::error_code ec);
std::string CannotReadInput(const std::string& in, std::error_code ec);
// A picture that cannot be read as cells: `problem` says why ("the picture has 3 colours ...").
std::string BadPicture(const std::string& in, const std::string& problem);
std::string InputEmpty(const std::string& in);
std::string InputTooLarge(const std::string& in);
std::string OutputIsInput(const std::string& out);
// The same, for a file the run has not opened yet (the preview's).
std::string FileEmpty();
std::string FileTooLarge();

// A run that stops before it opens its output.
std::string CancelledBeforeWriting();
std::string CannotOpenOutput(const std::string& out, bool append, std::error_code ec);
std::string NotEnoughMemory();

// What a run that gives up leaves of its output file.
struct OutputLeft {
  bool restorable = true;  // false: written straight through, it stays as written
  bool existed = true;     // false: the run would have made a new file
  std::string problem;     // what its rollback said went wrong; empty once it is put back
};
// `why` (the reason the run gives up), then what became of the output `out`.
std::string GivenUp(const std::string& why, const std::string& out, const OutputLeft& left);
std::string Cancelled(const std::string& out, const OutputLeft& left);
std::string CannotWriteOutput(const std::string& out, std::error_code ec, const OutputLeft& left);

}  // namespace tessary::messages
