#include "run/messages.h"

#include "run/quoted.h"

namespace tessary::messages {
namespace {

// What became of an output, worded to follow its name.
std::string Fate(const OutputLeft& left) {
  if (!left.restorable) return "is incomplete";
  if (!left.problem.empty()) return left.problem;
  return left.existed ? "is left as it was" : "was not created";
}

}  // namespace

std::string OutOfRange(const char* field, const std::string& text) {
  return std::string(field) + " " + Quoted(text) + " is outside the 32-bit range";
}

std::string EndBelowStart(int32_t start, int32_t end) {
  return "End Offset " + std::to_string(end) + " is below Start Offset " + std::to_string(start) +
         "; nothing to list";
}

std::string RangeTooShort(int32_t start, int32_t end) {
  return "the range from " + std::to_string(start) + " to " + std::to_string(end) +
         " holds fewer than 8 bytes; nothing to list";
}

std::string StartBelowZero(int32_t start) {
  return "Start Offset " + std::to_string(start) + " is below 0";
}

std::string BadLabelPrefix(const std::string& problem) { return "Label prefix " + problem; }

std::string CannotOpenInput(const std::string& in, std::error_code ec) {
  return "cannot open input file " + Quoted(in) + ": " + ec.message();
}

std::string CannotReadInput(const std::string& in, std::error_code ec) {
  return "cannot read input file " + Quoted(in) + ": " + ec.message();
}

std::string BadPicture(const std::string& in, const std::string& problem) {
  return Quoted(in) + ": " + problem;
}

std::string InputEmpty(const std::string& in) {
  return "input file " + Quoted(in) + " is empty; nothing to list";
}

std::string InputTooLarge(const std::string& in) {
  return "input file " + Quoted(in) + " is too large for a 32-bit End Offset";
}

std::string OutputIsInput(const std::string& out) {
  return "output file " + Quoted(out) + " is the input file; choose another output file";
}

std::string FileEmpty() { return "the file is empty; nothing to list"; }

std::string FileTooLarge() { return "the file is too large for a 32-bit End Offset"; }

std::string CancelledBeforeWriting() { return "cancelled; nothing was written"; }

std::string CannotOpenOutput(const std::string& out, bool append, std::error_code ec) {
  return (append ? "cannot open output file " + Quoted(out) + " for appending: "
                 : "cannot create output file " + Quoted(out) + ": ") +
         ec.message();
}

std::string NotEnoughMemory() { return "not enough memory for the run"; }

std::string GivenUp(const std::string& why, const std::string& out, const OutputLeft& left) {
  return why + "; output file " + Quoted(out) + " " + Fate(left);
}

std::string Cancelled(const std::string& out, const OutputLeft& left) {
  return GivenUp("cancelled", out, left);
}

std::string CannotWriteOutput(const std::string& out, std::error_code ec, const OutputLeft& left) {
  return "cannot write output file " + Quoted(out) + ": " + ec.message() + "; it " + Fate(left);
}

}  // namespace tessary::messages
