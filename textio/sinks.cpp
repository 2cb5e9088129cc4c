// The three destinations of formatted output.
#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "common/char_codes.h"
#include "common/outputs.h"
#include "host/ut.h"
#include "textio/output.h"

namespace zq::textio {
namespace {

// Stream output is handed to the C library in blocks of about this size.
constexpr size_t kStreamBlock = size_t{64} * 1024;

}  // namespace

OutputSink::~OutputSink() { std::free(data_); }

bool OutputSink::withinLimit(size_t n) const { return n <= kMaxTextBytes && passed_ + size_ <= kMaxTextBytes - n; }

char *OutputSink::reserve(size_t n) {
  if (!withinLimit(n)) return nullptr;
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

CharRowSink::CharRowSink() : multiByte_(utIsMultiByteCharSet() != 0) {}

CharRowSink::~CharRowSink() { qxFree(codes_); }

// Room for n more codes, growing the storage at least twofold.
bool CharRowSink::growCodes(size_t n) {
  if (count_ + n <= codeCapacity_) return true;
  const size_t grown = std::max(count_ + n, std::min(codeCapacity_ * 2, kMaxTextBytes));
  void *bigger = qxRealloc(codes_, grown * sizeof(qxChar));
  if (bigger == nullptr) return false;
  codes_ = static_cast<qxChar *>(bigger);
  codeCapacity_ = grown;
  return true;
}

// Widens the bytes held to codes; in a multi-byte character set a lead
// byte and the byte after it make one code. Codes are taken directly only
// in a single-byte character set, so there all bytes are widened once, at
// the end, and no pair is ever split. False when memory is short.
bool CharRowSink::widenHeld() {
  if (size_ == 0) return true;
  if (!growCodes(size_)) return false;
  const auto *bytes = reinterpret_cast<const unsigned char *>(data_);
  if (!multiByte_) {
    common::widenBytes(bytes, codes_ + count_, size_);
    count_ += size_;
  } else {
    for (size_t i = 0; i < size_; ++i) {
      const bool pair = i + 1 < size_ && utIsMultiByteLead(bytes[i]) != 0;
      codes_[count_++] = pair ? static_cast<qxChar>(bytes[i] * 256 + bytes[i + 1]) : bytes[i];
      i += pair;
    }
  }
  passed_ += size_;
  size_ = 0;
  return true;
}

int CharRowSink::finishPiece(size_t n) {
  size_ += n;
  return kErrNone;
}

qxChar *CharRowSink::reserveCodes(size_t n) {
  // In a multi-byte character set codes below 256 may pair up as bytes:
  // they take the byte path.
  if (multiByte_ || !withinLimit(n)) return nullptr;
  if (!widenHeld() || !growCodes(n)) return nullptr;
  return codes_ + count_;
}

qxArray *CharRowSink::takeRow() {
  if (!widenHeld()) qxErrMsg(QX_MSG_OUT_OF_MEMORY);
  int dims[2] = {1, 0};
  qxArray *row = common::created(qxCreateCharArray(2, dims));
  if (count_ == 0) return row;
  if (codeCapacity_ > count_) {
    // Give back what growing reserved beyond the text.
    if (void *fitted = qxRealloc(codes_, count_ * sizeof(qxChar))) codes_ = static_cast<qxChar *>(fitted);
  }
  qxFree(qxGetData(row));
  qxSetData(row, codes_);
  qxSetN(row, static_cast<int>(count_));
  codes_ = nullptr;
  count_ = codeCapacity_ = 0;
  return row;
}

int ConsoleSink::finishPiece(size_t n) {
  data_[n] = '\0';
  utPuts(data_);
  return kErrNone;
}

int StreamSink::finishPiece(size_t n) {
  size_ += n;
  if (failure_ == kErrNone && size_ < kStreamBlock) return kErrNone;
  return flush() == kErrNone ? kErrNone : kErrStreamFailed;
}

// A write fails when the stream takes less than it is given, or when it
// raises its error indicator (some streams retry and take everything after
// a failed write). The code is the indicator, or -1 when it shows none.
int StreamSink::flush() {
  if (failure_ != kErrNone) size_ = 0;
  if (size_ == 0) return failure_;
  const bool clean = std::ferror(stream_) == 0;
  errno = 0;
  const size_t written = std::fwrite(data_, 1, size_, stream_);
  accepted_ += static_cast<int64_t>(written);
  const bool failed = written != size_ || (clean && std::ferror(stream_) != 0);
  size_ = 0;
  if (!failed) return kErrNone;
  const int indicator = std::ferror(stream_);
  failure_ = indicator != 0 ? indicator : kErrUnknown;
  return failure_;
}

}  // namespace zq::textio
