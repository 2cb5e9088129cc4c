// The formatted-output engine shared by sprintf and fprintf: the sinks the
// text goes to, the element source of the data, the output routines and the
// driver that walks the data through the format.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>

#include "common/interrupt_points.h"
#include "host/qx.h"
#include "textio/format.h"

// Marks the loops that copy whole texts: on x86-64 they are also built for
// AVX2, picked at load time.
#if defined(__x86_64__) && defined(__GNUC__)
#define ZQ_WIDE_VECTORS __attribute__((target_clones("avx2", "default")))
#else
#define ZQ_WIDE_VECTORS
#endif

namespace zq::textio {

// Where formatted text goes. Each piece is written into room taken with
// reserve() and handed on with finishPiece(); the buffer is the sink's own.
class OutputSink {
 public:
  OutputSink() = default;
  OutputSink(const OutputSink &) = delete;
  OutputSink &operator=(const OutputSink &) = delete;
  virtual ~OutputSink();

  // Room for n more bytes of the current piece (and a NUL after them);
  // null when the piece is too big or memory is short.
  char *reserve(size_t n);
  // Ends the current piece of n bytes. Returns kErrNone or a negative code;
  // kErrStreamFailed when the stream refused the text (failureCode() then
  // holds the stream's own code).
  virtual int finishPiece(size_t n) = 0;
  // Room for a piece of n character codes written as they are, for sinks
  // that keep codes; null when the sink takes bytes only, or when it cannot
  // make the room (the piece then goes through reserve()).
  virtual qxChar *reserveCodes(size_t) { return nullptr; }
  // Ends a piece of n codes begun with reserveCodes().
  virtual void finishCodes(size_t) {}
  // Writes out what is held back. Returns kErrNone, or the stream's code.
  virtual int flush() { return kErrNone; }
  // The stream's code once a write failed (kErrNone before).
  virtual int failureCode() const { return kErrNone; }

 protected:
  // Whether n more bytes keep the text within the size limit.
  bool withinLimit(size_t n) const;

  char *data_ = nullptr;
  size_t size_ = 0;
  size_t capacity_ = 0;
  size_t passed_ = 0;  // bytes handed on that still count against the size limit
};

// A piece (or the whole text of sprintf) larger than this is refused with
// "Format size too big": it keeps huge widths and precisions from asking
// for gigabytes, and keeps the text within the int sizes of arrays.
inline constexpr size_t kMaxTextBytes = size_t{1} << 28;

// What an output routine returns when the stream failed: the stream's own
// code may be positive (a system error number), so it is fetched from the
// sink instead of being returned where a character count belongs.
inline constexpr int kErrStreamFailed = -1000;

// Collects all text (sprintf).
class StringSink final : public OutputSink {
 public:
  int finishPiece(size_t n) override;
  std::string_view text() const { return {data_, size_}; }
};

// Builds the 1-by-n char row of sprintf. Formatted bytes are held and
// widened to codes when a run of codes comes or at the end (a lead byte
// and its trail byte make one code in a multi-byte character set); runs of
// codes from a char argument are copied in directly, so long text is never
// held as bytes as well.
class CharRowSink final : public OutputSink {
 public:
  CharRowSink();
  ~CharRowSink() override;
  int finishPiece(size_t n) override;
  qxChar *reserveCodes(size_t n) override;
  void finishCodes(size_t n) override {
    count_ += n;
    passed_ += n;
  }
  // The text as a new char row, handed to the caller (host message 18 when
  // memory is short).
  qxArray *takeRow();

 private:
  bool growCodes(size_t n);
  bool widenHeld();

  const bool multiByte_;
  qxChar *codes_ = nullptr;  // qxMalloc'd; becomes the row's storage
  size_t count_ = 0;
  size_t codeCapacity_ = 0;
};

// Hands each piece to the command window with utPuts (fids 1 and 2).
class ConsoleSink final : public OutputSink {
 public:
  int finishPiece(size_t n) override;
};

// Writes to a stream, in blocks. The first failed write ends the output:
// what the stream did not take is dropped and nothing more is written, so
// no later text lands in the file after a gap.
class StreamSink final : public OutputSink {
 public:
  explicit StreamSink(FILE *stream) : stream_(stream) {}
  int finishPiece(size_t n) override;
  int flush() override;
  int failureCode() const override { return failure_; }
  // Characters the stream has taken.
  int64_t accepted() const { return accepted_; }

 private:
  FILE *stream_;
  int64_t accepted_ = 0;
  int failure_ = kErrNone;
};

// The values of one data argument: double data, or the 16-bit codes of a
// char array, read in storage order from index on.
struct ElementSource {
  const double *values = nullptr;
  const qxChar *chars = nullptr;
  bool textual = false;  // the argument was a char array
  int count = 0;
  int index = 0;
  double at(int i) const { return textual ? chars[i] : values[i]; }
  bool isChar() const { return textual; }
};

// Prints one piece (a literal, or a directive with its value from source)
// to sink. Returns the characters written, or a negative code.
int printPiece(OutputSink &sink, const OutputDirective &piece, ElementSource &source);

// The state of one formatted-output call: the format, the piece held, the
// characters written so far.
class OutputEngine {
 public:
  OutputEngine(std::string_view format, OutputSink &sink) : cursor_(format), sink_(sink) {}

  // Runs the data argument source (argument number n, 1 for the first)
  // through the format. Returns kErrNone or a code.
  int run(ElementSource &source, int n);
  // The final run after the last argument: prints the literal text up to
  // the next directive. Returns kErrNone or a code.
  int finish();
  double count() const { return static_cast<double>(count_); }

 private:
  int print(ElementSource &source);
  int take();
  int drawStarValue(ElementSource &source);
  int emptyArgument(ElementSource &source);
  int fail(int code);
  void leaveIfInterrupted();

  FormatCursor cursor_;
  OutputSink &sink_;
  const OutputDirective *piece_ = nullptr;  // the piece held
  OutputDirective drawn_;                   // the piece with the '*' values drawn so far
  OutState state_ = OutState::kEmpty;
  bool pending_ = false;
  int64_t count_ = 0;  // a stream may take more than INT_MAX characters
  common::InterruptPoints interrupts_;
};

}  // namespace zq::textio
