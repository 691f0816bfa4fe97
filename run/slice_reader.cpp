#include "run/slice_reader.h"

#include <cstring>

namespace tessary {

SliceReader::SliceReader(InputFile& input, uint64_t start, uint64_t limit, size_t window,
                         bool keep_all)
    : input_(input),
      stream_(!input.Size().has_value()),
      start_(start),
      limit_(limit),
      window_(std::max<size_t>(window, 8)),
      keep_all_(keep_all) {
  if (stream_) {
    end_ = limit;
    end_known_ = false;
  } else {
    const uint64_t size = *input.Size();
    end_ = std::min(limit, size > start ? size - start : 0);
    end_known_ = true;
  }
}

std::error_code SliceReader::Cover(uint64_t lo, uint64_t hi, const Poll& poll) {
  return stream_ ? CoverStream(lo, hi, poll) : CoverFile(lo, hi);
}

std::error_code SliceReader::CoverFile(uint64_t lo, uint64_t hi) {
  const uint64_t count =
      lo < end_ ? std::min<uint64_t>(std::max<uint64_t>(window_, hi - lo), end_ - lo) : 0;
  char* buf = slice_.Storage(count);
  size_t held = 0;
  if (const std::error_code ec = ReadFileAt(input_, start_ + lo, buf, count, &held)) return ec;
  // A file that shrank since its size was taken: the rest reads as 0.
  if (held < count) end_ = lo + held;
  slice_.SetWindow(lo, held);
  return {};
}

std::error_code SliceReader::ReadStream(char* buf, size_t count, size_t* got, const Poll& poll) {
  for (;;) {
    const std::error_code ec = input_.Read(read_to_, buf, count, got);
    if (ec == std::errc::interrupted) {
      if (!poll(true)) return std::make_error_code(std::errc::operation_canceled);
      continue;
    }
    if (ec) return ec;
    read_to_ += *got;
    if (*got == 0) end_known_ = true;
    return {};
  }
}

std::error_code SliceReader::SkipTo(uint64_t to, const Poll& poll) {
  const uint64_t target = start_ + to;
  char* buf = slice_.Storage(window_);
  while (read_to_ < target && !end_known_) {
    size_t got = 0;
    const uint64_t want = std::min<uint64_t>(slice_.capacity(), target - read_to_);
    if (std::error_code ec = ReadStream(buf, want, &got, poll)) return ec;
    if (!poll(false)) return std::make_error_code(std::errc::operation_canceled);
  }
  return {};
}

std::error_code SliceReader::CoverStream(uint64_t lo, uint64_t hi, const Poll& poll) {
  uint64_t base = slice_.base();
  uint64_t held_end = slice_.held_end();
  if (read_to_ < start_ || (!keep_all_ && lo > held_end)) {
    // Nothing held is wanted: skip ahead by reading (kept bytes start at the slice's start).
    const uint64_t to = keep_all_ ? 0 : lo;
    if (to < held_end) return std::make_error_code(std::errc::invalid_argument);
    if (std::error_code ec = SkipTo(to, poll)) return ec;
    base = held_end = to;
  } else if (lo < base) {
    return std::make_error_code(std::errc::invalid_argument);
  } else if (!keep_all_ && lo > base) {  // give up the bytes below lo
    char* buf = slice_.Storage(window_);
    std::memmove(buf, buf + (lo - base), held_end - lo);
    base = lo;
  }
  slice_.SetWindow(base, held_end - base);

  const uint64_t target = std::min(hi, limit_);
  while (held_end < target && !end_known_) {
    size_t held = held_end - base;
    // Kept whole, the storage doubles as it fills; otherwise it holds what one call asks for.
    const size_t wanted = keep_all_ ? std::max(window_, 2 * slice_.capacity())
                                    : std::max<size_t>(window_, target - base);
    if (slice_.capacity() <= held || (!keep_all_ && slice_.capacity() < wanted)) {
      slice_.Storage(wanted);
    }
    const size_t room = slice_.capacity() - held;
    size_t got = 0;
    const uint64_t want = std::min<uint64_t>(room, limit_ - held_end);
    if (std::error_code ec = ReadStream(slice_.Storage(0) + held, want, &got, poll)) return ec;
    held_end += got;
    slice_.SetWindow(base, held_end - base);
    if (held_end >= limit_) end_known_ = true;
    if (held_end < target && !end_known_ && !poll(false)) {
      return std::make_error_code(std::errc::operation_canceled);
    }
  }
  if (end_known_) end_ = read_to_ > start_ ? std::min(limit_, read_to_ - start_) : 0;
  return {};
}

}  // namespace tessary
