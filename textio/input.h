// The formatted-input engine shared by sscanf and fscanf: the sources it
// reads from (a text or a stream), the scanners, and the reading loop.
#pragma once

#include <cstdio>
#include <string_view>
#include <vector>

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

// The stream family: the C library's fscanf reads each number.
class StreamSource final : public InputSource {
 public:
  explicit StreamSource(FILE *stream) : stream_(stream) {}
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
  int next();
  FILE *stream_;
  size_t consumed_ = 0;
};

// Parses a plain decimal number at the start of text (optional sign,
// digits with one point, optional exponent) exactly as strtod (strtof for
// T = float) would, without calling it. Returns the characters used, or 0
// when the text is something else (hexadecimal, a word, no digits, out of
// range), which the caller then leaves to strtod.
template <class T>
size_t parseDecimal(std::string_view text, T &value);

// Values read by one call.
struct ScanResult {
  std::vector<double> values;
  bool numeric = false;  // a number was stored (else the result is char)
  int count = 0;         // conversions
  int code = kErrNone;
};

// Reads from source with format until the input ends, a piece fails, or
// limit conversions are made (limit -1: no limit).
ScanResult scanFormatted(InputSource &source, std::string_view format, int limit);

}  // namespace zq::textio
