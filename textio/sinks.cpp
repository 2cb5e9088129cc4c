// The three destinations of formatted output.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "host/ut.h"
#include "textio/output.h"

namespace zq::textio {
namespace {

// A piece (or the whole text of sprintf) larger than this is refused with
// "Format size too big": it keeps huge widths and precisions from asking
// for gigabytes, and keeps the text within the int sizes of arrays.
constexpr size_t kMaxTextBytes = size_t{1} << 28;

// Stream output is handed to the C library in blocks of about this size.
constexpr size_t kStreamBlock = size_t{64} * 1024;

}  // namespace

OutputSink::~OutputSink() { std::free(data_); }

char *OutputSink::reserve(size_t n) {
  if (n > kMaxTextBytes || size_ > kMaxTextBytes - n) return nullptr;
  const size_t needed = size_ + n + 1;
  if (needed > capacity_) {
    const size_t grown = std::max(needed, std::min(capacity_ * 2, kMaxTextBytes + 1));
    char *bigger = static_cast<char *>(std::realloc(data_, grown));
    if (bigger == nullptr) return nullptr;
    data_ = bigger;
    capacity_ = grown;
  }
  return data_ + size_;
}

int StringSink::finishPiece(size_t n) {
  size_ += n;
  return kErrNone;
}

int ConsoleSink::finishPiece(size_t n) {
  data_[n] = '\0';
  utPuts(data_);
  return kErrNone;
}

int StreamSink::finishPiece(size_t n) {
  size_ += n;
  return size_ >= kStreamBlock ? flush() : kErrNone;
}

int StreamSink::flush() {
  if (size_ == 0) return kErrNone;
  errno = 0;
  const size_t written = std::fwrite(data_, 1, size_, stream_);
  const bool failed = written != size_;
  size_ = 0;
  if (!failed) return kErrNone;
  const int indicator = std::ferror(stream_);
  return indicator != 0 ? indicator : kErrUnknown;
}

}  // namespace zq::textio
