// The formatted-input engine shared by sscanf and fscanf: the sources it
// reads from (a text or a stream), the scanners, and the reading loop.
#pragma once

#include <cstdio>
#include <string_view>

#include "fileio/chunk_list.h"
#include "fileio/transfer.h"
#include "host/qx.h"
#include "textio/format.h"

namespace zq::textio {

// What a scanner tells the reading loop.
struct Step {
  bool stop = false;
  int code = kErrNone;
};

// A number read by a numeric scanner.
struct Number {
  bool converted = false;  // false: nothing was read, see the step
  double value = 0;
};

// Where input comes from. The character scanners use get and unget; the
// numeric scanners differ by family.
class InputSource {
 public:
  virtual ~InputSource() = default;
  // The next byte, or EOF.
  virtual int get() = 0;
  // Pushes c back; returns kErrNone or a code.
  virtual int unget(int c) = 0;
  // How reading stops at the end of input.
  virtual Step endOfInput() = 0;
  // Bytes consumed so far.
  virtual size_t consumed() const = 0;
  // True when the text is used up (the stream family never says so).
  virtual bool exhausted() const { return false; }
  virtual Step scanInteger(const InputDirective &d, Number &number) = 0;
  virtual Step scanFloat(const InputDirective &d, Number &number) = 0;
};

// The text family: a NUL-terminated text, parsed with the strtol rules
// and the host's strtod.
class TextSource final : public InputSource {
 public:
  explicit TextSource(std::string_view text) : text_(text) {}
  int get() override { return position_ < text_.size() ? static_cast<unsigned char>(text_[position_++]) : EOF; }
  int unget(int) override;
  Step endOfInput() override { return {true, kErrNone}; }
  size_t consumed() const override { return position_; }
  bool exhausted() const override { return position_ >= text_.size(); }
  Step scanInteger(const InputDirective &d, Number &number) override;
  Step scanFloat(const InputDirective &d, Number &number) override;

 private:
  // Skips blanks; false at the end of the text.
  bool skipBlanks();
  // The text a number is parsed from: the rest of the text, or the next
  // width characters.
  std::string_view field(const InputDirective &d) const;
  std::string_view text_;
  size_t position_ = 0;
};

// The stream family: numbers are read exactly as the C library's fscanf
// reads them, by a reader of its own where it is known to agree.
class StreamSource final : public InputSource {
 public:
  explicit StreamSource(FILE *stream);
  int get() override;
  int unget(int c) override;
  Step endOfInput() override;
  size_t consumed() const override { return consumed_; }
  Step scanInteger(const InputDirective &d, Number &number) override;
  Step scanFloat(const InputDirective &d, Number &number) override;

 private:
  template <class T>
  Step readValue(const InputDirective &d, Number &number);
  Step scanDecimal(const InputDirective &d, Number &number);
  Step readInteger(int width, int base, bool isSigned, unsigned long &bits);
  int next();
  FILE *stream_;
  bool readable_;  // the stream allows reading: the own readers may read it
  size_t consumed_ = 0;
};

// Parses a plain decimal number at the start of text (optional sign,
// digits with one point, optional exponent) exactly as strtod (strtof for
// T = float) would, without calling it. Returns the characters used, or 0
// when the text is something else (hexadecimal, a word, no digits, out of
// range), which the caller then leaves to strtod.
template <class T>
size_t parseDecimal(std::string_view text, T &value);

// Collects the values read, as doubles, in a chunk list that grows as they
// come against the transfer descriptor.
class ValueStore {
 public:
  // Starts the list with a first chunk of firstChunk values; rows and cols
  // are those of the size argument (cols -1: no limit).
  ValueStore(fileio::TransferDescriptor &transfer, int firstChunk, int rows, int cols);
  ValueStore(const ValueStore &) = delete;
  ValueStore &operator=(const ValueStore &) = delete;
  void push(double value) {
    if (next_ == end_) refill();
    *next_++ = value;
  }
  // Values stored so far.
  long long size() const { return transfer_.count + (next_ - start_); }
  // The values as one matrix by the shape rule of the chunk list; kind 4
  // (char) or 2 (numeric) and the number of elements of the size argument
  // decide its rows.
  common::OwnedArray finish(int resultKind, int sizeDims);

 private:
  void settle();
  void refill();
  fileio::TransferDescriptor &transfer_;
  fileio::ChunkList chunks_;
  double *start_ = nullptr, *next_ = nullptr, *end_ = nullptr;
};

// Values read by one call.
struct ScanResult {
  explicit ScanResult(ValueStore &store) : values(store) {}
  ValueStore &values;
  bool numeric = false;  // a number was stored (else the result is char)
  int count = 0;         // conversions
  int code = kErrNone;
};

// Reads from source with format into result until the input ends, a piece
// fails, or limit conversions are made (limit -1: no limit).
void scanFormatted(InputSource &source, std::string_view format, int limit, ScanResult &result);

}  // namespace zq::textio
